// Whole stays through the program's own windows, created as at start-up: a reservation made
// from a board cell, check-in, a charge and a lowered price in the room detail, check-out,
// closing the account with a payment and deleting it with Ctrl+D. Every message box is
// answered through the platform seam and every window is driven through its controls; the
// stay, account and item tables are compared with the expected rows after every step. With
// TAMAREL_TEST_STORAGE=server the same runs with the tables on the test server.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "accounts/TfrmCloseAccount.h"
#include "app/Startup.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "clients/TfrmFindClientCard.h"
#include "data/TableFiles.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stays/TfrmCheckIn.h"
#include "stays/TfrmRezervace.h"
#include "stays/TfrmRoomDetail.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/SpinEdit.h"
#include "TestFolder.h"

namespace {
const int kNo = QMessageBox::No, kYes = QMessageBox::Yes, kOk = QMessageBox::Ok;

// Leaves a box the way the Tab key does, so its exit rule runs.
void leave(QWidget* from, QWidget* to)
{
    from->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();   // the focus change
    QCoreApplication::processEvents();   // the rule it queued
}

void activate(QWidget* w)
{
    if (!w) return;
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w)) qWarning("%s did not become active", qPrintable(w->objectName()));
}

void type(QLineEdit* edit, const QString& text, QWidget* next)
{
    edit->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    leave(edit, next);
}
}  // namespace

class TestWholeStay : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void oneRoomFromReservationToDeletedAccount_data();
    void oneRoomFromReservationToDeletedAccount();
    void twoRoomsOnOneAccountCloseOnlyWhenBothAreOut();

private:
    void exec(QString sql);
    QString table(QString sql);
    QString stays()
    {
        return table("SELECT BID, UID, KID, PID, STATUS, DATEFROM, DATETHRU, NUMPERS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, "
                     "DATEIN, DATEOUT, TIMEOU FROM \"{db}POBYTY.DB\" ORDER BY BID");
    }
    QString accounts()
    {
        return table("SELECT UID, KID, PKID, UFROM, UTHRU, CARDNUM, CARDTYPE, TOTALEUR, TOTALCZK, FORMPAYM, DATEPAYM "
                     "FROM \"{db}UCTY.DB\" ORDER BY UID");
    }
    QString items() { return table("SELECT UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE FROM \"{db}UCTYPOL.DB\" ORDER BY POLID"); }
    // Selects the night of the room on the board (as a click on the cell does).
    void select(const QString& pid, const QDate& night);
    void menu(const char* name) { m_windows.frmMain->menuItem(name)->trigger(); }
    // A definitive reservation of the client card for four nights from the 1st, made in the
    // reservation dialog opened by Enter on the room's empty cell.
    void reserve(const QString& pid, int persons);
    // The messages shown since the last call, one per line.
    QString said() { return std::exchange(m_messages, {}).join('\n'); }

    std::unique_ptr<QTemporaryDir> m_dir;
    tamarel::TWindows m_windows;
    QDateTime m_now;
    QStringList m_messages;
    QList<int> m_answers;
    QList<QPointer<QDialog>> m_modal;   // the modal windows open, innermost last
    QStringList m_opened;   // object names of the windows run modally, in order
    QHash<QString, std::function<void(QDialog&)>> m_drive;   // by object name: what the user does there
};

