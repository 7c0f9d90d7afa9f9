// The dialect's rules on a filled folder and on a filled database on the test server:
// literals, type resolution, name resolution, ordering, errors, and that a failed statement
// changes nothing.
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using enginetest::dump;
using enginetest::filledDb;
using enginetest::filledFolder;
using enginetest::Storage;
using enginetest::storageName;
using enginetest::TestDb;
using enginetest::withDb;

namespace {

class Dialect : public ::testing::TestWithParam<Storage> {
protected:
    const TestDb t = filledDb(GetParam());
    std::string folder = t.prefix;  // what {db} stands for
    engine::Database db{t.location};
    bool onFiles() const { return GetParam() == Storage::Files; }
    std::string rows(const std::string& sql, const std::vector<std::string>& cols = {}, bool sorted = false) {
        return dump(db, withDb(sql, folder), cols, sorted);
    }
    std::int64_t run(const std::string& sql) { return db.execute(withDb(sql, folder)); }
    std::string error(const std::string& sql) {
        try {
            db.execute(withDb(sql, folder));
        } catch (const engine::Error& e) {
            return e.what();
        }
        return "no error";
    }
};

INSTANTIATE_TEST_SUITE_P(Storages, Dialect, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return storageName(info.param); });

struct RowsCase {
    const char* sql;
    const char* expected;
};

TEST_P(Dialect, DatesInEitherFormCompareAsDays) {
    const RowsCase cases[] = {
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM="5.3.2004")", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM="05.03.2004")", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM="5.3.04")", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE "05.03.2004"=DATEFROM)", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM IN ("05.03.2004", "1.3.2004") ORDER BY BID)", "1;3;4"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM BETWEEN "02.03.2004" AND "20.3.2004" ORDER BY BID)", "1;2;5"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM > "9.3.2004" ORDER BY BID)", "5"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM < "1.4.2004" AND DATEFROM > "31.12.2003" ORDER BY BID)", "1;2;3;4;5"},
        {R"(SELECT BID, DATEFROM+1 AS D, DATETHRU-1 AS E, DATETHRU-DATEFROM AS N FROM "{db}POBYTY.DB" WHERE BID=1)", "1,6.3.2004,7.3.2004,3"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATETHRU-"1.3.2004" = 7)", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE TIMEIN="14:00:00")", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE TIMEIN="14:0:0")", "1"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEIN is null ORDER BY BID)", "2;3;4;5"},
        {R"(SELECT BID FROM "{db}POBYTY.DB" WHERE BID="1")", "1"},
        {R"(SELECT KID FROM "{db}KARTY.DB" WHERE KID IN ("1", "3") ORDER BY KID)", "1;3"},
        {R"(SELECT PID FROM "{db}POKOJE.DB" WHERE PID=2)", "2"},
    };
    for (const auto& c : cases) EXPECT_EQ(rows(c.sql), c.expected) << c.sql;
}

