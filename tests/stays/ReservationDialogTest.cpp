// The reservation dialog driven through its controls on a temporary database folder, with
// the clock fixed and every message box answered through the platform seam: new
// reservations from a board cell, definitive ones with a client card, the save checks and
// questions, one row for repeated saves, quotes in names, the closing rules, the missing
// exchange rate, rounding, loading, and the window's look in English and Czech.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QtTest>
#include <functional>
#include <memory>

#include "platform/DialogSeam.h"
#include "data/TableFiles.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stays/RegisterStays.h"
#include "stays/TfrmRezervace.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/SpinEdit.h"

namespace {

struct Shown {
    QString text, caption;
    platform::Icon icon;
    platform::Buttons buttons;
};

int day(int d, int m, int y) { return shell::NumberFromDate(QDate(y, m, d)); }

}  // namespace

class TestReservation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newReservationFromABoardCell();
    void definitiveNeedsAClientCard();
    void emptyBookThruKeepsThePreliminaryUntilArrival();
    void badDatesAreRefused();
    void zeroAmountIsAsked();
    void twoSavesWriteOneRow();
    void quotesAndApostrophesAreStoredIntact();
    void cancelAsksOnlyForANewReservation();
    void missingRateWarnsOncePerOpening();
    void leavingAPriceConvertsWithBankersRounding();
    void anExistingReservationIsShownAsStored();
    void aVanishedReservationContinuesAsNew();
    void nightsMoveTheDeparture();
    void windowLooksRightInBothLanguages();

private:
    // Runs the dialog through the board's seam; drive() works on it while it is "modal".
    int open(QVariantMap& args, const std::function<void(TfrmRezervace&)>& drive);
    int openNew(int night, const std::function<void(TfrmRezervace&)>& drive);
    void exec(QString sql);
    int rows();
    QString field(const QString& name, int bid = 0);
    void room(const QString& pid, const QString& name, double price, double maid);
    void rate(const QString& date, double crr);
    // Moves the focus from one control to the next as Tab would, and lets the dialog react.
    static void leave(QWidget* from, QWidget* to);
    static void type(QLineEdit* edit, const QString& text);
    int count(const QString& text) const;
    static QStringList tabWalk(QDialog& d, QWidget* first, int steps);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QVector<Shown> m_messages;
    QList<int> m_answers;
    QVector<QVariantMap> m_printed;
};

void TestReservation::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
    m_language->setLanguageIdent(1);
}

void TestReservation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dm = std::make_unique<TdmDataModule>(m_dir->path());
    data::createTables(m_dm->db(), m_dir->path());
    setDataModule(m_dm.get());
    options() = TOptions{};
    m_language->setLanguageIdent(1);
    m_messages.clear();
    m_answers.clear();
    m_printed.clear();
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(QDate(2004, 3, 1), QTime(9, 5, 7)); };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon icon,
                                          platform::Buttons buttons) {
        m_messages.append({text, caption, icon, buttons});
        if (!m_answers.isEmpty()) return m_answers.takeFirst();
        return int(buttons == platform::Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    };
    for (const char* name : {"frmConfirmation", "frmRegCard"})
        platform::registerDialog(QLatin1String(name), [this](QVariantMap& args) {
            m_printed.append(args);
            return platform::kAccepted;
        });
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerStaysDialogs(m_main.get());

    room("1", "Single", 100, 10);
    room("2", "Double", 150, 0);
    rate("1.1.2004", 25);
    exec("INSERT INTO \"{db}ODKUDVI.DB\" (FID, FDESCR) VALUES (\"A\", \"Agency\")");
    exec("INSERT INTO \"{db}ODKUDVI.DB\" (FID, FDESCR) VALUES (\"W\", \"Web\")");
}

void TestReservation::cleanup()
{
    stays::unregisterStaysDialogs();
    platform::unregisterDialog("frmConfirmation");
    platform::unregisterDialog("frmRegCard");
    platform::unregisterDialog("frmFindClientCard");
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
}

int TestReservation::open(QVariantMap& args, const std::function<void(TfrmRezervace&)>& drive)
{
    platform::seams().runModal = [&](QDialog* d) {
        d->setResult(QDialog::Rejected);
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d)) qWarning("the dialog did not become active");
        drive(*static_cast<TfrmRezervace*>(d));
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    return platform::openDialog("frmRezervace", args);
}