void TestWholeStay::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString program = m_dir->path() + "/Hotel's desk";
    QVERIFY(QDir().mkpath(program + "/DB"));
    platform::setProgramPathForTests(program + "/tamarel");
    platform::seams() = platform::Seams{};
    m_now = QDateTime(QDate(2004, 3, 1), QTime(14, 5, 0));
    platform::seams().now = [this] { return m_now; };
    platform::seams().isFixedDrive = [](const QString&) { return true; };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon,
                                          platform::Buttons buttons) {
        m_messages << caption + "|" + text;
        if (!m_answers.isEmpty()) return m_answers.takeFirst();
        return int(buttons == platform::Buttons::Ok ? QMessageBox::Ok : QMessageBox::No);
    };
    platform::seams().runModal = [this](QDialog* d) {
        m_opened << d->objectName();
        m_modal.push_back(d);
        d->setResult(QDialog::Rejected);
        d->show();
        activate(d);
        if (auto drive = m_drive.value(d->objectName())) drive(*d);
        QCoreApplication::processEvents();
        if (d->isVisible()) d->reject();
        // The window below gets the focus back when this one closes, as on a desktop.
        m_modal.pop_back();
        activate(m_modal.isEmpty() ? static_cast<QWidget*>(m_windows.frmMain) : m_modal.back().data());
        return d->result();
    };
    options() = TOptions{};
    // TAMAREL_TEST_STORAGE=server: the program's settings file names a new schema on the test
    // server instead of the folder beside it.
    if (qEnvironmentVariable("TAMAREL_TEST_STORAGE") == QLatin1String("server")) {
        QFile ini(program + "/tamarel.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray::fromStdString("[DEFAULT]\r\nDatabase=" + enginetest::emptyDb(enginetest::Storage::Server).location + "\r\n"));
        ini.close();
    }
    m_windows = tamarel::CreateWindows();
    TdmDataModule* dm = dmDataModule();
    QVERIFY(dm);
    QCOMPARE(dm->onServer(), qEnvironmentVariable("TAMAREL_TEST_STORAGE") == QLatin1String("server"));
    data::createTables(dm->db(), dm->onServer() ? QString::fromStdString(dm->db().workingFolder()) : dm->DbPrefix());
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"5\", \"Room 5\", 255, 60, 10)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"6\", \"Room 6\", 255, 40, 5)");
    exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"1.1.2004\", \"EUR\", 25)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Accomodation\", 5, -1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (2, \"Maid service\", 19, -1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (3, \"Minibar\", 19, 5)");
    exec("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME, COUNTRY) VALUES (\"Mr\", \"O'Brien\", \"Jan\", \"IE\")");
    m_windows.frmMain->LoadRooms();
    m_windows.frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_windows.frmMain));
    // The client picker chooses the only card.
    m_drive["frmFindClientCard"] = [](QDialog& d) {
        auto& picker = static_cast<TfrmFindClientCard&>(d);
        QTest::mouseClick(picker.btSearch, Qt::LeftButton);
        picker.setCurrentRow(0);
        QTest::mouseClick(picker.btSelect, Qt::LeftButton);
    };
    m_messages.clear();
}

void TestWholeStay::cleanup()
{
    tamarel::DestroyWindows(m_windows);
    platform::seams() = platform::Seams{};
    platform::setProgramPathForTests(QString());
    m_drive.clear();
    m_opened.clear();
    m_answers.clear();
    m_dir.reset();
}

void TestWholeStay::exec(QString sql)
{
    TdmDataModule* dm = dmDataModule();
    sql.replace("{db}", dm->DbPrefix());
    if (!dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(dm->lastError()));
}

QString TestWholeStay::table(QString sql)
{
    TdmDataModule* dm = dmDataModule();
    sql.replace("{db}", dm->DbPrefix());
    QStringList out;
    auto q = dm->Open(sql);
    while (q->next()) {
        QStringList fields;
        for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
        out << fields.join('|');
    }
    return out.join('\n');
}

void TestWholeStay::select(const QString& pid, const QDate& night)
{
    TfrmMain* board = m_windows.frmMain;
    const int col = shell::NumberFromDate(night) - board->firstDate() + 1;
    const int row = pid.toInt() - 4;   // rooms 5 and 6 in rows 1 and 2
    QVERIFY(col >= 1 && col < board->columnCount());
    board->grDraw()->setSelection(col, row);
}

void TestWholeStay::reserve(const QString& pid, int persons)
{
    m_drive["frmRezervace"] = [persons](QDialog& dialog) {
        auto& d = static_cast<TfrmRezervace&>(dialog);
        d.cmbStatus->setCurrentIndex(1);   // definitive
        QTest::mouseClick(d.btFindClient, Qt::LeftButton);
        type(d.edDateThru, "05.03.2004", d.edNights);
        d.edNumPers->setValue(persons);
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    };
    select(pid, QDate(2004, 3, 1));
    QTest::keyClick(m_windows.frmMain->grDraw(), Qt::Key_Return);
    m_drive.remove("frmRezervace");
}

void TestWholeStay::oneRoomFromReservationToDeletedAccount_data()
{
    QTest::addColumn<bool>("perPerson");
    QTest::addColumn<QString>("accommodation");
    QTest::addColumn<QString>("total");
    // Four nights at 60 EUR lowered to 200 EUR (5000 CZK) for the stay, maid 40 EUR; two persons.
    QTest::newRow("price per person") << true << "1|5|1|Accomodation - Room 5|5.3.2004|400|10000|5|25" << "444|11100";
    QTest::newRow("price per stay") << false << "1|5|1|Accomodation - Room 5|5.3.2004|200|5000|5|25" << "244|6100";
}