TEST_P(Dialect, EmptyAndBlankMaskDatesAreNull) {
    EXPECT_EQ(run(R"(UPDATE "{db}POBYTY.DB" SET DATEIN="", PRTHRU="  .  .    ", TIMEIN="" WHERE BID=1)"), 1);
    EXPECT_EQ(rows(R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEIN is null and PRTHRU is null and TIMEIN is null and BID=1)"), "1");
    EXPECT_EQ(rows(R"(SELECT DATEIN, PRTHRU FROM "{db}POBYTY.DB" WHERE BID=1)"), ",");
}

TEST_P(Dialect, InvalidDateIsAnErrorNamingItAndChangesNothing) {
    const std::string msg = error(R"(UPDATE "{db}POBYTY.DB" SET DATEFROM="31.2.2004" WHERE BID=1)");
    EXPECT_NE(msg.find("31.2.2004"), std::string::npos) << msg;
    EXPECT_NE(msg.find("DATEFROM"), std::string::npos) << msg;
    EXPECT_EQ(rows(R"(SELECT DATEFROM FROM "{db}POBYTY.DB" WHERE BID=1)"), "5.3.2004");
}

TEST_P(Dialect, QuotesAndApostrophes) {
    run(R"(UPDATE "{db}KARTY.DB" SET COMMENT="X"", COMMENT=""" WHERE KID=1)");
    EXPECT_EQ(rows(R"(SELECT COMMENT FROM "{db}KARTY.DB" WHERE KID=1)"), "X\", COMMENT=\"");
    run(R"(UPDATE "{db}KARTY.DB" SET COMMENT='It''s "fine"' WHERE KID=1)");
    EXPECT_EQ(rows(R"(SELECT COMMENT FROM "{db}KARTY.DB" WHERE KID=1)"), "It's \"fine\"");
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME="O"+''''+"Brien")"), "2");
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME='O''Brien')"), "2");
    // A double quote inside a value breaks the statement: it fails and changes nothing.
    EXPECT_NE(error(R"(UPDATE "{db}KARTY.DB" SET COMMENT="He said "hi"" WHERE KID=1)").find("Syntax error"), std::string::npos);
    EXPECT_EQ(rows(R"(SELECT COMMENT FROM "{db}KARTY.DB" WHERE KID=1)"), "It's \"fine\"");
}

TEST_P(Dialect, TextTooLongIsRefusedNamingColumnAndWidth) {
    const std::string msg = error(R"(UPDATE "{db}POKOJE.DB" SET PNAME="1234567890123456789012345678901" WHERE PID="1")");
    EXPECT_NE(msg.find("PNAME"), std::string::npos) << msg;
    EXPECT_NE(msg.find("30"), std::string::npos) << msg;
    EXPECT_EQ(rows(R"(SELECT PNAME FROM "{db}POKOJE.DB" WHERE PID="1")"), "Room one");
    // Widths count characters, not bytes.
    EXPECT_EQ(run(R"(UPDATE "{db}POKOJE.DB" SET PNAME="ŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘŘ" WHERE PID="1")"), 1);
    // One bad row of several: none is written.
    EXPECT_NE(error(R"(INSERT INTO "{db}ODKUDVI.DB" (FID, FDESCR) VALUES ("X", "ok"), ("YY", "too long code"))").find("FID"),
              std::string::npos);
    EXPECT_EQ(rows(R"(SELECT count(*) AS N FROM "{db}ODKUDVI.DB")"), "3");
}

TEST_P(Dialect, DuplicateKeyIsRefusedAndNothingApplied) {
    const std::string msg =
        error(R"(INSERT INTO "{db}POKOJE.DB" (PID, PNAME) SELECT PID, PNAME+" copy" FROM "{db}POKOJE.DB" WHERE PID<>"9")");
    EXPECT_NE(msg.find("Key violation"), std::string::npos) << msg;
    EXPECT_NE(msg.find("POKOJE.DB"), std::string::npos) << msg;
    EXPECT_NE(msg.find("PID"), std::string::npos) << msg;
    EXPECT_EQ(rows(R"(SELECT count(*) AS N FROM "{db}POKOJE.DB")"), "3");
    EXPECT_NE(error(R"(INSERT INTO "{db}POKCENY.DB" (PID, DATEFROM, PPRICE) VALUES ("2", "2.1.2004", 1), ("1", "01.03.2004", 2))")
                  .find("PID, DATEFROM"),
              std::string::npos);
    EXPECT_EQ(rows(R"(SELECT count(*) AS N FROM "{db}POKCENY.DB")"), "3");
}

TEST_P(Dialect, InsertSelectReadsLiteralsByTheTargetColumns) {
    EXPECT_EQ(run(R"(INSERT INTO "{db}POKCENY.DB" (PID, DATEFROM, PPRICE, MAIDPRICE) SELECT PID, "1.1.2005", PPRICE*2, MAIDPRICE FROM "{db}POKOJE.DB")"), 3);
    EXPECT_EQ(rows(R"(SELECT PID, PPRICE FROM "{db}POKCENY.DB" WHERE DATEFROM="01.01.2005" ORDER BY PID)"), "1,100;2,120;3,160");
}

TEST_P(Dialect, AutoincrementKeysAreNeverReused) {
    run(R"(DELETE FROM "{db}POBYTY.DB" WHERE BID=5)");
    run(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, STATUS) VALUES (0, "1", "P"))");
    EXPECT_EQ(rows(R"(SELECT max(BID) AS BIDMAX FROM "{db}POBYTY.DB")"), "6");
    // A key the statement (or a cursor) stores itself: the table's next keys come after it.
    run(R"(INSERT INTO "{db}POBYTY.DB" (BID, KID, PID, STATUS) VALUES (20, 0, "1", "P"))");
    run(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, STATUS) VALUES (0, "2", "P"))");
    auto c = db.openTable(folder + "POBYTY.DB");
    c->append();
    c->setValue(c->fieldIndex("BID"), std::int64_t{30});
    c->post();
    c->append();
    c->setText(c->fieldIndex("PID"), "3");
    c->post();
    EXPECT_EQ(c->lastKey(), 31);
    EXPECT_EQ(rows(R"(SELECT BID, PID FROM "{db}POBYTY.DB" WHERE BID>5 ORDER BY BID)"), "6,1;20,1;21,2;30,;31,3");
}

// Windows list a table's rows as they come: all rows of a table with an autoincrement key
// come in key order, also after a row was written.
TEST_P(Dialect, RowsOfOneTableComeInKeyOrderWhenNoOrderIsAsked) {
    run(R"(UPDATE "{db}POBYTY.DB" SET NUMPERS=4 WHERE BID=1)");
    run(R"(UPDATE "{db}UCTYPOL.DB" SET DESCR="Mini bar" WHERE POLID=1)");
    EXPECT_EQ(rows(R"(SELECT * FROM "{db}POBYTY.DB")", {"BID"}), "1;2;3;4;5");
    EXPECT_EQ(rows(R"(SELECT * FROM "{db}UCTYPOL.DB")", {"POLID", "DESCR"}),
              "1,Mini bar;2,Phone;3,Accomodation - Room one;4,Maid service - Room one");
}

TEST_P(Dialect, GroupsComeBackInDictionaryOrderOfTheGroupingColumns) {
    EXPECT_EQ(rows(R"(SELECT SURNAME, COUNT(*) AS N FROM "{db}KARTY.DB" GROUP BY SURNAME)"), "Černý,1;Novak,1;novák,1;O'Brien,1");
    EXPECT_EQ(rows(R"(SELECT CITY, COUNT(*) AS N FROM "{db}KARTY.DB" GROUP BY CITY ORDER BY N DESC, CITY)"), "Brno,2;Dublin,1;Praha,1");
    EXPECT_EQ(rows(R"(SELECT UPID, SUM(AMNTEUR) AS S FROM "{db}UCTYPOL.DB" GROUP BY UPID HAVING SUM(AMNTEUR) > 9)"), "1,150;2,30;3,10");
    EXPECT_EQ(rows(R"(SELECT UID, SUM(AMNTEUR) AS S FROM "{db}UCTYPOL.DB" GROUP BY UID HAVING S > 20)"), "2,180") << "HAVING by alias";
}

TEST_P(Dialect, UnqualifiedColumnsResolveToTheFirstTableThatHasThem) {
    // No join condition: PID must be POBYTY's (first in FROM), whatever POKOJE holds.
    EXPECT_EQ(rows(R"(SELECT PID FROM "{db}POBYTY.DB" AS POB, "{db}POKOJE.DB" AS POK WHERE KID=1)"), "1;1;1");
    EXPECT_EQ(rows(R"(SELECT PID FROM "{db}POKOJE.DB" AS POK, "{db}POBYTY.DB" AS POB WHERE KID=1 ORDER BY PID)"), "1;2;3");
    EXPECT_EQ(rows(R"(SELECT U.POLID FROM "{db}UCTYPOL.DB" AS U, "{db}POKOJE.DB" AS P, "{db}UCTY.DB" AS MU, "{db}KARTY.DB" AS K WHERE UID=2 and PID="1" and U.PID=P.PID and U.UID=MU.UID and MU.KID=K.KID ORDER BY POLID)"), "3;4");
    EXPECT_NE(error(R"(SELECT NOSUCH FROM "{db}POKOJE.DB")").find("NOSUCH"), std::string::npos);
    EXPECT_NE(error(R"(SELECT X.PID FROM "{db}POKOJE.DB" AS P)").find("X"), std::string::npos);
}

TEST_P(Dialect, LikeIsCaseSensitiveWithPercentAndUnderscore) {
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME like "Nov%" ORDER BY KID)"), "1");
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME like "nov%" ORDER BY KID)"), "3");
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME like "_ovak" ORDER BY KID)"), "1") << "accents count";
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME like "_ov_k" ORDER BY KID)"), "1;3");
    EXPECT_EQ(rows(R"(SELECT KID FROM "{db}KARTY.DB" WHERE SURNAME not like "%v%" ORDER BY KID)"), "2;4");
}

TEST_P(Dialect, RowsAffectedAndReturned) {
    EXPECT_EQ(run(R"(UPDATE "{db}POBYTY.DB" SET NUMPERS=4 WHERE PID="1" or PID="2")"), 4);
    EXPECT_EQ(run(R"(DELETE FROM "{db}POBYTY.DB" WHERE BID=99)"), 0);
    EXPECT_EQ(run(R"(SELECT * FROM "{db}POBYTY.DB")"), 5);
    EXPECT_EQ(run(" SELECT * FROM \"{db}KARTY.DB\"\r\n"), 4) << "leading blank and trailing line break";
    EXPECT_EQ(run(R"(delete from "{db}POZNAMKY.DB";)"), 3);
}

TEST_P(Dialect, TablesByBareAndRelativeNames) {
    EXPECT_EQ(rows("SELECT PID FROM POKOJE ORDER BY PID"), "1;2;3");
    EXPECT_EQ(rows("SELECT PID FROM \"POKOJE.DB\" ORDER BY PID"), "1;2;3");
    EXPECT_EQ(rows("SELECT PID FROM POKOJE.DB AS P ORDER BY P.PID"), "1;2;3");
    EXPECT_EQ(rows("select pid from pokoje where pid='2'"), "2");
    const std::string msg = error("SELECT * FROM NOSUCH");
    EXPECT_NE(msg.find(folder + "NOSUCH.DB"), std::string::npos) << msg;  // on a server the folder is empty
}

TEST_P(Dialect, PlusJoinsTextsAndAddsNumbers) {
    EXPECT_EQ(rows(R"(SELECT PPRICE+MAIDPRICE AS T, PID+"x" AS C, PNAME+" "+PDESCR AS D FROM "{db}POKOJE.DB" WHERE PID="1")"), "60,1x,Room one Sea view");
    EXPECT_EQ(rows(R"(SELECT "From "+DATEFROM AS T FROM "{db}POBYTY.DB" WHERE BID=1)"), "From 5.3.2004");
    EXPECT_EQ(rows(R"(SELECT NAME+" "+TITLE AS T FROM "{db}KARTY.DB" WHERE KID=2)"), "Sean ") << "an empty part joins as empty";
    EXPECT_EQ(rows(R"(SELECT 7/2 AS H, 2*3+1 AS S FROM "{db}POKOJE.DB" WHERE PID="1")"), "3.5,7");
    EXPECT_NE(error(R"(SELECT PNAME-1 FROM "{db}POKOJE.DB")").find("Type mismatch"), std::string::npos);
    EXPECT_NE(error(R"(SELECT * FROM "{db}KARTY.DB" WHERE KID="12a")").find("12a"), std::string::npos);
}

TEST_P(Dialect, WhatAnAdministratorTypes) {
    const RowsCase cases[] = {
        {R"(SELECT UPPER(PNAME) AS U, LOWER(PNAME) AS L FROM "{db}POKOJE.DB" WHERE PID="3")", "APARTMÁ,apartmá"},
        {R"(SELECT SUBSTRING(PNAME FROM 1 FOR 4) AS S, TRIM("  x  ") AS T, TRIM(LEADING "R" FROM PNAME) AS R FROM "{db}POKOJE.DB" WHERE PID="1")", "Room,x,oom one"},
        {R"(SELECT CAST(PMETR AS INTEGER) AS I, CAST(DATEFROM AS CHAR(20)) AS D, CAST("7.3.2004" AS DATE) AS E FROM "{db}POKOJE.DB" AS P, "{db}POBYTY.DB" AS S WHERE S.BID=1 AND P.PID="1")", "20,5.3.2004,7.3.2004"},
        {R"(SELECT EXTRACT(YEAR FROM DATEFROM) AS Y, EXTRACT(MONTH FROM DATEFROM) AS M, EXTRACT(DAY FROM DATEFROM) AS D, EXTRACT(HOUR FROM TIMEIN) AS H FROM "{db}POBYTY.DB" WHERE BID=1)", "2004,3,5,14"},
        {R"(SELECT K.KID, U.UID FROM "{db}KARTY.DB" K LEFT OUTER JOIN "{db}UCTY.DB" U ON U.KID=K.KID ORDER BY K.KID)", "1,1;2,;3,2;4,"},
        {R"(SELECT K.KID, U.UID FROM "{db}KARTY.DB" AS K INNER JOIN "{db}UCTY.DB" AS U ON U.KID=K.KID ORDER BY K.KID)", "1,1;3,2"},
        {R"(SELECT COUNT(*) AS N, COUNT(AGENCY) AS A, MIN(DATEBIRTH) AS B, AVG(KID) AS V FROM "{db}KARTY.DB")", "4,3,12.5.1970,2.5"},
        {R"(SELECT DISTINCT CITY FROM "{db}KARTY.DB" ORDER BY CITY)", "Brno;Dublin;Praha"},
        {R"(SELECT PNAME N FROM "{db}POKOJE.DB" WHERE PID IN (SELECT PID FROM "{db}POBYTY.DB" WHERE STATUS="X"))", "Apartmá"},
        {R"(SELECT PID, PNAME FROM "{db}POKOJE.DB" ORDER BY 2 DESC)", "2,Room two;1,Room one;3,Apartmá"},
        {R"(SELECT PID, PNAME AS NM FROM "{db}POKOJE.DB" ORDER BY NM)", "3,Apartmá;1,Room one;2,Room two"},
        {R"(SELECT P.*, PPRICE-MAIDPRICE AS NET FROM "{db}POKOJE.DB" AS P ORDER BY NET DESC)", "3,Apartmá,,40,16711680,80,15,,1.3.2004,9:00:00,65;2,Room two,,15,65280,60,12,,1.3.2004,9:00:00,48;1,Room one,Sea view,20.5,255,50,10,,1.3.2004,9:00:00,40"},
        {R"(SELECT CASE WHEN PPRICE > 55 THEN "dear" ELSE "cheap" END AS C FROM "{db}POKOJE.DB" ORDER BY PID)", "cheap;dear;dear"},
        {R"(SELECT P.* FROM "{db}POKOJE.DB" AS P WHERE PID="2")", "2,Room two,,15,65280,60,12,,1.3.2004,9:00:00"},
        {R"(SELECT PID FROM "{db}POKOJE.DB" UNION SELECT PID FROM "{db}POBYTY.DB" ORDER BY 1)", "1;2;3"},
        {R"(SELECT KID FROM "{db}KARTY.DB" WHERE EXISTS (SELECT * FROM "{db}UCTY.DB" AS U WHERE U.KID=KARTY.KID) ORDER BY KID)", "1;3"},
    };
    for (const auto& c : cases) EXPECT_EQ(rows(c.sql), c.expected) << c.sql;
}

TEST_P(Dialect, CreateAndDropTablesAndIndexes) {
    EXPECT_EQ(run(R"(CREATE TABLE "{db}TEST.DB" (ID AUTOINC, CODE CHAR(2) NOT NULL, NAME VARCHAR(10), N SMALLINT, I INTEGER, F FLOAT, X NUMERIC, M MONEY, D DATE, T TIME, TS TIMESTAMP, B BOOLEAN, PRIMARY KEY (ID)))"), 0);
    if (onFiles()) EXPECT_TRUE(std::filesystem::exists(folder + "TEST.DB"));
    EXPECT_NE(error(R"(CREATE TABLE "{db}TEST.DB" (A INTEGER))").find("already exists"), std::string::npos);
    run(R"(INSERT INTO "{db}TEST.DB" (CODE, NAME, N, F, M, D, T, TS, B) VALUES ("ab", "x", 3, 1.5, 2.25, "1.2.2004", "8:0:0", "5.3.2004 9:05:00", "True"))");
    EXPECT_EQ(rows(R"(SELECT * FROM "{db}TEST.DB")"), "1,ab,x,3,,1.5,,2.25,1.2.2004,8:00:00,5.3.2004 9:05:00,True");
    EXPECT_NE(error(R"(INSERT INTO "{db}TEST.DB" (NAME) VALUES ("y"))").find("CODE"), std::string::npos) << "NOT NULL";
    run(R"(CREATE INDEX TEST_NAME ON "{db}TEST.DB" (NAME, D DESC))");
    run(R"(DROP INDEX "{db}TEST.DB".TEST_NAME)");
    EXPECT_NE(error(R"(DROP INDEX "{db}TEST.DB".TEST_NAME)").find("TEST_NAME"), std::string::npos);
    run(R"(CREATE TABLE "{db}PAIRS.DB" (A CHAR(3), B DATE, C FLOAT, PRIMARY KEY (A, B)))");
    run(R"(INSERT INTO "{db}PAIRS.DB" (A, B, C) VALUES ("x", "1.1.2004", 1))");
    EXPECT_NE(error(R"(INSERT INTO "{db}PAIRS.DB" (A, B, C) VALUES ("x", "01.01.2004", 2))").find("Key violation"), std::string::npos);
    run(R"(DROP TABLE "{db}TEST.DB")");
    if (onFiles()) EXPECT_FALSE(std::filesystem::exists(folder + "TEST.DB"));
    EXPECT_NE(error(R"(SELECT * FROM "{db}TEST.DB")").find("TEST.DB"), std::string::npos);
    EXPECT_NE(error(R"(CREATE TABLE "{db}BAD.DB" (A BLOBBY))").find("BLOBBY"), std::string::npos);
    if (onFiles()) EXPECT_FALSE(std::filesystem::exists(folder + "BAD.DB"));
    EXPECT_NE(error(R"(SELECT * FROM "{db}BAD.DB")").find("BAD.DB"), std::string::npos);
}

TEST_P(Dialect, ErrorsNameWhatIsWrong) {
    const std::string stmt = withDb(R"(SELECT PID FROM "{db}POKOJE.DB" WHERE PID = = 1)", folder);
    const std::string syntax = error(stmt);
    const std::string pos = "position " + std::to_string(stmt.rfind("= 1") + 1);
    EXPECT_NE(syntax.find(pos), std::string::npos) << syntax << " / " << pos;
    EXPECT_NE(syntax.find("near ="), std::string::npos) << syntax;
    EXPECT_NE(error("SELEKT 1").find("SELEKT"), std::string::npos);
    EXPECT_NE(error(R"(UPDATE "{db}POKOJE.DB" SET NOPE=1)").find("NOPE"), std::string::npos);
    EXPECT_NE(error(R"(SELECT FOO(PID) FROM "{db}POKOJE.DB")").find("FOO"), std::string::npos);
    EXPECT_NE(error(R"(INSERT INTO "{db}POKOJE.DB" (PID, PNAME) VALUES ("7"))").find("values"), std::string::npos);
}

TEST_P(Dialect, QueryCountsWithoutMovingAndFetchesOnDemand) {
    auto q = db.open(withDb(R"(SELECT BID, DATEFROM FROM "{db}POBYTY.DB" ORDER BY BID)", folder));
    EXPECT_EQ(q->rowCount(), 5);
    EXPECT_EQ(q->rowsRead(), 0);
    ASSERT_TRUE(q->next());
    EXPECT_EQ(q->integer("BID"), 1);
    EXPECT_EQ(q->number("DATEFROM"), 38051);
    EXPECT_EQ(q->fields()[1].type, engine::FieldType::Date);
    EXPECT_EQ(q->rowCount(), 5);
    int n = 1;
    while (q->next()) ++n;
    EXPECT_EQ(n, 5);
    EXPECT_EQ(q->text(0), "") << "no row after the end";
}

TEST_P(Dialect, TheSameTextOpenTwiceReadsIndependently) {
    const std::string sql = withDb(R"(SELECT PID FROM "{db}POKOJE.DB" ORDER BY PID)", folder);
    auto a = db.open(sql);
    auto b = db.open(sql);
    ASSERT_TRUE(a->next());
    ASSERT_TRUE(a->next());
    ASSERT_TRUE(b->next());
    EXPECT_EQ(a->text(0), "2");
    EXPECT_EQ(b->text(0), "1");
    EXPECT_EQ(db.execute(withDb(R"(UPDATE "{db}POKOJE.DB" SET PCOLOR=1 WHERE PID="3")", folder)), 1) << "writes while reading";
    a.reset();
    EXPECT_EQ(dump(db, sql), "1;2;3");
}

TEST_P(Dialect, SameShapeDifferentLiteralsAndFoldersGiveTheirOwnResults) {
    if (onFiles()) {  // one Database reaches one server database, but any number of folders
        const std::string other = filledFolder();
        db.execute(withDb(R"(DELETE FROM "{db}POKOJE.DB" WHERE PID="3")", other));
        const char* q = R"(SELECT count(*) AS N FROM "{db}POKOJE.DB" WHERE PID<>"x")";
        EXPECT_EQ(dump(db, withDb(q, folder)), "3");
        EXPECT_EQ(dump(db, withDb(q, other)), "2");
    }
    EXPECT_EQ(rows(R"(SELECT PID FROM "{db}POKOJE.DB" WHERE PID="1")"), "1");
    EXPECT_EQ(rows(R"(SELECT PID FROM "{db}POKOJE.DB" WHERE PID="2")"), "2");
    EXPECT_EQ(rows(R"(SELECT PID, PNAME FROM "{db}POKOJE.DB" ORDER BY 1)"), "1,Room one;2,Room two;3,Apartmá");
    EXPECT_EQ(rows(R"(SELECT PID, PNAME FROM "{db}POKOJE.DB" ORDER BY 2)"), "3,Apartmá;1,Room one;2,Room two");
    EXPECT_NE(error(R"(SELECT PID FROM "{db}POBYTY.DB" WHERE DATEFROM="x")").find("\"x\""), std::string::npos);
    EXPECT_EQ(rows(R"(SELECT BID FROM "{db}POBYTY.DB" WHERE DATEFROM="5.3.2004")"), "1");
}

}  // namespace
