// The check-out and account commands and the account windows, driven through the dialog
// seam as the board drives them, on a database folder whose path holds an apostrophe and
// "%2", with the clock fixed and every message box answered through the platform seam; the
// tables are compared with the expected rows after every command. With
// TAMAREL_TEST_STORAGE=server the tables are on the test server instead (the ctest entry runs
// only the locked-tables test there).
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <QSignalSpy>
#include <functional>
#include <memory>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "accounts/RegisterAccounts.h"
#include "accounts/AccountLogic.h"
#include "accounts/TfrmCloseAccount.h"
#include "accounts/TfrmModifActPolDef.h"
#include "accounts/TfrmPolozkyUctu.h"
#include "accounts/TfrmRates.h"
#include "accounts/TfrmReviseAcctItems.h"
#include "data/TableFiles.h"
#include "guests/HotelSettings.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/TableGrid.h"
#include "TestFolder.h"

namespace {
const int kNo = QMessageBox::No, kYes = QMessageBox::Yes, kOk = QMessageBox::Ok;
const QString kItems = QStringLiteral("SELECT UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE "
                                      "FROM \"{db}UCTYPOL.DB\" ORDER BY POLID");
const QString kStays = QStringLiteral("SELECT BID, UID, PID, STATUS, DATEOUT, TIMEOU FROM \"{db}POBYTY.DB\" ORDER BY BID");
const QString kAccounts = QStringLiteral("SELECT * FROM \"{db}UCTY.DB\" ORDER BY UID");

bool onServer() { return qEnvironmentVariable("TAMAREL_TEST_STORAGE") == QLatin1String("server"); }

// Another program holding the lock of every table, from a child process, until it goes away:
// either keeping writers out (readers still read) or keeping everyone out. On table files it
// holds SQLite's shared or exclusive lock of each file; on the server, a transaction's
// EXCLUSIVE or ACCESS EXCLUSIVE lock of each table.
class OtherProgramLocks {
public:
    enum Mode { Writers, Everyone };
    OtherProgramLocks(const QString& location, const QStringList& tableFiles, Mode mode)
    {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) qFatal("no pipe");
        const std::string where = location.toStdString();
        std::vector<std::string> files;
        for (const QString& f : tableFiles) files.push_back((location + f).toStdString());
        m_child = fork();
        if (m_child < 0) qFatal("fork failed");
        if (m_child == 0) {
            // The child touches neither Qt nor the parent's connections.
            close(ready[0]);
            close(release[1]);
            const bool held = engine::isServerLocation(where) ? lockServer(where, mode) : lockFiles(files, mode);
            const char word = held ? 'y' : 'n';
            if (write(ready[1], &word, 1) != 1) _exit(2);
            char end;
            while (read(release[0], &end, 1) > 0) {
            }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char word = 'n';
        if (read(ready[0], &word, 1) != 1 || word != 'y') qFatal("the other program could not take the locks");
        close(ready[0]);
    }
    ~OtherProgramLocks()
    {
        close(m_release);
        int status = 0;
        waitpid(m_child, &status, 0);
    }

private:
    static bool lockFiles(const std::vector<std::string>& files, Mode mode)
    {
        for (const std::string& file : files) {
            sqlite3* db = nullptr;   // left open: the lock goes with the process
            if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return false;
            const char* sql = mode == Everyone ? "BEGIN EXCLUSIVE" : "BEGIN; SELECT count(*) FROM sqlite_master";
            if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return false;
        }
        return true;
    }
    static bool lockServer(const std::string& uri, Mode mode)
    {
        PGconn* c = PQconnectdb(uri.c_str());   // left open: the transaction holds the locks
        if (PQstatus(c) != CONNECTION_OK) return false;
        auto run = [&](const std::string& sql) {
            PGresult* r = PQexec(c, sql.c_str());
            const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
            PQclear(r);
            return ok;
        };
        PGresult* r = PQexec(c, "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                                "WHERE c.relkind = 'r' AND pg_table_is_visible(c.oid) "
                                "AND n.nspname NOT IN ('pg_catalog', 'information_schema')");
        std::string tables;
        for (int i = 0; i < PQntuples(r); ++i) tables += std::string(i ? ", " : "") + "\"" + PQgetvalue(r, i, 0) + "\"";
        PQclear(r);
        if (tables.empty() || !run("BEGIN")) return false;
        return run("LOCK TABLE " + tables + (mode == Everyone ? " IN ACCESS EXCLUSIVE MODE" : " IN EXCLUSIVE MODE"));
    }

    pid_t m_child = -1;
    int m_release = -1;
};
}  // namespace

class TestAccountWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void checkOutCharges_data();
    void checkOutCharges();
    void checkOutChargesTheStayAsTheRoomDetailLeftIt_data();
    void checkOutChargesTheStayAsTheRoomDetailLeftIt();
    void checkOutChangesOnlyTheSelectedStayAndOffersClosingAfterTheLast();
    void checkOutChargesTheFeeWhenSwitchedOn_data();
    void checkOutChargesTheFeeWhenSwitchedOn();
    void commandsRefuseUnsuitableStays_data();
    void commandsRefuseUnsuitableStays();
    void deleteAccountInfoRemovesTheAccountWithAllItsStays();
    void composedWritesLandWholeOrNotAtAll();
    void closingRecordsThePayment();
    void closingChecksAndCancelLeaveTheRowAsItWas_data();
    void closingChecksAndCancelLeaveTheRowAsItWas();
    void closingWithoutARateConvertsNothingAndWarnsOnce();
    void closingChecksComeBeforeTheDecision_data();
    void closingChecksComeBeforeTheDecision();
    void closingKeepsTheAccountsCard_data();
    void closingKeepsTheAccountsCard();
    void closingIssuesTheInvoiceInTheSameChange_data();
    void closingIssuesTheInvoiceInTheSameChange();
    void deletingAnInvoicedAccountCancelsItsInvoice();
    void revisionStepsChangesAndDeletes();
    void revisionStoresWhatWasTyped_data();
    void revisionStoresWhatWasTyped();
    void revisionOfAnAccountWithoutItems();
    void accountItemsListFilters();
    void accountItemsListLoadsOnlyOnAChange();
    void statementsKeepTextsAsTheyStand_data();
    void statementsKeepTextsAsTheyStand();
    void lockedTablesStopNoWindow_data();
    void lockedTablesStopNoWindow();
    void windowsLookRightInBothLanguages();

private:
    void exec(QString sql);
    QStringList rows(QString sql);
    QString rowsText(const QString& sql) { return rows(sql).join('\n'); }
    // The stay as the board hands it to the commands (hasStay false for bid 0).
    QVariantMap stayArgs(int bid);
    int command(const QString& name, int bid) { QVariantMap a = stayArgs(bid); return platform::openDialog(name, a); }
    void itemTypes(const QString& spec);
    void item(int uid, const QString& pid, const QString& descr, double eur, double czk, double rate);
    QString lastMessage() const { return m_messages.isEmpty() ? QString() : m_messages.last(); }
    static void type(QLineEdit* edit, const QString& text);
    static void leave(QWidget* from, QWidget* to);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;     // the database folder (on the server: the one files of the test would go to)
    QString m_location;   // what the data module was given: the folder or the server's URI
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QStringList m_messages;   // "caption|text"
    QList<int> m_answers;     // next answers; Yes or Ok when empty
    QHash<QString, std::function<void(QDialog*)>> m_scripts;
    QStringList m_opened;
};

void TestAccountWindows::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
    m_language->setLanguageIdent(1);
}

void TestAccountWindows::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A folder a statement composed by chained arg() could not name.
    m_folder = m_dir->path() + QStringLiteral("/Guest's %2 DB");
    QVERIFY(QDir().mkpath(m_folder));
    m_location = onServer() ? QString::fromStdString(enginetest::emptyDb(enginetest::Storage::Server).location) : m_folder;
    m_dm = std::make_unique<TdmDataModule>(m_location);
    data::createTables(m_dm->db(), m_location);
    setDataModule(m_dm.get());
    options() = TOptions{};
    m_language->setLanguageIdent(1);
    m_messages.clear();
    m_answers.clear();
    m_scripts.clear();
    m_opened.clear();
    auto& s = platform::seams();
    s = platform::Seams{};
    s.now = [] { return QDateTime(QDate(2004, 3, 3), QTime(9, 5, 7)); };
    s.messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon, platform::Buttons buttons) {
        m_messages << caption + "|" + text;
        if (!m_answers.isEmpty()) return m_answers.takeFirst();
        return int(buttons == platform::Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    };
    s.runModal = [this](QDialog* d) {
        m_opened << d->objectName();
        d->setResult(QDialog::Rejected);
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d)) qWarning("the dialog did not become active");
        if (auto it = m_scripts.constFind(d->objectName()); it != m_scripts.constEnd()) (*it)(d);
        QCoreApplication::processEvents();
        if (d->isVisible()) d->close();
        return d->result();
    };
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    accounts::registerAccountItemsDialog(m_main.get());
    accounts::registerCloseAccountDialog(m_main.get());
    accounts::registerReviseItemsDialog(m_main.get());

    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"5\", \"Room 5\", 255, 150, 15)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"6\", \"Room 6\", 255, 100, 10)");
    exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"1.1.2004\", \"EUR\", 25)");
    exec("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME, CARDNUM, CARDTYPE, CARDEXP, COUNTRY) "
         "VALUES (\"Ing.\", \"O'Neil\", \"Jan \"\"Honza\"\"\", \"4111\", \"VISA\", \"12/05\", \"IE\")");
    exec("INSERT INTO \"{db}KARTY.DB\" (SURNAME, NAME) VALUES (\"Svoboda\", \"Petr\")");
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM) VALUES (1, 1, \"1.3.2004\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, PRICECZK, MAIDEUR, "
         "MAIDCZK, UID, DATEIN) VALUES (1, \"5\", \"1.3.2004\", \"3.3.2004\", \"H\", 2, 300, 7500, 30, 750, 1, \"1.3.2004\")");
    itemTypes("1:Accomodation:5;2:Maid service:19;3:Minibar:19");
}

