// The check-in, room detail and out-of-order dialogs driven through their controls on a
// database folder whose path holds an apostrophe and "%2", with the clock fixed and every message box
// answered through the platform seam; the tables are compared with the expected rows after
// each step. Also the windows' look in English and Czech, their tab order, Enter and Esc.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QtTest>
#include <functional>
#include <memory>

#include "data/TableFiles.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stays/RegisterStays.h"
#include "stays/TfrmCheckIn.h"
#include "stays/TfrmOutOfOrders.h"
#include "stays/TfrmRezervace.h"
#include "stays/TfrmRoomDetail.h"
#include "tests/board/TableLocks.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/SpinEdit.h"

namespace {

struct Shown {
    QString text, caption;
    platform::Icon icon;
    platform::Buttons buttons;
    bool overShownDialog = false;   // its window was a dialog on screen
};

int day(int d, int m, int y) { return shell::NumberFromDate(QDate(y, m, d)); }

}  // namespace

class TestStayDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void checkInOpensTheAccountAndChecksTheStayIn();
    void checkInThatCannotCompleteChangesNothing_data();
    void checkInThatCannotCompleteChangesNothing();
    void loadingMessagesStandOverTheDialog_data();
    void loadingMessagesStandOverTheDialog();
    void roomDetailPostsAnItemWithItsVat_data();
    void roomDetailPostsAnItemWithItsVat();
    void roomDetailStoresTheStayOnOkOnly();
    void roomDetailRefusesBadStayValues_data();
    void roomDetailRefusesBadStayValues();
    void roomDetailWithoutARateConvertsNothing();
    void aStayThatIsNotFoundIsNeverWritten();
    void outOfOrderNewChangeAndDelete();
    void outOfOrderChecks_data();
    void outOfOrderChecks();
    void everyCommandSaysWhatItCouldNotDoWhileTablesAreLocked();
    void windowsLookRightInBothLanguages();
    void everyTranslationRowReachesAControl();

private:
    int open(const QString& name, QVariantMap args, const std::function<void(QDialog&)>& drive);
    void exec(QString sql);
    QStringList rows(const QString& sql);
    int count(const QString& text) const;
    static void leave(QWidget* from, QWidget* to);
    static void type(QLineEdit* edit, const QString& text);
    static QStringList tabWalk(QDialog& d, QWidget* first, int steps);
    QStringList clippedCaptions(QDialog& d, const QString& language);
    void stay(int bid, const QString& status, int uid = 0);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QVector<Shown> m_messages;
    QList<int> m_answers;
};

void TestStayDialogs::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
}

void TestStayDialogs::init()
{
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Tamarel's %2 stays XXXXXX"));
    QVERIFY(m_dir->isValid());
    m_dm = std::make_unique<TdmDataModule>(m_dir->path());
    data::createTables(m_dm->db(), m_dir->path());
    setDataModule(m_dm.get());
    options() = TOptions{};
    options().PreferEUR = true;
    m_language->setLanguageIdent(1);
    m_messages.clear();
    m_answers.clear();
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7)); };
    platform::seams().messageBox = [this](QWidget* parent, const QString& text, const QString& caption,
                                          platform::Icon icon, platform::Buttons buttons) {
        QWidget* window = parent ? parent->window() : nullptr;
        m_messages.append({text, caption, icon, buttons, qobject_cast<QDialog*>(window) && window->isVisible()});
        if (!m_answers.isEmpty()) return m_answers.takeFirst();
        return int(buttons == platform::Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    };
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerStayDetailDialogs(m_main.get());

    // Two rooms share a name: they are told apart by their ids.
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"1\", \"Single\", 255, 100, 10)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"2\", \"Twin\", 255, 150, 0)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (\"3\", \"Twin\", 255, 150, 0)");
    exec("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (\"1.1.2004\", \"EUR\", 25.5)");
    exec("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME, CARDNUM, CARDTYPE, CARDEXP) "
         "VALUES (\"\", \"O'Brien\", \"Sean\", \"4111 \"\"1\"\"\", \"Diner's Club\", \"12/05\")");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (1, \"Accomodation\", 5, -1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (2, \"Minibar\", 21, -1)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (3, \"Telephone\", 5, 21)");
    exec("INSERT INTO \"{db}UCPODEF.DB\" (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (4, \"Voucher\", -1, -1)");
}

void TestStayDialogs::cleanup()
{
    stays::unregisterStaysDialogs();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
}

int TestStayDialogs::open(const QString& name, QVariantMap args, const std::function<void(QDialog&)>& drive)
{
    platform::seams().runModal = [&](QDialog* d) {
        d->setResult(QDialog::Rejected);
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d)) qWarning("the dialog did not become active");
        drive(*d);
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    return platform::openDialog(name, args);
}

void TestStayDialogs::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

// The rows a query gives, each as its field texts joined by '|'.
QStringList TestStayDialogs::rows(const QString& sql)
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
    return out;
}

int TestStayDialogs::count(const QString& text) const
{
    return int(std::count_if(m_messages.begin(), m_messages.end(), [&](const Shown& m) { return m.text == text; }));
}

