// Drives the date, calculator and spin edits through the keyboard and the focus, with the
// message box and the dialog runner answered through the platform seams.
#include <QCalendarWidget>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "platform/Platform.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"
#include "widgets/SpinEdit.h"

using namespace widgets;

namespace {
struct Message {
    QString text, caption;
};
}  // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void parseDate_data();
    void parseDate();
    void emptyDateBoxShowsTheMask();
    void dateBoxAcceptsBothWrittenForms_data();
    void dateBoxAcceptsBothWrittenForms();
    void leavingAnInvalidDateIsRefused();
    void leavingATypedShortDateNormalisesIt();
    void calendarTitleWeekendsAndChoice();
    void calendarCancelKeepsTheDate();

    void calcEditTyping_data();
    void calcEditTyping();
    void calcEditFormat_data();
    void calcEditFormat();
    void calcEditFinishesAHalfTypedNumberOnLeaving();

    void spinEditRangeAndSteps();
    void spinEditTypingLimits();
    void spinEditOutOfRangeTypedValueIsBroughtIn();

private:
    // A shown, active window holding the control under test and a second edit to move to.
    QWidget* hostFor(QWidget* control);
    void leaveTo(QWidget* next);

    QList<Message> m_messages;
    std::unique_ptr<QWidget> m_host;
    QLineEdit* m_other = nullptr;
};

void TestWidgets::init()
{
    m_messages.clear();
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption,
                                          platform::Icon, platform::Buttons) {
        m_messages.append({text, caption});
        return int(QMessageBox::Ok);
    };
    platform::seams().now = [] { return QDateTime(QDate(2024, 3, 6), QTime(10, 0)); };
}

void TestWidgets::cleanup()
{
    m_host.reset();
    m_other = nullptr;
    platform::seams() = platform::Seams{};
}

QWidget* TestWidgets::hostFor(QWidget* control)
{
    m_host = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_host.get());
    control->setParent(m_host.get());
    layout->addWidget(control);
    m_other = new QLineEdit(m_host.get());
    layout->addWidget(m_other);
    m_host->show();
    m_host->activateWindow();
    if (!QTest::qWaitForWindowActive(m_host.get())) qWarning("host window not active");
    control->setFocus(Qt::TabFocusReason);
    return m_host.get();
}

void TestWidgets::leaveTo(QWidget* next)
{
    next->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void TestWidgets::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("no leading zeros") << "5.3.2004" << QDate(2004, 3, 5);
    QTest::newRow("box form") << "05.03.2004" << QDate(2004, 3, 5);
    QTest::newRow("typed into the mask") << "5 .3 .2004" << QDate(2004, 3, 5);
    QTest::newRow("two-digit year") << "5.3.04" << QDate(2004, 3, 5);
    QTest::newRow("leap day") << "29.02.2024" << QDate(2024, 2, 29);
    QTest::newRow("no leap day") << "29.02.2023" << QDate();
    QTest::newRow("31 February") << "31.02.2024" << QDate();
    QTest::newRow("month 13") << "1.13.2004" << QDate();
    QTest::newRow("day 0") << "0.1.2004" << QDate();
    QTest::newRow("empty mask") << "  .  .    " << QDate();
    QTest::newRow("part missing") << "05.  .2004" << QDate();
    QTest::newRow("two parts") << "5.3" << QDate();
    QTest::newRow("letters") << "a.b.cdef" << QDate();
    QTest::newRow("sign") << "-5.3.2004" << QDate();
}

void TestWidgets::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(parseDateText(text), expected);
}

void TestWidgets::emptyDateBoxShowsTheMask()
{
    TDateEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("  .  .    "));
    QCOMPARE(edit.property("text").toString(), QStringLiteral("  .  .    "));
    QVERIFY(edit.isEmpty());
    QVERIFY(!edit.date().isValid());
    QVERIFY(edit.checkValidDate());

    edit.setDate(QDate(2004, 3, 5));
    QVERIFY(!edit.isEmpty());
    edit.clear();
    QCOMPARE(edit.text(), kEmptyDateText);
    edit.setText("05.03.2004");
    edit.setText("");
    QCOMPARE(edit.text(), kEmptyDateText);
    edit.setDate(QDate());
    QCOMPARE(edit.text(), kEmptyDateText);
    QVERIFY(m_messages.isEmpty());
}

void TestWidgets::dateBoxAcceptsBothWrittenForms_data()
{
    QTest::addColumn<QString>("written");
    QTest::newRow("from a day number") << "5.3.2004";
    QTest::newRow("from a date box") << "05.03.2004";
}

