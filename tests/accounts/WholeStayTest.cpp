// Whole stays from the checked-in guest to the deleted paid account, through the board's
// account commands and the closing dialog, with every message box answered through the
// platform seam; the stay, account and item tables are compared with the expected rows after
// every step. The guest is checked in by the rows check-in writes (an account row and the
// stay in status "H"), and the room detail's charge is the row that window posts.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "accounts/RegisterAccounts.h"
#include "accounts/TfrmCloseAccount.h"
#include "data/TableFiles.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/CalcEdit.h"

namespace {
const int kNo = QMessageBox::No, kYes = QMessageBox::Yes, kOk = QMessageBox::Ok;
}

class TestWholeStay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void oneRoomFromCheckInToDeletedAccount_data();
    void oneRoomFromCheckInToDeletedAccount();
    void twoRoomsOnOneAccountCloseOnlyWhenBothAreOut();

private:
    void exec(QString sql);
    QString table(const QString& sql);
    QString stays() { return table("SELECT BID, UID, KID, PID, STATUS, DATEOUT, TIMEOU FROM \"{db}POBYTY.DB\" ORDER BY BID"); }
    QString accounts()
    {
        return table("SELECT UID, KID, PKID, UFROM, UTHRU, CARDNUM, CARDTYPE, TOTALEUR, TOTALCZK, FORMPAYM, DATEPAYM "
                     "FROM \"{db}UCTY.DB\" ORDER BY UID");
    }
    QString items() { return table("SELECT UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE FROM \"{db}UCTYPOL.DB\" ORDER BY POLID"); }
    void checkIn(const QString& pid, int uid, double eur, double czk, double maidEur, double maidCzk, int persons);
    int command(const QString& name, int bid);
    QString last() const { return m_messages.isEmpty() ? QString() : m_messages.last(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QStringList m_messages;
    QList<int> m_answers;
    std::function<void(TfrmCloseAccount&)> m_pay;
    QList<int> m_printed;
};

void TestWholeStay::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
    m_language->setLanguageIdent(1);
}

void TestWholeStay::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString folder = m_dir->path() + "/Hotel's DB";
    QVERIFY(QDir().mkpath(folder));
    m_dm = std::make_unique<TdmDataModule>(folder);
    data::createTables(m_dm->db(), folder);
    setDataModule(m_dm.get());
    options() = TOptions{};
    m_messages.clear();
    m_answers.clear();
    m_printed.clear();
    auto& s = platform::seams();
    s = platform::Seams{};
    s.now = [] { return QDateTime(QDate(2004, 3, 5), QTime(11, 30, 0)); };
    s.messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon, platform::Buttons buttons) {
        m_messages << caption + "|" + text;
        if (!m_answers.isEmpty()) return m_answers.takeFirst();
        return int(buttons == platform::Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    };
    s.runModal = [this](QDialog* d) {
        d->setResult(QDialog::Rejected);
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d)) qWarning("the dialog did not become active");
        if (auto* closing = qobject_cast<TfrmCloseAccount*>(d); closing && m_pay) m_pay(*closing);
        QCoreApplication::processEvents();
        if (d->isVisible()) d->close();
        return d->result();
    };
    m_main = std::make_unique<QWidget>();
    accounts::registerAccountItemsDialog(m_main.get());
    accounts::registerCloseAccountDialog(m_main.get());
    accounts::registerReviseItemsDialog(m_main.get());
    platform::registerDialog("frmPrintAccounts", [this](QVariantMap& args) {
        m_printed << args.value("UID").toInt();
        return platform::kAccepted;
    });
    // The room detail posts a minibar charge, as its new item page does.
    platform::registerDialog("frmRoomDetail", [this](QVariantMap& args) {
        auto q = m_dm->Open(QStringLiteral("SELECT UID, PID FROM \"%1POBYTY.DB\" WHERE BID=%2")
                                .arg(m_dm->DbPrefix())
                                .arg(args.value("BID").toInt()));
        if (!q->next()) return platform::kRejected;
        const QString sql = QStringLiteral("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, "
                                           "TAXRATE, RATE) VALUES (%1, \"%2\", 3, \"Minibar\", \"5.3.2004\", 4, 100, 19, 25)")
                                .arg(q->integer(0))
                                .arg(QString::fromStdString(q->text(1)));
        q.reset();
        exec(sql);
        return platform::kAccepted;
    });

    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"5\", \"Room 5\", 255, 150, 15)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"6\", \"Room 6\", 255, 100, 10)");
    exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"1.1.2004\", \"EUR\", 25)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Accomodation\", 5, -1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (2, \"Maid service\", 19, -1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (3, \"Minibar\", 19, -1)");
    exec("INSERT INTO \"{db}KARTY.DB\" (SURNAME, NAME, CARDNUM, CARDTYPE, CARDEXP) VALUES (\"Novák\", \"Jan\", \"\", \"\", \"\")");
    exec("INSERT INTO \"{db}UCTY.DB\" (KID, PKID, UFROM) VALUES (1, 1, \"1.3.2004\")");
}