void TestStayDialogs::leave(QWidget* from, QWidget* to)
{
    from->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void TestStayDialogs::type(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    // The box left before runs its rule first, as between a user's keystrokes.
    QCoreApplication::processEvents();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

QStringList TestStayDialogs::tabWalk(QDialog& d, QWidget* first, int steps)
{
    QStringList names;
    first->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < steps; ++i) {
        QWidget* w = d.focusWidget();
        while (w && w->objectName().isEmpty()) w = w->parentWidget();
        names << (w ? w->objectName() : QStringLiteral("<none>"));
        QTest::keyClick(d.focusWidget(), Qt::Key_Tab);
    }
    return names;
}

QStringList TestStayDialogs::clippedCaptions(QDialog& d, const QString& language)
{
    QStringList clipped;
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty()) continue;
        const bool hasCaption = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        if (hasCaption && w->width() < w->sizeHint().width())
            clipped << QStringLiteral("%1 %2 (%3 < %4)").arg(language, w->objectName()).arg(w->width()).arg(w->sizeHint().width());
    }
    if (auto* tabs = d.findChild<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->findChild<QTabBar*>()->tabRect(i).width() < tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)))
                clipped << QStringLiteral("%1 tab %2").arg(language, tabs->tabText(i));
    return clipped;
}

// A stay of the client card 1 in room 1 from 5.3.2004 to 8.3.2004.
void TestStayDialogs::stay(int bid, const QString& status, int uid)
{
    exec(QStringLiteral("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, BUSINESS, "
                        "PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, UID, DATEIN, TIMEIN) VALUES (%1, 1, \"1\", \"5.3.2004\", "
                        "\"8.3.2004\", \"%2\", 2, \"0\", 300, 7650, 30, 765, %3, %4, %5)")
             .arg(bid)
             .arg(status)
             .arg(uid)
             .arg(status == "H" ? "\"5.3.2004\"" : "null", status == "H" ? "\"14:00:00\"" : "null"));
}

// ---- check-in ---------------------------------------------------------------------------

void TestStayDialogs::checkInOpensTheAccountAndChecksTheStayIn()
{
    // Another guest's account, whose id must not be taken for this one.
    exec("INSERT INTO \"{db}UCTY.DB\" (UID, KID, UFROM) VALUES (40, 9, \"1.3.2004\")");
    stay(12, "R");
    // The client's second room of the day is checked in with the first; a room of another
    // day, and one already on an account, are not offered.
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (13, 1, \"3\", \"5.3.2004\", \"7.3.2004\", \"P\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (14, 1, \"2\", \"6.3.2004\", \"7.3.2004\", \"R\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (15, 1, \"2\", \"5.3.2004\", \"6.3.2004\", \"H\", 40)");
    QStringList listed;
    const int result = open(platform::dialogs::CheckIn, {{"BID", 12}, {"KID", 1}, {"DATEFROM", day(5, 3, 2004)}},
                            [&](QDialog& dialog) {
                                auto& d = static_cast<TfrmCheckIn&>(dialog);
                                for (int i = 0; i < d.chkRooms->count(); ++i)
                                    listed << d.chkRooms->item(i)->text() + (d.chkRooms->item(i)->checkState() == Qt::Checked ? "+" : "-");
                                listed << d.edClientName->text() << d.dbdUFrom->text() << d.dbeCardNum->text()
                                       << d.dbcCardType->currentText() << d.dbeCardExp->text();
                                type(d.dbeCardExp, "01/07");
                                QTest::keyClick(d.dbeCardExp, Qt::Key_Return);   // Enter checks in
                            });
    QCOMPARE(listed.join(", "), QString("Single+, Twin+, O'Brien Sean, 05.03.2004, 4111 \"1\", Diner's Club, 12/05"));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(count("Ok. Client is successfully checked in."), 1);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(rows("SELECT UID, KID, UFROM, CARDNUM, CARDTYPE, CARDEXP, DATEPAYM, UPMJ, UPMT FROM \"{db}UCTY.DB\" ORDER BY UID"),
             QStringList({"40|9|1.3.2004||||||", "41|1|5.3.2004|4111 \"1\"|Diner's Club|01/07||5.3.2004|9:05:07"}));
    QCOMPARE(rows("SELECT BID, STATUS, UID, DATEIN, TIMEIN FROM \"{db}POBYTY.DB\" ORDER BY BID"),
             QStringList({"12|H|41|5.3.2004|9:05:07", "13|H|41|5.3.2004|9:05:07", "14|R|||", "15|H|40||"}));
}

void TestStayDialogs::checkInThatCannotCompleteChangesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no room ticked") << "untick" << "No room selected for check in!";
    QTest::newRow("a ticked room checked in meanwhile") << "meanwhile" << "Can't update stays. Checkin failed";
    QTest::newRow("account table refuses the row") << "badTable" << "Can't open the table or insert the record";
    QTest::newRow("cancel") << "cancel" << "";
}