void TestAccountWindows::cleanup()
{
    accounts::unregisterAccountDialogs();
    for (const char* name : {"frmRoomDetail", "frmPrintAccounts", "frmFindClientCard", "frmCloseAccount"})
        platform::unregisterDialog(QLatin1String(name));
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
}

void TestAccountWindows::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

QStringList TestAccountWindows::rows(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    QStringList out;
    auto q = m_dm->Open(sql);
    while (q->next()) {
        QStringList fields;
        for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
        out << fields.join('|');
    }
    return out;
}

QVariantMap TestAccountWindows::stayArgs(int bid)
{
    if (bid == 0) return {{"hasStay", false}, {"PNAME", "Room 5"}};
    auto q = m_dm->Open(shell::Sql(u"SELECT * FROM %1 AS S, %2 AS P WHERE S.PID=P.PID AND BID=%3",
                                   shell::Table(m_dm->DbPrefix(), u"POBYTY.DB"), shell::Table(m_dm->DbPrefix(), u"POKOJE.DB"), bid));
    if (!q->next()) qFatal("no stay %d", bid);
    QVariantMap a{{"hasStay", true}, {"name", "Ing. O'Neil Jan"}, {"PNAME", QString::fromStdString(q->text("PNAME"))}};
    for (const char* f : {"BID", "UID", "KID", "NUMPERS"}) a.insert(f, int(q->integer(f)));
    for (const char* f : {"PRICEEUR", "PRICECZK", "MAIDEUR", "MAIDCZK"}) a.insert(f, q->number(f));
    for (const char* f : {"PID", "STATUS"}) a.insert(f, QString::fromStdString(q->text(f)));
    return a;
}

// "UPID:name:tax[:second tax];..." replaces the item types (no second rate: -1).
void TestAccountWindows::itemTypes(const QString& spec)
{
    exec("DELETE FROM \"{db}UCPODEF.DB\"");
    for (const QString& type : spec.split(';', Qt::SkipEmptyParts)) {
        const QStringList p = type.split(':');
        exec(shell::Sql(u"INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (%1, %2, %3, %4)", p[0],
                        shell::QuoteText(p[1]), p[2], p.value(3, "-1")));
    }
}

void TestAccountWindows::item(int uid, const QString& pid, const QString& descr, double eur, double czk, double rate)
{
    exec(shell::Sql(u"INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE) "
                    u"VALUES (%1, %2, 3, %3, \"2.3.2004\", %4, %5, 19, %6)",
                    uid, shell::QuoteText(pid), shell::QuoteText(descr), TCalcEdit::fullText(eur), TCalcEdit::fullText(czk),
                    TCalcEdit::fullText(rate)));
}

void TestAccountWindows::type(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // QTest types ASCII only; other letters go in as typed text does.
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 128;
    if (ascii) QTest::keyClicks(edit, text);
    else edit->insert(text);
}

void TestAccountWindows::leave(QWidget* from, QWidget* to)
{
    from->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// ---- check-out -----------------------------------------------------------------------

void TestAccountWindows::checkOutCharges_data()
{
    QTest::addColumn<QString>("types");
    QTest::addColumn<bool>("perPerson");
    QTest::addColumn<bool>("rate");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("status");

    const QString ok = "Check out|Client successfully checked out";
    const QString english = "1:Accomodation:5;2:Maid service:19;3:Minibar:19";
    QTest::newRow("price per person") << english << true << true << ok
        << "1|5|1|Accomodation - Room 5|3.3.2004|600|15000|5|25\n1|5|2|Maid service - Room 5|3.3.2004|30|750|19|25" << "O";
    QTest::newRow("price per stay") << english << false << true << ok
        << "1|5|1|Accomodation - Room 5|3.3.2004|300|7500|5|25\n1|5|2|Maid service - Room 5|3.3.2004|30|750|19|25" << "O";
    QTest::newRow("Czech type names") << QString::fromUtf8("4:Ubytování:10;7:Pokojová služba:21") << false << true << ok
        << QString::fromUtf8("1|5|4|Ubytování - Room 5|3.3.2004|300|7500|10|25\n"
                             "1|5|7|Pokojová služba - Room 5|3.3.2004|30|750|21|25") << "O";
    QTest::newRow("no accommodation name: type 1") << "1:Room:5;2:Maid Service:19" << false << true << ok
        << "1|5|1|Accomodation - Room 5|3.3.2004|300|7500|5|25\n1|5|2|Maid service - Room 5|3.3.2004|30|750|19|25" << "O";
    QTest::newRow("no rate stored") << english << false << false << ok
        << "1|5|1|Accomodation - Room 5|3.3.2004|300|7500|5|-1\n1|5|2|Maid service - Room 5|3.3.2004|30|750|19|-1" << "O";
    QTest::newRow("no accommodation type") << "2:Maid service:19;3:Minibar:19" << false << true
        << "Check out|Can't locate Account type definition record for Accomodation" << "" << "H";
    QTest::newRow("no maid type: nothing written") << "1:Accomodation:5;3:Minibar:19" << false << true
        << "Check out|Can't locate Account type definition record for Maid Service" << "" << "H";
    // A type without its first rate charges at its second; one with neither is no type for it.
    QTest::newRow("no first rate: the second") << "1:Accomodation:-1:21;2:Maid service:-1:0" << false << true << ok
        << "1|5|1|Accomodation - Room 5|3.3.2004|300|7500|21|25\n1|5|2|Maid service - Room 5|3.3.2004|30|750|0|25" << "O";
    QTest::newRow("accommodation without a rate: nothing written") << "1:Accomodation:-1;2:Maid service:19" << false << true
        << "Check out|Can't locate Account type definition record for Accomodation" << "" << "H";
    QTest::newRow("maid service without a rate: nothing written") << "1:Accomodation:5;2:Maid service:-1:-1" << false << true
        << "Check out|Can't locate Account type definition record for Maid Service" << "" << "H";
}

void TestAccountWindows::checkOutCharges()
{
    QFETCH(QString, types);
    QFETCH(bool, perPerson);
    QFETCH(bool, rate);
    QFETCH(QString, message);
    QFETCH(QString, items);
    QFETCH(QString, status);
    itemTypes(types);
    if (!rate) exec("DELETE FROM \"{db}KURZY.DB\"");
    options().PricePerPerson = perPerson;
    m_answers = {kNo, kYes, kOk, kNo};   // no more items; sure; checked out; do not close yet
    command(platform::dialogs::CheckOut, 1);
    QCOMPARE(m_messages.value(1), QString("Check out|Are you sure to check out Ing. O'Neil Jan from Room 5?"));
    QCOMPARE(m_messages.value(2), message);
    QCOMPARE(rowsText(kItems), items);
    QCOMPARE(rowsText(kStays), status == "O" ? QString("1|1|5|O|3.3.2004|9:05:07") : QString("1|1|5|H||"));
    if (status == "O") QCOMPARE(lastMessage(), QString("Check out|Do you wish to close the client's acount?"));
}

// The accommodation fee: charged as a third item of the same change when the hotel has it
// on the account, for the stay's persons that are not exempt, under a type of its own (made
// when missing, in the language of the accommodation type); off, check-out writes exactly the
// two items and no type.
void TestAccountWindows::checkOutChargesTheFeeWhenSwitchedOn_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("guests");   // "from-thru-birth-exemption;..."
    QTest::addColumn<QString>("types");
    QTest::addColumn<QString>("fee");      // the third item, empty for none
    QTest::addColumn<QString>("typesAfter");

    const QString english = "1:Accomodation:5;2:Maid service:19;3:Minibar:19";
    const QString englishRows = "1|Accomodation|5|-1\n2|Maid service|19|-1\n3|Minibar|19|-1";
    const QString family = "1.3.2004-3.3.2004-01.01.1970-;1.3.2004-3.3.2004-01.01.1995-;"
                           "1.3.2004-2.3.2004-01.01.1972-;1.3.2004-3.3.2004-01.01.1960-spa care";
    const QString on = "FEERATE=21;FEEONACCOUNT=1";
    QTest::newRow("off: as without the fee") << "FEERATE=21" << family << english << "" << englishRows;
    QTest::newRow("on: the type is made") << on << family << english
        << "1|5|4|Accommodation fee - Room 5|3.3.2004|2.52|63|0|25" << englishRows + "\n4|Accommodation fee|0|-1";
    QTest::newRow("on: the Czech type is found") << on << family << english + ";9:Poplatek z pobytu:0"
        << "1|5|9|Accommodation fee - Room 5|3.3.2004|2.52|63|0|25" << englishRows + "\n9|Poplatek z pobytu|0|-1";
    QTest::newRow("on: Czech accommodation, Czech fee") << on << family
        << QString::fromUtf8("4:Ubytování:10;7:Pokojová služba:21")
        << QString::fromUtf8("1|5|8|Poplatek z pobytu - Room 5|3.3.2004|2.52|63|0|25")
        << QString::fromUtf8("4|Ubytování|10|-1\n7|Pokojová služba|21|-1\n8|Poplatek z pobytu|0|-1");
    QTest::newRow("on: nobody owes it") << on << "1.3.2004-3.3.2004-01.01.1995-;1.3.2004-3.3.2004-01.01.1960-spa"
        << english << "" << englishRows;
    QTest::newRow("on: no rate") << "FEEONACCOUNT=1" << family << english << "" << englishRows;
    QTest::newRow("on: no guests listed") << on << "" << english << "" << englishRows;
}