void TestWholeStay::oneRoomFromReservationToDeletedAccount()
{
    QFETCH(bool, perPerson);
    QFETCH(QString, accommodation);
    QFETCH(QString, total);
    options().PricePerPerson = perPerson;

    reserve("5", 2);
    QCOMPARE(said(), QString("Definitive reservation|If the reservation is definitive, client card must exist."));
    QCOMPARE(m_opened, (QStringList{"frmRezervace", "frmFindClientCard"}));
    QCOMPARE(stays(), QString("1||1|5|R|1.3.2004|5.3.2004|2|240|6000|40|1000|||"));

    // Check-in from the menu: the account opens on the card's client, the stay moves in.
    m_drive["frmCheckIn"] = [](QDialog& dialog) {
        auto& d = static_cast<TfrmCheckIn&>(dialog);
        QCOMPARE(d.chkRooms->count(), 1);
        QCOMPARE(d.chkRooms->item(0)->checkState(), Qt::Checked);
        type(d.dbeCardNum, "4000 1234", d.dbcCardType);
        d.dbcCardType->setEditText("VISA");
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    select("5", QDate(2004, 3, 1));
    menu("mnCheckIn");
    QCOMPARE(said(), QString("Tamarel|Ok. Client is successfully checked in."));
    QCOMPARE(stays(), QString("1|1|1|5|H|1.3.2004|5.3.2004|2|240|6000|40|1000|1.3.2004||"));
    QCOMPARE(accounts(), QString("1|1||1.3.2004||4000 1234|VISA||||"));

    // The room detail, opened by Enter on the occupied night: a minibar charge with the
    // type's second VAT rate, typed in EUR and converted.
    m_drive["frmRoomDetail"] = [](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        d.pgPages->setCurrentWidget(d.pgNewAccountItem);
        d.cmbUPID->setCurrentIndex(d.cmbUPID->findText("Minibar"));
        type(d.edPriceEURNew, "4", d.cmbVatNew);
        d.cmbVatNew->setCurrentIndex(1);
        QTest::mouseClick(d.btSave, Qt::LeftButton);
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    };
    m_now = QDateTime(QDate(2004, 3, 3), QTime(20, 0));
    select("5", QDate(2004, 3, 3));
    QTest::keyClick(m_windows.frmMain->grDraw(), Qt::Key_Return);
    QCOMPARE(said(), QString("Tamarel|Account item saved"));
    QCOMPARE(m_opened.last(), QString("frmRoomDetail"));
    QCOMPARE(items(), QString("1|5|3|Minibar|3.3.2004|4|100|5|25"));

    // Check-out on the 5th: on the way the receptionist lowers the price in the room detail;
    // the stay is charged at the lowered price, then the account is closed, paid by card.
    m_now = QDateTime(QDate(2004, 3, 5), QTime(11, 30));
    m_drive["frmRoomDetail"] = [](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        type(d.dbePriceEUR, "200", d.dbePriceMaidEUR);
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    m_drive["frmCloseAccount"] = [](QDialog& dialog) {
        auto& d = static_cast<TfrmCloseAccount&>(dialog);
        // The card taken at check-in is offered: the client card holds none.
        QCOMPARE(d.dbeCardNum->text() + "/" + d.dbcCardType->currentText(), QString("4000 1234/VISA"));
        d.cmbPaymForm->setCurrentIndex(0);   // card
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    m_answers = {kYes, kYes, kOk, kYes, kOk};
    m_opened.clear();
    select("5", QDate(2004, 3, 4));
    menu("mnCheckOut");
    QCOMPARE(said(), QString("Check out|Do you wish to add some items to client's account?\r\n(telephone, minibar, news etc.)\n"
                             "Check out|Are you sure to check out Mr O'Brien Jan from Room 5?\n"
                             "Check out|Client successfully checked out\n"
                             "Check out|Do you wish to close the client's acount?\n"
                             "Close Account|Account has been closed"));
    // The closing's receipt (the hotel is no VAT payer) is shown before the account printout.
    QCOMPARE(m_opened, (QStringList{"frmRoomDetail", "frmCloseAccount", "frmPreview", "frmPrintAccounts"}));
    QCOMPARE(stays(), QString("1|1|1|5|O|1.3.2004|5.3.2004|2|200|5000|40|1000|1.3.2004|5.3.2004|11:30:00"));
    QCOMPARE(items(), "1|5|3|Minibar|3.3.2004|4|100|5|25\n" + accommodation + "\n1|5|2|Maid service - Room 5|5.3.2004|40|1000|19|25");
    QCOMPARE(accounts(), "1|1|1|1.3.2004|5.3.2004|4000 1234|VISA|" + total + "|C|5.3.2004");

    // The paid account prints again but cannot be closed again; Ctrl+D deletes it with its
    // items and stay.
    m_opened.clear();
    m_answers = {kNo};   // not a copy of the receipt: the account printout
    menu("mnPrintAccount");
    QCOMPARE(m_opened, QStringList{"frmPrintAccounts"});
    QCOMPARE(said(), QString("Print Account|This account has the invoice 2004-000001.\r\n\r\n"
                             "Print a copy of the invoice? (No: the account printout)"));
    menu("mnCloseAccount");
    QCOMPARE(said(), QString("Close Account|The Account is already closed."));
    m_answers = {kYes, kOk};
    QTest::keyClick(m_windows.frmMain->grDraw(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(said().section('\n', -2), QString("Delete Account Info|Account, Account Items and Stay have been deleted.\n"
                                                "Delete Account Info|The account's invoice stays on record, marked cancelled."));
    QCOMPARE(stays(), QString());
    QCOMPARE(accounts(), QString());
    QCOMPARE(items(), QString());
}

void TestWholeStay::twoRoomsOnOneAccountCloseOnlyWhenBothAreOut()
{
    reserve("5", 1);
    reserve("6", 1);
    // Check-in of room 5 only; room 6 joins the account through "Add Stay to Account".
    m_drive["frmCheckIn"] = [](QDialog& dialog) {
        auto& d = static_cast<TfrmCheckIn&>(dialog);
        QCOMPARE(d.chkRooms->count(), 2);
        d.chkRooms->item(1)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    said();
    select("5", QDate(2004, 3, 1));
    menu("mnCheckIn");
    QCOMPARE(said(), QString("Tamarel|Ok. Client is successfully checked in."));
    select("6", QDate(2004, 3, 1));
    menu("mnCheckIn");
    QCOMPARE(said(), QString("Check in|Client's account is already open. Choose \"Add to account\""));
    menu("mnAddToAccount");
    QCOMPARE(said(), QString("Add to account|Successfully added to account"));
    QCOMPARE(stays(), QString("1|1|1|5|H|1.3.2004|5.3.2004|1|240|6000|40|1000|1.3.2004||\n"
                              "2|1|1|6|H|1.3.2004|5.3.2004|1|160|4000|20|500|||"));

    m_now = QDateTime(QDate(2004, 3, 5), QTime(11, 30));
    m_drive["frmCloseAccount"] = [](QDialog& dialog) {
        auto& d = static_cast<TfrmCloseAccount&>(dialog);
        d.cmbPaymForm->setCurrentIndex(1);   // cash
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    };
    m_answers = {kNo, kYes, kOk};
    select("5", QDate(2004, 3, 4));
    menu("mnCheckOut");
    QCOMPARE(said().section('\n', -1), QString("Check out|Client successfully checked out"));   // room 6 is in: not asked
    QCOMPARE(table("SELECT STATUS FROM \"{db}POBYTY.DB\" ORDER BY BID"), QString("O\nH"));
    menu("mnCloseAccount");
    QCOMPARE(said(), QString("Close Account|Some of this Account's rooms are not checked out yet."));
    QTest::keyClick(m_windows.frmMain->grDraw(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(said(), QString("Delete Account Info|Account must be already paid to delete"));
    QCOMPARE(accounts(), QString("1|1||1.3.2004|||||||"));

    m_answers = {kNo, kYes, kOk, kYes, kOk};
    select("6", QDate(2004, 3, 4));
    menu("mnCheckOut");
    QCOMPARE(table("SELECT STATUS FROM \"{db}POBYTY.DB\" ORDER BY BID"), QString("O\nO"));
    QCOMPARE(items(), QString("1|5|1|Accomodation - Room 5|5.3.2004|240|6000|5|25\n"
                              "1|5|2|Maid service - Room 5|5.3.2004|40|1000|19|25\n"
                              "1|6|1|Accomodation - Room 6|5.3.2004|160|4000|5|25\n"
                              "1|6|2|Maid service - Room 6|5.3.2004|20|500|19|25"));
    QCOMPARE(accounts(), QString("1|1|1|1.3.2004|5.3.2004|||460|11500|M|5.3.2004"));

    m_answers = {kYes, kOk};
    QTest::keyClick(m_windows.frmMain->grDraw(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(stays(), QString());
    QCOMPARE(accounts(), QString());
    QCOMPARE(items(), QString());
}

QTEST_MAIN(TestWholeStay)
#include "WholeStayTest.moc"
