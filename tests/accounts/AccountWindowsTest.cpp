// The check-out and account commands and the account windows, driven through the dialog
// seam as the board drives them, on a database folder whose path holds an apostrophe, with
// the clock fixed and every message box answered through the platform seam; the tables are
// compared with the expected rows after every command.
#include <QAbstractButton>
#include <QApplication>
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
#include <functional>
#include <memory>

#include "accounts/RegisterAccounts.h"
#include "accounts/TfrmCloseAccount.h"
#include "accounts/TfrmPolozkyUctu.h"
#include "accounts/TfrmReviseAcctItems.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"

namespace {
const int kNo = QMessageBox::No, kYes = QMessageBox::Yes, kOk = QMessageBox::Ok;
const QString kItems = QStringLiteral("SELECT UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE "
                                      "FROM \"{db}UCTYPOL.DB\" ORDER BY POLID");
const QString kStays = QStringLiteral("SELECT BID, UID, PID, STATUS, DATEOUT, TIMEOU FROM \"{db}POBYTY.DB\" ORDER BY BID");
const QString kAccounts = QStringLiteral("SELECT * FROM \"{db}UCTY.DB\" ORDER BY UID");
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
    void commandsRefuseUnsuitableStays_data();
    void commandsRefuseUnsuitableStays();
    void deleteAccountInfoRemovesTheAccountWithAllItsStays();
    void composedWritesLandWholeOrNotAtAll();
    void closingRecordsThePayment();
    void closingChecksAndCancelLeaveTheRowAsItWas_data();
    void closingChecksAndCancelLeaveTheRowAsItWas();
    void closingWithoutARateConvertsNothingAndWarnsOnce();
    void revisionStepsChangesAndDeletes();
    void revisionOfAnAccountWithoutItems();
    void accountItemsListFilters();
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
    QString m_folder;
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
    m_folder = m_dir->path() + QStringLiteral("/Guest's DB");
    QVERIFY(QDir().mkpath(m_folder));
    m_dm = std::make_unique<TdmDataModule>(m_folder);
    data::createTables(m_dm->db(), m_folder);
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
    for (const char* name : {"frmRoomDetail", "frmPrintAccounts", "frmFindClientCard"})
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
    auto q = m_dm->Open(QStringLiteral("SELECT * FROM \"%1POBYTY.DB\" AS S, \"%1POKOJE.DB\" AS P WHERE S.PID=P.PID AND BID=%2")
                            .arg(m_dm->DbPrefix())
                            .arg(bid));
    if (!q->next()) qFatal("no stay %d", bid);
    QVariantMap a{{"hasStay", true}, {"name", "Ing. O'Neil Jan"}, {"PNAME", QString::fromStdString(q->text("PNAME"))}};
    for (const char* f : {"BID", "UID", "KID", "NUMPERS"}) a.insert(f, int(q->integer(f)));
    for (const char* f : {"PRICEEUR", "PRICECZK", "MAIDEUR", "MAIDCZK"}) a.insert(f, q->number(f));
    for (const char* f : {"PID", "STATUS"}) a.insert(f, QString::fromStdString(q->text(f)));
    return a;
}

// "UPID:name:tax;..." replaces the item types.
void TestAccountWindows::itemTypes(const QString& spec)
{
    exec("DELETE FROM \"{db}UCPODEF.DB\"");
    for (const QString& type : spec.split(';', Qt::SkipEmptyParts)) {
        const QStringList p = type.split(':');
        exec(QStringLiteral("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (%1, \"%2\", %3, -1)")
                 .arg(p[0], p[1], p[2]));
    }
}

void TestAccountWindows::item(int uid, const QString& pid, const QString& descr, double eur, double czk, double rate)
{
    exec(QStringLiteral("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE) "
                        "VALUES (%1, \"%2\", 3, %3, \"2.3.2004\", %4, %5, 19, %6)")
             .arg(uid)
             .arg(pid, shell::QuoteText(descr))
             .arg(eur)
             .arg(czk)
             .arg(rate));
}

void TestAccountWindows::type(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
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
    QVERIFY2(!lastMessage().contains("successfully"), qPrintable(lastMessage()));

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
    QCOMPARE(m_messages.count("Close Account|No exchange rate is stored for this day. Amounts in the other currency are left as they are."), 1);
    QCOMPARE(rowsText("SELECT TOTALEUR, TOTALCZK, FORMPAYM FROM \"{db}UCTY.DB\""), QString("7|125|C"));
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