void TestStayDialogs::checkInThatCannotCompleteChangesNothing()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    stay(12, "R");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (13, 1, \"3\", \"5.3.2004\", \"7.3.2004\", \"R\")");
    exec("INSERT INTO \"{db}UCTY.DB\" (UID, KID, UFROM) VALUES (40, 9, \"1.3.2004\")");
    if (fault == "badTable") {
        // An account table without the card columns: the engine refuses the insert.
        m_dm->db().releaseTables();
        QVERIFY(QFile::remove(m_dm->DbPrefix() + "UCTY.DB"));
        exec("CREATE TABLE \"{db}UCTY.DB\" (UID AUTOINC, KID INTEGER, UFROM DATE, PRIMARY KEY (UID))");
        exec("INSERT INTO \"{db}UCTY.DB\" (UID, KID, UFROM) VALUES (40, 9, \"1.3.2004\")");
    }
    QStringList stays = rows("SELECT * FROM \"{db}POBYTY.DB\"");
    const QStringList accounts = rows("SELECT * FROM \"{db}UCTY.DB\"");
    bool stillOpen = false;
    QString shown;
    const int result = open(platform::dialogs::CheckIn, {{"BID", 12}, {"KID", 1}, {"DATEFROM", day(5, 3, 2004)}},
                            [&](QDialog& dialog) {
                                auto& d = static_cast<TfrmCheckIn&>(dialog);
                                if (fault == "untick")
                                    for (int i = 0; i < d.chkRooms->count(); ++i) d.chkRooms->item(i)->setCheckState(Qt::Unchecked);
                                if (fault == "meanwhile") {
                                    // Another desk puts the second room on an account after the list was made.
                                    exec("UPDATE \"{db}POBYTY.DB\" SET UID=40, STATUS=\"H\" WHERE BID=13");
                                    stays = rows("SELECT * FROM \"{db}POBYTY.DB\"");
                                }
                                if (fault == "cancel") {
                                    QTest::keyClick(d.dbeCardNum, Qt::Key_Escape);
                                    return;
                                }
                                QTest::mouseClick(d.btOk, Qt::LeftButton);
                                stillOpen = d.isVisible();
                                // A second Ok after the failure stores no other row either.
                                QTest::mouseClick(d.btOk, Qt::LeftButton);
                                d.reject();
                            });
    QCOMPARE(result, int(QDialog::Rejected));
    if (!message.isEmpty()) {
        QVERIFY(stillOpen);
        QCOMPARE(m_messages.size(), 2);
        QVERIFY2(m_messages.first().text.startsWith(message), qPrintable(m_messages.first().text));
        QCOMPARE(m_messages.first().caption, QString("Check in"));
        if (fault == "badTable") QVERIFY2(m_messages.first().text.contains("CARDNUM"), qPrintable(m_messages.first().text));
    } else {
        QVERIFY(m_messages.isEmpty());
    }
    QCOMPARE(rows("SELECT * FROM \"{db}POBYTY.DB\""), stays);
    QCOMPARE(rows("SELECT * FROM \"{db}UCTY.DB\""), accounts);
}

// What a dialog says while it loads stands over the dialog, not over the board behind it.
void TestStayDialogs::loadingMessagesStandOverTheDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QVariantMap>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("check-in of an unknown client")
        << QString(platform::dialogs::CheckIn) << QVariantMap{{"BID", 12}, {"KID", 77}, {"DATEFROM", day(5, 3, 2004)}}
        << "Can't open the table or insert the record";
    QTest::newRow("check-in without rooms")
        << QString(platform::dialogs::CheckIn) << QVariantMap{{"BID", 12}, {"KID", 1}, {"DATEFROM", day(9, 3, 2004)}}
        << "Can't load the rooms";
    QTest::newRow("room detail of a stay not found") << QString(platform::dialogs::RoomDetail) << QVariantMap{{"BID", 99}}
                                                     << "Can't locate the record";
    QTest::newRow("room detail without a stay") << QString(platform::dialogs::RoomDetail) << QVariantMap{{"BID", 0}}
                                                << "Can't find Account";
    QTest::newRow("out-of-order period not found") << QString(platform::dialogs::OutOfOrders) << QVariantMap{{"BID", 99}}
                                                   << "Can't locate the record";
}

void TestStayDialogs::loadingMessagesStandOverTheDialog()
{
    QFETCH(QString, dialog);
    QFETCH(QVariantMap, args);
    QFETCH(QString, message);
    stay(12, "R");
    open(dialog, args, [&](QDialog& d) {
        QCoreApplication::processEvents();
        d.reject();
    });
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().text, message);
    QVERIFY(m_messages.first().overShownDialog);
}

// ---- room detail ------------------------------------------------------------------------

void TestStayDialogs::roomDetailPostsAnItemWithItsVat_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("typedIn");   // "EUR" or "CZK"
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("vatIndex");      // -1: the only rate is chosen by itself
    QTest::addColumn<QString>("shown");     // both boxes after leaving the one typed in
    QTest::addColumn<QString>("stored");    // UPID|DESCR|ITEMDATE|AMNTEUR|AMNTCZK|TAXRATE|RATE
    QTest::newRow("minibar in EUR, its only rate") << "Minibar" << "EUR" << "12.5" << -1 << "12.5 EUR 318.75 CZK"
                                                   << "2|O'Neil's \"red\"|5.3.2004|12.5|318.75|21|25.5";
    QTest::newRow("amount typed with three places") << "Minibar" << "EUR" << "100.555" << -1 << "100.555 EUR 2564.15 CZK"
                                                    << "2|O'Neil's \"red\"|5.3.2004|100.555|2564.15|21|25.5";
    QTest::newRow("telephone in CZK, second rate") << "Telephone" << "CZK" << "100" << 1 << "3.92 EUR 100 CZK"
                                                   << "3|O'Neil's \"red\"|5.3.2004|3.92|100|21|25.5";
}