int TestReservation::openNew(int night, const std::function<void(TfrmRezervace&)>& drive)
{
    QVariantMap args{{"BID", 0}, {"PID", "1"}, {"PNAME", "Single"}, {"DATEFROM", night}};
    return open(args, drive);
}

void TestReservation::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

int TestReservation::rows()
{
    m_dm->OpenAndCount(QStringLiteral("SELECT * FROM \"%1POBYTY.DB\"").arg(m_dm->DbPrefix()));
    return m_dm->lastCount();
}

// A field of the stay (the newest one when bid is 0).
QString TestReservation::field(const QString& name, int bid)
{
    const QString where = bid ? QStringLiteral("BID=%1").arg(bid)
                              : QStringLiteral("BID in (SELECT max(BID) FROM \"%1POBYTY.DB\")").arg(m_dm->DbPrefix());
    auto q = m_dm->Open(QStringLiteral("SELECT %1 FROM \"%2POBYTY.DB\" WHERE %3").arg(name, m_dm->DbPrefix(), where));
    return q->next() ? QString::fromStdString(q->text(0)) : QStringLiteral("<no row>");
}

void TestReservation::room(const QString& pid, const QString& name, double price, double maid)
{
    exec(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES (%1, %2, 255, %3, %4)")
             .arg(shell::QuoteText(pid), shell::QuoteText(name)).arg(price).arg(maid));
}

void TestReservation::rate(const QString& date, double crr)
{
    exec(QStringLiteral("INSERT INTO \"{db}KURZY.DB\" (RDATE, CRCD, CRR) VALUES (%1, \"EUR\", %2)")
             .arg(shell::QuoteText(date)).arg(crr));
}

