// The printed documents' logic without a display: the card write-back run against a real
// client table in a folder whose path holds an apostrophe (values stored intact and within
// their widths), the purpose crosses, the daily rate, the check-in time, the stay lines and
// the account printout's lines and headings.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTime>
#include <memory>

#include "data/TableFiles.h"
#include "documents/AccountPrintout.h"
#include "documents/RegistrationCard.h"
#include "engine/Engine.h"

namespace {

struct WriteBackCase {
    const char* name;
    QString number, type, expiry;
    QString storedNumber, storedType, storedExpiry;
};

}  // namespace

TEST(RegistrationCard, WriteBackStoresValuesIntactWithinTheirWidths)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.filePath(QStringLiteral("O'Hara DB"));
    const QString db = data::folderPrefix(folder);
    auto database = std::make_unique<engine::Database>(folder.toStdString());
    data::createTables(*database, folder);
    database->execute(QStringLiteral("INSERT INTO \"%1KARTY.DB\" (SURNAME, CARDNUM) VALUES (\"Novák\", \"1\")").arg(db).toStdString());
    database->execute(QStringLiteral("INSERT INTO \"%1KARTY.DB\" (SURNAME, CARDNUM) VALUES (\"Other\", \"keep\")").arg(db).toStdString());

    const QString n25 = QStringLiteral("1234567890123456789012345");
    const WriteBackCase cases[] = {
        {"plain", "4111 1111", "VISA", "12/05", "4111 1111", "VISA", "12/05"},
        {"apostrophes", "41'11", "Diner's Club", "1'2", "41'11", "Diner's Club", "1'2"},
        {"double quotes", "\"4111\"", "EC\"MC", "\"", "\"4111\"", "EC\"MC", "\""},
        {"both", "a'b\"c", "'\"", "'", "a'b\"c", "'\"", "'"},
        {"too long", n25 + "678", "American Express Gold Card", "12/2005 extra", n25, "American Express Gol", "12/2005 ex"},
        {"long with quotes", QString(30, QLatin1Char('"')), "'''Diner's Club Internat", "ab'cdefghijk",
         QString(25, QLatin1Char('"')), "'''Diner's Club Inte", "ab'cdefghi"},
        {"empty", "", "", "", "", "", ""},
        {"Czech letters", "čř", "Žluťoučký", "ě/š", "čř", "Žluťoučký", "ě/š"},
    };
    for (const WriteBackCase& c : cases) {
        const QString sql = documents::cardWriteBackSql(db, 1, c.number, c.type, c.expiry);
        ASSERT_NO_THROW(database->execute(sql.toStdString())) << c.name << ": " << sql.toStdString();
        auto q = database->open(QStringLiteral("SELECT CARDNUM, CARDTYPE, CARDEXP FROM \"%1KARTY.DB\" WHERE KID=1").arg(db).toStdString());
        ASSERT_TRUE(q->next()) << c.name;
        EXPECT_EQ(QString::fromStdString(q->text(0)), c.storedNumber) << c.name;
        EXPECT_EQ(QString::fromStdString(q->text(1)), c.storedType) << c.name;
        EXPECT_EQ(QString::fromStdString(q->text(2)), c.storedExpiry) << c.name;
    }
    auto other = database->open(QStringLiteral("SELECT CARDNUM FROM \"%1KARTY.DB\" WHERE KID=2").arg(db).toStdString());
    ASSERT_TRUE(other->next());
    EXPECT_EQ(other->text(0), "keep");
}

TEST(RegistrationCard, PurposeCrosses)
{
    struct Case {
        bool business, travel;
        const char *businessYes, *businessNo, *touristYes, *touristNo;
    };
    const Case cases[] = {
        {false, false, "", "", "", ""},
        {true, false, "x", "", "", "x"},
        {false, true, "", "x", "x", ""},
        {true, true, "x", "", "x", ""},
    };
    for (const Case& c : cases) {
        const documents::PurposeCrosses x = documents::purposeCrosses(c.business, c.travel);
        const QStringList got{x.businessYes, x.businessNo, x.touristYes, x.touristNo};
        const QStringList want{c.businessYes, c.businessNo, c.touristYes, c.touristNo};
        EXPECT_EQ(got, want) << c.business << c.travel;
    }
}

TEST(RegistrationCard, DailyRate)
{
    struct Case {
        double price, nights;
        const char* text;
    };
    const Case cases[] = {
        {300, 3, "100"},     {100, 3, "33"},      {250.5, 2, "125"},  // 250.5 rounds to 250
        {251.5, 2, "126"},   {99.5, 1, "100"},    {0, 4, "0"},
        {300, 0, ""},        {300, -1, ""},       // no nights: no rate, the card still prints
    };
    for (const Case& c : cases)
        EXPECT_EQ(documents::dailyRateText(c.price, c.nights), QString::fromLatin1(c.text)) << c.price << "/" << c.nights;
}