void TestAccountWindows::checkOutChargesTheFeeWhenSwitchedOn()
{
    QFETCH(QString, settings);
    QFETCH(QString, guests);
    QFETCH(QString, types);
    QFETCH(QString, fee);
    QFETCH(QString, typesAfter);
    itemTypes(types);
    for (const QString& pair : settings.split(';', Qt::SkipEmptyParts))
        exec(shell::Sql(u"INSERT INTO \"{db}NASTAVENI.DB\" (KEY, VALUE) VALUES (%1, %2)", shell::QuoteText(pair.section('=', 0, 0)),
                        shell::QuoteText(pair.section('=', 1))));
    for (const QString& g : guests.split(';', Qt::SkipEmptyParts)) {
        const QStringList p = g.split('-');
        exec(shell::Sql(u"INSERT INTO \"{db}HOSTE.DB\" (BID, SURNAME, DATEFROM, DATETHRU, DATEBIRTH, FEEEXEMPT) "
                        u"VALUES (1, \"Guest\", %1, %2, %3, %4)",
                        shell::QuoteText(p[0]), shell::QuoteText(p[1]), shell::QuoteText(p[2]), shell::QuoteText(p[3])));
    }
    m_answers = {kNo, kYes, kOk, kNo};
    command(platform::dialogs::CheckOut, 1);
    QCOMPARE(m_messages.value(2), QString("Check out|Client successfully checked out"));
    const QString accommodation = types.startsWith("4:")
        ? QString::fromUtf8("1|5|4|Ubytování - Room 5|3.3.2004|300|7500|10|25\n1|5|7|Pokojová služba - Room 5|3.3.2004|30|750|21|25")
        : QString("1|5|1|Accomodation - Room 5|3.3.2004|300|7500|5|25\n1|5|2|Maid service - Room 5|3.3.2004|30|750|19|25");
    QCOMPARE(rowsText(kItems), fee.isEmpty() ? accommodation : accommodation + "\n" + fee);
    QCOMPARE(rowsText("SELECT UPID, UPNAME, UPTAX1, UPTAX2 FROM \"{db}UCPODEF.DB\" ORDER BY UPID"), typesAfter);
    QCOMPARE(rowsText(kStays), QString("1|1|5|O|3.3.2004|9:05:07"));
}

void TestAccountWindows::checkOutChargesTheStayAsTheRoomDetailLeftIt_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("stays");
    QTest::newRow("lowered price, one more person")
        << "UPDATE \"{db}POBYTY.DB\" SET PRICEEUR=200, PRICECZK=5000, MAIDEUR=0, MAIDCZK=0, NUMPERS=3 WHERE BID=1"
        << "1|5|1|Accomodation - Room 5|3.3.2004|600|15000|5|25\n1|5|2|Maid service - Room 5|3.3.2004|0|0|19|25"
        << "1|1|5|O|3.3.2004|9:05:07";
    QTest::newRow("checked out meanwhile") << "UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\" WHERE BID=1" << ""
                                           << "1|1|5|O||";
}

void TestAccountWindows::checkOutChargesTheStayAsTheRoomDetailLeftIt()
{
    QFETCH(QString, change);
    QFETCH(QString, items);
    QFETCH(QString, stays);
    options().PricePerPerson = true;
    QVariantMap detail;
    platform::registerDialog("frmRoomDetail", [&](QVariantMap& args) {
        detail = args;
        exec(change);
        return platform::kAccepted;
    });
    m_answers = {kYes, kYes, kOk, kNo};   // items added in the room detail; sure; ...
    const QVariantMap board = stayArgs(1);   // the board's copy, taken before the room detail
    QVariantMap args = board;
    platform::openDialog(platform::dialogs::CheckOut, args);
    QCOMPARE(detail.value("BID").toInt(), 1);
    QCOMPARE(rowsText(kItems), items);
    QCOMPARE(rowsText(kStays), stays);
    if (items.isEmpty()) QCOMPARE(lastMessage(), QString("Check out|Can't Check out"));
}

void TestAccountWindows::checkOutChangesOnlyTheSelectedStayAndOffersClosingAfterTheLast()
{
    // A second checked-in stay of the same account, client and room.
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, PRICECZK, MAIDEUR, "
         "MAIDCZK, UID) VALUES (1, \"5\", \"3.3.2004\", \"5.3.2004\", \"H\", 1, 100, 2500, 0, 0, 1)");
    m_answers = {kNo, kYes, kOk};
    QCOMPARE(command(platform::dialogs::CheckOut, 1), platform::kAccepted);
    QCOMPARE(rowsText(kStays), QString("1|1|5|O|3.3.2004|9:05:07\n2|1|5|H||"));
    QCOMPARE(rows(kItems).size(), 2);
    QCOMPARE(lastMessage(), QString("Check out|Client successfully checked out"));   // not asked to close

    // The last one: asked, and Yes runs the closing and then the printout for the account.
    QVariantMap closed, printed;
    platform::registerDialog("frmCloseAccount", [&](QVariantMap& args) {
        closed = args;
        return platform::kAccepted;
    });
    platform::registerDialog("frmPrintAccounts", [&](QVariantMap& args) {
        printed = args;
        return platform::kAccepted;
    });
    m_answers = {kNo, kYes, kOk, kYes};
    command(platform::dialogs::CheckOut, 2);
    QCOMPARE(rowsText(kStays), QString("1|1|5|O|3.3.2004|9:05:07\n2|1|5|O|3.3.2004|9:05:07"));
    QCOMPARE(rows(kItems).value(2), QString("1|5|1|Accomodation - Room 5|3.3.2004|100|2500|5|25"));
    QCOMPARE(closed.value("UID").toInt(), 1);
    QCOMPARE(printed.value("UID").toInt(), 1);
}

void TestAccountWindows::commandsRefuseUnsuitableStays_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("bid");
    QTest::addColumn<QString>("message");
    const QString out = "UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\" WHERE BID=1";
    const QString paid = "UPDATE \"{db}UCTY.DB\" SET FORMPAYM=\"C\", DATEPAYM=\"3.3.2004\" WHERE UID=1";
    const QString second = "INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) "
                           "VALUES (1, \"6\", \"1.3.2004\", \"4.3.2004\", \"H\", 1)";
    using namespace platform::dialogs;
    QTest::newRow("check out, no stay") << CheckOut << "" << 0 << "Check out|Can't check out, select appropriate stay and try again";
    QTest::newRow("check out, checked out") << CheckOut << out << 1 << "Check out|Can't check out, select appropriate stay and try again";
    QTest::newRow("close, no stay") << CloseAccount << "" << 0 << "Close Account|No stay selected";
    QTest::newRow("close, checked in") << CloseAccount << "" << 1
        << "Close Account|Can't close account, the client must be already checked out.\r\n\r\nSelect appropriate stay and try again.";
    QTest::newRow("close, a room still in") << CloseAccount << out + ";" + second << 1
        << "Close Account|Some of this Account's rooms are not checked out yet.";
    QTest::newRow("close, already closed") << CloseAccount << out + ";" + paid << 1 << "Close Account|The Account is already closed.";
    QTest::newRow("print, checked in") << PrintAccount << "" << 1 << "Print Account|The Account is not closed yet.";
    QTest::newRow("print, open account") << PrintAccount << out << 1 << "Print Account|The Account is not closed yet.";
    QTest::newRow("revise, reservation") << ReviseAccountItems << "UPDATE \"{db}POBYTY.DB\" SET STATUS=\"R\"" << 1
        << "Revise Account Items|Select appropriate stay and try again";
    QTest::newRow("delete, no stay") << DeleteAccountInfo << "" << 0 << "Delete Account Info|No stay selected";
    QTest::newRow("delete, checked in") << DeleteAccountInfo << paid << 1 << "Delete Account Info|Stay not in the Checked-out status";
    QTest::newRow("delete, unpaid") << DeleteAccountInfo << out << 1 << "Delete Account Info|Account must be already paid to delete";
    // A stay without an account (id 0) must not name every other stay without one.
    QTest::newRow("delete, account id 0")
        << DeleteAccountInfo << out + ";UPDATE \"{db}POBYTY.DB\" SET UID=0;" + QString(second).replace(", 1)", ", 0)") << 1
        << "Delete Account Info|Account must be already paid to delete";
}