void TestStayDialogs::roomDetailPostsAnItemWithItsVat()
{
    QFETCH(QString, item);
    QFETCH(QString, typedIn);
    QFETCH(QString, amount);
    QFETCH(int, vatIndex);
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    stay(12, "H", 41);
    const QStringList stayBefore = rows("SELECT * FROM \"{db}POBYTY.DB\"");
    QStringList states;
    int gridRows = -1;
    QString gridText;
    const int result = open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        d.pgPages->setCurrentWidget(d.pgNewAccountItem);
        states << QString("ok %1").arg(d.btOk->isEnabled()) << d.edRoomNew->text();
        d.cmbUPID->setCurrentIndex(d.cmbUPID->findText("Voucher"));
        states << QString("voucher vat %1 save %2").arg(d.cmbVatNew->count()).arg(d.btSave->isEnabled());
        d.cmbUPID->setCurrentIndex(d.cmbUPID->findText(item));
        if (vatIndex >= 0) d.cmbVatNew->setCurrentIndex(vatIndex);
        type(d.edDescrNew, "O'Neil's \"red\"");
        type(d.edPriceCZKNew, "0.00");
        states << QString("zero save %1").arg(d.btSave->isEnabled());
        TCalcEdit* edit = typedIn == "EUR" ? d.edPriceEURNew : d.edPriceCZKNew;
        type(edit, amount);
        leave(edit, d.cmbVatNew);
        states << d.edPriceEURNew->text() + " EUR " + d.edPriceCZKNew->text() + " CZK";
        QTest::mouseClick(d.btSave, Qt::LeftButton);
        states << QString("after save %1 '%2' %3").arg(d.cmbUPID->currentIndex()).arg(d.edDescrNew->text()).arg(d.btSave->isEnabled());
        gridRows = d.dbAccItems->rowCount();
        gridText = gridRows ? d.dbAccItems->item(0, 0)->text() + " " + d.dbAccItems->item(0, 3)->text() : QString();
        // Cancel keeps the item: it was stored at once.
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(states, QStringList({"ok 0", "Single", "voucher vat 0 save 0", "zero save 0", shown, "after save -1 '' 0"}));
    QCOMPARE(count("Account item saved"), 1);
    QCOMPARE(rows("SELECT UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE FROM \"{db}UCTYPOL.DB\""),
             QStringList({"41|1|" + stored}));
    QCOMPARE(gridRows, 1);
    QCOMPARE(gridText, "O'Neil's \"red\" " + stored.section('|', 4, 4));
    QCOMPARE(rows("SELECT * FROM \"{db}POBYTY.DB\""), stayBefore);
}

void TestStayDialogs::roomDetailStoresTheStayOnOkOnly()
{
    stay(12, "H", 41);
    exec("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE) "
         "VALUES (41, \"1\", 2, \"Water\", \"5.3.2004\", 2, 51, 21, 25.5)");
    exec("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE) "
         "VALUES (41, \"2\", 2, \"Other room\", \"5.3.2004\", 2, 51, 21, 25.5)");
    QStringList shown;
    const int result = open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        shown << d.edClientName->text() << d.edRoomName->text() << d.dbeDateFrom->text() << d.dbeCheckinTime->text()
              << d.dbeDateThru->text() << d.edNumPers->text() << d.cmbBusiness->currentText() << d.dbePriceEUR->text()
              << d.stCurrency->text() << QString::number(d.dbAccItems->rowCount());
        d.dbeDateThru->setText("10.03.2004");
        d.edNumPers->setValue(3);
        d.cmbBusiness->setCurrentIndex(1);
        type(d.dbePriceEUR, "320");
        leave(d.dbePriceEUR, d.dbePriceMaidEUR);
        QTest::keyClick(d.dbePriceMaidEUR, Qt::Key_Return);   // Enter stores through Ok
    });
    QCOMPARE(shown, QStringList({"O'Brien Sean", "Single", "05.03.2004", "14:00:00", "08.03.2004", "2", "No", "300",
                                 "EUR", "1"}));
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(rows("SELECT STATUS, DATETHRU, NUMPERS, BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, UPMJ, UPMT FROM "
                  "\"{db}POBYTY.DB\""),
             QStringList({"H|10.3.2004|3|1|320|8160|30|765|5.3.2004|9:05:07"}));

    // Esc drops the changes.
    open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        d.edNumPers->setValue(1);
        QTest::keyClick(d.edNumPers, Qt::Key_Escape);
    });
    QCOMPARE(rows("SELECT NUMPERS FROM \"{db}POBYTY.DB\""), QStringList({"3"}));

    // Prices stored with more places keep them when Ok changes something else; a changed one
    // is stored as typed.
    exec("UPDATE \"{db}POBYTY.DB\" SET PRICEEUR=190.0125, PRICECZK=4845.3187, MAIDEUR=30.0125 WHERE BID=12");
    QStringList prices;
    open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        prices << d.dbePriceEUR->text() << d.dbePriceMaidEUR->text();
        d.edNumPers->setValue(2);
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    });
    QCOMPARE(prices, QStringList({"190.0125", "30.0125"}));
    QCOMPARE(rows("SELECT NUMPERS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK FROM \"{db}POBYTY.DB\""),
             QStringList({"2|190.0125|4845.3187|30.0125|765"}));
    open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        d.chkFX->click();   // the CZK boxes
        type(d.dbePriceMaidCZK, "770.125");
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    });
    QCOMPARE(rows("SELECT PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK FROM \"{db}POBYTY.DB\""),
             QStringList({"190.01|4845.3187|30.2|770.125"}));   // the conversion wrote both EUR prices

    // A room that is no longer in the room table shows no name (its id is none).
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, UID) "
         "VALUES (13, 1, \"9\", \"5.3.2004\", \"8.3.2004\", \"H\", 1, 41)");
    QStringList names;
    open(platform::dialogs::RoomDetail, {{"BID", 13}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        names << d.edRoomName->text() << d.edRoomNew->text() << d.edClientName->text();
        d.reject();
    });
    QCOMPARE(names, QStringList({"", "", "O'Brien Sean"}));
}