TEST(RegistrationCard, CheckInTime)
{
    EXPECT_EQ(documents::checkInTimeText(QTime(9, 5)), "9:05");
    EXPECT_EQ(documents::checkInTimeText(QTime(14, 30)), "14:30");
    EXPECT_EQ(documents::checkInTimeText(QTime(0, 0)), "0:00");
}

TEST(AccountPrintout, StayLines)
{
    documents::TStaysData stay;
    stay.roomName = QStringLiteral("Room 12");
    stay.period = QStringLiteral("13.9.2002 - 16.9.2002");
    EXPECT_EQ(documents::stayLine(stay, true), "Room 12");
    EXPECT_EQ(documents::stayLine(stay, false), "Room 12  (13.9.2002 - 16.9.2002)");
}

TEST(AccountPrintout, HeaderTexts)
{
    documents::AccountHeader h;
    h.PID = "12";
    h.PNAME = "Modrý";
    h.PPRICE = "55.5";
    h.MAIDPRICE = "5";
    h.SURNAME = "Novák";
    h.NAME = "Jan";
    EXPECT_EQ(documents::titleText(h), "Účet - Pokoj č. 12 Modrý");
    EXPECT_EQ(documents::priceText(h), "55.5 EURO/pokoj/noc + 5 EURO/služby/den");
    EXPECT_EQ(documents::guestText(h), "Novák Jan");
    h.TITLE = "Ing.";
    EXPECT_EQ(documents::guestText(h), "Ing. Novák Jan");
}

namespace {
documents::AccountLine line(int upid, const char* type, const char* descr, const char* tax, double eur)
{
    documents::AccountLine l;
    l.UPID = upid;
    l.UPNAME = QString::fromUtf8(type);
    l.DESCR = QString::fromUtf8(descr);
    l.TAXRATE = QString::fromLatin1(tax);
    l.amountEUR = eur;
    l.amountCZK = eur * 25;
    return l;
}

// The texts of the laid-out pages, one string per band row: items sharing a top joined by "|".
QStringList rowsOf(const report::Report& r)
{
    QMap<int, QStringList> byTop;
    for (const report::Page& page : report::layout(r))
        for (const report::Item& item : page.items)
            if (item.kind == report::Item::Kind::Text) byTop[qRound(item.rect.top() * 10)] << item.text;
    QStringList rows;
    for (const QStringList& texts : byTop) rows << texts.join(QLatin1Char('|'));
    return rows;
}
}  // namespace

TEST(AccountPrintout, ChargesWithoutItemTypeGetTheirOwnHeading)
{
    const QList<documents::AccountLine> typed = {line(1, "Ubytování", "Ubytování - Modrý", "5", 300),
                                                 line(3, "Minibar", "Minibar", "21", 12.5),
                                                 line(3, "Minibar", "Víno", "15", 1222)};
    const QList<documents::AccountLine> untyped = {line(2, "", "Parkování", "21", 40)};
    documents::AccountPrintData data;
    data.header.PID = "12";
    data.lines = documents::mergeLines(typed, untyped);
    data.totalEUR = 1574.5;   // every charge of the room, the deleted type's included
    const QStringList rows = rowsOf(documents::buildAccountReport(data));
    const qsizetype first = rows.indexOf(QStringLiteral("Ubytování"));
    ASSERT_GE(first, 0) << rows.join('\n').toStdString();
    const QStringList body = rows.mid(first);
    const QStringList want = {
        "Ubytování",
        "5|% DPH|Ubytování - Modrý|300.00|EUR",
        "Ostatní",   // the heading of the charges whose item type was deleted
        "21|% DPH|Parkování|40.00|EUR",
        "Minibar",
        "21|% DPH||12.50|EUR",   // the description equal to the type's name is left blank
        "15|% DPH|Víno|1 222.00|EUR",
        "Celkem|1 574.50|EUR",
    };
    EXPECT_EQ(body, want) << body.join('\n').toStdString();

    data.lines.clear();
    EXPECT_TRUE(report::layout(documents::buildAccountReport(data)).isEmpty());
}

// The address block's caption stands at 48 with the form's other captions.
TEST(RegistrationCard, AddressCaptionLinesUpWithTheOtherCaptions)
{
    QMap<QString, double> left;
    for (const report::Page& page : report::layout(documents::buildRegCardReport({})))
        for (const report::Item& item : page.items)
            if (item.kind == report::Item::Kind::Text) left.insert(item.text, item.rect.left());
    const double family = left.value(QStringLiteral("Family name"), -1);
    EXPECT_EQ(family, 48);
    EXPECT_EQ(left.value(QStringLiteral("Home address and phone no.")), family);
    EXPECT_EQ(left.value(QStringLiteral("Adresa bydliště a telefonní číslo")), family);
}
