// The confirmation's e-mail and rate logic without a display: splitting template files,
// the one-pass substitution of every placeholder, the rate of a 0-night stay, and the exact
// mailto: link with Czech letters and line breaks.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QFile>

#include "documents/ConfirmationLogic.h"
#include "documents/EmailTemplate.h"

using namespace documents;

namespace {

std::string s(const QString& text) { return text.toStdString(); }

// A stay of 3 nights at 745.50 EUR with 30.49 EUR maid service, for Jiří Dvořák in room 12.
StayRow stay(double nights = 3)
{
    StayRow row;
    row.columns = {{"BID", "7"},           {"PID", "12"},          {"DATEFROM", "5.3.2004"},
                   {"DATETHRU", "8.3.2004"}, {"PNAME", "Room 12"}, {"PDESCR", "Double with balcony"},
                   {"NAME", "Jiří"},       {"SURNAME", "Dvořák"}, {"NIGHTS", QString::number(nights)},
                   {"CLIENT", "Jiří Dvořák"}, {"PID", "shadowed"}};
    row.PRICEEUR = 745.50;
    row.MAIDEUR = 30.49;
    row.NIGHTS = nights;
    return row;
}

const ConfirmationTexts kTexts{"10 % off the spa", "included", "Eva Malá"};

Substituted substitute(const QString& body, const StayRow& row = stay(), const ConfirmationTexts& texts = kTexts)
{
    return SubstitutePlaceholders(body, [&](const QString& name) { return ConfirmationPlaceholder(name, texts, row); });
}

}  // namespace

TEST(EmailTemplate, SplitsSubjectFromBody)
{
    struct Case {
        const char* what;
        QByteArray file;
        const char* subject;
        const char* body;
    };
    const Case cases[] = {
        {"CR LF after the subject", "Subject\r\nBody\r\nline 2", "Subject", "Body\r\nline 2"},
        {"every control character after the CR goes", "S\r\n\t\r\n  indented", "S", "  indented"},
        {"a lone LF is no line end", "one\ntwo", "", "one\ntwo"},
        {"no CR: all body", "just body {CLIENT}", "", "just body {CLIENT}"},
        {"the text ends at a zero byte", QByteArray("S\r\nkept\0lost", 12), "S", "kept"},
        {"an empty subject", "\r\nBody", "", "Body"},
        {"Windows-1250 letters", "Potvrzen\xed\r\n\x8elu\x9dou\xe8k\xfd k\xf9\xf2", "Potvrzení", "Žluťoučký kůň"},
    };
    for (const Case& c : cases) {
        const EmailTemplate t = SplitTemplate(c.file);
        EXPECT_EQ(s(t.subject), c.subject) << c.what;
        EXPECT_EQ(s(t.body), c.body) << c.what;
    }
}