void TestStayDialogs::roomDetailRefusesBadStayValues_data()
{
    QTest::addColumn<QString>("thru");
    QTest::addColumn<int>("persons");
    QTest::addColumn<QString>("message");
    const QString dates = "Date invalid\r\n\r\n(must be greater then Date From and greater or equal to today";
    QTest::newRow("departure before arrival") << "04.03.2004" << 2 << dates;
    QTest::newRow("departure on arrival") << "05.03.2004" << 2 << dates;
    QTest::newRow("departure before today") << "" << 2 << dates;
    QTest::newRow("no persons") << "09.03.2004" << -1 << "Number of persons must be grater then zero.";
    QTest::newRow("0 persons typed") << "09.03.2004" << 0 << "Number of persons must be grater then zero.";
}

void TestStayDialogs::roomDetailRefusesBadStayValues()
{
    QFETCH(QString, thru);
    QFETCH(int, persons);
    QFETCH(QString, message);
    if (thru.isEmpty()) {
        // A stay that began long ago and should have ended yesterday.
        exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, UID) "
             "VALUES (12, 1, \"1\", \"1.3.2004\", \"3.3.2004\", \"H\", 2, 41)");
    } else {
        stay(12, "H", 41);
    }
    const QStringList before = rows("SELECT * FROM \"{db}POBYTY.DB\"");
    bool stillOpen = false;
    int warnedOnLeaving = 0;
    open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        if (!thru.isEmpty()) d.dbeDateThru->setText(thru);
        leave(d.dbeDateThru, d.edNumPers);
        warnedOnLeaving = m_messages.size();
        if (persons < 0) d.edNumPers->clear();   // an empty box counts no person
        if (persons == 0) {
            d.edNumPers->setFocus();
            d.edNumPers->selectAll();
            QTest::keyClicks(d.edNumPers, "0");
        }
        QTest::mouseClick(d.btOk, Qt::LeftButton);
        stillOpen = d.isVisible();
        d.reject();
    });
    QVERIFY(stillOpen);
    QCOMPARE(warnedOnLeaving, persons <= 0 ? 0 : 1);
    QCOMPARE(m_messages.last().text, message);
    QCOMPARE(m_messages.last().caption, QString("Room detail"));
    QCOMPARE(rows("SELECT * FROM \"{db}POBYTY.DB\""), before);
}

void TestStayDialogs::roomDetailWithoutARateConvertsNothing()
{
    exec("DELETE FROM \"{db}KURZY.DB\"");
    stay(12, "H", 41);
    QStringList seen;
    open(platform::dialogs::RoomDetail, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        type(d.dbePriceEUR, "500");
        leave(d.dbePriceEUR, d.dbePriceMaidEUR);
        type(d.dbePriceMaidEUR, "50");
        leave(d.dbePriceMaidEUR, d.chkFX);
        d.pgPages->setCurrentWidget(d.pgNewAccountItem);
        d.cmbUPID->setCurrentIndex(d.cmbUPID->findText("Minibar"));
        type(d.edPriceEURNew, "10");
        leave(d.edPriceEURNew, d.cmbVatNew);
        seen << d.dbePriceCZK->text() << d.dbePriceMaidCZK->text() << d.edPriceCZKNew->text();
        d.reject();
    });
    QCOMPARE(seen, QStringList({"7650", "765", "0"}));
    QCOMPARE(count("The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are."), 1);
}

// A stay id that is not found shows the message and writes nothing, in both dialogs.
void TestStayDialogs::aStayThatIsNotFoundIsNeverWritten()
{
    stay(12, "H", 41);
    stay(13, "X");
    const QStringList before = rows("SELECT * FROM \"{db}POBYTY.DB\"");
    QStringList states;
    const int detail = open(platform::dialogs::RoomDetail, {{"BID", 99}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmRoomDetail&>(dialog);
        states << QString("detail ok %1 room '%2'").arg(d.btOk->isEnabled()).arg(d.edRoomName->text());
        d.pgPages->setCurrentWidget(d.pgNewAccountItem);
        d.cmbUPID->setCurrentIndex(d.cmbUPID->findText("Minibar"));
        type(d.edPriceCZKNew, "10");
        states << QString("save %1").arg(d.btSave->isEnabled());
        d.btSaveClick();
        d.btOkClick();
    });
    // A guest's stay (12) is no out-of-order period either.
    const int period = open(platform::dialogs::OutOfOrders, {{"BID", 12}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmOutOfOrders&>(dialog);
        states << QString("period ok %1 delete %2 room %3").arg(d.btOK->isEnabled()).arg(d.btDelete->isEnabled()).arg(d.cmbPID->currentIndex());
        d.btOKClick();
        d.btDeleteClick();
    });
    QCOMPARE(states, QStringList({"detail ok 0 room ''", "save 0", "period ok 0 delete 0 room -1"}));
    QCOMPARE(detail, int(QDialog::Rejected));
    QCOMPARE(period, int(QDialog::Rejected));
    QCOMPARE(count("Can't locate the record"), 2);
    QCOMPARE(rows("SELECT * FROM \"{db}POBYTY.DB\""), before);
    QVERIFY(rows("SELECT * FROM \"{db}UCTYPOL.DB\"").isEmpty());
}

