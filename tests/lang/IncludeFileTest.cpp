// The include file generator: the file compared byte for byte with one written by hand from
// the layout rules, on the generator run and on the engine's destruction; the project source
// marker; the file read back by the tables' own reader and compiled by Free Pascal.

#include "lang/Language.h"
#include "lang/LanguageIncludeWriter.h"
#include "TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The window the expected files describe.
std::unique_ptr<QWidget> makeIncludeWindow()
{
    auto window = std::make_unique<QWidget>();
    window->setObjectName("frmInc");
    window->setWindowTitle("Include test");
    auto* layout = new QVBoxLayout(window.get());
    auto* label = new QLabel("Client's name", window.get());
    label->setObjectName("lbClient");
    layout->addWidget(label);
    auto* combo = new QComboBox(window.get());
    combo->setObjectName("cmbYesNo");
    combo->addItems({"No", "Yes"});
    layout->addWidget(combo);
    auto* empty = new QLineEdit(window.get());
    empty->setObjectName("edEmpty");
    layout->addWidget(empty);
    auto* menu = new QMenu("&File", window.get());
    menu->setObjectName("mnFile");
    auto* open = new QAction("&Open", window.get());
    open->setObjectName("mnOpen");
    menu->addAction(open);
    auto* memo = new QPlainTextEdit(window.get());
    memo->setObjectName("memNote");
    memo->setPlainText("First line\nSecond");
    layout->addWidget(memo);
    return window;
}

std::shared_ptr<const LanguageTables> includeTables()
{
    return makeTables({{"frmInc.Caption", u("Zkouška vložení")},
                       {"frmInc.lbClient.Caption", u("Klientovo 'jméno'")},
                       {"frmInc.cmbYesNo.Items", "Ne\r\nAno"},
                       {"frmInc.mnOpen.Caption", u("&Otevřít")},
                       {"frmOther.lbGone.Caption", u("Pryč")}},
                      {{"Backup", u("Zálohování")},
                       {"Client's card", u("Karta klienta 'VIP'")},
                       {"Line one\r\nLine two", u("Řádek jedna\r\nŘádek dva")},
                       {"Check in", ""}});
}

class IncludeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        platform::setProgramPathForTests(folder.filePath("tamarel"));
        window = makeIncludeWindow();
    }
    void TearDown() override { platform::setProgramPathForTests(QString()); }

    void createMarker() { QFile(folder.filePath("tamarel.dpr")).open(QIODevice::WriteOnly); }
    QString includePath() const { return folder.filePath("lang.inc"); }

    // Czech applied, one message collected before the generator and one after it.
    std::unique_ptr<TLanguage> runSession()
    {
        auto language = std::make_unique<TLanguage>();
        language->setTables(includeTables());
        language->setLanguageList({"English", u("Česky")});
        language->setLanguageIdent(2);
        language->TranslateAll();
        language->TranslateMessage("Dropped by the generator");
        language->WriteLanguageInclude();
        language->TranslateMessage("It's new\nline");
        language->TranslateMessage("It's new\nline");
        language->TranslateMessage("Backup");
        return language;
    }

    QTemporaryDir folder;
    std::unique_ptr<QWidget> window;
};

TEST_F(IncludeFileTest, GeneratorRunAndFinalWriteMatchTheLayoutByteForByte)
{
    createMarker();
    auto language = runSession();
    EXPECT_EQ(readFile(includePath()), readFile(TAMAREL_LANG_EXPECTED "/lang-generated.inc"));
    EXPECT_EQ(language->collectedMessages(), 1);
    language.reset();
    EXPECT_EQ(readFile(includePath()), readFile(TAMAREL_LANG_EXPECTED "/lang-final.inc"));
}

TEST_F(IncludeFileTest, NothingIsWrittenWithoutTheProjectSourceFile)
{
    auto language = runSession();
    EXPECT_TRUE(language->objectText().isEmpty());
    language.reset();
    EXPECT_FALSE(QFile::exists(includePath()));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList());
}

TEST_F(IncludeFileTest, AFailedWriteReachesTheCaller)
{
    createMarker();
    ASSERT_TRUE(QDir(folder.path()).mkdir("lang.inc"));   // a folder where the file would go
    TLanguage language;
    language.setTables(includeTables());
    try {
        language.WriteLanguageInclude();
        ADD_FAILURE() << "the failed write went unsaid";
    } catch (const lang::IncludeWriteError& e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).endsWith(includePath())) << e.what();
    }
}