void TestWidgets::dateBoxAcceptsBothWrittenForms()
{
    QFETCH(QString, written);
    TDateEdit edit;
    edit.setText(written);
    QCOMPARE(edit.text(), QStringLiteral("05.03.2004"));
    QCOMPARE(edit.date(), QDate(2004, 3, 5));
    QVERIFY(edit.checkValidDate());
    QVERIFY(m_messages.isEmpty());

    edit.setProperty("text", written);
    QCOMPARE(edit.date(), QDate(2004, 3, 5));
}

void TestWidgets::leavingAnInvalidDateIsRefused()
{
    auto* edit = new TDateEdit;
    hostFor(edit);
    QTest::keyClicks(edit, "31022024");
    QCOMPARE(edit->text(), QStringLiteral("31.02.2024"));
    leaveTo(m_other);

    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains("31.02.2024"));
    QVERIFY(edit->hasFocus());
    QVERIFY(!edit->checkValidDate());
    QCOMPARE(m_messages.size(), 2);

    edit->selectAll();
    QTest::keyClicks(edit, "29022024");
    leaveTo(m_other);
    QCOMPARE(m_messages.size(), 2);
    QVERIFY(m_other->hasFocus());
    QCOMPARE(edit->date(), QDate(2024, 2, 29));
}

void TestWidgets::leavingATypedShortDateNormalisesIt()
{
    auto* edit = new TDateEdit;
    hostFor(edit);
    QSignalSpy finished(edit, &QLineEdit::editingFinished);
    QTest::keyClicks(edit, "5.3.2004");
    QCOMPARE(edit->date(), QDate(2004, 3, 5));
    leaveTo(m_other);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(edit->text(), QStringLiteral("05.03.2004"));
    QCOMPARE(finished.count(), 1);
}

void TestWidgets::calendarTitleWeekendsAndChoice()
{
    TDateEdit edit;
    edit.setProperty("DialogTitle", "Select a Date From");
    QString title;
    QDate shownFirst;
    bool saturdayRed = false, sundayRed = false;
    platform::seams().runModal = [&](QDialog* dialog) {
        title = dialog->windowTitle();
        auto* calendar = dialog->findChild<QCalendarWidget*>();
        if (!calendar) return int(QDialog::Rejected);
        shownFirst = calendar->selectedDate();
        saturdayRed = calendar->weekdayTextFormat(Qt::Saturday).foreground().color() == QColor(Qt::red);
        sundayRed = calendar->weekdayTextFormat(Qt::Sunday).foreground().color() == QColor(Qt::red);
        calendar->setSelectedDate(QDate(2024, 3, 9));
        return int(QDialog::Accepted);
    };
    edit.openCalendar();
    QCOMPARE(title, QStringLiteral("Select a Date From"));
    QCOMPARE(shownFirst, QDate(2024, 3, 6));   // an empty box opens on today
    QVERIFY(saturdayRed);
    QVERIFY(sundayRed);
    QCOMPARE(edit.text(), QStringLiteral("09.03.2024"));

    edit.openCalendar();
    QCOMPARE(shownFirst, QDate(2024, 3, 9));   // a filled box opens on its own day
}

void TestWidgets::calendarCancelKeepsTheDate()
{
    TDateEdit edit;
    edit.setDate(QDate(2004, 3, 5));
    platform::seams().runModal = [](QDialog* dialog) {
        dialog->findChild<QCalendarWidget*>()->setSelectedDate(QDate(2010, 1, 1));
        return int(QDialog::Rejected);
    };
    edit.openCalendar();
    QCOMPARE(edit.date(), QDate(2004, 3, 5));
}

void TestWidgets::calcEditTyping_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "12,5" << "12,5" << 12.5;
    QTest::newRow("point") << "12.5" << "12.5" << 12.5;
    QTest::newRow("second separator refused") << "1.2.3" << "1.23" << 1.23;
    QTest::newRow("point then comma") << "1.2,3" << "1.23" << 1.23;
    QTest::newRow("minus") << "-30" << "-30" << -30.0;
    QTest::newRow("minus only in front") << "3-0" << "30" << 30.0;
    QTest::newRow("letters refused") << "1a2b" << "12" << 12.0;
    QTest::newRow("nothing") << "" << "" << 0.0;
    QTest::newRow("typing stops at the limit") << "123456789" << "12345678" << 12345678.0;
}

