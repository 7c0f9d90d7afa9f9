// The program started on a database server named in its settings file: the board shows the
// server's rooms and stays, a server that cannot be reached is said once at start (no hang),
// a backup goes beside the program instead of touching files in the working folder, and the
// board reloads when another program changes what it shows.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "TestFolder.h"
#include "app/Startup.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

// What the board shows once it has reloaded.
using Shown = std::function<bool(TfrmMain&)>;
Q_DECLARE_METATYPE(Shown)

class ServerStartTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theBoardShowsTheServersRoomsAndStays();
    void anUnreachableServerIsSaidOnceAtStart();
    void backupGoesBesideTheProgram();
    void theToolFillsAServerAndMakesNoFolderOfItsName();
    void theBoardReloadsWithinASecondOfAnotherProgramsChange_data();
    void theBoardReloadsWithinASecondOfAnotherProgramsChange();
    void itsOwnChangesAreNotHeardAnotherProgramsAre();

private:
    void start(const QString& database);
    // Runs one statement in another program (tamarel-db sql); its output.
    QString otherProgram(const QString& uri, const QString& statement);
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

void ServerStartTest::backupGoesBesideTheProgram()
{
    // A backup of a database on a server goes into "Backup"
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
        for (const char* table : {"POKOJE", "KARTY", "POBYTY", "UCTY", "UCTYPOL", "UCPODEF", "KURZY", "POKCENY", "ODKUDVI", "POZNAMKY",
                                  "HOSTE", "NASTAVENI", "KALENDARE", "BLOKACE", "FAKTURY"})
            db.execute(std::string("DROP TABLE \"") + table + ".DB\"");
    }
    const auto tool = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(m_dir->path());
        p.start(QStringLiteral(TAMAREL_DB_TOOL), args);
        p.waitForFinished(60000);
        return QString::number(p.exitCode()) + " " + QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    };
    QCOMPARE(tool({"init", uri}), "0 15 table files created in " + uri);   // the ten and the five added later
    const QString demo = tool({"demo", uri});
    // The message names the URI as it stands (its "%3D" is not a place for a number).
    QVERIFY2(demo.startsWith("0 ") && demo.section('\n', -1).startsWith("Demo data for") &&
                 demo.contains(" written to " + uri + ": 20 rooms"),
             qPrintable(demo));
    QCOMPARE(tool({"init", uri}).section('\n', -1), "0 table files created in " + uri);   // all kept
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    start(uri);
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(rows("SELECT PID FROM \"POKOJE.DB\""), 20);
}

QString ServerStartTest::otherProgram(const QString& uri, const QString& statement)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(QStringLiteral(TAMAREL_DB_TOOL), {"sql", uri, statement});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

namespace {
int day(int d) { return shell::NumberFromDate(QDate(2004, 3, d)); }
}  // namespace

// Another program (a tamarel-db process) changes a table the board shows; the board, whose
// timer's reload is stopped, reloads within a second. The board shows 3.3.2004 onwards.
void ServerStartTest::theBoardReloadsWithinASecondOfAnotherProgramsChange_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<Shown>("shown");
    QTest::newRow("a booking") << "INSERT INTO \"POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (4, \"1\", \"9.3.2004\", \"11.3.2004\", \"D\")"
                               << Shown([](TfrmMain& b) {
                                      const TRoomsUsage* s = b.stays().stayAt("1", day(10));
                                      return s && s->KID == 4 && s->STATUS == 'D';
                                  });
    QTest::newRow("a check-out") << "UPDATE \"POBYTY.DB\" SET STATUS=\"O\" WHERE STATUS=\"H\""
                                 << Shown([](TfrmMain& b) {
                                        const TRoomsUsage* s = b.stays().stayAt("1", day(6));
                                        return s && s->STATUS == 'O';
                                    });
    QTest::newRow("a client's new name") << "UPDATE \"KARTY.DB\" SET SURNAME=\"Nowak\" WHERE KID=1"
                                         << Shown([](TfrmMain& b) {
                                                const TRoomsUsage* s = b.stays().stayAt("1", day(6));
                                                return s && s->name.contains("Nowak");
                                            });
    QTest::newRow("a new room") << "INSERT INTO \"POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"4\", \"Room four\", 255, 70, 10)"
                                << Shown([](TfrmMain& b) {
                                       return b.rooms().size() == 4 && b.grDraw()->rowCount() == 5;
                                   });
}