void TestWholeStay::cleanup()
{
    accounts::unregisterAccountDialogs();
    platform::unregisterDialog("frmPrintAccounts");
    platform::unregisterDialog("frmRoomDetail");
    m_pay = nullptr;
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
}

void TestWholeStay::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

QString TestWholeStay::table(const QString& sql)
{
    QString text = sql;
    text.replace("{db}", m_dm->DbPrefix());
    QStringList out;
    auto q = m_dm->Open(text);
    while (q->next()) {
        QStringList fields;
        for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
        out << fields.join('|');
    }
    return out.join('\n');
}

// The stay as check-in leaves it: on the account, status "H", arrived on the 1st.
void TestWholeStay::checkIn(const QString& pid, int uid, double eur, double czk, double maidEur, double maidCzk, int persons)
{
    exec(QStringLiteral("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, PRICECZK, "
                        "MAIDEUR, MAIDCZK, UID, DATEIN, TIMEIN) VALUES (1, \"%1\", \"1.3.2004\", \"5.3.2004\", \"H\", %2, %3, "
                        "%4, %5, %6, %7, \"1.3.2004\", \"14:00:00\")")
             .arg(pid)
             .arg(persons)
             .arg(eur)
             .arg(czk)
             .arg(maidEur)
             .arg(maidCzk)
             .arg(uid));
}

int TestWholeStay::command(const QString& name, int bid)
{
    QVariantMap args{{"hasStay", true}, {"name", "Novák Jan"}};
    {
        // The board's copy of the stay; its query is gone before the command runs.
        auto q = m_dm->Open(QStringLiteral("SELECT * FROM \"%1POBYTY.DB\" AS S, \"%1POKOJE.DB\" AS P WHERE S.PID=P.PID AND BID=%2")
                                .arg(m_dm->DbPrefix())
                                .arg(bid));
        if (!q->next()) qFatal("no stay %d", bid);
        args.insert("PNAME", QString::fromStdString(q->text("PNAME")));
        for (const char* f : {"BID", "UID", "KID", "NUMPERS"}) args.insert(f, int(q->integer(f)));
        for (const char* f : {"PRICEEUR", "PRICECZK", "MAIDEUR", "MAIDCZK"}) args.insert(f, q->number(f));
        for (const char* f : {"PID", "STATUS"}) args.insert(f, QString::fromStdString(q->text(f)));
    }
    return platform::openDialog(name, args);
}

void TestWholeStay::oneRoomFromCheckInToDeletedAccount_data()
{
    QTest::addColumn<bool>("perPerson");
    QTest::addColumn<QString>("accommodation");
    QTest::addColumn<QString>("total");
    QTest::newRow("price per person") << true << "1|5|1|Accomodation - Room 5|5.3.2004|480|12000|5|25" << "524|13100";
    QTest::newRow("price per stay") << false << "1|5|1|Accomodation - Room 5|5.3.2004|240|6000|5|25" << "284|7100";
}