void TestAccountWindows::commandsRefuseUnsuitableStays()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    QFETCH(int, bid);
    QFETCH(QString, message);
    for (const QString& sql : setup.split(';', Qt::SkipEmptyParts)) exec(sql);
    item(1, "5", "Minibar", 5, 125, 25);
    const QStringList before = rows(kStays) + rows(kItems) + rows(kAccounts);
    QCOMPARE(this->command(command, bid), platform::kRejected);
    QCOMPARE(m_messages, QStringList{message});
    QCOMPARE(rows(kStays) + rows(kItems) + rows(kAccounts), before);
    QVERIFY2(m_opened.isEmpty(), qPrintable(m_opened.join(',')));
}

void TestAccountWindows::deleteAccountInfoRemovesTheAccountWithAllItsStays()
{
    exec("UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\"");
    exec("UPDATE \"{db}UCTY.DB\" SET FORMPAYM=\"C\", DATEPAYM=\"3.3.2004\"");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"6\", \"1.3.2004\", \"4.3.2004\", \"O\", 1)");
    // Another guest's account stays as it is.
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM) VALUES (2, 2, \"2.3.2004\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (2, \"6\", \"5.3.2004\", \"6.3.2004\", \"H\", 2)");
    item(1, "5", "Minibar", 5, 125, 25);
    item(1, "6", "Phone", 1, 25, 25);
    item(2, "6", "Phone", 2, 50, 25);

    m_answers = {kNo};
    QCOMPARE(command(platform::dialogs::DeleteAccountInfo, 1), platform::kRejected);
    QCOMPARE(rows(kStays).size(), 3);

    m_answers.clear();
    QCOMPARE(command(platform::dialogs::DeleteAccountInfo, 1), platform::kAccepted);
    QCOMPARE(lastMessage(), QString("Delete Account Info|Account, Account Items and Stay have been deleted."));
    QCOMPARE(rowsText(kStays), QString("3|2|6|H||"));
    QCOMPARE(rowsText(kItems), QString("2|6|3|Phone|2.3.2004|2|50|19|25"));
    QCOMPARE(rowsText("SELECT UID, KID FROM \"{db}UCTY.DB\""), QString("2|2"));
}

// A table file held by another program: the check-out's and Ctrl+D's changes fail as a whole.
void TestAccountWindows::composedWritesLandWholeOrNotAtAll()
{
    m_dm->db().setLockTimeoutMs(200);
    engine::Database other(m_folder.toStdString());
    const QStringList before = rows(kStays) + rows(kItems);
    m_answers = {kNo, kYes};
    other.withReadLock((m_dm->DbPrefix() + "UCTYPOL.DB").toStdString(),
                       [&] { command(platform::dialogs::CheckOut, 1); });
    QCOMPARE(rows(kStays) + rows(kItems), before);
    // Rolled back as a whole: nothing is left to be added by hand.
    QCOMPARE(lastMessage(), QString("Check out|Can't Check out; nothing was changed.\r\n\r\n"
                                    "One of the tables POBYTY.DB, UCTYPOL.DB is locked by another program"));

    exec("UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\"");
    exec("UPDATE \"{db}UCTY.DB\" SET FORMPAYM=\"C\", DATEPAYM=\"3.3.2004\"");
    item(1, "5", "Minibar", 5, 125, 25);
    const QStringList paid = rows(kStays) + rows(kItems) + rows(kAccounts);
    m_messages.clear();
    other.withReadLock((m_dm->DbPrefix() + "UCTY.DB").toStdString(),
                       [&] { QCOMPARE(command(platform::dialogs::DeleteAccountInfo, 1), platform::kRejected); });
    QCOMPARE(rows(kStays) + rows(kItems) + rows(kAccounts), paid);
    QVERIFY2(lastMessage().startsWith("Delete Account Info|The Account could not be deleted; nothing was changed.\r\n\r\n"),
             qPrintable(lastMessage()));
}

// ---- closing -------------------------------------------------------------------------

void TestAccountWindows::closingRecordsThePayment()
{
    exec("UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\"");
    item(1, "5", "Accomodation - Room 5", 600, 15000, 25);
    item(1, "5", "Maid service - Room 5", 30, 750, 25);
    platform::registerDialog("frmFindClientCard", [](QVariantMap& args) {
        args.insert("KID", "2");
        return platform::kAccepted;
    });
    QStringList seen;
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        seen << d.edClientName->text() << d.dbePKID->text() << d.edPayeeName->text() << d.dbeCardNum->text()
             << d.dbcCardType->currentText() << d.dbeCardExp->text() << d.dbeTotalEUR->text() << d.dbeTotalCZK->text()
             << d.cmbPaymForm->currentText() << d.dbeDatePaym->text() << d.dbeDateFrom->text();
        QTest::mouseClick(d.btChangePayee, Qt::LeftButton);
        seen << d.dbePKID->text() << d.edPayeeName->text() << d.dbeCardNum->text() + "/" + d.dbcCardType->currentText();
        type(d.dbeTotalEUR, "100");
        leave(d.dbeTotalEUR, d.dbeTotalCZK);
        seen << d.dbeTotalCZK->text();
        d.cmbPaymForm->setCurrentIndex(3);   // Other
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    QVariantMap printed;
    platform::registerDialog("frmPrintAccounts", [&](QVariantMap& args) {
        printed = args;
        return platform::kAccepted;
    });
    m_answers = {};
    QCOMPARE(command(platform::dialogs::CloseAccount, 1), platform::kAccepted);
    QCOMPARE(seen, (QStringList{"Ing. O'Neil Jan \"Honza\"", "1", "Ing. O'Neil Jan \"Honza\"", "4111", "VISA", "12/05",
                                "630", "15750", "Card", "03.03.2004", "01.03.2004", "2", "Svoboda Petr", "/", "2500"}));
    QCOMPARE(lastMessage(), QString("Close Account|Account has been closed"));
    QCOMPARE(rowsText("SELECT UID, KID, PKID, UFROM, UTHRU, CARDNUM, CARDTYPE, CARDEXP, TOTALEUR, TOTALCZK, FORMPAYM, "
                      "DATEPAYM, RECEPCE, USR, UPMJ, UPMT FROM \"{db}UCTY.DB\""),
             QString("1|1|2|1.3.2004|3.3.2004||||100|2500|?|3.3.2004|||3.3.2004|9:05:07"));
    QCOMPARE(printed.value("UID").toInt(), 1);
}

void TestAccountWindows::closingChecksAndCancelLeaveTheRowAsItWas_data()
{
    QTest::addColumn<int>("uid");
    QTest::addColumn<QString>("eur");
    QTest::addColumn<QString>("paymentDate");
    QTest::addColumn<int>("form");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("message");
    QTest::newRow("EUR total 0") << 1 << "0" << "" << 0 << false << "Close Account|Invalid payment amount";
    QTest::newRow("EUR total 0.00") << 1 << "0.00" << "" << 1 << false << "Close Account|Invalid payment amount";
    QTest::newRow("zero date") << 1 << "10" << "30.12.1899" << 0 << false << "Close Account|Invalid payment date";
    QTest::newRow("no payment form") << 1 << "10" << "" << -1 << false << "Tamarel|Payment form not chosen";
    QTest::newRow("cancel after changes") << 1 << "10" << "" << 2 << true << "";
    QTest::newRow("unknown account") << 9 << "10" << "" << 0 << false << "Close Account|Can't find Account";
}

void TestAccountWindows::closingChecksAndCancelLeaveTheRowAsItWas()
{
    QFETCH(int, uid);
    QFETCH(QString, eur);
    QFETCH(QString, paymentDate);
    QFETCH(int, form);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM) VALUES (2, 2, \"2.3.2004\")");
    platform::registerDialog("frmFindClientCard", [](QVariantMap& args) {
        args.insert("KID", "2");
        return platform::kAccepted;
    });
    const QStringList before = rows(kAccounts);
    bool stillOpen = false;
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        m_messages.clear();
        QTest::mouseClick(d.btChangePayee, Qt::LeftButton);
        type(d.dbeTotalEUR, eur);
        leave(d.dbeTotalEUR, d.dbeTotalCZK);
        if (!paymentDate.isEmpty()) d.dbeDatePaym->setText(paymentDate);
        d.cmbPaymForm->setCurrentIndex(form);
        if (cancel) QTest::keyClick(d.dbeCardNum, Qt::Key_Escape);
        else QTest::keyClick(d.dbeCardNum, Qt::Key_Return);
        stillOpen = d.isVisible();
    };
    const int result = platform::openDialog("frmCloseAccount", QVariantMap{{"UID", uid}});
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(stillOpen, !cancel);
    QCOMPARE(m_messages.value(0), message);
    QCOMPARE(rows(kAccounts), before);
}

