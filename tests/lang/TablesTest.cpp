// The compiled-in translation tables: read from lang/tables/lang.inc at start-up, complete
// (every object row Czech, every message Czech except the texts that stay English), in the
// generator's own layout, and valid Pascal.

#include "lang/Language.h"
#include "lang/PropertyAdapter.h"
#include "TestSupport.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

const LanguageTables& compiled() { return *LanguageTables::compiled(); }

QString objectText(const QString& path)
{
    for (const LanguageRow& row : compiled().objects)
        if (row.key == path) return row.text(2);
    return QStringLiteral("<missing>");
}

TEST(CompiledTables, HoldEveryObjectRowWithACzechText)
{
    EXPECT_EQ(compiled().languages, QStringList({"Default", "English", u("Česky")}));
    ASSERT_EQ(compiled().objects.size(), 299);
    QSet<QString> paths;
    for (const LanguageRow& row : compiled().objects) {
        EXPECT_TRUE(row.text(1).isEmpty()) << row.key.toStdString();
        EXPECT_FALSE(row.text(2).isEmpty()) << row.key.toStdString();
        EXPECT_FALSE(paths.contains(row.key)) << "twice: " << row.key.toStdString();
        paths.insert(row.key);
    }

    const struct {
        const char* path;
        const char* czech;
    } samples[] = {
        {"frmMain.Caption", "Tamarel"},
        {"frmRezervace.cmbStatus.Items", "Předběžná\r\nFinální"},
        {"frmRezervace.cmbBusiness.Items", "Ne\r\nAno"},
        {"frmRoomDetail.cmbBusiness.Items", "Ne\r\nAno"},
        {"frmNotesReminder.cmbDisplayType.Items", "Poznámky\r\nPřipomínky\r\nVše"},
        {"frmNotesReminder.cmbDisplayType.Text", "Vše"},
        {"frmNotesRemDetail.cmbType.Items", "Poznámka\r\nPřipomínka"},
        {"frmPrintLabels.cmbAction.Items", "Náhled\r\nTisk"},
        {"frmPrintLabels.cmbAction.Text", "Náhled"},
    };
    for (const auto& s : samples) EXPECT_EQ(objectText(s.path), u(s.czech)) << s.path;
    EXPECT_EQ(lang::splitListText(objectText("frmClientDetail.cmbRating.Items")).size(), 6);
}

TEST(CompiledTables, HoldEveryMessageRowWithItsCzechText)
{
    const QList<LanguageRow>& messages = compiled().messages;
    ASSERT_EQ(messages.size(), 249);
    const QSet<QString> staysEnglish = {"EUR", "CZK", "Id", "Exp.", "Text", "Eur", "Czk", "Tamarel",
                                        "Check in", "Check out", ""};
    QHash<QString, QString> first;
    for (const LanguageRow& row : messages) {
        EXPECT_TRUE(row.text(1).isEmpty()) << row.key.toStdString();
        EXPECT_EQ(row.text(2).isEmpty(), staysEnglish.contains(row.key)) << row.key.toStdString();
        if (first.contains(row.key)) {
            EXPECT_EQ(row.text(2), first.value(row.key)) << "a repeated key must read the same";
            EXPECT_TRUE(row.key == "The new record is filtered out and thus not visible" || row.key == "Error reading item")
                << row.key.toStdString();
        }
        first.insert(row.key, row.text(2));
    }
    EXPECT_EQ(messages.first().key, "Invalid Status!");
    EXPECT_EQ(messages.at(225).key, "does not exist.");
    EXPECT_TRUE(first.contains("Client's account is already open. Choose \"Add to account\""));
    EXPECT_TRUE(first.contains("Date invalid\r\n\r\n(must be greater then Date From and greater or equal to today"));
    EXPECT_FALSE(first.value("No exchange rate is stored for this day. Amounts in the other currency are left as they are.")
                     .isEmpty());
}

TEST(CompiledTables, TranslateTheMessagesOfTheProgram)
{
    TLanguage language;
    const struct {
        int ident;
        const char* key;
        const char* expected;
    } cases[] = {
        {2, "Backup", "Zálohování"},     {1, "Backup", "Backup"},       {2, "week", "týden"},
        {2, "Usage in %", "Využití v %"}, {2, "Check in", "Check in"},   {1, "Check in", "Check in"},
        {2, "", ""},                      {2, "Tamarel", "Tamarel"},     {0, "week", "week"},
    };
    for (const auto& c : cases) {
        language.setLanguageIdent(c.ident);
        EXPECT_EQ(language.TranslateMessage(u(c.key)), u(c.expected)) << c.key;
    }
    EXPECT_EQ(language.collectedMessages(), 0);
}

// The tables file is kept in the generator's layout: the translations' opening quotes stand in
// the 24th column, the message texts' in the 20th.
TEST(CompiledTables, FileKeepsTheGeneratorLayout)
{
    QFile file(TAMAREL_LANG_TABLES);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.endsWith("  ('', '', ''));\r\n"));
    const QList<QByteArray> lines = bytes.split('\n');
    int translations = 0, messages = 0;
    for (const QByteArray& line : lines) {
        if (!line.isEmpty()) EXPECT_TRUE(line.endsWith('\r')) << "every line ends with CR LF";
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith("({English:}") || trimmed.startsWith("{")) {
            const qsizetype quote = line.indexOf('\'');
            if (trimmed.contains(":}")) {
                ++translations;
                EXPECT_EQ(quote, 23) << line.constData();
            } else {
                ++messages;
                EXPECT_EQ(quote, 19) << line.constData();
            }
        } else if (trimmed.startsWith("({Default}")) {
            ++messages;
            EXPECT_EQ(line.indexOf('\''), 19) << line.constData();
        }
    }
    EXPECT_EQ(translations, 2 * compiled().objects.size());
    EXPECT_EQ(messages, 3 * compiled().messages.size());
}

TEST(CompiledTables, FileIsValidPascal)
{
    const QString fpc = QStandardPaths::findExecutable("fpc");
    if (fpc.isEmpty()) GTEST_SKIP() << "fpc is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(TAMAREL_LANG_TABLES, folder.filePath("tables.inc")));
    QFile program(folder.filePath("tables.pas"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("program tables;\n{$I tables.inc}\nbegin\n"
                  "  writeln(LLangObjectsNum, ' ', lLangMessagesNum);\n"
                  "  writeln(LLangObjects[1], ' ', lLangMessages[11, 0]);\n"
                  "end.\n");
    program.close();
    QProcess compile;
    compile.setWorkingDirectory(folder.path());
    compile.start(fpc, {"-Mdelphi", "-v0", "tables.pas"});
    ASSERT_TRUE(compile.waitForFinished(120000));
    ASSERT_EQ(compile.exitCode(), 0) << compile.readAll().toStdString();
    QProcess run;
    run.start(folder.filePath("tables"), {});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(QString::fromLatin1(run.readAllStandardOutput()),
              QString("299 %1\nfrmMain.Caption Client's account is already open. Choose \"Add to account\"\n")
                  .arg(compiled().messages.size()));
}

}  // namespace