TEST(IncludeFileMarker, IsTheProgramPathWithTheDprExtension)
{
    const struct {
        const char* program;
        const char* marker;
    } cases[] = {
        {"/opt/hotel/tamarel", "/opt/hotel/tamarel.dpr"},
        {"/opt/hotel/tamarel.exe", "/opt/hotel/tamarel.dpr"},
        {"/opt/v1.2/tamarel", "/opt/v1.2/tamarel.dpr"},
        {"/opt/v1.2/tamarel.bin", "/opt/v1.2/tamarel.dpr"},
        {"tamarel", "tamarel.dpr"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageIncludeWriter::projectSourcePath(c.program), c.marker) << c.program;
}

TEST_F(IncludeFileTest, TheTablesReaderReadsBothFilesBack)
{
    createMarker();
    auto language = runSession();
    for (const char* name : {"generated", "final"}) {
        if (QString(name) == "final") language.reset();
        const LanguageTables read = LanguageTables::parseInclude(readFile(includePath()));
        EXPECT_EQ(read.languages, QStringList({"Default", "English", u("Česky")}));
        ASSERT_EQ(read.objects.size(), 7) << name;
        EXPECT_EQ(read.objects[1].key, "frmInc.lbClient.Caption");
        EXPECT_EQ(read.objects[1].text(2), u("Klientovo 'jméno'"));
        EXPECT_EQ(read.objects[2].text(2), "Ne\r\nAno");
        EXPECT_EQ(read.objects[3].text(2), "");
        ASSERT_EQ(read.messages.size(), QString(name) == "final" ? 5 : 4) << name;
        EXPECT_EQ(read.messages[1].key, "Client's card");
        EXPECT_EQ(read.messages[2].text(2), u("Řádek jedna\r\nŘádek dva"));
        if (read.messages.size() == 5) EXPECT_EQ(read.messages[4].key, "It's new\nline");
    }
}

// Free Pascal compiles a program around each file and prints some of its entries.
TEST_F(IncludeFileTest, FreePascalCompilesTheFile)
{
    const QString fpc = QStandardPaths::findExecutable("fpc");
    if (fpc.isEmpty()) GTEST_SKIP() << "fpc is not installed";
    createMarker();
    auto language = runSession();
    QFile::copy(includePath(), folder.filePath("generated.inc"));
    language.reset();
    QFile::copy(includePath(), folder.filePath("final.inc"));

    for (const QString name : {"generated", "final"}) {
        QFile program(folder.filePath(name + ".pas"));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.write(QString("program %1;\n{$I %1.inc}\nbegin\n"
                              "  writeln(LLangObjectsNum, ' ', lLangMessagesNum);\n"
                              "  writeln(LLangObjects[2]);\n"
                              "  writeln(Length(lLangTranslations[2, 2]));\n"
                              "  writeln(lLangMessages[2, 0]);\n"
                              "  writeln(lLangMessages[lLangMessagesNum, 0]);\n"
                              "  writeln(Length(lLangMessages[3, 0]));\n"
                              "end.\n").arg(name).toUtf8());
        program.close();
        QProcess compile;
        compile.setWorkingDirectory(folder.path());
        compile.start(fpc, {"-Mdelphi", "-v0", name + ".pas"});
        ASSERT_TRUE(compile.waitForFinished(120000));
        ASSERT_EQ(compile.exitCode(), 0) << compile.readAll().toStdString();
        QProcess run;
        run.start(folder.filePath(name), {});
        ASSERT_TRUE(run.waitForFinished(30000));
        const QString expectedLast = name == "final" ? "It's new\nline" : "Check in";
        const QString expected = QString("7 %1\nfrmInc.lbClient.Caption\n17\nClient's card\n%2\n18\n")
                                     .arg(name == "final" ? 5 : 4)
                                     .arg(expectedLast);
        EXPECT_EQ(QString::fromLatin1(run.readAllStandardOutput()), expected) << name.toStdString();
    }
}

}  // namespace

namespace {

TEST(IncludeFileTexts, KeepPascalValid)
{
    const struct {
        const char* text;
        const char* quoted;   // between the quotes of a string literal
        const char* comment;  // inside a brace comment
    } cases[] = {
        {"plain", "plain", "plain"},
        {"Client's", "Client''s", "Client's"},
        {"a\r\nb", "a'#13#10'b", "a'#13#10'b"},
        {"a\rb\nc", "a'#13'b'#10'c", "a'#13'b'#10'c"},
        {"it's\r\n'x'", "it''s'#13#10'''x''", "it's'#13#10''x'"},
        {"{set}", "{set}", "{set)"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lang::escapeQuotedText(QString::fromUtf8(c.text)), QString::fromUtf8(c.quoted)) << c.text;
        EXPECT_EQ(lang::escapeCommentText(QString::fromUtf8(c.text)), QString::fromUtf8(c.comment)) << c.text;
    }
}

}  // namespace