// ---- the invoice of a closing -----------------------------------------------------------

const QString kInvoiceRow = QStringLiteral(
    "SELECT INVNO, UID, DATEISSUE, DATETAX, DATEDUE, BUYER, BUYERADDR, CURRENCY, RATE, VATRATE1, BASE1, TAX1, TAXCZK1, "
    "VATRATE2, NOVAT, TOTAL, FORMPAYM, VATPAYER, CANCELLED, CANCELREASON FROM \"{db}FAKTURY.DB\" ORDER BY INVSEQ");

void TestAccountWindows::closingIssuesTheInvoiceInTheSameChange_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("form");
    QTest::addColumn<bool>("eur");
    QTest::addColumn<QString>("more");   // charges beyond the two at 19 %
    QTest::addColumn<QString>("invoice");
    QTest::addColumn<QString>("message");
    const QString buyer = "Ing. O'Neil Jan \"Honza\"|IE|";
    QTest::newRow("payer, cash in CZK") << "VATPAYER=1;INVPREFIX=HV" << 1 << false << ""
        << "HV2004-000001|1|3.3.2004|2.3.2004||" + buyer + "CZK|0|19|13235.29|2514.71|2514.71||0|15750|M|1||"
        << "Close Account|Account has been closed";
    QTest::newRow("payer, transfer in EUR") << "VATPAYER=1;IBAN=CZ6508000000192000145399;DUEDAYS=10" << 2 << true << ""
        << "2004-000001|1|3.3.2004|2.3.2004|13.3.2004|" + buyer + "EUR|25|19|529.41|100.59|2514.75||0|630|B|1||"
        << "Close Account|Account has been closed";
    QTest::newRow("not a payer, card") << "" << 0 << false << "5:-1"
        << "2004-000001|1|3.3.2004|2.3.2004||" + buyer + "CZK|0||||||15875|15875|C|0||"
        << "Close Account|Account has been closed";
    QTest::newRow("transfer without the IBAN") << "VATPAYER=1" << 2 << false << "" << ""
        << "Close Account|A bank transfer needs the hotel's IBAN: enter it in the hotel's details.";
    QTest::newRow("four VAT rates") << "VATPAYER=1" << 1 << false << "5:5;5:10;5:0" << ""
        << "Close Account|An invoice holds at most three VAT rates; this account has more: 0 %, 5 %, 10 %, 19 %";
}

void TestAccountWindows::closingIssuesTheInvoiceInTheSameChange()
{
    QFETCH(QString, settings);
    QFETCH(int, form);
    QFETCH(bool, eur);
    QFETCH(QString, more);
    QFETCH(QString, invoice);
    QFETCH(QString, message);
    QMap<QString, QString> values;
    for (const QString& pair : settings.split(';', Qt::SkipEmptyParts)) values.insert(pair.section('=', 0, 0), pair.section('=', 1));
    guests::writeSettings(m_dm->db(), m_dm->DbPrefix(), values);
    exec("UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\", DATEOUT=\"2.3.2004\"");
    item(1, "5", "Accomodation - Room 5", 600, 15000, 25);
    item(1, "5", "Maid service - Room 5", 30, 750, 25);
    for (const QString& charge : more.split(';', Qt::SkipEmptyParts))
        exec(shell::Sql(u"INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, AMNTEUR, AMNTCZK, TAXRATE) "
                        u"VALUES (1, \"5\", 3, \"Minibar\", %1, %2, %3)",
                        charge.section(':', 0, 0), charge.section(':', 0, 0).toInt() * 25, charge.section(':', 1)));
    QString number;
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        d.cmbPaymForm->setCurrentIndex(form);
        d.chkInvoiceEUR->setChecked(eur);
        m_messages.clear();
        QTest::mouseClick(d.btOk, Qt::LeftButton);
        number = d.invoiceNumber();
    };
    const int result = platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}});
    QCOMPARE(lastMessage(), message);
    QCOMPARE(rowsText(kInvoiceRow), invoice);
    QCOMPARE(number, invoice.section('|', 0, 0));
    // A refused closing leaves the account open: no number, no payment.
    QCOMPARE(result, invoice.isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted));
    QCOMPARE(rowsText("SELECT DATEPAYM FROM \"{db}UCTY.DB\""), invoice.isEmpty() ? QString() : QString("3.3.2004"));
}

void TestAccountWindows::deletingAnInvoicedAccountCancelsItsInvoice()
{
    guests::writeSettings(m_dm->db(), m_dm->DbPrefix(), {{"VATPAYER", "1"}});
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM) VALUES (2, 2, \"1.3.2004\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (2, \"6\", \"1.3.2004\", \"3.3.2004\", \"O\", 2)");
    exec("UPDATE \"{db}POBYTY.DB\" SET STATUS=\"O\"");
    item(1, "5", "Minibar", 10, 250, 25);
    item(2, "6", "Minibar", 20, 500, 25);
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        d.cmbPaymForm->setCurrentIndex(1);
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    for (int uid : {1, 2}) QCOMPARE(platform::openDialog("frmCloseAccount", QVariantMap{{"UID", uid}}), int(QDialog::Accepted));
    m_messages.clear();
    QCOMPARE(command(platform::dialogs::DeleteAccountInfo, 1), platform::kAccepted);
    QCOMPARE(m_messages.mid(1), (QStringList{"Delete Account Info|Account, Account Items and Stay have been deleted.",
                                             "Delete Account Info|The account's invoice stays on record, marked cancelled."}));
    QCOMPARE(rowsText("SELECT INVNO, UID, TOTAL, CANCELLED, CANCELREASON FROM \"{db}FAKTURY.DB\" ORDER BY INVSEQ"),
             QString("2004-000001|1|10|3.3.2004|Account deleted\n2004-000002|2|20||"));
    QCOMPARE(rowsText("SELECT UID FROM \"{db}UCTY.DB\""), QString("2"));
}

void TestAccountWindows::closingWithoutARateConvertsNothingAndWarnsOnce()
{
    exec("UPDATE \"{db}KURZY.DB\" SET CRR=0");
    item(1, "5", "Minibar", 5, 125, 25);
    QStringList totals;
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        type(d.dbeTotalEUR, "7");
        leave(d.dbeTotalEUR, d.dbeTotalCZK);
        leave(d.dbeTotalCZK, d.dbeTotalEUR);
        leave(d.dbeTotalEUR, d.dbeCardNum);
        totals << d.dbeTotalEUR->text() << d.dbeTotalCZK->text();
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    QCOMPARE(platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}}), int(QDialog::Accepted));
    QCOMPARE(totals, (QStringList{"7", "125"}));
    QCOMPARE(m_messages.count("Close Account|The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are."), 1);
    QCOMPARE(rowsText("SELECT TOTALEUR, TOTALCZK, FORMPAYM FROM \"{db}UCTY.DB\""), QString("7|125|C"));
}

// Every check is made before the dialog decides, and nothing is told once it has closed: an
// unreadable payment date stops Ok before anything is written; the missing rate is told
// before "Account has been closed", and not at all after Cancel.
void TestAccountWindows::closingChecksComeBeforeTheDecision_data()
{
    QTest::addColumn<bool>("rate");
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<bool>("closes");
    const QString noRate = "The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are.";
    QTest::newRow("unreadable date, Ok") << true << "31.02.2026" << true
                                         << QStringList{"'31.02.2026' is not a valid date"} << false;
    QTest::newRow("no rate, Ok from a total") << false << "" << true << QStringList{noRate, "Account has been closed"} << true;
    QTest::newRow("no rate, Cancel from a total") << false << "" << false << QStringList{} << true;
}

void TestAccountWindows::closingChecksComeBeforeTheDecision()
{
    QFETCH(bool, rate);
    QFETCH(QString, date);
    QFETCH(bool, ok);
    QFETCH(QStringList, told);
    QFETCH(bool, closes);
    if (!rate) exec("UPDATE \"{db}KURZY.DB\" SET CRR=0");
    item(1, "5", "Minibar", 5, 125, 25);
    const QStringList before = rows(kAccounts);
    QStringList whileOpen;
    bool open = false;
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        m_messages.clear();
        if (!date.isEmpty()) {
            type(d.dbeDatePaym, date.left(2) + date.mid(3, 2) + date.mid(6));
            d.dbeDatePaym->setFocus(Qt::TabFocusReason);
        } else {
            type(d.dbeTotalEUR, "7");
        }
        // The click that moves the focus away is the one that decides.
        QTest::mouseClick(ok ? d.btOk : d.btCancel, Qt::LeftButton);
        QCoreApplication::processEvents();
        whileOpen = m_messages;
        open = d.isVisible();
        if (open) QTest::keyClick(d.dbeCardNum, Qt::Key_Escape);
    };
    platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}});
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QStringList texts;
    for (const QString& m : whileOpen) texts << m.section('|', 1);
    QCOMPARE(texts, told);
    QCOMPARE(m_messages, whileOpen);   // nothing after the dialog has gone
    QCOMPARE(open, !closes);
    if (!closes) QCOMPARE(rows(kAccounts), before);
}