// ---- out-of-order periods ---------------------------------------------------------------

void TestStayDialogs::outOfOrderNewChangeAndDelete()
{
    QStringList seen;
    // From the board's menu on the row of room 3 ("Twin", as room 2 is) and the column of 10 March.
    int result = open(platform::dialogs::OutOfOrders,
                      {{"BID", 0}, {"DATEFROM", day(10, 3, 2004)}, {"PID", "3"}, {"PNAME", "Twin"}}, [&](QDialog& dialog) {
                          auto& d = static_cast<TfrmOutOfOrders&>(dialog);
                          seen << d.chosenPid() << d.dbeDateFrom->text() << d.dbeDateThru->text()
                               << QString("delete %1").arg(d.btDelete->isEnabled());
                          d.dbcReason->setEditText("Painter's \"big\" job");
                          QTest::keyClick(d.dbcReason, Qt::Key_Return);
                      });
    QCOMPARE(seen, QStringList({"3", "10.03.2004", "11.03.2004", "delete 0"}));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(rows("SELECT BID, PID, DATEFROM, DATETHRU, BOOKEDFOR, STATUS, KID, UID, UPMJ, UPMT FROM \"{db}POBYTY.DB\""),
             QStringList({"1|3|10.3.2004|11.3.2004|Painter's \"big\" job|X|0|0|5.3.2004|9:05:07"}));

    // Changed after a double-click on its night: the reason typed before is offered.
    seen.clear();
    result = open(platform::dialogs::OutOfOrders, {{"BID", 1}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmOutOfOrders&>(dialog);
        for (int i = 0; i < d.dbcReason->count(); ++i) seen << d.dbcReason->itemText(i);
        seen << d.chosenPid() << d.dbcReason->currentText() << QString("delete %1").arg(d.btDelete->isEnabled());
        d.cmbPID->setCurrentIndex(d.cmbPID->findData("2"));
        d.dbeDateThru->setText("13.03.2004");
        QTest::mouseClick(d.btOK, Qt::LeftButton);
    });
    QCOMPARE(seen, QStringList({"Painter's \"big\" job", "3", "Painter's \"big\" job", "delete 1"}));
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(rows("SELECT BID, PID, DATEFROM, DATETHRU, BOOKEDFOR FROM \"{db}POBYTY.DB\""),
             QStringList({"1|2|10.3.2004|13.3.2004|Painter's \"big\" job"}));

    // Delete asks first: No keeps the period and the dialog, Yes removes the period alone.
    stay(12, "R");
    bool openAfterNo = false;
    m_messages.clear();
    m_answers = {QMessageBox::No, QMessageBox::Yes};
    result = open(platform::dialogs::OutOfOrders, {{"BID", 1}}, [&](QDialog& dialog) {
        auto& d = static_cast<TfrmOutOfOrders&>(dialog);
        QTest::mouseClick(d.btDelete, Qt::LeftButton);
        openAfterNo = d.isVisible() && rows("SELECT BID FROM \"{db}POBYTY.DB\" WHERE BID=1").size() == 1;
        QTest::mouseClick(d.btDelete, Qt::LeftButton);
    });
    QVERIFY(openAfterNo);
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages.first().text, QString("Are you sure to delete this record?"));
    QCOMPARE(m_messages.first().caption, QString("Out of orders"));
    QCOMPARE(m_messages.first().icon, platform::Icon::Question);
    QCOMPARE(rows("SELECT BID, STATUS FROM \"{db}POBYTY.DB\""), QStringList({"12|R"}));

    // Cancel on a new period stores nothing.
    open(platform::dialogs::OutOfOrders, {{"BID", 0}, {"DATEFROM", day(10, 3, 2004)}, {"PNAME", "Single"}},
         [&](QDialog& dialog) { QTest::keyClick(static_cast<TfrmOutOfOrders&>(dialog).cmbPID, Qt::Key_Escape); });
    QCOMPARE(rows("SELECT BID FROM \"{db}POBYTY.DB\""), QStringList({"12"}));
}

void TestStayDialogs::outOfOrderChecks_data()
{
    QTest::addColumn<QString>("room");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("thru");
    QTest::addColumn<QString>("message");
    QTest::newRow("no room") << "" << "10.03.2004" << "11.03.2004" << "No room selected";
    QTest::newRow("no thru") << "1" << "10.03.2004" << "" << "Dates from and thru must be selected";
    QTest::newRow("thru on from") << "1" << "10.03.2004" << "10.03.2004" << "Date From must be less then Date Thru";
    QTest::newRow("thru before from") << "1" << "10.03.2004" << "09.03.2004" << "Date From must be less then Date Thru";
}

