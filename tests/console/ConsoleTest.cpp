// Drives the SQL console through its window: statements of each kind, the history spin
// button, table references from the file chooser, the settings file, and the engine's
// errors (bad statement, missing table, locked table) with the window staying usable.
#include <QElapsedTimer>
#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <sqlite3.h>

#include "console/ConsoleLogic.h"
#include "console/ResultModel.h"
#include "console/TfrmMain.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "platform/Platform.h"

using namespace dorvane;

namespace {

// Creates the ten table files of a database folder.
void createTables(const QString& folder)
{
    engine::Database db(folder.toStdString());
    data::createTables(db, folder);
}

struct Answered {
    QString text, caption;
    platform::Icon icon;
};

}  // namespace

class ConsoleTests : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_db, m_other, m_ini;
    QList<Answered> m_messages;

    std::unique_ptr<TfrmMain> makeWindow()
    {
        auto w = std::make_unique<TfrmMain>(m_ini, m_dir.path() + "/BdeDrivers");
        w->show();
        return w;
    }
    void run(TfrmMain& w, const QString& text)
    {
        w.memSQL()->setPlainText(text);
        QTest::mouseClick(w.btPerform(), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_db = m_dir.path() + "/DB";
        m_other = m_dir.path() + "/Other";
        QVERIFY(QDir().mkpath(m_db));
        QVERIFY(QDir().mkpath(m_other));
        createTables(m_db);
        createTables(m_other);
        engine::Database db(m_db.toStdString());
        for (int i = 1; i <= 3; ++i)
            db.execute(QString("INSERT INTO \"%1/POKOJE.DB\" (PID, PNAME, PPRICE) VALUES (\"%2\", \"Room %2\", 50)")
                           .arg(m_db).arg(i).toStdString());
        engine::Database other(m_other.toStdString());
        other.execute(QString("INSERT INTO \"%1/POKOJE.DB\" (PID, PNAME) VALUES (\"9\", \"Elsewhere\")")
                          .arg(m_other).toStdString());
        m_ini = m_dir.path() + "/dorvane.ini";
        platform::seams().messageBox = [this](QWidget*, const QString& t, const QString& c,
                                              platform::Icon i, platform::Buttons) {
            m_messages.append({t, c, i});
            return int(QMessageBox::Ok);
        };
    }

    void init()
    {
        m_messages.clear();
        QSettings ini(m_ini, QSettings::IniFormat);
        ini.setValue("MAIN/DatabasePath", m_db);
        ini.setValue("MAIN/FilesPath", m_db);
    }

    void classifiesByTheFirstWordAtTheVeryStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::newRow("upper") << "SELECT * FROM X" << int(StatementKind::Query);
        QTest::newRow("lower") << "select * from x" << int(StatementKind::Query);
        QTest::newRow("leading blank") << " SELECT * FROM X" << int(StatementKind::Other);
        QTest::newRow("open") << "open POKOJE.DB" << int(StatementKind::OpenTable);
        QTest::newRow("update") << "UPDATE X SET A=1" << int(StatementKind::Other);
        QTest::newRow("short") << "SEL" << int(StatementKind::Other);
    }
    void classifiesByTheFirstWordAtTheVeryStart()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QCOMPARE(int(classifyStatement(text)), kind);
    }

    void openNameAndStatementText()
    {
        QCOMPARE(openTableName("OPEN  POKOJE.DB \r\n"), QString("POKOJE.DB"));
        QCOMPARE(openTableName("OPEN\r\nKARTY\r\n"), QString("KARTY"));
        QCOMPARE(statementText("SELECT *\nFROM X"), QString("SELECT *\r\nFROM X\r\n"));
    }

    void historySteppingPastBothEnds()
    {
        StatementHistory h;
        QCOMPARE(h.previous(), QString());  // nothing before the first run
        h.add("one");
        h.add("two");
        QCOMPARE(h.previous(), QString("two"));
        QCOMPARE(h.previous(), QString("one"));
        QCOMPARE(h.previous(), QString());
        QCOMPARE(h.position(), -1);
        QCOMPARE(h.next(), QString("one"));
        QCOMPARE(h.next(), QString("two"));
        QCOMPARE(h.next(), QString());
        QCOMPARE(h.position(), 2);
        QCOMPARE(h.previous(), QString("two"));
    }

    void tableReferencesForOneAndTwoFiles()
    {
        QCOMPARE(tableReferences({"/h/DB/POKOJE.DB"}), QString(" \"/h/DB/POKOJE.DB\" AS POKOJE "));
        QCOMPARE(tableReferences({"/h/DB/POKOJE.DB", "/h/DB/my.table.db"}),
                 QString(" \"/h/DB/POKOJE.DB\" AS POKOJE, \"/h/DB/my.table.db\" AS my.table "));
    }

    void lowerCaseSelectShowsRowsAndLeadingBlankReportsAffectedRows()
    {
        auto w = makeWindow();
        run(*w, "select PID, PNAME from POKOJE order by PID");
        QVERIFY(m_messages.isEmpty());
        QVERIFY(w->dbgResult()->isVisible());
        QTRY_COMPARE(w->resultModel()->rowCount(), 3);
        QCOMPARE(w->resultModel()->index(0, 1).data().toString(), QString("Room 1"));
        QTRY_COMPARE(w->rowCountText(), QString("3 row(s)"));

        run(*w, " select PID from POKOJE");
        QVERIFY(!w->dbgResult()->isVisible());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].text.startsWith("Number of affected rows: "));
        QCOMPARE(m_messages[0].caption, QString("Result"));
        QCOMPARE(w->history().size(), 2);
    }

    void updateOfThreeRowsReportsThree()
    {
        auto w = makeWindow();
        run(*w, "UPDATE \"POKOJE.DB\" SET PPRICE=55 WHERE PPRICE=50");
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QString("Number of affected rows: 3"));
        QCOMPARE(m_messages[0].icon, platform::Icon::Information);
        run(*w, "UPDATE \"POKOJE.DB\" SET PPRICE=50 WHERE PPRICE=55");
        QCOMPARE(m_messages[1].text, QString("Number of affected rows: 3"));
    }

    void historyRecallsStatementsAsRun()
    {
        auto w = makeWindow();
        QTest::mouseClick(w->rxsPrevNextSQL()->upButton(), Qt::LeftButton);  // no history yet
        QVERIFY(w->memSQL()->toPlainText().isEmpty());
        run(*w, "SELECT PID\nFROM POKOJE");
        run(*w, "SELECT PNAME FROM POKOJE");
        QTest::mouseClick(w->rxsPrevNextSQL()->upButton(), Qt::LeftButton);
        QTest::mouseClick(w->rxsPrevNextSQL()->upButton(), Qt::LeftButton);
        QCOMPARE(w->memSQL()->toPlainText(), QString("SELECT PID\nFROM POKOJE"));
        QTest::mouseClick(w->rxsPrevNextSQL()->upButton(), Qt::LeftButton);
        QCOMPARE(w->memSQL()->toPlainText(), QString());
        QTest::mouseClick(w->rxsPrevNextSQL()->downButton(), Qt::LeftButton);
        QCOMPARE(w->memSQL()->toPlainText(), QString("SELECT PID\nFROM POKOJE"));
        // Recalled and run again, three times: the same statement each time.
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(w->btPerform(), Qt::LeftButton);
            QTest::mouseClick(w->rxsPrevNextSQL()->upButton(), Qt::LeftButton);
        }
        QCOMPARE(w->memSQL()->toPlainText(), QString("SELECT PID\nFROM POKOJE"));
        QCOMPARE(w->history().entries(),
                 (QStringList{"SELECT PID\r\nFROM POKOJE\r\n", "SELECT PNAME FROM POKOJE\r\n", "SELECT PID\r\nFROM POKOJE\r\n",
                              "SELECT PID\r\nFROM POKOJE\r\n", "SELECT PID\r\nFROM POKOJE\r\n"}));
    }

    void chosenFilesAreInsertedAtTheCaretAndOpenKeepsTheSettingsFolder()
    {
        auto w = makeWindow();
        QStringList offered;
        platform::seams().chooseOpenFiles = [&](const QString& title, const QString& folder,
                                                const QString&, bool many) {
            offered = {title, folder, many ? "many" : "one"};
            return QStringList{m_other + "/POKOJE.DB"};
        };
        // "FROM" selected with the caret at its end: the selection stays, the references
        // come after it, and the caret after them.
        w->memSQL()->setPlainText("SELECT * FROM WHERE");
        QTextCursor c = w->memSQL()->textCursor();
        c.setPosition(9);
        c.setPosition(13, QTextCursor::KeepAnchor);
        w->memSQL()->setTextCursor(c);
        QTest::mouseClick(w->btFile(), Qt::LeftButton);
        platform::seams().chooseOpenFiles = nullptr;
        QCOMPARE(offered, (QStringList{"Choose database table", m_db, "many"}));
        const QString inserted = " \"" + m_other + "/POKOJE.DB\" AS POKOJE ";
        QCOMPARE(w->memSQL()->toPlainText(), "SELECT * FROM" + inserted + " WHERE");
        QCOMPARE(w->memSQL()->textCursor().position(), int(13 + inserted.size()));
        QVERIFY(!w->memSQL()->textCursor().hasSelection());
        QCOMPARE(w->queryDatabaseName(), m_other);

        // Queries now run on the chosen folder ...
        run(*w, "SELECT PNAME FROM POKOJE");
        QTRY_COMPARE(w->resultModel()->rowCount(), 1);
        QCOMPARE(w->resultModel()->index(0, 0).data().toString(), QString("Elsewhere"));
        // ... while OPEN keeps the folder of the settings file.
        run(*w, "OPEN POKOJE.DB");
        QVERIFY(m_messages.isEmpty());
        QTRY_COMPARE(w->resultModel()->rowCount(), 3);

        w->close();
        QSettings ini(m_ini, QSettings::IniFormat);
        QCOMPARE(ini.value("MAIN/DatabasePath").toString(), m_other);
        QCOMPARE(ini.value("MAIN/FilesPath").toString(), m_other);
    }

    void errorsAreShownAndKeptOutOfTheHistory()
    {
        auto w = makeWindow();
        run(*w, "SELEC PID FROM POKOJE");
        run(*w, "SELECT * FROM NOSUCHTABLE");
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages[0].icon, platform::Icon::Error);
        QVERIFY2(m_messages[1].text.contains("NOSUCHTABLE", Qt::CaseInsensitive),
                 qPrintable(m_messages[1].text));
        QCOMPARE(w->history().size(), 0);
        run(*w, "SELECT PID FROM POKOJE");  // still usable
        QTRY_COMPARE(w->resultModel()->rowCount(), 3);
        QCOMPARE(w->history().size(), 1);
    }

    void aLockedTableFailsAfterAShortWaitInsteadOfFreezing()
    {
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open((m_db + "/POKOJE.DB").toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        auto w = makeWindow();
        QElapsedTimer t;
        t.start();
        run(*w, "UPDATE POKOJE SET PPRICE=60");
        const qint64 waited = t.elapsed();
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].icon, platform::Icon::Error);
        QVERIFY2(m_messages[0].text.contains("lock", Qt::CaseInsensitive), qPrintable(m_messages[0].text));
        QVERIFY2(waited < 30000, "the statement must give up instead of hanging");
        QCOMPARE(w->history().size(), 0);
    }

    void f5ReleasedRunsTheStatement()
    {
        auto w = makeWindow();
        w->memSQL()->setPlainText("SELECT PID FROM POKOJE");
        w->memSQL()->setFocus();
        QTest::keyRelease(w->memSQL(), Qt::Key_F5);
        QCOMPARE(w->history().size(), 1);
        QTRY_COMPARE(w->resultModel()->rowCount(), 3);
    }

    void aLargeResultIsReadAsTheGridScrolls()
    {
        engine::Database db(m_db.toStdString());
        db.execute("CREATE TABLE \"" + (m_db + "/BIG.DB").toStdString() + "\" (N INTEGER, D DATE)");
        db.execute("INSERT INTO BIG (N, D) VALUES (0, \"5.3.2004\")");
        // Doubling the rows eleven times gives 2048 rows, eight batches of the grid.
        for (int i = 0; i < 11; ++i) db.execute("INSERT INTO BIG (N, D) SELECT N, D FROM BIG");
        const auto extra = db.open("SELECT COUNT(*) AS C FROM BIG");
        QVERIFY(extra->next());
        QCOMPARE(extra->integer(0), 2048);
        ResultModel model;
        model.setResult(db.open("SELECT * FROM BIG"));
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.canFetchMore({}));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), ResultModel::kBatch);
        QCOMPARE(model.index(0, 1).data().toString(), QString("5.3.2004"));
        QCOMPARE(model.totalRows(), 2048);
        while (model.canFetchMore({})) model.fetchMore({});
        QCOMPARE(model.rowCount(), 2048);
    }

    void anIdleResultHoldsNoLockAndGoesOnWhereItStopped()
    {
        const QString file = m_db + "/LOCKT.DB";
        engine::Database db(m_db.toStdString());
        db.execute("CREATE TABLE \"" + file.toStdString() + "\" (N INTEGER)");
        db.releaseTables();
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(file.toUtf8().constData(), &raw), SQLITE_OK);
        sqlite3_exec(raw, "WITH RECURSIVE c(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM c WHERE n < 999)"
                          " INSERT INTO LOCKT (N) SELECT n FROM c", nullptr, nullptr, nullptr);
        sqlite3_close(raw);

        const std::string sql = "SELECT N FROM LOCKT ORDER BY N";
        int reopened = 0;
        ResultModel model;
        model.setResult(db.open(sql), [&] { ++reopened; return db.open(sql); });
        model.fetchMore({});
        QVERIFY(model.holdsResult());

        engine::Database frontOffice(m_db.toStdString());
        frontOffice.setLockTimeoutMs(200);
        QVERIFY_THROWS_EXCEPTION(engine::Error, frontOffice.execute("UPDATE LOCKT SET N=5000 WHERE N=999"));

        model.releaseResult();  // what the idle timer does
        QVERIFY(!model.holdsResult());
        QCOMPARE(frontOffice.execute("UPDATE LOCKT SET N=5000 WHERE N=999"), 1);

        model.fetchMore({});
        QCOMPARE(reopened, 1);
        QCOMPARE(model.rowCount(), 2 * ResultModel::kBatch);
        QCOMPARE(model.index(ResultModel::kBatch - 1, 0).data().toString(), QString("255"));
        QCOMPARE(model.index(ResultModel::kBatch, 0).data().toString(), QString("256"));
        while (model.canFetchMore({})) model.fetchMore({});
        QCOMPARE(model.rowCount(), 1000);
        QCOMPARE(model.index(999, 0).data().toString(), QString("5000"));
        QVERIFY(!model.holdsResult());  // read to the end: nothing held
    }
};

QTEST_MAIN(ConsoleTests)
#include "ConsoleTest.moc"