// The card typed at check-in stays; an account without one takes the client card's; "Change
// Payee" takes the payee's card, also none.
void TestAccountWindows::closingKeepsTheAccountsCard_data()
{
    QTest::addColumn<QString>("accountCard");
    QTest::addColumn<bool>("changePayee");
    QTest::addColumn<QString>("stored");
    QTest::newRow("typed at check-in") << "5500|EC/MC|01/07" << false << "5500|EC/MC|01/07";
    QTest::newRow("only an expiry typed") << "||02/09" << false << "||02/09";
    QTest::newRow("none: the client card's") << "||" << false << "4111|VISA|12/05";
    QTest::newRow("Change Payee to a client without a card") << "5500|EC/MC|01/07" << true << "||";
}

void TestAccountWindows::closingKeepsTheAccountsCard()
{
    QFETCH(QString, accountCard);
    QFETCH(bool, changePayee);
    QFETCH(QString, stored);
    const QStringList card = accountCard.split('|');
    exec(shell::Sql(u"UPDATE \"{db}UCTY.DB\" SET CARDNUM=%1, CARDTYPE=%2, CARDEXP=%3 WHERE UID=1", shell::QuoteText(card[0]),
                    shell::QuoteText(card[1]), shell::QuoteText(card[2])));
    item(1, "5", "Minibar", 5, 125, 25);
    platform::registerDialog("frmFindClientCard", [](QVariantMap& args) {
        args.insert("KID", "2");
        return platform::kAccepted;
    });
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        if (changePayee) QTest::mouseClick(d.btChangePayee, Qt::LeftButton);
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    QCOMPARE(platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}}), int(QDialog::Accepted));
    QCOMPARE(rowsText("SELECT CARDNUM, CARDTYPE, CARDEXP FROM \"{db}UCTY.DB\""), stored);
}

// ---- revision ------------------------------------------------------------------------

void TestAccountWindows::revisionStepsChangesAndDeletes()
{
    item(1, "5", "First", 1, 25, 25);
    item(1, "5", "Second", 2, 50, 25.37);
    item(1, "6", "Third", 3, 75, 25);
    item(2, "6", "Other account", 9, 225, 25);
    QStringList seen;
    auto state = [&](TfrmReviseAcctItems& d) {
        return QStringLiteral("%1/%2 %3 %4%5").arg(d.position()).arg(d.count()).arg(d.dbeDescr->text())
            .arg(d.btPrevious->isEnabled() ? "<" : "-").arg(d.btNext->isEnabled() ? ">" : "-");
    };
    m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
        seen << state(d);
        QTest::mouseClick(d.btPrevious, Qt::LeftButton);   // disabled: nothing happens
        type(d.dbeDescr, "First \"one\" isn't");
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        seen << state(d);
        type(d.dbeAmntEur, "10");
        leave(d.dbeAmntEur, d.dbeAmntCzk);
        seen << d.dbeAmntCzk->text();
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        seen << state(d);
        type(d.dbeDescr, "discarded");
        QTest::mouseClick(d.btCancelChanges, Qt::LeftButton);
        seen << state(d);
        m_answers = {kNo};
        QTest::mouseClick(d.btDelete, Qt::LeftButton);
        seen << state(d);
        QTest::mouseClick(d.btDelete, Qt::LeftButton);   // the third: the second is shown
        seen << state(d);
        QTest::mouseClick(d.btPrevious, Qt::LeftButton);
        QTest::mouseClick(d.btDelete, Qt::LeftButton);   // the first: the former second
        seen << state(d);
        QTest::mouseClick(d.btDelete, Qt::LeftButton);   // the only one left
        seen << state(d) + (d.dbeDescr->isEnabled() || d.btDelete->isEnabled() ? " editable" : " closed");
        QTest::keyClick(d.btClose, Qt::Key_Escape);
    };
    command(platform::dialogs::ReviseAccountItems, 1);
    QCOMPARE(seen, (QStringList{"1/3 First ->", "2/3 Second <>", "253.7", "3/3 Third <-", "3/3 Third <-",
                                "3/3 Third <-", "2/2 Second <-", "1/1 Second --", "0/0  -- closed"}));
    QCOMPARE(rowsText(kItems), QString("2|6|3|Other account|2.3.2004|9|225|19|25"));

    // The changes posted on the way: kept by a second run that only steps.
    exec("DELETE FROM \"{db}UCTYPOL.DB\"");
    item(1, "5", "First", 1, 25, 25);
    item(1, "5", "Second", 2, 50, 25.37);
    m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
        type(d.dbeDescr, "First \"one\" isn't");
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        type(d.dbeAmntCzk, "100");
        leave(d.dbeAmntCzk, d.dbeRate);
        QTest::mouseClick(d.btClose, Qt::LeftButton);
    };
    command(platform::dialogs::ReviseAccountItems, 1);
    QCOMPARE(rows("SELECT DESCR, AMNTCZK FROM \"{db}UCTYPOL.DB\" ORDER BY POLID").value(0), QString("First \"one\" isn't|25"));
    auto q = m_dm->Open(QStringLiteral("SELECT AMNTEUR, AMNTCZK FROM \"%1UCTYPOL.DB\" WHERE DESCR=\"Second\"").arg(m_dm->DbPrefix()));
    QVERIFY(q->next());
    QCOMPARE(q->number(0), 100 / 25.37);
    QCOMPARE(q->number(1), 100.0);
}

// What the receptionist typed is what is stored: a decimal comma read as a point, the amount
// being typed when Enter or Esc closes counted as left, nothing converted at a rate that is
// not above 0 (with the warning), and only a room of the account's stays.
void TestAccountWindows::revisionStoresWhatWasTyped_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("told");
    const QStringList none;
    const QStringList noRate{"The rate of this item is not above 0. The amount in the other currency is left as it is."};
    QTest::newRow("EUR, then Enter") << 25.0 << "eur" << "20" << "enter" << "5|20|500|25" << none;
    QTest::newRow("CZK, then Esc") << 25.0 << "czk" << "100" << "esc" << "5|4|100|25" << none;
    QTest::newRow("EUR with a comma, then Tab") << 25.0 << "eur" << "10,5" << "tab" << "5|10.5|262.5|25" << none;
    QTest::newRow("rate with a comma") << 25.0 << "rate" << "25,186" << "enter" << "5|5|125|25.186" << none;
    QTest::newRow("rate -1: EUR left as typed") << -1.0 << "eur" << "20" << "tab" << "5|20|125|-1" << noRate;
    QTest::newRow("rate 0: CZK, then Enter") << 0.0 << "czk" << "100" << "enter" << "5|5|100|0" << noRate;
    QTest::newRow("a room of the account") << 25.0 << "room" << "6" << "enter" << "6|5|125|25" << none;
    QTest::newRow("a room of no stay of the account") << 25.0 << "room" << "7" << "enter" << "5|5|125|25"
        << QStringList{"The room number must be one of this account's rooms: 5, 6"};
}

void TestAccountWindows::revisionStoresWhatWasTyped()
{
    QFETCH(double, rate);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, end);
    QFETCH(QString, stored);
    QFETCH(QStringList, told);
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (1, \"6\", \"1.3.2004\", \"3.3.2004\", \"H\", 1)");
    item(1, "5", "Minibar", 5, 125, rate);
    m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
        QLineEdit* edit = box == "eur" ? d.dbeAmntEur : box == "czk" ? d.dbeAmntCzk : box == "rate" ? d.dbeRate : d.dbeRoomNum;
        m_messages.clear();
        type(edit, typed);
        if (end == "tab") {
            leave(edit, d.dbeDescr);
            QTest::mouseClick(d.btClose, Qt::LeftButton);
        } else {
            QTest::keyClick(edit, end == "esc" ? Qt::Key_Escape : Qt::Key_Return);
        }
        // A refused room keeps the dialog open until the change is cancelled.
        if (d.isVisible()) {
            QTest::mouseClick(d.btCancelChanges, Qt::LeftButton);
            QTest::mouseClick(d.btClose, Qt::LeftButton);
        }
    };
    command(platform::dialogs::ReviseAccountItems, 1);
    QStringList texts;
    for (const QString& m : m_messages) texts << m.section('|', 1);
    QCOMPARE(texts, told);
    QCOMPARE(rowsText("SELECT PID, AMNTEUR, AMNTCZK, RATE FROM \"{db}UCTYPOL.DB\""), stored);
}