void TestStayDialogs::outOfOrderChecks()
{
    QFETCH(QString, room);
    QFETCH(QString, from);
    QFETCH(QString, thru);
    QFETCH(QString, message);
    bool stillOpen = false;
    open(platform::dialogs::OutOfOrders, {{"BID", 0}, {"DATEFROM", day(10, 3, 2004)}, {"PID", room}},
         [&](QDialog& dialog) {
             auto& d = static_cast<TfrmOutOfOrders&>(dialog);
             d.dbeDateFrom->setText(from);
             d.dbeDateThru->setText(thru);
             QTest::mouseClick(d.btOK, Qt::LeftButton);
             stillOpen = d.isVisible();
             d.reject();
         });
    QVERIFY(stillOpen);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.first().text, message);
    QCOMPARE(m_messages.first().caption, QString("Out of orders"));
    QVERIFY(rows("SELECT * FROM \"{db}POBYTY.DB\"").isEmpty());
}

// ---- another program holding the tables ----------------------------------------------------

// While another program holds every table locked, each dialog's command says what it could
// not do, nothing ends the program, the dialog stays open and usable, and no row changes.
void TestStayDialogs::everyCommandSaysWhatItCouldNotDoWhileTablesAreLocked()
{
    registerStaysDialogs(m_main.get());
    stay(12, "R");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, UID) "
         "VALUES (13, 1, \"2\", \"5.3.2004\", \"8.3.2004\", \"H\", 2, 41)");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, PID, DATEFROM, DATETHRU, STATUS, KID, UID, BOOKEDFOR) "
         "VALUES (20, \"3\", \"5.3.2004\", \"7.3.2004\", \"X\", 0, 0, \"Painting\")");
    const QStringList tables[] = {rows("SELECT * FROM \"{db}POBYTY.DB\""), rows("SELECT * FROM \"{db}UCTY.DB\""),
                                  rows("SELECT * FROM \"{db}UCTYPOL.DB\"")};
    m_dm->db().setLockTimeoutMs(100);
    m_dm->db().releaseTables();
    auto holder = std::make_unique<tablelocks::Holder>(m_dm->DbPrefix());
    QVERIFY(holder->held());
    const struct {
        const char* what;
        QString dialog;
        QVariantMap args;
        std::function<void(QDialog&)> command;
        QString said;   // what the command says (after what loading said)
    } cases[] = {
        {"check in", platform::dialogs::CheckIn, {{"BID", 12}, {"KID", 1}, {"DATEFROM", day(5, 3, 2004)}},
         [](QDialog& d) { QTest::mouseClick(static_cast<TfrmCheckIn&>(d).btOk, Qt::LeftButton); },
         "No room selected for check in!"},
        {"room detail Ok", platform::dialogs::RoomDetail, {{"BID", 13}},
         [](QDialog& d) { static_cast<TfrmRoomDetail&>(d).btOkClick(); }, "Can't open table"},
        {"new item", platform::dialogs::RoomDetail, {{"BID", 13}},
         [](QDialog& d) { static_cast<TfrmRoomDetail&>(d).btSaveClick(); }, "Can't open table"},
        {"new period", platform::dialogs::OutOfOrders, {{"BID", 0}, {"DATEFROM", day(10, 3, 2004)}, {"PID", "3"}},
         [](QDialog& d) { QTest::mouseClick(static_cast<TfrmOutOfOrders&>(d).btOK, Qt::LeftButton); }, "No room selected"},
        {"delete period", platform::dialogs::OutOfOrders, {{"BID", 20}},
         [](QDialog& d) { static_cast<TfrmOutOfOrders&>(d).btDeleteClick(); }, "Can't locate the record"},
        {"reservation Ok", platform::dialogs::Reservation, {{"BID", 12}},
         [](QDialog& d) { QTest::mouseClick(static_cast<TfrmRezervace&>(d).tbOk, Qt::LeftButton); }, "Can't load the reservation"},
    };
    for (const auto& c : cases) {
        m_messages.clear();
        bool usable = false;
        open(c.dialog, c.args, [&](QDialog& d) {
            QCoreApplication::processEvents();
            c.command(d);
            QCoreApplication::processEvents();
            usable = d.isVisible() || d.result() == QDialog::Rejected;
            d.reject();
        });
        QStringList said;
        for (const Shown& m : m_messages) said << m.text.section(QLatin1Char('\r'), 0, 0);
        QVERIFY2(usable, c.what);
        QVERIFY2(!said.isEmpty(), c.what);
        QVERIFY2(said.contains(c.said), qPrintable(QString(c.what) + ": " + said.join(" / ")));
    }
    holder.reset();
    QCOMPARE(rows("SELECT * FROM \"{db}POBYTY.DB\""), tables[0]);
    QCOMPARE(rows("SELECT * FROM \"{db}UCTY.DB\""), tables[1]);
    QCOMPARE(rows("SELECT * FROM \"{db}UCTYPOL.DB\""), tables[2]);
}

// ---- look -------------------------------------------------------------------------------

