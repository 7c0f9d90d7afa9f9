// The console on a database on the tests' private server, named in its settings file either
// as a URI or through an alias: the table chooser lists the server's tables, statements run
// there, and a server that cannot be reached is said in a message (no hang).
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "TestFolder.h"
#include "console/ResultModel.h"
#include "console/TfrmMain.h"
#include "engine/Engine.h"
#include "platform/Platform.h"

using namespace dorvane;

class ConsoleServerTests : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_messages;
    QStringList m_listed;

    std::unique_ptr<TfrmMain> windowOn(const QString& databasePath)
    {
        QSettings ini(m_dir->path() + "/dorvane.ini", QSettings::IniFormat);
        ini.setValue("MAIN/DatabasePath", databasePath);
        ini.sync();
        auto w = std::make_unique<TfrmMain>(m_dir->path() + "/dorvane.ini", m_dir->path() + "/BdeDrivers");
        w->show();
        return w;
    }
    void run(TfrmMain& w, const QString& text)
    {
        w.memSQL()->setPlainText(text);
        QTest::mouseClick(w.btPerform(), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages.clear();
        m_listed.clear();
        platform::seams().messageBox = [this](QWidget*, const QString& t, const QString& c, platform::Icon,
                                              platform::Buttons) {
            m_messages << c + "|" + t;
            return int(QMessageBox::Ok);
        };
        // The table chooser: note its list, choose the rooms and the clients.
        platform::seams().runModal = [this](QDialog* d) {
            auto* list = d->findChild<QListWidget*>("lbTables");
            if (!list) return int(QDialog::Rejected);
            for (int i = 0; i < list->count(); ++i) {
                m_listed << list->item(i)->text();
                list->item(i)->setSelected(list->item(i)->text() == "POKOJE.DB" || list->item(i)->text() == "KARTY.DB");
            }
            return int(QDialog::Accepted);
        };
    }
    void cleanup() { platform::seams() = platform::Seams{}; }

    // Named as a URI or through an alias, the server's tables are listed and statements run
    // on the server.
    void tablesAndStatementsOnTheServer_data()
    {
        QTest::addColumn<bool>("throughAlias");
        QTest::newRow("URI") << false;
        QTest::newRow("alias") << true;
    }
    void tablesAndStatementsOnTheServer()
    {
        QFETCH(bool, throughAlias);
        const enginetest::TestDb server = enginetest::filledDb(enginetest::Storage::Server);
        const QString uri = QString::fromStdString(server.location);
        if (throughAlias) {
            QSettings store(m_dir->path() + "/BdeDrivers/engine.ini", QSettings::IniFormat);
            store.setValue("Aliases/HOTEL", uri);
        }
        auto w = windowOn(throughAlias ? "HOTEL" : uri);

        QTest::mouseClick(w->btFile(), Qt::LeftButton);
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_listed, QStringList({"BLOKACE.DB", "FAKTURY.DB", "HOSTE.DB", "KALENDARE.DB", "KARTY.DB", "KURZY.DB", "NASTAVENI.DB",
                                        "ODKUDVI.DB", "POBYTY.DB", "POKCENY.DB", "POKOJE.DB", "POZNAMKY.DB", "UCPODEF.DB",
                                        "UCTY.DB", "UCTYPOL.DB"}));
        QCOMPARE(w->memSQL()->toPlainText(), QString(" \"KARTY.DB\" AS KARTY, \"POKOJE.DB\" AS POKOJE "));

        engine::Database direct(server.location);
        auto rooms = direct.open("SELECT COUNT(*) AS N FROM POKOJE");
        QVERIFY(rooms->next());
        QVERIFY(rooms->integer(0) > 1);
        run(*w, "SELECT R.PID, R.PNAME FROM \"POKOJE.DB\" AS R ORDER BY R.PID");
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(w->resultModel()->totalRows(), rooms->integer(0));
        run(*w, "UPDATE POKOJE SET PNAME = \"Renamed\" WHERE PID = \"1\" OR PID = \"2\"");
        QCOMPARE(m_messages, QStringList({"Result|Number of affected rows: 2"}));
        auto renamed = direct.open("SELECT COUNT(*) AS N FROM POKOJE WHERE PNAME = \"Renamed\"");
        QVERIFY(renamed->next());
        QCOMPARE(renamed->integer(0), 2);
        m_messages.clear();
        run(*w, "OPEN POKOJE.DB");
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(w->resultModel()->totalRows(), rooms->integer(0));
        QCOMPARE(w->queryDatabaseName(), throughAlias ? QString("HOTEL") : uri);
    }

    // A server that cannot be reached: the window opens at once; a statement and the table
    // chooser each say why in one message, and the window stays usable.
    void anUnreachableServerIsSaid()
    {
        QElapsedTimer clock;
        clock.start();
        auto w = windowOn("postgresql://nobody@127.0.0.1:1/hotel?connect_timeout=3");
        run(*w, "SELECT PID FROM POKOJE");
        QTest::mouseClick(w->btFile(), Qt::LeftButton);
        QVERIFY2(clock.elapsed() < 10000, "the console waited for the server");
        QCOMPARE(m_messages.size(), 2);
        for (const QString& m : m_messages)
            QVERIFY2(m.startsWith("Dorvane|Cannot connect to the database server postgresql://nobody@127.0.0.1:1/hotel"),
                     qPrintable(m));
        QCOMPARE(m_listed, QStringList());
        QCOMPARE(w->history().size(), 0);
    }
};

QTEST_MAIN(ConsoleServerTests)
#include "ConsoleServerTest.moc"
