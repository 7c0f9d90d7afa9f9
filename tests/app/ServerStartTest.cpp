// The program started on a database server named in its settings file: the board shows the
// server's rooms and stays, a server that cannot be reached is said once at start (no hang),
// and a backup goes beside the program instead of touching files in the working folder.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFolder.h"
#include "app/Startup.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

class ServerStartTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theBoardShowsTheServersRoomsAndStays();
    void anUnreachableServerIsSaidOnceAtStart();
    void backupAndRestoreAreRefusedOnAServer();
    void theToolFillsAServerAndMakesNoFolderOfItsName();

private:
    void start(const QString& database);
    int rows(const QString& sql);

    std::unique_ptr<QTemporaryDir> m_dir;
    tamarel::TWindows m_windows;
    QStringList m_messages;
};

void ServerStartTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    platform::setProgramPathForTests(m_dir->path() + "/tamarel");
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 5), QTime(10, 0)); };
    platform::seams().isFixedDrive = [](const QString&) { return true; };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon,
                                          platform::Buttons) {
        m_messages << caption + "|" + text;
        return int(QMessageBox::Ok);
    };
    platform::seams().runModal = [](QDialog*) { return int(QDialog::Rejected); };
    options() = TOptions{};
    m_messages.clear();
}

void ServerStartTest::cleanup()
{
    tamarel::DestroyWindows(m_windows);
    m_windows = {};
    platform::seams() = platform::Seams{};
    platform::setProgramPathForTests(QString());
    m_dir.reset();
}

void ServerStartTest::start(const QString& database)
{
    QFile ini(m_dir->path() + "/tamarel.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[DEFAULT]\r\nFirstColRelative=2\r\nDatabase=" + database.toUtf8() + "\r\n");
    ini.close();
    m_windows = tamarel::CreateWindows();
}

int ServerStartTest::rows(const QString& sql)
{
    auto q = dmDataModule()->Open(sql);
    int n = 0;
    while (q->next()) ++n;
    return n;
}

void ServerStartTest::theBoardShowsTheServersRoomsAndStays()
{
    const enginetest::TestDb server = enginetest::filledDb(enginetest::Storage::Server);
    start(QString::fromStdString(server.location));
    QCOMPARE(m_messages, QStringList());
    QVERIFY(dmDataModule()->onServer());
    QCOMPARE(dmDataModule()->DbPrefix(), QString());
    m_windows.frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_windows.frmMain));
    const int rooms = rows("SELECT PID FROM \"POKOJE.DB\"");
    QVERIFY(rooms > 0);
    QCOMPARE(m_windows.frmMain->grDraw()->rowCount(), rooms + 1);
    QVERIFY(m_windows.frmMain->stays().size() > 0);
    // Nothing was made beside the program: the tables are on the server.
    QVERIFY(!QDir(m_dir->path() + "/DB").exists());
}

void ServerStartTest::anUnreachableServerIsSaidOnceAtStart()
{
    QElapsedTimer clock;
    clock.start();
    start("postgresql://nobody@127.0.0.1:1/hotel?connect_timeout=3");
    QVERIFY2(clock.elapsed() < 10000, "the start waited for the server");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().startsWith("Tamarel|Can't open the database on the server:\r\n"),
             qPrintable(m_messages.first()));
    QVERIFY(m_messages.first().size() > QString("Tamarel|Can't open the database on the server:\r\n").size());
}

void ServerStartTest::backupAndRestoreAreRefusedOnAServer()
{
    // (Named for what it once checked.) A backup of a database on a server goes into "Backup"
    // beside the program; nothing is written in the folder the program runs in.
    const enginetest::TestDb server = enginetest::filledDb(enginetest::Storage::Server);
    start(QString::fromStdString(server.location));
    const QStringList before = QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    m_messages.clear();
    m_windows.frmMain->menuItem("mnBackupDatabase")->trigger();
    QCOMPARE(m_messages, QStringList{"Tamarel|Backup done."});
    QCOMPARE(QDir(m_dir->path() + "/Backup").entryList({"*.tmb"}), QStringList{"Tamarel DB 2004-03-05 10-00.tmb"});
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QVERIFY(rows("SELECT PID FROM \"POKOJE.DB\"") > 0);
}

// tamarel-db init and demo on a server URI: the tables and rows go to the server, and nothing
// named after the URI appears in the folder the tool ran in.
void ServerStartTest::theToolFillsAServerAndMakesNoFolderOfItsName()
{
    const enginetest::TestDb server = enginetest::filledDb(enginetest::Storage::Server);
    const QString uri = QString::fromStdString(server.location);
    {
        engine::Database db(server.location);
        for (const char* table : {"POKOJE", "KARTY", "POBYTY", "UCTY", "UCTYPOL", "UCPODEF", "KURZY", "POKCENY", "ODKUDVI", "POZNAMKY"})
            db.execute(std::string("DROP TABLE \"") + table + ".DB\"");
    }
    const auto tool = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(m_dir->path());
        p.start(QStringLiteral(TAMAREL_DB_TOOL), args);
        p.waitForFinished(60000);
        return QString::number(p.exitCode()) + " " + QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    };
    QCOMPARE(tool({"init", uri}), "0 10 table files created in " + uri);
    const QString demo = tool({"demo", uri});
    QVERIFY2(demo.startsWith("0 ") && demo.section('\n', -1).startsWith("Demo data for"), qPrintable(demo));
    QCOMPARE(tool({"init", uri}).section('\n', -1), "0 table files created in " + uri);   // all ten kept
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    start(uri);
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(rows("SELECT PID FROM \"POKOJE.DB\""), 20);
}

QTEST_MAIN(ServerStartTest)
#include "ServerStartTest.moc"
