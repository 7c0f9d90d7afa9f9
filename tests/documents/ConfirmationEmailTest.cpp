// The confirmation's e-mail and rate logic without a display: splitting template files,
// the one-pass substitution of every placeholder, the rate of a 0-night stay, the mailto:
// link read back as a mail program reads it, and the template list.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

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

namespace {

// The link read as a mail program reads an RFC 6068 "mailto:": the address up to "?", then
// "&"-separated fields "name=value" whose %XX bytes decode as UTF-8. Anything outside the
// URI's characters (a raw blank, a byte above 127) makes the link unusable.
struct ParsedMailto {
    bool usable = false;
    QString to;
    QMap<QString, QString> fields;
};

ParsedMailto parseMailto(const QString& link)
{
    ParsedMailto out;
    if (!link.startsWith("mailto:")) return out;
    for (QChar c : link)
        if (c.unicode() <= 32 || c.unicode() >= 127) return out;
    const QString rest = link.mid(7);
    const qsizetype question = rest.indexOf('?');
    out.to = rest.left(question < 0 ? rest.size() : question);
    auto decode = [](const QString& part) {
        QByteArray bytes;
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] == '%' && i + 2 < part.size()) {
                bytes.append(char(part.mid(i + 1, 2).toInt(nullptr, 16)));
                i += 2;
            } else {
                bytes.append(part[i].toLatin1());
            }
        }
        return QString::fromUtf8(bytes);
    };
    if (question >= 0)
        for (const QString& field : rest.mid(question + 1).split('&')) {
            const qsizetype eq = field.indexOf('=');
            if (eq < 0) return out;
            out.fields.insert(field.left(eq).toLower(), decode(field.mid(eq + 1)));
        }
    out.usable = true;
    return out;
}

}  // namespace

// Subject and body come out of the link as they went in: Czech letters, line breaks and the
// characters that separate the link's own parts ("&", "=", "?", "%", "#", "+").
TEST(ConfirmationEmail, MailProgramsReadSubjectAndBodyFromTheLink)
{
    const EmailTemplate t = SplitTemplate(
        "Potvrzen\xed rezervace\r\n"
        "Dear {CLIENT}, your rate is {RATE} EUR per night.\r\n"
        "Total: {TOTAL}; breakfast {BREAKFAST}!");
    ASSERT_EQ(s(t.subject), "Potvrzení rezervace");
    const Substituted body = substitute(t.body);
    EXPECT_EQ(s(body.text), "Dear Jiří Dvořák, your rate is 248 EUR per night.\r\nTotal: 746 + 30 EUR; breakfast included!");
    const struct {
        QString subject, body;
    } cases[] = {
        {t.subject, body.text},
        {"A&B=C?", "50% off & more: 100%2 #1 + tip\r\n\"quoted\" it's"},
        {"", "Žluťoučký kůň úpěl ďábelské ódy"},
    };
    for (const auto& c : cases) {
        const ParsedMailto parsed = parseMailto(MailtoLink(c.subject, c.body));
        ASSERT_TRUE(parsed.usable) << s(MailtoLink(c.subject, c.body));
        EXPECT_EQ(parsed.to, "");
        EXPECT_EQ(parsed.fields.keys(), (QStringList{"body", "subject"}));
        EXPECT_EQ(s(parsed.fields.value("subject")), s(c.subject));
        EXPECT_EQ(s(parsed.fields.value("body")), s(c.body));
    }
    EXPECT_TRUE(MailtoLink(t.subject, "x").startsWith("mailto:?subject=Potvrzen%C3%AD%20rezervace&body=x"));
}

// Every "*.etp" is listed whatever the letter case of its extension, and the file listed is
// the one read; one that cannot be read stays listed (choosing it says so).
TEST(EmailTemplate, ListsEveryTemplateAndOpensTheFileListed)
{
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("Hotel.ETP", "Hotel subject\r\nHotel body");
    write("lower.etp", "Lower\r\nbody");
    write("notes.txt", "not a template");
    ASSERT_TRUE(QDir(dir.path()).mkdir("Folder.etp"));
    ASSERT_TRUE(QFile::link(dir.filePath("gone.bin"), dir.filePath("Broken.etp")));
    QMap<QString, QString> listed;
    for (const TemplateFile& f : TemplateFiles(dir.path())) listed.insert(f.name, f.path);
    EXPECT_EQ(listed.keys(), (QStringList{"Broken", "Hotel", "lower"}));
    EmailTemplate t;
    ASSERT_TRUE(ReadTemplate(listed.value("Hotel"), t));
    EXPECT_EQ(s(t.subject), "Hotel subject");
    ASSERT_TRUE(ReadTemplate(listed.value("lower"), t));
    EXPECT_EQ(s(t.body), "body");
    EXPECT_FALSE(ReadTemplate(listed.value("Broken"), t));
}

// The user's own templates come first; the installed template of the same name is hidden.
TEST(EmailTemplate, TheUsersTemplateHidesTheInstalledOneOfTheSameName)
{
    QTemporaryDir user, installed;
    for (const auto& [dir, name] : {std::pair{&user, "Potvrzeni.etp"}, std::pair{&installed, "POTVRZENI.ETP"},
                                    std::pair{&installed, "Confirmation.etp"}}) {
        QFile f(dir->filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("s\r\nb");
    }
    QStringList got;
    for (const TemplateFile& f : TemplateFiles(QStringList{user.path() + "/missing", user.path(), installed.path()}))
        got << f.path;
    QStringList want{installed.filePath("Confirmation.etp"), user.filePath("Potvrzeni.etp")};
    got.sort();
    want.sort();
    EXPECT_EQ(got, want);
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