void TestStayDialogs::windowsLookRightInBothLanguages()
{
    const QString folder = qEnvironmentVariable("STAYS_SCREENSHOTS");
    QStringList clipped, tabs, titles;
    auto shoot = [&](QDialog& d, const QString& name) {
        d.adjustSize();
        QCoreApplication::processEvents();
        clipped << clippedCaptions(d, name);
        if (!folder.isEmpty()) d.grab().save(folder + "/" + name + ".png");
    };
    stay(12, "R");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (14, 1, \"2\", \"5.3.2004\", \"7.3.2004\", \"R\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, KID, PID, DATEFROM, DATETHRU, STATUS, UID, TIMEIN, NUMPERS, PRICEEUR, MAIDEUR) "
         "VALUES (15, 1, \"3\", \"5.3.2004\", \"8.3.2004\", \"H\", 41, \"14:00:00\", 2, 300, 30)");
    exec("INSERT INTO \"{db}UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE) "
         "VALUES (41, \"3\", 2, \"Minibar\", \"5.3.2004\", 2, 51, 21, 25.5)");
    exec("INSERT INTO \"{db}POBYTY.DB\" (BID, PID, DATEFROM, DATETHRU, STATUS, KID, UID, BOOKEDFOR) VALUES (20, \"2\", \"5.3.2004\", \"7.3.2004\", \"X\", 0, 0, \"Painting\")");
    // The language is switched while no dialog is open, as the options do; each opening then
    // shows the chosen language.
    for (const int language : {1, 2}) {
        m_language->setLanguageIdent(language);
        currentLanguage()->TranslateAll();
        const QString suffix = language == 1 ? "-en" : "-cs";
        const bool walk = language == 1;
        open(platform::dialogs::CheckIn, {{"BID", 12}, {"KID", 1}, {"DATEFROM", day(5, 3, 2004)}}, [&](QDialog& dialog) {
            auto& d = static_cast<TfrmCheckIn&>(dialog);
            titles << d.windowTitle();
            shoot(d, "checkin" + suffix);
            if (walk) tabs << tabWalk(d, d.dbdUFrom, 8).join(' ');
            d.reject();
        });
        open(platform::dialogs::RoomDetail, {{"BID", 15}}, [&](QDialog& dialog) {
            auto& d = static_cast<TfrmRoomDetail&>(dialog);
            titles << d.windowTitle() + " / " + d.dbAccItems->horizontalHeaderItem(0)->text();
            shoot(d, "roomdetail-main" + suffix);
            if (walk) tabs << tabWalk(d, d.dbeDateThru, 7).join(' ');
            d.pgPages->setCurrentWidget(d.pgAccount);
            shoot(d, "roomdetail-account" + suffix);
            d.pgPages->setCurrentWidget(d.pgNewAccountItem);
            d.cmbUPID->setCurrentIndex(d.cmbUPID->findText("Telephone"));
            d.cmbVatNew->setCurrentIndex(0);
            d.edPriceCZKNew->setValue(100);
            d.UpdateControls();
            shoot(d, "roomdetail-item" + suffix);
            if (walk) tabs << tabWalk(d, d.cmbUPID, 7).join(' ');
            d.pgPages->setCurrentWidget(d.pgMain);
            d.chkFX->click();
            shoot(d, "roomdetail-czk" + suffix);
            d.reject();
        });
        open(platform::dialogs::OutOfOrders, {{"BID", 20}}, [&](QDialog& dialog) {
            auto& d = static_cast<TfrmOutOfOrders&>(dialog);
            titles << d.windowTitle();
            shoot(d, "outoforder" + suffix);
            if (walk) tabs << tabWalk(d, d.cmbPID, 8).join(' ');
            d.reject();
        });
    }
    m_language->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    QCOMPARE(tabs, QStringList({"dbdUFrom dbeCardNum dbcCardType dbeCardExp chkRooms btOk btCancel dbdUFrom",
                                "dbeDateThru edNumPers cmbBusiness dbePriceEUR chkFX dbePriceMaidEUR btOk",
                                "cmbUPID edDescrNew edPriceEURNew edPriceCZKNew cmbVatNew btSave btCancel",
                                "cmbPID dbeDateFrom dbeDateThru dbcReason btOK btCancel btDelete cmbPID"}));
    QCOMPARE(titles, QStringList({"Check in", "Room detail / Item", "Out of orders", QString::fromUtf8("Ubytování"),
                                  QString::fromUtf8("Detail pokoje / Položka"), QString::fromUtf8("Mimo provoz")}));
    QCOMPARE(m_messages.size(), 0);
}

// Each object row of the three windows finds its control and property: in Czech the control
// shows the row's text.
void TestStayDialogs::everyTranslationRowReachesAControl()
{
    m_language->setLanguageIdent(2);
    currentLanguage()->TranslateAll();
    QStringList missed;
    int checked = 0;
    for (const LanguageRow& row : currentLanguage()->tables().objects) {
        if (!row.key.startsWith("frmCheckIn.") && !row.key.startsWith("frmRoomDetail.")
            && !row.key.startsWith("frmOutOfOrders."))
            continue;
        ++checked;
        const QString shown = currentLanguage()->ReadObjectValue(row.key);
        if (shown.trimmed() != row.text(2).trimmed()) missed << row.key + " = '" + shown + "'";
    }
    m_language->setLanguageIdent(1);
    currentLanguage()->TranslateAll();
    QCOMPARE(checked, 44);   // with the room detail's button to the guests window
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join("; ")));
}

int main(int argc, char** argv)
{
    tablelocks::holdLocksIfAsked(argc, argv);
    QApplication app(argc, argv);
    TestStayDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "StayDialogsTest.moc"