void TestAccountWindows::revisionOfAnAccountWithoutItems()
{
    item(2, "6", "Other account", 9, 225, 25);
    command(platform::dialogs::ReviseAccountItems, 1);
    QCOMPARE(m_messages, QStringList{"Revise Account Items|No Account items found"});
    QVERIFY(m_opened.isEmpty());
}

// ---- account items list --------------------------------------------------------------

void TestAccountWindows::accountItemsListFilters()
{
    // Two rooms of one name; an account of another client; a room that is gone.
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR) VALUES (\"7\", \"Twin\", 255)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR) VALUES (\"8\", \"Twin\", 255)");
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM) VALUES (2, 2, \"2.3.2004\")");
    item(1, "5", "Minibar", 5, 125, 25);
    item(1, "7", "Phone \"local\"", 1, 25, 25);
    item(2, "8", "O'Neil's bar", 2, 50, 25);
    item(2, "9", "Gone room", 3, 75, 25);
    platform::registerDialog("frmFindClientCard", [](QVariantMap& args) {
        args.insert("KID", "1");
        return platform::kAccepted;
    });
    QStringList seen;
    m_scripts["frmPolozkyUctu"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmPolozkyUctu*>(dialog);
        auto listed = [&] {
            QStringList descr;
            auto* model = d.dbgPolozky->model();
            for (int r = 0; r < model->rowCount(); ++r) descr << model->index(r, 3).data().toString();
            return descr.join(',');
        };
        seen << QString::number(d.rowCount()) << d.cmbRooms->itemText(0) + "|" + QString::number(d.cmbRooms->count());
        auto choose = [&](int index) {
            d.cmbRooms->setCurrentIndex(index);
            emit d.cmbRooms->activated(index);
        };
        choose(0);
        seen << listed();
        choose(4);   // the second "Twin"
        seen << listed();
        choose(0);
        type(d.edAccount, "2");
        leave(d.edAccount, d.cmbRooms);
        seen << listed();
        type(d.edAccount, "1a");
        leave(d.edAccount, d.cmbRooms);
        seen << listed();
        QTest::mouseClick(d.btFindClient, Qt::LeftButton);
        seen << listed() << d.edClientName->text() << d.dbgPolozky->model()->index(0, 1).data().toString();
    };
    platform::openDialog(platform::dialogs::AccountItems);
    QCOMPARE(seen, (QStringList{"0", "* All rooms *|5", "Minibar,Phone \"local\",O'Neil's bar", "O'Neil's bar",
                                "O'Neil's bar", "Minibar,Phone \"local\",O'Neil's bar", "Minibar,Phone \"local\"",
                                "Ing. O'Neil Jan \"Honza\", IE", "O'Neil Jan \"Honza\""}));
}

// The list reloads when a filter changed: not when the account field is left unchanged, nor
// when the dialog closes; and a load never widens the dialog.
void TestAccountWindows::accountItemsListLoadsOnlyOnAChange()
{
    item(1, "5", "Minibar", 5, 125, 25);
    item(1, "5", QString("Telephone, long distance, ").repeated(2), 1234567.5, 30864187.5, 25);
    int loadsWhenUnchanged = -1, loadsAfterAChange = -1, loadsOnClosing = -1;
    QList<int> widths;
    m_scripts["frmPolozkyUctu"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmPolozkyUctu*>(dialog);
        QSignalSpy loads(d.dbgPolozky->model(), &QAbstractItemModel::rowsInserted);
        d.adjustSize();
        for (int i = 0; i < 3; ++i) {
            emit d.cmbRooms->activated(0);
            QCoreApplication::processEvents();
            widths << d.width();
        }
        loads.clear();
        leave(d.edAccount, d.cmbRooms);
        loadsWhenUnchanged = int(loads.count());
        type(d.edAccount, "1");
        leave(d.edAccount, d.cmbRooms);
        loadsAfterAChange = int(loads.count());
        widths << d.width();
        loads.clear();
        type(d.edAccount, "2");
        QTest::keyClick(d.edAccount, Qt::Key_Escape);
        QCoreApplication::processEvents();
        loadsOnClosing = int(loads.count());
    };
    platform::openDialog(platform::dialogs::AccountItems);
    QCOMPARE(loadsWhenUnchanged, 0);
    QVERIFY(loadsAfterAChange > 0);
    QCOMPARE(loadsOnClosing, 0);
    QCOMPARE(widths, QList<int>(4, widths.value(0)));
}

// ---- statements ----------------------------------------------------------------------

// The statements of the account commands and windows take a folder holding "%2" and an
// apostrophe (the fixture's) and texts holding %1, %2, quotes and Czech letters, and store
// the texts as they stand: a room's name in the check-out's descriptions, a description
// typed in the revision, a card typed at closing, a room id in the items list's filter.
void TestAccountWindows::statementsKeepTextsAsTheyStand_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("%1") << "Deposit 50%1st night";
    QTest::newRow("%2") << "Order 20%2 more";
    QTest::newRow("quotes") << "O'Neil's \"bar\"";
    QTest::newRow("Czech") << QString::fromUtf8("Příliš žluťoučký kůň");
    QTest::newRow("all of them") << QString::fromUtf8("%1%2'\"č %3");
}

void TestAccountWindows::statementsKeepTextsAsTheyStand()
{
    QFETCH(QString, text);
    exec(shell::Sql(u"INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR) VALUES (%1, %2, 255)", shell::QuoteText("%1'"),
                    shell::QuoteText(text)));
    exec("UPDATE \"{db}POBYTY.DB\" SET PID=\"%1'\" WHERE BID=1");
    m_answers = {kNo, kYes, kOk, kNo};
    command(platform::dialogs::CheckOut, 1);
    m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        type(d.dbeDescr, text);
        QTest::mouseClick(d.btClose, Qt::LeftButton);
    };
    command(platform::dialogs::ReviseAccountItems, 1);
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        type(d.dbeCardNum, text);
        type(d.dbcCardType->lineEdit(), text);
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    QCOMPARE(platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}}), int(QDialog::Accepted));
    QStringList listed;
    m_scripts["frmPolozkyUctu"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmPolozkyUctu*>(dialog);
        const int room = d.cmbRooms->findText(text);
        d.cmbRooms->setCurrentIndex(room);
        emit d.cmbRooms->activated(room);
        for (int r = 0; r < d.dbgPolozky->model()->rowCount(); ++r) listed << d.dbgPolozky->model()->index(r, 3).data().toString();
    };
    platform::openDialog(platform::dialogs::AccountItems);
    // The rate of a date, entered twice: the second replaces the first.
    const QString prefix = m_dm->DbPrefix();
    QVERIFY(m_dm->ExecStatement(accounts::insertRateSql(prefix, "05.03.2004", "25.5")));
    QVERIFY(!m_dm->ExecStatement(accounts::insertRateSql(prefix, "05.03.2004", "26")));
    QVERIFY(m_dm->ExecStatement(accounts::updateRateSql(prefix, "05.03.2004", "26")));

    const QString accommodation = "Accomodation - " + text;
    QCOMPARE(rows("SELECT PID, DESCR FROM \"{db}UCTYPOL.DB\" ORDER BY POLID"),
             (QStringList{"%1'|" + accommodation, "%1'|" + text}));
    QCOMPARE(rowsText("SELECT CARDNUM, CARDTYPE, DATEPAYM FROM \"{db}UCTY.DB\""), text + "|" + text + "|3.3.2004");
    QCOMPARE(listed, (QStringList{accommodation, text}));
    QCOMPARE(rowsText("SELECT RDATE, CRR FROM \"{db}KURZY.DB\" ORDER BY RDATE"), QString("1.1.2004|25\n5.3.2004|26"));
}

// ---- tables held by another program ----------------------------------------------------

// Every command of the account windows while another program holds every table: none ends
// the program, each says what it could not do with the engine's reason, nothing is changed,
// and the windows work again once the tables are free. The revision and the closing dialog
// are open when the tables are taken (a restore from another desk, a long writer).
void TestAccountWindows::lockedTablesStopNoWindow_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("writers kept out") << int(OtherProgramLocks::Writers);
    QTest::newRow("everyone kept out") << int(OtherProgramLocks::Everyone);
}