void TestWidgets::calcEditTyping()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(double, value);
    TCalcEdit edit;
    edit.setTypingLimit(8);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(edit.value(), value);
}

void TestWidgets::calcEditFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 150.0 << "150";
    QTest::newRow("half") << 150.5 << "150.5";
    QTest::newRow("hundredths") << 1234.56 << "1234.56";
    QTest::newRow("more places than typed ones, in full") << 0.0125 << "0.0125";
    QTest::newRow("binary noise of a sum dropped") << 33.3 + 33.3 + 33.3 << "99.9";
    QTest::newRow("negative") << -0.25 << "-0.25";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("large") << 12345678.0 << "12345678";
    QTest::newRow("longer than the typing limit") << 123456.78 << "123456.78";
    QTest::newRow("computed, longer than the limit") << 103005.94 << "103005.94";
}

void TestWidgets::calcEditFormat()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    TCalcEdit edit;
    edit.setTypingLimit(8);
    edit.setValue(value);
    QCOMPARE(edit.text(), text);
    QCOMPARE(edit.value(), value);
    if (text.size() > 8) {
        // A text longer than the limit can be shortened but not lengthened.
        QTest::keyClick(&edit, Qt::Key_End);
        QTest::keyClick(&edit, '5');
        QCOMPARE(edit.text(), text);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), text.chopped(1));
    }
}

void TestWidgets::calcEditFinishesAHalfTypedNumberOnLeaving()
{
    auto* edit = new TCalcEdit;
    hostFor(edit);
    const QList<QPair<QString, QString>> cases = {{"-", "0"}, {"3,", "3"}, {",5", "0.5"},
                                                  {"12,5", "12,5"}, {"", ""}};
    for (const auto& [typed, after] : cases) {
        edit->setFocus(Qt::TabFocusReason);
        edit->clear();
        QTest::keyClicks(edit, typed);
        leaveTo(m_other);
        QCOMPARE(edit->text(), after);
    }
}

void TestWidgets::spinEditRangeAndSteps()
{
    TSpinEdit spin;
    spin.setRange(1, 99);
    QVERIFY(spin.text().isEmpty());
    QCOMPARE(spin.value(), 0);   // an empty box reads as 0, below the range

    spin.stepBy(1);
    QCOMPARE(spin.text(), QStringLiteral("1"));
    spin.setValue(150);
    QCOMPARE(spin.value(), 99);
    spin.stepBy(1);
    QCOMPARE(spin.value(), 99);
    spin.setValue(-4);
    QCOMPARE(spin.value(), 1);

    QSignalSpy changed(&spin, &TSpinEdit::valueChanged);
    spin.setValue(5);
    spin.stepBy(-2);
    QCOMPARE(spin.value(), 3);
    QCOMPARE(changed.count(), 2);
    spin.clear();
    QCOMPARE(spin.value(), 0);
    QCOMPARE(changed.count(), 3);
    spin.clear();
    spin.stepBy(-1);
    QCOMPARE(spin.value(), 99);   // an empty box steps down from the top
}

void TestWidgets::spinEditTypingLimits()
{
    TSpinEdit spin;
    spin.setRange(0, 999);
    spin.setMaxLength(3);
    QTest::keyClicks(&spin, "12a34");
    QCOMPARE(spin.text(), QStringLiteral("123"));
    spin.clear();
    QTest::keyClicks(&spin, "-5");
    QCOMPARE(spin.text(), QStringLiteral("5"));   // no minus when the range has none

    TSpinEdit signedSpin;
    signedSpin.setRange(-10, 10);
    QTest::keyClicks(&signedSpin, "-7");
    QCOMPARE(signedSpin.value(), -7);
    signedSpin.setText("x");
    QVERIFY(signedSpin.text().isEmpty());
}

void TestWidgets::spinEditOutOfRangeTypedValueIsBroughtIn()
{
    auto* spin = new TSpinEdit;
    spin->setRange(7, 365);
    spin->setMaxLength(3);
    hostFor(spin);
    QTest::keyClicks(spin, "999");
    QCOMPARE(spin->text(), QStringLiteral("999"));
    leaveTo(m_other);
    QCOMPARE(spin->value(), 365);

    spin->setFocus(Qt::TabFocusReason);
    spin->clear();
    QTest::keyClicks(spin, "3");
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), 7);

    spin->clear();
    leaveTo(m_other);
    QVERIFY(spin->text().isEmpty());   // an empty box stays empty
}

QTEST_MAIN(TestWidgets)
#include "WidgetsTest.moc"