void TestWholeStay::oneRoomFromCheckInToDeletedAccount()
{
    QFETCH(bool, perPerson);
    QFETCH(QString, accommodation);
    QFETCH(QString, total);
    options().PricePerPerson = perPerson;
    checkIn("5", 1, 240, 6000, 40, 1000, 2);
    QCOMPARE(stays(), QString("1|1|1|5|H||"));
    QCOMPARE(accounts(), QString("1|1|1|1.3.2004|||||||"));
    QCOMPARE(items(), QString());

    // Check-out with a charge added in the room detail on the way; the account is closed at
    // once, paid by card.
    m_pay = [](TfrmCloseAccount& d) {
        d.cmbPaymForm->setCurrentIndex(0);   // Card
        d.dbeCardNum->setText("4000 1234");
        d.dbcCardType->setEditText("VISA");
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    m_answers = {kYes, kYes, kOk, kYes, kOk};
    QCOMPARE(command(platform::dialogs::CheckOut, 1), platform::kAccepted);
    QCOMPARE(m_messages, (QStringList{
        "Check out|Do you wish to add some items to client's account?\r\n(telephone, minibar, news etc.)",
        "Check out|Are you sure to check out Novák Jan from Room 5?", "Check out|Client successfully checked out",
        "Check out|Do you wish to close the client's acount?", "Close Account|Account has been closed"}));
    QCOMPARE(stays(), QString("1|1|1|5|O|5.3.2004|11:30:00"));
    QCOMPARE(items(), "1|5|3|Minibar|5.3.2004|4|100|19|25\n" + accommodation + "\n1|5|2|Maid service - Room 5|5.3.2004|40|1000|19|25");
    QCOMPARE(accounts(), "1|1|1|1.3.2004|5.3.2004|4000 1234|VISA|" + total + "|C|5.3.2004");
    QCOMPARE(m_printed, QList<int>{1});

    // Printing again is allowed for the closed account; closing it again is not.
    command(platform::dialogs::PrintAccount, 1);
    QCOMPARE(m_printed, (QList<int>{1, 1}));
    command(platform::dialogs::CloseAccount, 1);
    QCOMPARE(last(), QString("Close Account|The Account is already closed."));

    // Ctrl+D: the paid account goes with its items and stay.
    m_answers = {kYes, kOk};
    QCOMPARE(command(platform::dialogs::DeleteAccountInfo, 1), platform::kAccepted);
    QCOMPARE(last(), QString("Delete Account Info|Account, Account Items and Stay have been deleted."));
    QCOMPARE(stays(), QString());
    QCOMPARE(accounts(), QString());
    QCOMPARE(items(), QString());
}

void TestWholeStay::twoRoomsOnOneAccountCloseOnlyWhenBothAreOut()
{
    checkIn("5", 1, 240, 6000, 40, 1000, 1);
    checkIn("6", 1, 200, 5000, 0, 0, 1);   // added to the same account
    m_pay = [](TfrmCloseAccount& d) {
        d.cmbPaymForm->setCurrentIndex(1);   // Cash
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };

    m_answers = {kNo, kYes, kOk};
    command(platform::dialogs::CheckOut, 1);
    QCOMPARE(last(), QString("Check out|Client successfully checked out"));   // room 6 is still in: not asked
    QCOMPARE(stays(), QString("1|1|1|5|O|5.3.2004|11:30:00\n2|1|1|6|H||"));
    m_messages.clear();
    QCOMPARE(command(platform::dialogs::CloseAccount, 1), platform::kRejected);
    QCOMPARE(m_messages, QStringList{"Close Account|Some of this Account's rooms are not checked out yet."});
    m_messages.clear();
    QCOMPARE(command(platform::dialogs::DeleteAccountInfo, 1), platform::kRejected);
    QCOMPARE(m_messages, QStringList{"Delete Account Info|Account must be already paid to delete"});
    QCOMPARE(accounts(), QString("1|1|1|1.3.2004|||||||"));

    m_answers = {kNo, kYes, kOk, kYes, kOk};
    command(platform::dialogs::CheckOut, 2);
    QCOMPARE(stays(), QString("1|1|1|5|O|5.3.2004|11:30:00\n2|1|1|6|O|5.3.2004|11:30:00"));
    QCOMPARE(items(), QString("1|5|1|Accomodation - Room 5|5.3.2004|240|6000|5|25\n"
                              "1|5|2|Maid service - Room 5|5.3.2004|40|1000|19|25\n"
                              "1|6|1|Accomodation - Room 6|5.3.2004|200|5000|5|25\n"
                              "1|6|2|Maid service - Room 6|5.3.2004|0|0|19|25"));
    QCOMPARE(accounts(), QString("1|1|1|1.3.2004|5.3.2004|||480|12000|M|5.3.2004"));
    QCOMPARE(m_printed, QList<int>{1});

    m_answers = {kYes, kOk};
    command(platform::dialogs::DeleteAccountInfo, 2);
    QCOMPARE(stays(), QString());
    QCOMPARE(accounts(), QString());
    QCOMPARE(items(), QString());
}

QTEST_MAIN(TestWholeStay)
#include "WholeStayTest.moc"
