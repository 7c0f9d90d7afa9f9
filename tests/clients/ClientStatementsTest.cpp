// The client statements without a display: the save statements as the console users know
// them, what a quoted or apostrophed value turns into, the required-field list, the filter
// conditions and the row kept after a delete.
#include <gtest/gtest.h>

#include "clients/ClientStatements.h"

using namespace clients;

namespace {

ClientCardValues sample()
{
    ClientCardValues v;
    v.surname = "Smith";
    v.name = "Anna";
    v.title = "Dr.";
    v.address = "Main 1";
    v.city = "Brno";
    v.postal = "60200";
    v.country = "CZ";
    v.tel = "1";
    v.fax = "2";
    v.birthPlace = "Olomouc";
    v.birthDate = "05.03.1970";
    v.passport = "P1";
    v.passDate = "  .  .    ";
    v.passPlace = "Brno";
    v.cardNum = "4111";
    v.cardExp = "12/06";
    v.cardType = "VISA";
    v.rating = "2";
    v.agency = "CK";
    v.knowsFrom = "W";
    v.comment = "ok";
    return v;
}

}  // namespace

TEST(ClientStatements, InsertForANewCard)
{
    EXPECT_EQ(clientSaveStatement("/db/", 0, sample(), "", "5.3.2004", "9:5:7").toStdString(),
              "INSERT INTO \"/db/KARTY.DB\" ( SURNAME,NAME,TITLE,ADDRESS,CITY,POSTAL,COUNTRY,TEL,FAX, "
              "PLACEBIRTH,DATEBIRTH,PASSPORT,PASSDATE,PASSPLACE, CARDNUM,CARDEXP,CARDTYPE,RATING,AGENCY,KNOWSFROM, "
              "COMMENT,USR,UPMJ,UPMT) VALUES ( \"Smith\", \"Anna\", \"Dr.\", \"Main 1\", \"Brno\", \"60200\", \"CZ\", "
              "\"1\", \"2\", \"Olomouc\", \"05.03.1970\", \"P1\", null, \"Brno\", \"4111\", \"12/06\", \"VISA\", "
              "\"2\", \"CK\", \"W\", \"ok\", \"\", \"5.3.2004\", \"9:5:7\")");
}

TEST(ClientStatements, UpdateOfAnExistingCard)
{
    EXPECT_EQ(clientSaveStatement("/db/", 17, sample(), "", "5.3.2004", "9:5:7").toStdString(),
              "UPDATE \"/db/KARTY.DB\" SET SURNAME=\"Smith\", NAME=\"Anna\", TITLE=\"Dr.\", ADDRESS=\"Main 1\", "
              "CITY=\"Brno\", POSTAL=\"60200\", COUNTRY=\"CZ\", TEL=\"1\", FAX=\"2\", PLACEBIRTH=\"Olomouc\", "
              "DATEBIRTH=\"05.03.1970\", PASSPORT=\"P1\", PASSDATE=null, PASSPLACE=\"Brno\", CARDNUM=\"4111\", "
              "CARDEXP=\"12/06\", CARDTYPE=\"VISA\", RATING=\"2\", AGENCY=\"CK\", KNOWSFROM=\"W\", COMMENT=\"ok\", "
              "USR=\"\", UPMJ=\"5.3.2004\", UPMT=\"9:5:7\" WHERE KID=17");
}

TEST(ClientStatements, QuotesAndApostrophesInValues)
{
    ClientCardValues v = sample();
    v.surname = "O'Brien";
    v.name = "Jan \"Honza\"";
    const std::string sql = clientSaveStatement("/db/", 3, v, "", "5.3.2004", "9:5:7").toStdString();
    EXPECT_NE(sql.find("SURNAME=\"O\"+''''+\"Brien\""), std::string::npos) << sql;
    EXPECT_NE(sql.find("NAME=\"Jan \"\"Honza\"\"\""), std::string::npos) << sql;
}

TEST(ClientStatements, AnApostropheInTheFolderPathStaysInTheTableReference)
{
    ClientCardValues v = sample();
    v.surname = "O'Brien";
    const std::string sql = clientSaveStatement("/home/d'arcy/DB/", 3, v, "", "5.3.2004", "9:5:7").toStdString();
    EXPECT_EQ(sql.rfind("UPDATE \"/home/d'arcy/DB/KARTY.DB\" SET SURNAME=\"O\"+''''+\"Brien\", ", 0), 0u) << sql;
}