TEST(EmailTemplate, OnlyTheFirst10000BytesCountAndAMissingFileIsNotRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("long.etp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("S\r\n" + QByteArray(9997, 'a') + "tail");
    file.close();
    EmailTemplate t;
    ASSERT_TRUE(ReadTemplate(path, t));
    EXPECT_EQ(t.body.size(), 9997);
    EXPECT_FALSE(t.body.contains("t"));
    EXPECT_FALSE(ReadTemplate(dir.filePath("missing.etp"), t));
}

TEST(EmailTemplate, Substitution)
{
    struct Case {
        const char* what;
        QString body;
        QString expected;
        QStringList unknown;
    };
    const Case cases[] = {
        {"the five named values", "{RATE}|{TOTAL}|{BREAKFAST}|{SPECIALOFFER}|{USERNAME}",
         "248|746 + 30 EUR|included|10 % off the spa|Eva Malá", {}},
        {"columns and the computed CLIENT and NIGHTS", "{CLIENT}, {PNAME} ({PDESCR}) {DATEFROM}-{DATETHRU}, {NIGHTS}",
         "Jiří Dvořák, Room 12 (Double with balcony) 5.3.2004-8.3.2004, 3", {}},
        {"a column name in any letter case, the first of two", "{pname} {Pid}", "Room 12 12", {}},
        {"the named values only in upper case", "{rate} {Breakfast}", "?rate? ?Breakfast?", {"rate", "Breakfast"}},
        {"unknown names, once per occurrence", "{X}{}{X}", "?X????X?", {"X", "", "X"}},
        {"an unclosed brace ends the substitution", "{PNAME} {CLIENT and the rest {PNAME",
         "Room 12 {CLIENT and the rest {PNAME", {}},
        {"a brace inside a name belongs to it", "{a{PNAME}", "?a{PNAME?", {"a{PNAME"}},
        {"no placeholder", "plain text } with a closing brace", "plain text } with a closing brace", {}},
        {"a lone closing brace before a placeholder", "} {NIGHTS}", "} 3", {}},
    };
    for (const Case& c : cases) {
        const Substituted out = substitute(c.body);
        EXPECT_FALSE(out.failed) << c.what;
        EXPECT_EQ(s(out.text), s(c.expected)) << c.what;
        EXPECT_EQ(out.unknownNames, c.unknown) << c.what;
    }
}

TEST(EmailTemplate, InsertedTextIsNeverScannedAgain)
{
    const ConfirmationTexts selfish{"{SPECIALOFFER}{BREAKFAST}", "{BREAKFAST}", "{USERNAME"};
    const Substituted out = substitute("{BREAKFAST}/{SPECIALOFFER}/{USERNAME}/{PNAME}", stay(), selfish);
    EXPECT_FALSE(out.failed);
    EXPECT_EQ(s(out.text), "{BREAKFAST}/{SPECIALOFFER}{BREAKFAST}/{USERNAME/Room 12");
    EXPECT_TRUE(out.unknownNames.isEmpty());
}

TEST(ConfirmationRate, WholeEurosPerNight)
{
    struct Case {
        double price, maid, nights;
        const char* rate;    // the e-mail's {RATE}; "" when it has none
        const char* daily;   // the printed daily rate
        const char* total;
    };
    const Case cases[] = {
        {745.50, 30.49, 3, "248", "248 EUR/accommodation/night + 10 EUR/maid service/day", "746 + 30 EUR"},
        {744.50, 29.50, 2, "372", "372 EUR/accommodation/night + 15 EUR/maid service/day", "744 + 30 EUR"},
        {100, 0, 7, "14", "14 EUR/accommodation/night + 0 EUR/maid service/day", "100 + 0 EUR"},
        {0.5, 1.5, 1, "0", "0 EUR/accommodation/night + 2 EUR/maid service/day", "0 + 2 EUR"},
        {300, 20, 0, "", "", "300 + 20 EUR"},
    };
    for (const Case& c : cases) {
        StayRow row = stay(c.nights);
        row.PRICEEUR = c.price;
        row.MAIDEUR = c.maid;
        const PlaceholderValue rate = ConfirmationPlaceholder("RATE", kTexts, row);
        if (*c.rate) {
            EXPECT_EQ(rate.kind, PlaceholderValue::Found) << c.price;
            EXPECT_EQ(s(rate.text), c.rate) << c.price;
        } else {
            EXPECT_EQ(rate.kind, PlaceholderValue::Failed) << c.price;
        }
        EXPECT_EQ(s(DailyRateText(c.price, c.maid, c.nights)), c.daily) << c.price;
        EXPECT_EQ(s(TotalText(c.price, c.maid)), c.total) << c.price;
        const ConfirmationForm form = MakeConfirmationForm(&row, kTexts);
        EXPECT_EQ(s(form.dailyRate), c.daily) << c.price;
        EXPECT_EQ(s(form.total), c.total) << c.price;
    }
}

TEST(ConfirmationRate, AZeroNightStayFailsOnlyAtRate)
{
    const Substituted without = substitute("{CLIENT}: {TOTAL}, {NIGHTS} nights", stay(0));
    EXPECT_FALSE(without.failed);
    EXPECT_EQ(s(without.text), "Jiří Dvořák: 746 + 30 EUR, 0 nights");
    const Substituted with = substitute("{X} {RATE} {Y}", stay(0));
    EXPECT_TRUE(with.failed);
    EXPECT_EQ(with.unknownNames, QStringList{"X"});
}

TEST(ConfirmationEmail, MailtoLinkIsExact)
{
    const EmailTemplate t = SplitTemplate(
        "Potvrzen\xed rezervace\r\n"
        "Dear {CLIENT}, your rate is {RATE} EUR per night.\r\n"
        "Total: {TOTAL}; breakfast {BREAKFAST}!");
    ASSERT_EQ(s(t.subject), "Potvrzení rezervace");
    const Substituted body = substitute(t.body);
    EXPECT_EQ(s(body.text), "Dear Jiří Dvořák, your rate is 248 EUR per night.\r\nTotal: 746 + 30 EUR; breakfast included!");
    EXPECT_EQ(s(MailtoLink(t.subject, body.text)),
              "mailto: &subject=Potvrzen%ED%20rezervace"
              "&body=Dear%20Ji%F8%ED%20Dvo%F8%E1k%2C%20your%20rate%20is%20248%20EUR%20per%20night%2E%0D%0A"
              "Total%3A%20746%20%2B%2030%20EUR%3B%20breakfast%20included%21");
}

TEST(ConfirmationStatements, SpliceOnlyTheFolderAndTheStay)
{
    const QString db = "/srv/hotel's data/DB/";
    const QString report = ConfirmationReportSql(db, 42);
    EXPECT_TRUE(report.contains("from \"/srv/hotel's data/DB/POKOJE.DB\" AS POK,\"/srv/hotel's data/DB/POBYTY.DB\" "
                                "AS POB,      \"/srv/hotel's data/DB/KARTY.DB\" AS KAR WHERE POB.BID=42 and"));
    EXPECT_TRUE(ConfirmationEmailSql(db, 42).startsWith("SELECT POB.*, POK.*, KAR.*, DATETHRU-DATEFROM as NIGHTS, "
                                                       "NAME+\" \"+SURNAME AS CLIENT from \"/srv/hotel's data/DB/"));
}