void TestReservation::leave(QWidget* from, QWidget* to)
{
    from->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void TestReservation::type(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// The controls Tab visits from the first one, named as the dialog names them (a box made of
// an inner line edit counts as the box).
QStringList TestReservation::tabWalk(QDialog& d, QWidget* first, int steps)
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

int TestReservation::count(const QString& text) const
{
    return int(std::count_if(m_messages.begin(), m_messages.end(), [&](const Shown& m) { return m.text == text; }));
}

// ---- tests ------------------------------------------------------------------------------

void TestReservation::newReservationFromABoardCell()
{
    QVariantMap args{{"BID", 0}, {"PID", "1"}, {"PNAME", "Single"}, {"DATEFROM", day(5, 3, 2004)}};
    bool presetOk = false;
    const int result = open(args, [&](TfrmRezervace& d) {
        presetOk = d.edDateFrom->text() == "05.03.2004" && d.edDateThru->text() == "06.03.2004"
            && d.edNights->text() == "1" && d.edBookThru->text() == "04.03.2004" && d.cmbPID->currentText() == "Single"
            && d.edRoomPriceEUR->value() == 100 && d.edRoomMaidPriceEUR->value() == 10
            && d.edRoomPriceCZK->value() == 2500 && d.edRoomMaidPriceCZK->value() == 250
            && d.edRoomPriceEUR->isVisible() && !d.edRoomPriceCZK->isVisible() && d.stCurrency->text() == "EUR"
            && d.windowTitle() == "Preliminary reservation" && !d.btPrintConfirmation->isVisible()
            && d.pnlNewClient->isVisible() && !d.pnlClientInDatabase->isVisible();
        type(d.edBookedFor, "Novak");
        d.cmbKnowsFrom->setCurrentIndex(1);
        d.cmbBusiness->setCurrentIndex(1);
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QVERIFY(presetOk);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY2(m_messages.isEmpty(), m_messages.isEmpty() ? "" : qPrintable(m_messages.first().text));
    QCOMPARE(rows(), 1);
    QCOMPARE(args.value("BID").toInt(), field("BID").toInt());
    const QStringList names{"KID", "PID", "DATEFROM", "DATETHRU", "STATUS", "PRTHRU", "NUMPERS", "BUSINESS", "PRICEEUR",
                            "PRICECZK", "MAIDEUR", "MAIDCZK", "BOOKEDFOR", "BOOKEDKNFR", "DISCOUNT", "USR", "UPMJ", "UPMT"};
    const QStringList expected{"0",    "1",    "5.3.2004", "6.3.2004", "P", "4.3.2004", "1", "1",        "100",
                               "2500", "10",   "250",      "Novak",    "W", " ",        "",  "1.3.2004", "9:05:07"};
    for (int i = 0; i < names.size(); ++i) QCOMPARE(field(names[i]), expected[i]);
}

void TestReservation::definitiveNeedsAClientCard()
{
    exec("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME, COUNTRY) VALUES (\"Mr\", \"Novak\", \"Jan\", \"CZ\")");
    const QString kid = m_dm->Open(QStringLiteral("SELECT max(KID) AS K FROM \"%1KARTY.DB\"").arg(m_dm->DbPrefix()))
                            ->next() ? "1" : "";
    platform::registerDialog("frmFindClientCard", [&](QVariantMap& args) {
        args.insert("KID", kid);
        return platform::kAccepted;
    });
    bool switched = false, refusedWithoutCard = false, shown = false;
    openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        type(d.edBookedFor, "Someone");
        d.cmbStatus->setCurrentIndex(1);
        switched = d.chkInDatabase->isChecked() && !d.chkInDatabase->isEnabled() && !d.edBookThru->isEnabled()
            && d.btPrintConfirmation->isVisible() && d.windowTitle() == "Definitive reservation"
            && d.pnlClientInDatabase->isVisible() && !d.pnlNewClient->isVisible() && d.edBookedFor->text().isEmpty();
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
        refusedWithoutCard = d.isVisible() && count("Client not chosen") == 1;
        QTest::mouseClick(d.btFindClient, Qt::LeftButton);
        shown = d.edKID->text() == kid && d.edClientNameReadOnly->text() == "Mr Novak Jan, CZ";
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QCOMPARE(m_messages.first().text, QString("If the reservation is definitive, client card must exist."));
    QCOMPARE(m_messages.first().caption, QString("Definitive reservation"));
    QCOMPARE(m_messages.first().icon, platform::Icon::Information);
    QVERIFY(switched);
    QVERIFY(refusedWithoutCard);
    QVERIFY(shown);
    QCOMPARE(rows(), 1);
    QCOMPARE(field("STATUS"), QString("R"));
    QCOMPARE(field("KID"), kid);
    QCOMPARE(field("BOOKEDFOR"), QString());
}

void TestReservation::emptyBookThruKeepsThePreliminaryUntilArrival()
{
    openNew(day(10, 3, 2004), [&](TfrmRezervace& d) {
        type(d.edBookedFor, "Novak");
        d.cmbKnowsFrom->setCurrentIndex(0);
        d.edBookThru->clear();
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QCOMPARE(rows(), 1);
    QCOMPARE(field("PRTHRU"), field("DATEFROM"));
    QCOMPARE(field("PRTHRU"), QString("10.3.2004"));
}

void TestReservation::badDatesAreRefused()
{
    bool stayedOpen = true;
    openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        type(d.edBookedFor, "Novak");
        d.cmbKnowsFrom->setCurrentIndex(0);
        for (const char* thru : {"05.03.2004", "03.03.2004"}) {
            d.edDateThru->setText(thru);
            leave(d.edDateThru, d.edNights);
            QTest::mouseClick(d.tbOk, Qt::LeftButton);
            stayedOpen = stayedOpen && d.isVisible();
        }
        // Not a calendar day: the box itself refuses it, before any other check.
        d.edDateThru->setText("31.02.2004");
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
        stayedOpen = stayedOpen && d.isVisible();
        // Printing saves first; a failed save is said so, and the card gets no stay.
        QTest::mouseClick(d.btPrintRegCard, Qt::LeftButton);
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(count("Dates of stay not specified correctly"), 2);
    QCOMPARE(count("'31.02.2004' is not a valid date"), 2);
    QCOMPARE(count("Data cannot be saved"), 1);
    QCOMPARE(m_printed.size(), 1);
    QCOMPARE(m_printed.first().value("BID").toInt(), 0);
    QCOMPARE(rows(), 0);
}

void TestReservation::zeroAmountIsAsked()
{
    QVariantMap args{{"BID", 0}, {"PID", "2"}, {"DATEFROM", day(5, 3, 2004)}};   // the room without maid price
    bool stayedOpen = false;
    open(args, [&](TfrmRezervace& d) {
        type(d.edBookedFor, "Novak");
        d.cmbKnowsFrom->setCurrentIndex(0);
        m_answers = {QMessageBox::No};
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
        stayedOpen = d.isVisible() && rows() == 0;
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(count("Zero amount specified. Is it correct?"), 2);
    QCOMPARE(m_messages.first().icon, platform::Icon::None);
    QCOMPARE(m_messages.first().buttons, platform::Buttons::YesNo);
    QCOMPARE(rows(), 1);
    QCOMPARE(field("PRICEEUR"), QString("150"));
    QCOMPARE(field("MAIDCZK"), QString("0"));
}

void TestReservation::twoSavesWriteOneRow()
{
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (0, \"1\", \"1.1.2004\", \"2.1.2004\", \"P\")");
    exec("DELETE FROM \"{db}POBYTY.DB\"");   // the next key is above every key left
    QVariantMap args{{"BID", 0}, {"PID", "1"}, {"DATEFROM", day(5, 3, 2004)}};
    int bidAfterPrint = -1;
    const int result = open(args, [&](TfrmRezervace& d) {
        type(d.edBookedFor, "Novak");
        // Declined first: nothing written, the dialog stays a new reservation.
        m_answers = {QMessageBox::No};
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
        QTest::mouseClick(d.btPrintRegCard, Qt::LeftButton);   // the question answered Yes this time
        bidAfterPrint = d.BID;
        d.edNumPers->setValue(3);
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(count("\"Knows from\" is empty. Ignore?"), 3);
    QCOMPARE(count("Data cannot be saved"), 0);
    QCOMPARE(rows(), 1);
    QCOMPARE(bidAfterPrint, field("BID").toInt());
    QVERIFY(bidAfterPrint > 1);
    QCOMPARE(m_printed.size(), 1);
    QCOMPARE(m_printed.first().value("BID").toInt(), bidAfterPrint);
    QCOMPARE(field("NUMPERS"), QString("3"));
    QCOMPARE(args.value("BID").toInt(), bidAfterPrint);
}

void TestReservation::quotesAndApostrophesAreStoredIntact()
{
    const QString name = QStringLiteral("O'Brien \"Bob\" d'Arc");
    openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        type(d.edBookedFor, name);
        d.cmbKnowsFrom->setCurrentIndex(0);
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QVERIFY2(count("Can't save the data") == 0, "the save failed");
    QCOMPARE(field("BOOKEDFOR"), name);
    // And an update keeps it so.
    const int bid = field("BID").toInt();
    QVariantMap args{{"BID", bid}};
    QString shown;
    open(args, [&](TfrmRezervace& d) {
        shown = d.edBookedFor->text();
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QCOMPARE(shown, name);
    QCOMPARE(field("BOOKEDFOR", bid), name);
    QCOMPARE(rows(), 1);
}

void TestReservation::cancelAsksOnlyForANewReservation()
{
    bool openAfterNo = false;
    int result = openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        m_answers = {QMessageBox::No};
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
        openAfterNo = d.isVisible();
        m_answers = {QMessageBox::Yes};
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    QVERIFY(openAfterNo);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(count("Are you sure to cancel the operation?"), 2);
    QCOMPARE(m_messages.first().caption, QString("Reservation"));
    QCOMPARE(rows(), 0);

    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, BOOKEDFOR, NUMPERS) "
         "VALUES (0, \"1\", \"5.3.2004\", \"7.3.2004\", \"P\", \"Novak\", 2)");
    m_messages.clear();
    QVariantMap args{{"BID", field("BID").toInt()}};
    bool closed = false;
    result = open(args, [&](TfrmRezervace& d) {
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
        closed = !d.isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(m_messages.isEmpty());
}

void TestReservation::missingRateWarnsOncePerOpening()
{
    exec("DELETE FROM \"{db}KURZY.DB\"");
    const QString warning = "The newest exchange rate is missing or not above 0. Amounts in the other currency are left as they are.";
    double czk = -1, eur = -1;
    for (int opening = 1; opening <= 2; ++opening) {
        openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
            eur = d.edRoomPriceEUR->value();
            d.edNights->stepBy(2);   // a new proposal: 3 nights
            leave(d.edRoomPriceEUR, d.edRoomMaidPriceEUR);
            czk = d.edRoomPriceCZK->value();
            m_answers = {QMessageBox::Yes};
            QTest::mouseClick(d.btCancel, Qt::LeftButton);
        });
        QCOMPARE(count(warning), opening);
    }
    QCOMPARE(eur, 100.0);
    QCOMPARE(czk, 0.0);   // left as it was, not -100
    const Shown& w = *std::find_if(m_messages.begin(), m_messages.end(), [&](const Shown& m) { return m.text == warning; });
    QCOMPARE(w.icon, platform::Icon::Warning);
}

void TestReservation::leavingAPriceConvertsWithBankersRounding()
{
    rate("1.3.2004", 10);
    options().PreferEUR = false;
    double roomEur = 0, maidEur = 0, roomCzk = 0, maidCzk = 0;
    bool czkShown = false;
    openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        czkShown = d.edRoomPriceCZK->isVisible() && !d.edRoomPriceEUR->isVisible() && d.stCurrency->text() == "CZK"
            && !d.chkForeign->isChecked();
        type(d.edRoomPriceCZK, "1.25");
        type(d.edRoomMaidPriceCZK, "1,35");
        leave(d.edRoomMaidPriceCZK, d.chkForeign);
        roomEur = d.edRoomPriceEUR->value();
        maidEur = d.edRoomMaidPriceEUR->value();
        QTest::mouseClick(d.chkForeign, Qt::LeftButton);   // EUR shown; values kept
        type(d.edRoomPriceEUR, "0.0125");
        type(d.edRoomMaidPriceEUR, "0.0135");
        leave(d.edRoomMaidPriceEUR, d.edBookThru);
        roomCzk = d.edRoomPriceCZK->value();
        maidCzk = d.edRoomMaidPriceCZK->value();
        type(d.edBookedFor, "Novak");
        d.cmbKnowsFrom->setCurrentIndex(0);
        QTest::mouseClick(d.tbOk, Qt::LeftButton);
    });
    QVERIFY(czkShown);
    QCOMPARE(roomEur, 0.12);
    QCOMPARE(maidEur, 0.14);
    QCOMPARE(roomCzk, 0.12);
    QCOMPARE(maidCzk, 0.14);
    // Stored as the boxes show them.
    QCOMPARE(field("PRICEEUR"), QString("0.0125"));
    QCOMPARE(field("MAIDCZK"), QString("0.14"));
}

void TestReservation::anExistingReservationIsShownAsStored()
{
    exec("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME) VALUES (\"\", \"Svoboda\", \"Petr\")");
    exec("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS, BUSINESS, PRICEEUR, "
         "PRICECZK, MAIDEUR, MAIDCZK, BOOKEDFOR, BOOKEDKNFR, DISCOUNT) VALUES (1, \"2\", \"5.3.2004\", \"8.3.2004\", \"R\", "
         "\"1.3.2004\", 2, \"1\", 333, 123456.78, 0.0125, 170, \"\", \" \", \" \")");
    QVariantMap args{{"BID", field("BID").toInt()}};
    bool asStored = false;
    open(args, [&](TfrmRezervace& d) {
        asStored = d.chkInDatabase->isChecked() && !d.chkInDatabase->isEnabled() && d.edKID->text() == "1"
            && d.edClientNameReadOnly->text() == "Svoboda Petr" && d.cmbStatus->currentIndex() == 1
            && d.edDateFrom->text() == "05.03.2004" && d.edDateThru->text() == "08.03.2004" && d.edNights->value() == 3
            && d.cmbPID->currentText() == "Double" && d.edRoomPriceEUR->value() == 333
            && d.edRoomPriceCZK->text() == "123456.78" && d.edRoomMaidPriceEUR->text() == "0.0125"
            && d.edRoomMaidPriceCZK->value() == 170 && d.edBookThru->text() == "01.03.2004"
            && d.edNumPers->value() == 2 && d.cmbBusiness->currentIndex() == 1
            && d.windowTitle() == "Definitive reservation";
        QTest::mouseClick(d.btPrintConfirmation, Qt::LeftButton);
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    });
    QVERIFY(asStored);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(rows(), 1);
    QCOMPARE(m_printed.size(), 1);
    QCOMPARE(m_printed.first().value("BID"), args.value("BID"));
    QCOMPARE(field("PRICEEUR"), QString("333"));
    // Ok writes the amounts back as stored, neither cut to the CZK box's typing limit nor
    // rounded.
    open(args, [&](TfrmRezervace& d) { QTest::mouseClick(d.tbOk, Qt::LeftButton); });
    QCOMPARE(field("PRICECZK"), QString("123456.78"));
    QCOMPARE(field("MAIDEUR"), QString("0.0125"));
}

void TestReservation::aVanishedReservationContinuesAsNew()
{
    QVariantMap args{{"BID", 4711}};
    int bid = -1;
    open(args, [&](TfrmRezervace& d) {
        bid = d.BID;
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    });
    QCOMPARE(bid, 0);
    QCOMPARE(count("Can't load the reservation"), 1);
    QCOMPARE(count("Are you sure to cancel the operation?"), 1);
}

void TestReservation::nightsMoveTheDeparture()
{
    exec("INSERT INTO \"{db}POKCENY.DB\" (PID, DATEFROM, PPRICE, MAIDPRICE) VALUES (\"1\", \"7.3.2004\", 80, 8)");
    QString thru, from;
    double price = 0, czk = 0;
    openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        type(d.edNights->findChild<QLineEdit*>(), "3");
        leave(d.edNights, d.cmbPID);
        thru = d.edDateThru->text();
        price = d.edRoomPriceEUR->value();
        czk = d.edRoomPriceCZK->value();
        // Without an arrival the nights count back from the departure.
        d.edDateFrom->clear();
        leave(d.edNights, d.cmbPID);
        from = d.edDateFrom->text();
        m_answers = {QMessageBox::Yes};
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    });
    QCOMPARE(thru, QString("08.03.2004"));
    // Nights of 5 and 6 March come before every dated price (nothing), 7 March costs 80.
    QCOMPARE(price, 80.0);
    QCOMPARE(czk, 2000.0);
    QCOMPARE(from, QString("05.03.2004"));
}

void TestReservation::windowLooksRightInBothLanguages()
{
    const QString folder = qEnvironmentVariable("STAYS_SCREENSHOTS");
    QStringList clipped;
    QString czechOk, czechCaption;
    bool enterSaves = false;
    QStringList tabOrder;
    auto checkCaptions = [&](TfrmRezervace& d, const char* language) {
        for (QWidget* w : d.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&d) || w->objectName().isEmpty()) continue;
            const bool hasCaption = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
            if (hasCaption && w->width() < w->sizeHint().width())
                clipped << QStringLiteral("%1 %2 (%3 < %4)").arg(language, w->objectName()).arg(w->width()).arg(w->sizeHint().width());
            if (auto* g = qobject_cast<QGroupBox*>(w);
                g && g->fontMetrics().horizontalAdvance(g->title()) + 20 > g->width())
                clipped << QStringLiteral("%1 %2").arg(language, g->objectName());
        }
    };
    exec("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME) VALUES (\"\", \"Svoboda\", \"Petr\")");
    openNew(day(5, 3, 2004), [&](TfrmRezervace& d) {
        QCOMPARE(d.tbOk->isDefault(), true);
        tabOrder = tabWalk(d, d.cmbStatus, 18);
        checkCaptions(d, "English");
        if (!folder.isEmpty()) d.grab().save(folder + "/reservation-en.png");
        d.cmbStatus->setCurrentIndex(1);   // the definitive look: client panel, confirmation button
        checkCaptions(d, "English definitive");
        if (!folder.isEmpty()) d.grab().save(folder + "/reservation-en-definitive.png");
        m_language->setLanguageIdent(2);
        currentLanguage()->TranslateAll();
        d.adjustSize();
        checkCaptions(d, "Czech");
        czechOk = d.btCancel->text();
        czechCaption = d.gbStayData->title();
        if (!folder.isEmpty()) d.grab().save(folder + "/reservation-cs.png");
        d.cmbStatus->setCurrentIndex(0);
        d.chkInDatabase->setChecked(false);
        d.UpdateControls();
        checkCaptions(d, "Czech preliminary");
        if (!folder.isEmpty()) d.grab().save(folder + "/reservation-cs-preliminary.png");
        m_language->setLanguageIdent(1);
        currentLanguage()->TranslateAll();
        // Enter in a text box saves through the default button.
        type(d.edBookedFor, "Enter");
        d.cmbKnowsFrom->setCurrentIndex(0);
        QTest::keyClick(d.edBookedFor, Qt::Key_Return);
        enterSaves = !d.isVisible() && rows() == 1;
    });
    QCOMPARE(tabOrder.join(' '), QString("cmbStatus chkInDatabase edBookedFor cmbKnowsFrom edDateFrom edDateThru "
                                         "edNights cmbPID edRoomPriceEUR edRoomMaidPriceEUR chkForeign edBookThru "
                                         "edNumPers cmbBusiness tbOk btCancel btPrintRegCard cmbStatus"));
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    QCOMPARE(czechOk, QString::fromUtf8("Storno"));
    QCOMPARE(czechCaption, QString::fromUtf8(" Údaje o pobytu "));
    QVERIFY(enterSaves);
}

QTEST_MAIN(TestReservation)
#include "ReservationDialogTest.moc"