TEST(ClientStatements, RequiredFields)
{
    const struct {
        const char* what;
        void (*change)(ClientCardValues&);
        std::vector<std::string> missing;
    } cases[] = {
        {"all filled", [](ClientCardValues&) {}, {}},
        {"empty surname and city", [](ClientCardValues& v) { v.surname = ""; v.city = ""; }, {"surname", "city"}},
        {"single blanks count as empty", [](ClientCardValues& v) { v.postal = " "; v.cardType = " "; },
         {"postal code", "card type"}},
        {"two blanks are a value", [](ClientCardValues& v) { v.country = "  "; }, {}},
        {"no referral", [](ClientCardValues& v) { v.knowsFrom = ""; }, {"knows from"}},
        {"blank referral code", [](ClientCardValues& v) { v.knowsFrom = " "; }, {"knows from"}},
        {"optional fields", [](ClientCardValues& v) { v.title = v.tel = v.fax = v.comment = v.agency = ""; }, {}},
        {"everything empty", [](ClientCardValues& v) { v = ClientCardValues{}; },
         {"surname", "name", "address", "city", "postal code", "country", "passport number", "card number",
          "card type", "card expiration date", "knows from"}},
    };
    for (const auto& c : cases) {
        ClientCardValues v = sample();
        c.change(v);
        std::vector<std::string> got;
        for (const QString& s : missingRequiredFields(v)) got.push_back(s.toStdString());
        EXPECT_EQ(got, c.missing) << c.what;
    }
    EXPECT_EQ(requiredFieldsText("Fill:", {"a", "b"}).toStdString(), "Fill:\r\n\r\na\r\nb");
}

TEST(ClientStatements, DuplicateChecksExcludeTheCardItself)
{
    EXPECT_EQ(duplicateCheckSql("/db/", DuplicateKind::Passport, 0, "P\"1").toStdString(),
              "SELECT KID, PASSPORT, SURNAME, NAME FROM \"/db/KARTY.DB\" WHERE KID<>0 AND PASSPORT=\"P\"\"1\"");
    EXPECT_EQ(duplicateCheckSql("/db/", DuplicateKind::CardNumber, 12, "4111").toStdString(),
              "SELECT KID, CARDNUM, SURNAME, NAME FROM \"/db/KARTY.DB\" WHERE KID<>12 AND CARDNUM=\"4111\"");
}

TEST(ClientStatements, FilterConditions)
{
    const struct {
        const char *field, *operation, *value, *condition;
    } cases[] = {
        {"SURNAME", "like", "Nov", "(SURNAME like \"%Nov%\")"},
        {"CITY", "=", "Brno", "(CITY = \"Brno\")"},
        {"SURNAME", "like", "", "(SURNAME like \"%%\")"},
        {"SURNAME", "=", "O'Neil", "(SURNAME = \"O\"+''''+\"Neil\")"},
        {"NAME", "<>", "say \"hi\"", "(NAME <> \"say \"\"hi\"\"\")"},
        {"KID", ">=", "10", "(KID >= \"10\")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filterCondition(c.field, c.operation, c.value).toStdString(), c.condition) << c.condition;

    QString filter;
    filter = appendCondition(filter, "(A = \"1\")");
    EXPECT_EQ(filter.toStdString(), " WHERE (A = \"1\")");
    filter = appendCondition(filter, "(B = \"2\")");
    EXPECT_EQ(clientListSql("/db/", filter).toStdString(),
              "SELECT * FROM \"/db/KARTY.DB\" WHERE (A = \"1\") and (B = \"2\") ORDER BY SURNAME, NAME");
    EXPECT_EQ(clientListSql("/db/", "").toStdString(), "SELECT * FROM \"/db/KARTY.DB\" ORDER BY SURNAME, NAME");
}

TEST(ClientStatements, RowAfterDelete)
{
    const struct { int remembered, count, expected; } cases[] = {
        {4, 4, 3},   // the last of five deleted: the new last row
        {1, 4, 1},   // a middle row: the same row number
        {0, 4, 0},
        {0, 0, -1},  // the only row deleted
        {2, 5, 2},   // the delete failed: the same row
        {-1, 3, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rowAfterDelete(c.remembered, c.count), c.expected) << c.remembered << " of " << c.count;
}
