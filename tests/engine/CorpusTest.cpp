// The statement texts the front office runs, executed unchanged against a filled folder and
// a filled database on the test server, checking the rows they return or the rows they change.
#include "TestFolder.h"

#include <gtest/gtest.h>

using enginetest::dump;
using enginetest::filledDb;
using enginetest::Storage;
using enginetest::storageName;
using enginetest::TestDb;
using enginetest::withDb;

namespace {

struct QueryCase {
    const char* name;
    const char* sql;
    std::vector<std::string> columns;
    const char* expected;
    bool sorted = false;
};

// Board window 1.3.2004 .. 23.3.2004 and a narrow window 5.3.2004 .. 7.3.2004.
#define BOARD_Q1(D1, D2)                                                                                              \
    "SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,NUMPERS  " \
    "FROM \"{db}POBYTY.DB\" AS POB, \"{db}KARTY.DB\" AS KAR WHERE ((DATEFROM<\"" D1 "\" and DATETHRU>\"" D2          \
    "\") OR  (DATEFROM>=\"" D1 "\" and DATEFROM<=\"" D2 "\") OR  (DATETHRU>=\"" D1 "\" and DATETHRU<=\"" D2         \
    "\")) AND (POB.KID=KAR.KID)"
#define BOARD_Q2(D1, D2)                                                                                        \
    "SELECT BID,UID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS FROM "      \
    "\"{db}POBYTY.DB\" AS POB WHERE ((DATEFROM<\"" D1 "\" and DATETHRU>\"" D2 "\") OR  (DATEFROM>=\"" D1         \
    "\" and DATEFROM<=\"" D2 "\") OR  (DATETHRU>=\"" D1 "\" and DATETHRU<=\"" D2 "\")) AND (KID=0 or KID is null)"

const std::vector<QueryCase> kQueries = {
    {"BidMax", R"(SELECT max(BID) AS BIDMAX FROM "{db}POBYTY.DB")", {"BIDMAX"}, "5"},
    {"UidMax", R"(SELECT MAX(UID) AS MAXUID FROM "{db}UCTY.DB")", {"MAXUID"}, "2"},
    {"Agencies", R"(SELECT DISTINCT(AGENCY) FROM "{db}KARTY.DB" ORDER BY AGENCY)", {"AGENCY"}, ";alfa;Beta;Ckm"},
    {"RateOnDay", R"(SELECT CRR FROM "{db}KURZY.DB" WHERE RDATE in (SELECT max(RDATE) FROM "{db}KURZY.DB" WHERE RDATE<="5.3.2004"))", {"CRR"}, "25.1"},
    {"RateOnBoxDay", R"(SELECT CRR FROM "{db}KURZY.DB" WHERE RDATE in (SELECT max(RDATE) FROM "{db}KURZY.DB" WHERE RDATE<="10.03.2004"))", {"CRR"}, "25.4"},
    {"RateBeforeAll", R"(SELECT CRR FROM "{db}KURZY.DB" WHERE RDATE in (SELECT max(RDATE) FROM "{db}KURZY.DB" WHERE RDATE<="1.1.2004"))", {"CRR"}, ""},
    {"RateLatest", R"(SELECT CRR FROM "{db}KURZY.DB" WHERE RDATE in (SELECT max(RDATE) FROM "{db}KURZY.DB"))", {"CRR"}, "25.4"},
    {"OpenAccount", R"(SELECT * FROM "{db}UCTY.DB" WHERE KID=1 and DATEPAYM is null)", {"UID", "UFROM"}, "1,5.3.2004"},
    {"NoOpenAccount", R"(SELECT * FROM "{db}UCTY.DB" WHERE KID=3 and DATEPAYM is null)", {"UID"}, ""},
    {"RoomCombo", R"(SELECT PID,PNAME FROM "{db}POKOJE.DB" ORDER BY PID)", {}, "1,Room one;2,Room two;3,Apartmá"},
    {"KnowsFrom", R"(SELECT FID,FDESCR FROM "{db}ODKUDVI.DB" ORDER BY FID)", {}, "A,Agency;F,Friends;W,Web"},
    {"Reasons", R"(SELECT DISTINCT(BOOKEDFOR) FROM "{db}POBYTY.DB" WHERE (STATUS="X") ORDER BY BOOKEDFOR)", {"BOOKEDFOR"}, "Repairs"},
    {"FindRoomByName", R"(SELECT * FROM "{db}POKOJE.DB" WHERE PNAME="Room two")", {"PID", "PPRICE", "MAIDPRICE"}, "2,60,12"},
    {"FindRoomById", R"(SELECT * FROM "{db}POKOJE.DB" WHERE PID="3")", {"PNAME", "PMETR"}, "Apartmá,40"},
    {"FindClientQuotedNumber", R"(SELECT * FROM "{db}KARTY.DB" WHERE KID="3")", {"SURNAME", "KNOWSFROM"}, "novák,"},
    {"FindAcctTypeLike", R"(SELECT * FROM "{db}UCPODEF.DB" WHERE UPNAME like "%Maid%")", {"UPID"}, "2"},
    {"FindAcctTypeLikeIsCaseSensitive", R"(SELECT * FROM "{db}UCPODEF.DB" WHERE UPNAME like "%Maid Service%")", {"UPID"}, ""},
    {"FindAcctTypeSubstring", R"(SELECT * FROM "{db}UCPODEF.DB" WHERE UPNAME like "%comodat%")", {"UPID", "UPTAX2"}, "1,-1"},
    {"FindAcctTypeByQuotedId", R"(SELECT * FROM "{db}UCPODEF.DB" WHERE UPID="1")", {"UPNAME"}, "Accomodation"},
    {"RoomPrices", R"(SELECT * FROM "{db}POKCENY.DB" WHERE PID="1" ORDER BY PID,DATEFROM)", {"DATEFROM", "PPRICE"}, "1.3.2004,60;15.3.2004,80"},
    {"LoadRooms", R"(SELECT PID, PNAME, PCOLOR FROM "{db}POKOJE.DB" ORDER BY PID)", {}, "1,Room one,255;2,Room two,65280;3,Apartmá,16711680"},
    {"BoardWithClients", BOARD_Q1("1.3.2004", "23.3.2004"), {"BID", "KID", "NAME", "SURNAME", "TITLE", "DATEFROM", "DATETHRU", "STATUS", "PRICEEUR", "MAIDEUR"},
     "1,1,Jan,Novak,Mr,5.3.2004,8.3.2004,H,150,30;4,3,Petr,novák,Ing.,1.3.2004,4.3.2004,O,150,30;5,2,Sean,O'Brien,,20.3.2004,25.3.2004,R,300,60", true},
    {"BoardWithoutClients", BOARD_Q2("1.3.2004", "23.3.2004"), {"BID", "PID", "BOOKEDFOR", "UID"}, "2,2,Walk-in Smith,;3,3,Repairs,0", true},
    {"BoardNarrowWithClients", BOARD_Q1("5.3.2004", "7.3.2004"), {"BID"}, "1", true},
    {"BoardNarrowSpanningStay", BOARD_Q2("5.3.2004", "7.3.2004"), {"BID"}, "2;3", true},
    {"ClosedAccount", R"(SELECT * FROM "{db}UCTY.DB" WHERE UID=2 and DATEPAYM is not null)", {"UID", "FORMPAYM", "DATEPAYM"}, "2,M,4.3.2004"},
    {"PaidAccount", R"(SELECT * from "{db}UCTY.DB" WHERE UID=2 and FORMPAYM is not null)", {"UID"}, "2"},
    {"RoomsNotOut", R"(SELECT * FROM "{db}POBYTY.DB" WHERE UID=1 and STATUS<>"O")", {"BID"}, "1"},
    {"AllRoomsOut", R"(SELECT * FROM "{db}POBYTY.DB" WHERE UID=2 and STATUS<>"O")", {"BID"}, ""},
    {"CheckedInStay", R"(SELECT * from "{db}POBYTY.DB" WHERE UID=1 and (KID=1) AND (STATUS="H"))", {"BID", "TIMEIN"}, "1,14:00:00"},
    {"StayById", R"(SELECT * FROM "{db}POBYTY.DB" WHERE BID=5)", {"BID", "DATEFROM", "PRTHRU", "BUSINESS"}, "5,20.3.2004,18.3.2004,1"},
    {"CheckInRooms", R"(SELECT PID,PNAME FROM "{db}POBYTY.DB" AS POB, "{db}POKOJE.DB" AS POK  WHERE POB.PID=POK.PID  AND KID=1  AND DATEFROM="05.03.2004"  ORDER BY PNAME)", {}, "1,Room one"},
    {"ItemTypes", R"(SELECT * FROM "{db}UCPODEF.DB" ORDER BY UPNAME)", {"UPNAME"}, "Accomodation;Maid service;Minibar;Telefon"},
    {"RoomItems", R"(SELECT * FROM "{db}UCTYPOL.DB" WHERE UID=1 AND PID="1" ORDER BY POLID)", {"POLID", "DESCR", "AMNTCZK"}, "1,Minibar,251;2,Phone,125.5"},
    {"AccountTotals", R"(SELECT SUM(AMNTEUR) AS TOTEUR, SUM(AMNTCZK) AS TOTCZK FROM "{db}UCTYPOL.DB" WHERE UID=1)", {}, "15,376.5"},
    {"AccountStays", R"(SELECT * FROM "{db}UCTY.DB" AS UCT,"{db}POBYTY.DB" AS POB, "{db}POKOJE.DB" AS POK  WHERE UCT.UID=1 and UCT.UID=POB.UID       and POB.PID=POK.PID ORDER BY POB.DATEFROM, POB.DATETHRU, POB.PID)", {"UID", "BID", "PNAME"}, "1,1,Room one"},
    {"AccountHeader", R"(SELECT PNAME,PPRICE,MAIDPRICE,   DATEFROM,DATETHRU,   FORMPAYM,DATEPAYM,   TITLE,SURNAME,NAME,PASSPORT,COUNTRY from "{db}POKOJE.DB" AS POK,"{db}POBYTY.DB" AS POB,      "{db}UCTY.DB" AS UCT,"{db}KARTY.DB" AS KAR WHERE UID=2 and PID="1" and POB.PID=POK.PID and KAR.KID=POB.KID and POB.UID=UCT.UID)", {},
     "Room one,50,10,1.3.2004,4.3.2004,M,4.3.2004,Ing.,novák,Petr,P3,CZ"},
    {"AccountLines", R"(SELECT UCP.UPID, UPNAME, DESCR, TAXRATE, SUM(AMNTEUR) AS AMNTE, SUM(AMNTCZK) AS AMNTC from "{db}UCTYPOL.DB" AS UCP, "{db}UCPODEF.DB" AS UCD WHERE UID=2 and PID="1" and UCP.UPID=UCD.UPID GROUP BY UCP.UPID, UPNAME, DESCR, TAXRATE)", {},
     "1,Accomodation,Accomodation - Room one,21,150,3765;2,Maid service,Maid service - Room one,21,30,753"},
    {"AccountTotal", R"(SELECT SUM(AMNTEUR) AS AMNTE, SUM(AMNTCZK) AS AMNTC from "{db}UCTYPOL.DB" AS UCP WHERE UID=2 and PID="1")", {}, "180,4518"},
    {"ItemsBrowseFiltered", R"(SELECT UID,NAME,SURNAME,PNAME,DESCR,TAXRATE,ITEMDATE,AMNTEUR,AMNTCZK,RATE,POLID,SURNAME+" "+NAME AS SNNAME FROM "{db}UCTYPOL.DB" AS U, "{db}POKOJE.DB" AS P, "{db}UCTY.DB" AS MU, "{db}KARTY.DB" AS K  WHERE U.PID = P.PID AND U.UID=MU.UID AND MU.KID=K.KID  AND PID='1' AND UID=1 AND KID=1 ORDER BY POLID)",
     {"POLID", "SNNAME", "ITEMDATE", "RATE"}, "1,Novak Jan,6.3.2004,25.1;2,Novak Jan,7.3.2004,25.1"},
    {"ItemsBrowseUnfiltered", R"(SELECT UID,NAME,SURNAME,PNAME,DESCR,TAXRATE,ITEMDATE,AMNTEUR,AMNTCZK,RATE,POLID,SURNAME+" "+NAME AS SNNAME FROM "{db}UCTYPOL.DB" AS U, "{db}POKOJE.DB" AS P, "{db}UCTY.DB" AS MU, "{db}KARTY.DB" AS K  WHERE U.PID = P.PID AND U.UID=MU.UID AND MU.KID=K.KID   ORDER BY POLID)",
     {"POLID", "SNNAME"}, "1,Novak Jan;2,Novak Jan;3,novák Petr;4,novák Petr"},
    {"Rates", R"(SELECT * FROM "{db}KURZY.DB" ORDER BY RDATE DESC, CRCD)", {"RDATE", "CRR"}, "10.3.2004,25.4;1.3.2004,25.1"},
    {"ClientAccounts", R"(SELECT * from "{db}UCTY.DB" WHERE kid=1 ORDER BY uid)", {"UID"}, "1"},
    {"PassportDuplicate", R"(SELECT KID, PASSPORT, SURNAME, NAME FROM "{db}KARTY.DB" WHERE KID<>2 AND PASSPORT="P1")", {}, "1,P1,Novak,Jan"},
    {"PassportOwnCard", R"(SELECT KID, PASSPORT, SURNAME, NAME FROM "{db}KARTY.DB" WHERE KID<>1 AND PASSPORT="P1")", {}, ""},
    {"CardDuplicate", R"(SELECT KID, CARDNUM, SURNAME, NAME FROM "{db}KARTY.DB" WHERE KID<>0 AND CARDNUM="4111")", {}, "1,4111,Novak,Jan"},
    {"ClientsDictionaryOrder", R"(SELECT * FROM "{db}KARTY.DB" ORDER BY SURNAME, NAME)", {"SURNAME"}, "Černý;Novak;novák;O'Brien"},
    {"ClientSearch", R"(SELECT * FROM "{db}KARTY.DB" WHERE (SURNAME like "%ov%") and (CITY = "Brno") ORDER BY SURNAME, NAME)", {"SURNAME"}, "Novak"},
    {"ClientSearchEmptyLike", R"(SELECT * FROM "{db}KARTY.DB" WHERE (SURNAME like "%%") ORDER BY SURNAME, NAME)", {"KID"}, "4;1;3;2"},
    {"Confirmation", R"(SELECT PNAME,PPRICE,PDESCR,MAIDPRICE, AGENCY,   DATEFROM,DATETHRU, DATETHRU-DATEFROM as NIGHTS,   TITLE,SURNAME,NAME, NAME+" "+SURNAME AS CLIENT, PASSPORT,COUNTRY,   CARDNUM, CARDEXP,CARDTYPE,NUMPERS,PRICEEUR,MAIDEUR from "{db}POKOJE.DB" AS POK,"{db}POBYTY.DB" AS POB,      "{db}KARTY.DB" AS KAR WHERE POB.BID=1 and POB.PID=POK.PID and KAR.KID=POB.KID)",
     {"PNAME", "AGENCY", "NIGHTS", "CLIENT", "PRICEEUR"}, "Room one,Ckm,3,Jan Novak,150"},
    {"ConfirmationAllFields", R"(SELECT POB.*, POK.*, KAR.*, DATETHRU-DATEFROM as NIGHTS, NAME+" "+SURNAME AS CLIENT from "{db}POKOJE.DB" AS POK,"{db}POBYTY.DB" AS POB,      "{db}KARTY.DB" AS KAR WHERE POB.BID=1 and POB.PID=POK.PID and KAR.KID=POB.KID)",
     {"BID", "PNAME", "SURNAME", "NIGHTS", "CLIENT"}, "1,Room one,Novak,3,Jan Novak"},
    {"CardOfStay", R"(SELECT KID, CARDNUM, CARDTYPE, CARDEXP from "{db}POBYTY.DB" AS POB,      "{db}KARTY.DB" AS KAR WHERE POB.BID=1 and KAR.KID=POB.KID)", {}, "1,4111,,"},
    {"RegistrationCard", R"(SELECT PNAME,PPRICE,PDESCR,PID,MAIDPRICE,   DATEFROM,DATETHRU, DATETHRU-DATEFROM as NIGHTS,   TITLE,SURNAME,NAME, NAME+" "+SURNAME AS CLIENT, PASSPORT,COUNTRY,   CARDNUM, CARDEXP, CARDTYPE, NUMPERS,PRICEEUR,MAIDEUR, DATEBIRTH, PLACEBIRTH,   ADDRESS, CITY, POSTAL from "{db}POKOJE.DB" AS POK,"{db}POBYTY.DB" AS POB,      "{db}KARTY.DB" AS KAR WHERE POB.BID=1 and POB.PID=POK.PID and KAR.KID=POB.KID)",
     {"PNAME", "PID", "DATEBIRTH", "CITY", "NIGHTS"}, "Room one,1,12.5.1970,Brno,3"},
    {"Labels", R"(SELECT * from "{db}KARTY.DB" WHERE SURNAME<>"" and ADDRESS<>"" and CITY<>"" ORDER BY surname,name)", {"SURNAME"}, "Černý;Novak;novák"},
    {"Reminders", R"(SELECT * from "{db}POZNAMKY.DB" WHERE typ="R" ORDER BY dat,tim)", {"TXT", "DAT", "TIM"}, "Check boiler,5.3.2004,9:30:00;Wake up room 1,6.3.2004,7:00:00"},
    {"NotesOnly", R"(SELECT * FROM "{db}POZNAMKY.DB" WHERE typ='N' ORDER BY dat,tim)", {"TXT"}, "Call Novak"},
    {"RemindersSingleQuoted", R"(SELECT * FROM "{db}POZNAMKY.DB" WHERE typ='R' ORDER BY dat,tim)", {"RMID"}, "3;2"},
    {"AllNotes", R"(SELECT * FROM "{db}POZNAMKY.DB"  ORDER BY dat,tim)", {"RMID"}, "1;3;2"},
    {"NoteById", R"(SELECT * from "{db}POZNAMKY.DB" WHERE rmid=2)", {"TXT", "DATTIM"}, "Wake up room 1,38052.2916666667"},
    {"StatsRooms", R"(SELECT PID FROM "{db}POKOJE.DB" ORDER BY PID)", {}, "1;2;3"},
    {"StatsStays", R"(SELECT PID, DATEFROM, DATETHRU, STATUS FROM "{db}POBYTY.DB" WHERE DATETHRU>"1.3.2004"   AND DATEFROM<="9.3.2004"   AND STATUS<>"P")", {"PID", "STATUS"}, "1,H;1,O;3,X", true},
};

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }

const auto kStorages = ::testing::Values(Storage::Files, Storage::Server);

template <class Case>
std::string caseName(const ::testing::TestParamInfo<std::tuple<Storage, Case>>& info) {
    return storageName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
}

class Corpus : public ::testing::TestWithParam<std::tuple<Storage, QueryCase>> {
protected:
    // One filled database per storage serves every query.
    static const TestDb& filled(Storage s) {
        static const TestDb files = filledDb(Storage::Files);
        if (s == Storage::Files) return files;
        static const TestDb server = filledDb(Storage::Server);
        return server;
    }
};

TEST_P(Corpus, ReturnsTheExpectedRows) {
    const auto& [storage, c] = GetParam();
    const TestDb& t = filled(storage);
    engine::Database db(t.location);
    EXPECT_EQ(dump(db, withDb(c.sql, t.prefix), c.columns, c.sorted), c.expected) << c.sql;
}

INSTANTIATE_TEST_SUITE_P(Statements, Corpus, ::testing::Combine(kStorages, ::testing::ValuesIn(kQueries)),
                         caseName<QueryCase>);

struct ChangeCase {
    const char* name;
    const char* sql;
    std::int64_t changes;
    const char* verify;
    std::vector<std::string> columns;
    const char* expected;
};

const std::vector<ChangeCase> kChanges = {
    {"DeleteReservation", R"(DELETE from "{db}POBYTY.DB" WHERE bid=2)", 1, R"(SELECT BID FROM "{db}POBYTY.DB" ORDER BY BID)", {}, "1;3;4;5"},
    {"RemoveExpired", R"(DELETE FROM "{db}POBYTY.DB" WHERE STATUS="P" and PRTHRU<"5.3.2004")", 1, R"(SELECT BID FROM "{db}POBYTY.DB" ORDER BY BID)", {}, "1;3;4;5"},
    {"RemoveExpiredNoneYet", R"(DELETE FROM "{db}POBYTY.DB" WHERE STATUS="P" and PRTHRU<"04.03.2004")", 0, R"(SELECT count(*) AS N FROM "{db}POBYTY.DB")", {}, "5"},
    {"AddStayToAccount", R"(UPDATE "{db}POBYTY.DB" SET UID=1, STATUS="H" WHERE (UID is null OR UID=0) and (KID=2) AND (PID="2"))", 1, R"(SELECT UID, STATUS FROM "{db}POBYTY.DB" WHERE BID=5)", {}, "1,H"},
    {"CheckOut", R"(UPDATE "{db}POBYTY.DB" SET STATUS="O", DATEOUT="8.3.2004", TIMEOU="10:15:0" WHERE (UID=1) and (KID=1) AND (PID="1") AND (STATUS="H"))", 1,
     R"(SELECT STATUS, DATEOUT, TIMEOU FROM "{db}POBYTY.DB" WHERE BID=1)", {}, "O,8.3.2004,10:15:00"},
    {"AccommodationItem", R"(INSERT INTO "{db}UCTYPOL.DB" (UID,PID,UPID,DESCR,ITEMDATE,AMNTEUR,AMNTCZK,  TAXRATE,RATE,USR,UPMJ,UPMT) VALUES (1, "1", 1, "Accomodation - Room one", "8.3.2004",       150.00,      3765.00,       21.00,     25.1000, "", "8.3.2004", "10:15:0"))", 1,
     R"(SELECT max(POLID) AS M, SUM(AMNTEUR) AS S FROM "{db}UCTYPOL.DB" WHERE UID=1)", {}, "5,165"},
    {"DeleteAccountItems", R"(DELETE FROM "{db}UCTYPOL.DB" WHERE UID=2)", 2, R"(SELECT POLID FROM "{db}UCTYPOL.DB" ORDER BY POLID)", {}, "1;2"},
    {"DeleteAccountStays", R"(DELETE FROM "{db}POBYTY.DB" WHERE UID=2)", 1, R"(SELECT BID FROM "{db}POBYTY.DB" WHERE UID=2)", {}, ""},
    {"DeleteAccount", R"(DELETE FROM "{db}UCTY.DB" WHERE UID=2)", 1, R"(SELECT UID FROM "{db}UCTY.DB")", {}, "1"},
    {"ReservationUpdate", R"(UPDATE "{db}POBYTY.DB" SET  KID=2, PID="2", DATEFROM="21.03.2004", DATETHRU="26.03.2004", STATUS="R",   PRTHRU="  .  .    ", NUMPERS=3, BUSINESS="0", PRICEEUR=      300.00, PRICECZK=     7530.00, MAIDEUR=       60.00, MAIDCZK=     1506.00, BOOKEDFOR="", BOOKEDKNFR=" ",   DISCOUNT=" ", USR="", UPMJ="9.3.2004", UPMT="9:5:7" WHERE BID=5)", 1,
     R"(SELECT DATEFROM, DATETHRU, NUMPERS, UPMJ, UPMT FROM "{db}POBYTY.DB" WHERE BID=5 AND PRTHRU is null)", {}, "21.3.2004,26.3.2004,3,9.3.2004,9:05:07"},
    {"ReservationInsertWithApostrophe", R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS,  BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK,  BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (0, "3", "01.04.2004", "03.04.2004", "P", "25.03.2004", 2, "0",       100.00,      2540.00,        0.00,        0.00, "O"+''''+"Neil", " ", " ", "", "9.3.2004", "9:5:7"))", 1,
     R"(SELECT max(BID) AS BIDMAX FROM "{db}POBYTY.DB")", {}, "6"},
    {"CheckIn", R"(UPDATE "{db}POBYTY.DB" SET UID=3, STATUS="H", DATEIN="20.3.2004", TIMEIN="14:0:0" WHERE (UID is null OR UID=0) and (KID=2) and (BID=5) AND (PID="2" OR PID="3"))", 1,
     R"(SELECT UID, STATUS, DATEIN, TIMEIN FROM "{db}POBYTY.DB" WHERE BID=5)", {}, "3,H,20.3.2004,14:00:00"},
    {"CheckInWrongRoom", R"(UPDATE "{db}POBYTY.DB" SET UID=3, STATUS="H", DATEIN="20.3.2004", TIMEIN="14:0:0" WHERE (UID is null OR UID=0) and (KID=2) and (BID=5) AND (PID="1"))", 0,
     R"(SELECT STATUS FROM "{db}POBYTY.DB" WHERE BID=5)", {}, "R"},
    {"RoomDetailItem", R"(INSERT INTO "{db}UCTYPOL.DB" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (1, "1", 3, "Minibar", "7.3.2004",         5.00,       125.50, 21, 25.1000, "", "7.3.2004", "21:0:0"))", 1,
     R"(SELECT SUM(AMNTCZK) AS C FROM "{db}UCTYPOL.DB" WHERE UID=1)", {}, "502"},
    {"RateInsert", R"(INSERT INTO "{db}KURZY.DB" (RDATE, CRCD, CRR) VALUES ("15.03.2004", "EUR", 25.5000))", 1, R"(SELECT RDATE FROM "{db}KURZY.DB" ORDER BY RDATE DESC)", {}, "15.3.2004;10.3.2004;1.3.2004"},
    {"RateUpdate", R"(UPDATE "{db}KURZY.DB" SET CRR=25.6000 WHERE RDATE="10.03.2004" and CRCD="EUR")", 1, R"(SELECT CRR FROM "{db}KURZY.DB" WHERE RDATE="10.3.2004")", {}, "25.6"},
    {"ClientInsert", R"(INSERT INTO "{db}KARTY.DB" ( SURNAME,NAME,TITLE,ADDRESS,CITY,POSTAL,COUNTRY,TEL,FAX, PLACEBIRTH,DATEBIRTH,PASSPORT,PASSDATE,PASSPLACE, CARDNUM,CARDEXP,CARDTYPE,RATING,AGENCY,KNOWSFROM, COMMENT,USR,UPMJ,UPMT) VALUES ( "Smith", "John", "", "Main St 1", "London", "W1", "UK", "", "", "", null, "X9", "05.03.2004", "London", "", "", "", "3", "", "W", "VIP", "", "9.3.2004", "9:5:7"))", 1,
     R"(SELECT KID, DATEBIRTH, PASSDATE, RATING FROM "{db}KARTY.DB" WHERE SURNAME="Smith" AND DATEBIRTH is null)", {}, "5,,5.3.2004,3"},
    {"ClientUpdate", R"(UPDATE "{db}KARTY.DB" SET SURNAME="O"+''''+"Brien", NAME="Sean", TITLE="Dr", ADDRESS="", CITY="Cork", POSTAL="", COUNTRY="IE", TEL="", FAX="", PLACEBIRTH="", DATEBIRTH=null, PASSPORT="P2", PASSDATE="1.2.03", PASSPLACE="", CARDNUM="", CARDEXP="", CARDTYPE="", RATING="5", AGENCY="", KNOWSFROM="W", COMMENT="", USR="", UPMJ="9.3.2004", UPMT="9:5:7" WHERE KID=2)", 1,
     R"(SELECT SURNAME, TITLE, CITY, PASSDATE FROM "{db}KARTY.DB" WHERE KID=2)", {}, "O'Brien,Dr,Cork,1.2.2003"},
    {"CardUpdate", R"(UPDATE "{db}KARTY.DB" SET  CARDNUM="5500",  CARDTYPE="Master",  CARDEXP="12/05"  WHERE KID=1)", 1, R"(SELECT CARDNUM, CARDTYPE, CARDEXP FROM "{db}KARTY.DB" WHERE KID=1)", {}, "5500,Master,12/05"},
    {"ClientDelete", R"(DELETE FROM "{db}KARTY.DB" WHERE KID=4)", 1, R"(SELECT count(*) AS N FROM "{db}KARTY.DB")", {}, "3"},
    {"NoteDelete", R"(DELETE FROM "{db}POZNAMKY.DB" WHERE rmid=1)", 1, R"(SELECT RMID FROM "{db}POZNAMKY.DB" ORDER BY RMID)", {}, "2;3"},
    {"NoteInsert", R"(INSERT INTO "{db}POZNAMKY.DB" (txt,typ,usr,upmj,upmt) VALUES ("Line oneÿLine `two`","N","","9.3.2004","9:5:7"))", 1,
     R"(SELECT RMID, TXT FROM "{db}POZNAMKY.DB" WHERE typ='N' ORDER BY RMID DESC)", {}, "4,Line oneÿLine `two`;1,Call Novak"},
    {"ReminderInsert", R"(INSERT INTO "{db}POZNAMKY.DB" (txt,typ,dat,tim,dattim,usr,upmj,upmt) VALUES ("Taxi","R","09.03.2004", "18:45:00", 38055.7812500000, "","9.3.2004","9:5:7"))", 1,
     R"(SELECT TXT FROM "{db}POZNAMKY.DB" WHERE typ="R" ORDER BY dat,tim)", {}, "Check boiler;Wake up room 1;Taxi"},
    {"NoteUpdate", R"(UPDATE "{db}POZNAMKY.DB" SET txt="Call Novak back", typ="N", usr="", upmj="9.3.2004", upmt="9:5:7"  WHERE rmid=1)", 1, R"(SELECT TXT, UPMT FROM "{db}POZNAMKY.DB" WHERE rmid=1)", {}, "Call Novak back,9:05:07"},
    {"ReminderUpdate", R"(UPDATE "{db}POZNAMKY.DB" SET txt="Wake up", typ="R", dat="07.03.2004", tim="06:30:00", dattim=38053.2708333333, usr="", upmj="9.3.2004", upmt="9:5:7"  WHERE rmid=2)", 1,
     R"(SELECT TXT, DAT, TIM FROM "{db}POZNAMKY.DB" WHERE rmid=2)", {}, "Wake up,7.3.2004,6:30:00"},
    {"ReminderPostpone", R"(UPDATE "{db}POZNAMKY.DB" SET txt="Check boiler", dat="05.03.2004",  tim="09:45:00", dattim=38051.4062500000 WHERE rmid=3)", 1,
     R"(SELECT TIM, UPMJ FROM "{db}POZNAMKY.DB" WHERE rmid=3)", {}, "9:45:00,1.3.2004"},
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class CorpusChanges : public ::testing::TestWithParam<std::tuple<Storage, ChangeCase>> {};

TEST_P(CorpusChanges, ChangeTheExpectedRows) {
    const auto& [storage, c] = GetParam();
    const TestDb t = filledDb(storage);
    engine::Database db(t.location);
    EXPECT_EQ(db.execute(withDb(c.sql, t.prefix)), c.changes) << c.sql;
    EXPECT_EQ(dump(db, withDb(c.verify, t.prefix), c.columns), c.expected) << c.verify;
}

INSTANTIATE_TEST_SUITE_P(Statements, CorpusChanges, ::testing::Combine(kStorages, ::testing::ValuesIn(kChanges)),
                         caseName<ChangeCase>);

}  // namespace
