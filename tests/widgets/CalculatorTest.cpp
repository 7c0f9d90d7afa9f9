// The calculator of the number boxes: the pocket calculator's sums as key sequences, and the
// pop-up opened from the box's button and keys, answered through the platform's modal seam.
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/Platform.h"
#include "widgets/CalcEdit.h"

using namespace widgets;

class TestCalculator : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { platform::seams() = platform::Seams{}; }
    void sums_data();
    void sums();
    void popUpPutsItsResultIntoTheBox_data();
    void popUpPutsItsResultIntoTheBox();
};

void TestCalculator::sums_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("result");   // "error" when there is none
    QTest::newRow("from the box's number") << 120.0 << "*3=" << "360" << "360";
    QTest::newRow("left to right") << 0.0 << "2+3*4=" << "20" << "20";
    QTest::newRow("pending operation counts") << 0.0 << "7-2" << "2" << "5";
    QTest::newRow("decimal comma and point") << 0.0 << "1,5+0.25=" << "1.75" << "1.75";
    QTest::newRow("second operator replaces the first") << 10.0 << "+*2=" << "20" << "20";
    QTest::newRow("change of sign") << 0.0 << "5~+2=" << "-3" << "-3";
    QTest::newRow("negative second operand") << 8.0 << "-~3=" << "11" << "11";
    QTest::newRow("last digit removed") << 0.0 << "125<*2=" << "24" << "24";
    QTest::newRow("division") << 100.0 << "/8=" << "12.5" << "12.5";
    QTest::newRow("division by zero") << 5.0 << "/0=" << "Error" << "error";
    QTest::newRow("cleared after an error") << 5.0 << "/0=C4=" << "4" << "4";
    QTest::newRow("a fresh entry replaces the start") << 99.0 << "12=" << "12" << "12";
    QTest::newRow("a seven-digit total keeps its hundredths") << 1230821.2 << "+4281.45=" << "1235102.65" << "1235102.65";
    QTest::newRow("binary noise of a sum is dropped") << 33.3 << "+33.3+33.3=" << "99.9" << "99.9";
}

void TestCalculator::sums()
{
    QFETCH(double, start);
    QFETCH(QString, keys);
    QFETCH(QString, display);
    QFETCH(QString, result);
    Calculator c(start);
    for (QChar k : keys) QVERIFY2(c.press(k), qPrintable(QString(k)));
    QVERIFY(!c.press(u'x'));
    QCOMPARE(c.display(), display);
    const std::optional<double> r = c.result();
    QCOMPARE(r ? TCalcEdit::fullText(*r) : QStringLiteral("error"), result);
}

void TestCalculator::popUpPutsItsResultIntoTheBox_data()
{
    QTest::addColumn<QString>("open");      // "button", "F4", "Alt+Down"
    QTest::addColumn<QString>("keys");      // typed into the pop-up
    QTest::addColumn<bool>("confirm");      // Enter, else Esc
    QTest::addColumn<QString>("shown");
    QTest::newRow("button, Enter") << "button" << "*3=" << true << "375.38";
    QTest::newRow("F4, pending sum confirmed") << "F4" << "+10" << true << "135.13";
    QTest::newRow("Alt+Down, Esc") << "Alt+Down" << "*3=" << false << "125.126";
    QTest::newRow("error is not confirmed") << "F4" << "/0=" << true << "125.126";
}

void TestCalculator::popUpPutsItsResultIntoTheBox()
{
    QFETCH(QString, open);
    QFETCH(QString, keys);
    QFETCH(bool, confirm);
    QFETCH(QString, shown);
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* box = new TCalcEdit(&host);
    layout->addWidget(box);
    host.show();
    box->setValue(125.126);
    box->setModified(false);
    QString title, display;
    int opened = 0;
    platform::seams().runModal = [&](QDialog* d) {
        ++opened;
        title = d->windowTitle();
        d->show();
        for (QChar k : keys) QTest::keyClicks(d, QString(k));
        display = d->findChild<QLineEdit*>("display")->text();
        // Enter after an error leaves the pop-up open: Esc then ends it.
        QTest::keyClick(d, confirm ? Qt::Key_Return : Qt::Key_Escape);
        if (d->isVisible()) QTest::keyClick(d, Qt::Key_Escape);
        return d->result();
    };
    TCalcEdit::setTranslator([](const QString& t) { return t == "Calculator" ? QStringLiteral("Kalkulačka") : t; });
    box->setFocus();
    if (open == "button") {
        QList<QToolButton*> buttons = box->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 1);
        QTest::mouseClick(buttons.front(), Qt::LeftButton);
    } else if (open == "F4") {
        QTest::keyClick(box, Qt::Key_F4);
    } else {
        QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
    }
    TCalcEdit::setTranslator({});
    QCOMPARE(opened, 1);
    QCOMPARE(title, QStringLiteral("Kalkulačka"));
    QCOMPARE(box->text(), shown);
    QCOMPARE(box->isModified(), shown != "125.126");
    if (keys == "/0=") QCOMPARE(display, QStringLiteral("Error"));

    // A box that cannot be typed into offers no calculator.
    box->setReadOnly(true);
    QTest::keyClick(box, Qt::Key_F4);
    QCOMPARE(opened, 1);
}

QTEST_MAIN(TestCalculator)
#include "CalculatorTest.moc"