void TestAccountWindows::lockedTablesStopNoWindow()
{
    QFETCH(int, mode);
    const bool everyone = mode == OtherProgramLocks::Everyone;
    item(1, "5", "Minibar", 5, 125, 25);
    item(1, "5", "Phone", 1, 25, 25);
    item(1, "5", "Bar", 2, 50, 25);
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM, FORMPAYM, DATEPAYM) VALUES (2, 2, \"1.3.2004\", \"C\", \"3.3.2004\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (2, \"6\", \"1.3.2004\", \"3.3.2004\", \"O\", 2)");
    item(2, "6", "Phone", 1, 25, 25);
    QStringList tables;
    for (const std::string& t : m_dm->db().tableFiles()) tables << QString::fromStdString(t);
    auto everything = [&] {
        QStringList all;
        for (const QString& t : tables) all << t << rows("SELECT * FROM \"{db}" + t + "\"");
        return all;
    };
    const QStringList before = everything();
    const QVariantMap checkedIn = stayArgs(1), paid = stayArgs(2);
    platform::registerDialog("frmPrintAccounts", [](QVariantMap&) { return platform::kAccepted; });
    m_dm->db().setLockTimeoutMs(150);
    const QString lockedBy = "locked by another program";
    std::unique_ptr<OtherProgramLocks> locks;
    auto takeLocks = [&] {
        locks = std::make_unique<OtherProgramLocks>(onServer() ? m_location : m_dm->DbPrefix(), tables,
                                                   OtherProgramLocks::Mode(mode));
    };
    // What each command told; a command that needed a table it could not have must say so.
    QStringList missing;
    auto told = [&](const QString& what, bool mustNameTheLock) {
        const QString all = m_messages.join(" / ");
        if (mustNameTheLock && !all.contains(lockedBy)) missing << what + ": " + (all.isEmpty() ? QString("nothing said") : all);
        m_messages.clear();
        m_answers.clear();
    };

    // The revision, open when the tables are taken.
    m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        takeLocks();
        m_messages.clear();
        // Nothing typed: nothing to write, but the step reads.
        QTest::mouseClick(d.btPrevious, Qt::LeftButton);
        told("revision: previous", everyone);
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        told("revision: next", everyone);
        type(d.dbeDescr, "Changed");
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        told("revision: next after typing", true);
        QTest::mouseClick(d.btPrevious, Qt::LeftButton);
        told("revision: previous after typing", true);
        m_answers = {kYes};
        QTest::mouseClick(d.btDelete, Qt::LeftButton);
        told("revision: delete", true);
        type(d.dbeAmntEur, "9");
        leave(d.dbeAmntEur, d.dbeDescr);
        QTest::keyClick(d.dbeDescr, Qt::Key_Return);
        told("revision: close after typing", true);
        QTest::mouseClick(d.btCancelChanges, Qt::LeftButton);
        QTest::mouseClick(d.btClose, Qt::LeftButton);
        if (d.isVisible()) missing << "revision: cannot be closed after cancelling";
    };
    command(platform::dialogs::ReviseAccountItems, 1);
    m_messages.clear();

    // The closing dialog, open when the tables are taken, then opened while they are held.
    locks.reset();
    m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmCloseAccount*>(dialog);
        const bool first = !locks;
        if (first) {
            takeLocks();
            m_messages.clear();
        } else {
            told("closing: opening", everyone);
        }
        type(d.dbeTotalEUR, "10");
        QTest::mouseClick(d.btOk, Qt::LeftButton);
        // A dialog that could not read the account stops at its first check.
        told(first ? "closing: Ok" : "closing: Ok in a dialog opened while locked", first || !everyone);
        if (!d.isVisible()) missing << "closing: closed although nothing was written";
        QTest::keyClick(d.dbeCardNum, Qt::Key_Escape);
    };
    platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}});
    m_messages.clear();
    platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}});
    m_messages.clear();

    // The items list.
    m_scripts["frmPolozkyUctu"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmPolozkyUctu*>(dialog);
        m_messages.clear();
        emit d.cmbRooms->activated(0);
        told("items list: load", everyone);
    };
    platform::openDialog(platform::dialogs::AccountItems);

    // The board's commands.
    m_messages.clear();
    m_answers = {kNo, kYes};
    QVariantMap args = checkedIn;
    platform::openDialog(platform::dialogs::CheckOut, args);
    told("check-out", true);
    args = paid;
    platform::openDialog(platform::dialogs::CloseAccount, args);
    told("close account", everyone);
    args = paid;
    platform::openDialog(platform::dialogs::PrintAccount, args);
    told("print account", everyone);
    args = paid;
    m_answers = {kYes};
    platform::openDialog(platform::dialogs::DeleteAccountInfo, args);
    told("delete account", true);
    m_scripts["frmReviseAcctItems"] = [](QDialog* dialog) { static_cast<TfrmReviseAcctItems*>(dialog)->btClose->click(); };
    args = checkedIn;
    platform::openDialog(platform::dialogs::ReviseAccountItems, args);
    told("revise account items: opening", everyone);

    // The rates and the item types.
    {
        TfrmRates rates(m_main.get());
        rates.show();
        m_messages.clear();
        rates.edDateFrom->setText("5.3.2004");
        rates.edRate->setText("26,5");
        rates.btInsertClick();
        told("rates: insert", true);
        rates.close();
    }
    {
        TfrmModifActPolDef types(m_main.get());
        types.show();
        told("item types: opening", everyone);
        if (!everyone) {
            QAbstractItemModel* model = types.dbgUCPODEF->model();
            model->setData(model->index(0, 1), "Changed");
            types.close();
            told("item types: saving", true);
            types.dbgUCPODEF->cancelPending();
            types.close();
            m_messages.clear();
        }
    }

    locks.reset();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join("\n")));
    QCOMPARE(everything(), before);

    // Usable again once the tables are free.
    int position = 0;
    m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
        auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
        QTest::mouseClick(d.btNext, Qt::LeftButton);
        position = d.position();
        QTest::mouseClick(d.btClose, Qt::LeftButton);
    };
    m_messages.clear();
    command(platform::dialogs::ReviseAccountItems, 1);
    QCOMPARE(position, 2);
    QCOMPARE(m_messages, QStringList());
}

// ---- look ----------------------------------------------------------------------------

void TestAccountWindows::windowsLookRightInBothLanguages()
{
    const QString folder = qEnvironmentVariable("ACCOUNTS_SCREENSHOTS");
    QStringList clipped, czech;
    auto check = [&](QDialog* d, const QString& name) {
        d->adjustSize();
        QCoreApplication::processEvents();
        for (QWidget* w : d->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(d) || w->objectName().isEmpty()) continue;
            const bool hasCaption = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
            if (hasCaption && w->width() < w->sizeHint().width())
                clipped << QStringLiteral("%1 %2 (%3 < %4)").arg(name, w->objectName()).arg(w->width()).arg(w->sizeHint().width());
        }
        if (auto* grid = d->findChild<QTableView*>()) {
            const QFontMetrics header(grid->horizontalHeader()->font());
            for (int c = 0; c < grid->model()->columnCount(); ++c) {
                const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
                if (grid->columnWidth(c) < header.horizontalAdvance(title) + 8) clipped << name + " column " + title;
            }
        }
        if (!folder.isEmpty()) d->grab().save(folder + "/" + name + ".png");
    };
    item(1, "5", "Minibar", 5, 125, 25);
    bool enterCloses = false, escKeepsRow = false, closeIsDefault = false;
    for (int language : {1, 2}) {
        m_language->setLanguageIdent(language);
        const QString suffix = language == 1 ? "-en" : "-cs";
        m_scripts["frmCloseAccount"] = [&](QDialog* dialog) {
            currentLanguage()->TranslateAll();
            auto& d = *static_cast<TfrmCloseAccount*>(dialog);
            check(dialog, "close-account" + suffix);
            czech << d.lbPaymentForm->text() << d.cmbPaymForm->itemText(0);
            QTest::keyClick(d.dbeCardNum, Qt::Key_Escape);
            escKeepsRow = !d.isVisible() && rows("SELECT * FROM \"{db}UCTY.DB\" WHERE DATEPAYM is null").size() == 1;
        };
        platform::openDialog("frmCloseAccount", QVariantMap{{"UID", 1}});
        m_scripts["frmReviseAcctItems"] = [&](QDialog* dialog) {
            currentLanguage()->TranslateAll();
            auto& d = *static_cast<TfrmReviseAcctItems*>(dialog);
            check(dialog, "revise-items" + suffix);
            czech << d.lbCurrencyRate->text();
            closeIsDefault = d.btClose->isDefault();
            QTest::keyClick(d.dbeDescr, Qt::Key_Return);
            enterCloses = !d.isVisible();
        };
        platform::openDialog("frmReviseAcctItems", QVariantMap{{"UID", 1}});
        m_scripts["frmPolozkyUctu"] = [&](QDialog* dialog) {
            currentLanguage()->TranslateAll();
            auto& d = *static_cast<TfrmPolozkyUctu*>(dialog);
            d.FormActivate();   // the titles are translated on opening
            emit d.cmbRooms->activated(0);
            check(dialog, "account-items" + suffix);
            czech << d.lbRooms->text() << d.dbgPolozky->model()->headerData(0, Qt::Horizontal).toString();
        };
        platform::openDialog(platform::dialogs::AccountItems);
    }
    m_language->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    QVERIFY(escKeepsRow);
    QVERIFY(closeIsDefault);
    QVERIFY(enterCloses);
    QCOMPARE(czech.mid(5), (QStringList{QString::fromUtf8("Forma úhrady:"), "Karta", QString::fromUtf8("Kurz měny:"),
                                        QString::fromUtf8("Název pokoje:"), QString::fromUtf8("Číslo účtu")}));
}

QTEST_MAIN(TestAccountWindows)
#include "AccountWindowsTest.moc"