void ServerStartTest::theBoardReloadsWithinASecondOfAnotherProgramsChange()
{
    QFETCH(QString, statement);
    QFETCH(Shown, shown);
    const enginetest::TestDb server = enginetest::filledDb(enginetest::Storage::Server);
    const QString uri = QString::fromStdString(server.location);
    start(uri);
    TfrmMain& board = *m_windows.frmMain;
    board.tmrTimer()->stop();
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.grDraw()->setSelection(5, 2);
    // The board listens once it has heard a first change (its first ask only starts listening).
    const auto repairs = [&](const QString& reason) {
        const TRoomsUsage* s = board.stays().stayAt("3", day(5));
        return s && s->name == reason;
    };
    for (int attempt = 1; attempt <= 20 && !repairs("Repairs " + QString::number(attempt - 1)); ++attempt) {
        otherProgram(uri, QString("UPDATE \"POBYTY.DB\" SET BOOKEDFOR=\"Repairs %1\" WHERE STATUS=\"X\"").arg(attempt));
        (void)QTest::qWaitFor([&] { return repairs("Repairs " + QString::number(attempt)); }, 500);
    }
    QVERIFY(board.stays().stayAt("3", day(5))->name.startsWith("Repairs "));
    QVERIFY(!shown(board));
    QCOMPARE(otherProgram(uri, statement), QString("1 rows affected"));
    QTRY_VERIFY_WITH_TIMEOUT(shown(board), 1000);
    // The reload kept the cursor where it was.
    QCOMPARE(board.grDraw()->col(), 5);
    QCOMPARE(board.grDraw()->row(), 2);
    QCOMPARE(m_messages, QStringList());
}

// The data module hears what another program (a tamarel-db process) changed, and not what
// the program itself changed, alone or in a change over several tables.
void ServerStartTest::itsOwnChangesAreNotHeardAnotherProgramsAre()
{
    const enginetest::TestDb server = enginetest::filledDb(enginetest::Storage::Server);
    const QString uri = QString::fromStdString(server.location);
    start(uri);
    m_windows.frmMain->tmrServerChanges()->stop();
    TdmDataModule* dm = dmDataModule();
    // What is heard until the other program's marker (a write of the rates) comes.
    const auto hearUntilMarker = [&] {
        otherProgram(uri, "UPDATE \"KURZY.DB\" SET CRR=CRR WHERE CRR<0");
        QStringList heard;
        QElapsedTimer clock;
        clock.start();
        while (!heard.contains("KURZY") && clock.elapsed() < 10000) {
            heard << dm->ChangedTables();
            QTest::qWait(20);
        }
        heard.sort();
        return heard;
    };
    QVERIFY(dm->ChangedTables().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(hearUntilMarker().contains("KURZY"), 20000);
    QVERIFY(dm->ExecStatement("INSERT INTO \"POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (1, \"2\", \"1.4.2004\", \"3.4.2004\", \"D\")"));
    QVERIFY(dm->ExecComposed({"UPDATE \"POBYTY.DB\" SET STATUS=\"R\" WHERE DATEFROM=\"1.4.2004\"",
                              "UPDATE \"KARTY.DB\" SET COMMENT=\"x\" WHERE KID=1"}));
    QCOMPARE(hearUntilMarker(), QStringList{"KURZY"});
    QCOMPARE(otherProgram(uri, "DELETE FROM \"POBYTY.DB\" WHERE DATEFROM=\"1.4.2004\""), QString("1 rows affected"));
    QCOMPARE(hearUntilMarker(), (QStringList{"KURZY", "POBYTY"}));
}

QTEST_MAIN(ServerStartTest)
#include "ServerStartTest.moc"
