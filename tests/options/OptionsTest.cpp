// The settings file round trip and its defaults, the colour values, the colour button with
// the colour dialog answered through the seam, and the options dialog driven through its
// controls (OK stores and switches the language, Cancel leaves everything as it was).
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QColorDialog>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "lang/Language.h"
#include "options/ColorButton.h"
#include "options/IniFile.h"
#include "options/Options.h"
#include "options/OptionsDialog.h"
#include "platform/Platform.h"
#include "widgets/SpinEdit.h"

Q_DECLARE_METATYPE(TOptions)

namespace {

bool sameOptions(const TOptions& a, const TOptions& b)
{
    return a.Default == b.Default && a.PreliminaryR == b.PreliminaryR && a.DefinitiveR == b.DefinitiveR &&
           a.CheckedIn == b.CheckedIn && a.CheckedOut == b.CheckedOut && a.NotAvailable == b.NotAvailable &&
           a.Conflict == b.Conflict && a.Language == b.Language && a.NumDays == b.NumDays &&
           a.FirstColRelative == b.FirstColRelative && a.PricePerPerson == b.PricePerPerson &&
           a.PreferEUR == b.PreferEUR;
}

const QString kCzechDays = QStringLiteral("Počet dní v hlavním pohledu:");
const QString kCzechDefColour = QStringLiteral("Výchozí barva hlavního pohledu:");
const QString kCzechHint = QStringLiteral("Klikněte pro změnu barvy");

// A small table in place of the compiled-in one: one dialog caption and the button's hint.
std::shared_ptr<const LanguageTables> testTables()
{
    auto t = std::make_shared<LanguageTables>();
    t->languages = {QStringLiteral("Default"), QStringLiteral("English"), QStringLiteral("Česky")};
    t->objects = {{QStringLiteral("frmOptions.lbGridDays.Caption"), {QString(), kCzechDays}},
                  {QStringLiteral("frmOptions.lbDefColor.Caption"), {QString(), kCzechDefColour}}};
    t->messages = {{QStringLiteral("Click to change the color"), {QString(), kCzechHint}}};
    return t;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowsColourValues_data();
    void windowsColourValues();
    void colourValuesOutsideTheRange();
    void settingsFileBesideTheProgram();
    void missingFileGivesDefaults();
    void roundTripWritesEveryKey();
    void missingKeysAndUnusableValuesTakeDefaults_data();
    void missingKeysAndUnusableValuesTakeDefaults();
    void writingKeepsTheRestOfTheFile();
    void unwritableFileIsReportedAndKept();
    void loadAndSaveGoThroughTheLanguageEngine();

    void colourButtonStartsPlain();
    void colourButtonCaptionAndTextColour_data();
    void colourButtonCaptionAndTextColour();
    void colourButtonClickAsksTheDialog();
    void colourDialogKeepsCustomColoursOnlyWhenConfirmed();
    void colourButtonRightButtonUndoes();
    void colourButtonHintFollowsTheLanguage();

    void dialogHasItsNamedControls();
    void dialogOkStoresEverything();
    void dialogCancelChangesNothing();
    void dialogBoxesLeftEmptyOrTooLarge();
    void optionsSurviveARestart();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Runs the dialog with `drive` acting on it while it is shown.
    bool runDialog(TfrmOptions& dialog, int& columnCount, const std::function<void(TfrmOptions&)>& drive);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLanguage> m_language;
    QList<QColor> m_colourAnswers;
    int m_messageCount = 0;
};

void TestOptions::initTestCase() { qRegisterMetaType<TOptions>(); }

void TestOptions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_language = std::make_unique<TLanguage>();
    m_language->setTables(testTables());
    m_language->setLanguageList({QStringLiteral("English"), QStringLiteral("Česky")});
    m_language->setLanguageIdent(1);
    options() = TOptions{};
    m_colourAnswers.clear();
    m_messageCount = 0;
    platform::seams().chooseColour = [this](const QColor&) {
        return m_colourAnswers.isEmpty() ? QColor() : m_colourAnswers.takeFirst();
    };
    platform::seams().messageBox = [this](QWidget*, const QString&, const QString&, platform::Icon, platform::Buttons) {
        ++m_messageCount;
        return int(QMessageBox::Ok);
    };
}

void TestOptions::cleanup()
{
    platform::seams() = platform::Seams{};
    platform::setProgramPathForTests(QString());
    m_language.reset();
    m_dir.reset();
    QCOMPARE(m_messageCount, 0);   // nothing here is ever reported to the user
}

void TestOptions::windowsColourValues_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("value");
    QTest::newRow("red") << QColor(255, 0, 0) << 255;
    QTest::newRow("blue") << QColor(0, 0, 255) << 16711680;
    QTest::newRow("green 0x008000") << QColor(0, 128, 0) << 32768;
    QTest::newRow("yellow") << QColor(255, 255, 0) << 65535;
    QTest::newRow("white") << QColor(255, 255, 255) << 16777215;
    QTest::newRow("black") << QColor(0, 0, 0) << 0;
    QTest::newRow("mixed") << QColor(0x12, 0x34, 0x56) << 0x563412;
}

void TestOptions::windowsColourValues()
{
    QFETCH(QColor, colour);
    QFETCH(int, value);
    QCOMPARE(windowsFromColor(colour), value);
    QCOMPARE(colorFromWindows(value), colour);
    QCOMPARE(windowsFromColor(QColor::fromHsv(colour.hue(), colour.saturation(), colour.value())), value);
}

void TestOptions::colourValuesOutsideTheRange()
{
    QCOMPARE(windowsFromColor(QColor()), -1);
    QVERIFY(!colorFromWindows(-1).isValid());
    QVERIFY(!colorFromWindows(0x1000000).isValid());
    QVERIFY(!colorFromWindows(int(0x8000000F)).isValid());   // a system colour constant
}

void TestOptions::settingsFileBesideTheProgram()
{
    platform::setProgramPathForTests(QStringLiteral("/opt/hotel/tamarel"));
    QCOMPARE(settingsFilePath(), QStringLiteral("/opt/hotel/tamarel.ini"));
}

void TestOptions::missingFileGivesDefaults()
{
    const TOptions o = readOptionsFile(path("none.ini"));
    QCOMPARE(o.NumDays, 21);
    QCOMPARE(o.FirstColRelative, 1);
    QCOMPARE(o.Default, 16777215);
    QCOMPARE(o.PreliminaryR, 16777215);
    QCOMPARE(o.DefinitiveR, 65535);
    QCOMPARE(o.CheckedIn, 32768);
    QCOMPARE(o.CheckedOut, 16711680);
    QCOMPARE(o.NotAvailable, 255);
    QCOMPARE(o.Conflict, 255);
    QCOMPARE(o.Language, -1);
    QCOMPARE(o.PricePerPerson, false);
    QCOMPARE(o.PreferEUR, true);
    QVERIFY(!QFile::exists(path("none.ini")));
}

void TestOptions::roundTripWritesEveryKey()
{
    TOptions o;
    o.Default = 0x00EEEEEE;
    o.PreliminaryR = 0x00C0FFC0;
    o.DefinitiveR = 1;
    o.CheckedIn = 2;
    o.CheckedOut = 3;
    o.NotAvailable = 0;
    o.Conflict = 0x00FF00FF;
    o.Language = 2;
    o.NumDays = 7;
    o.FirstColRelative = 0;
    o.PricePerPerson = true;
    o.PreferEUR = false;
    QVERIFY(writeOptionsFile(path("t.ini"), o));
    QVERIFY(sameOptions(readOptionsFile(path("t.ini")), o));

    IniFile ini;
    QVERIFY(ini.load(path("t.ini")));
    QCOMPARE(ini.value("COLORS", "Conflict").value_or("?"), QStringLiteral("16711935"));
    QCOMPARE(ini.value("DEFAULT", "NumDays").value_or("?"), QStringLiteral("7"));
    QCOMPARE(ini.value("DEFAULT", "PricePerPerson").value_or("?"), QStringLiteral("1"));
    QCOMPARE(ini.value("DEFAULT", "PreferEUR").value_or("?"), QStringLiteral("0"));
    QCOMPARE(readFile(path("t.ini")),
             QByteArray("[COLORS]\nDefault=15658734\nPreliminaryR=12648384\nDefinitiveR=1\nCheckedIn=2\n"
                        "CheckedOut=3\nNotAvailable=0\nConflict=16711935\n\n[DEFAULT]\nLanguage=2\nNumDays=7\n"
                        "FirstColRelative=0\nPricePerPerson=1\nPreferEUR=0\n"));
}

void TestOptions::missingKeysAndUnusableValuesTakeDefaults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<TOptions>("expected");
    TOptions d;

    TOptions sevenDays = d;
    sevenDays.NumDays = 7;
    QTest::newRow("one key") << QByteArray("[DEFAULT]\nNumDays=7\n") << sevenDays;
    QTest::newRow("Windows line ends, other case, blanks")
        << QByteArray("[default]\r\n numdays = 7 \r\n") << sevenDays;
    QTest::newRow("key in the wrong section") << QByteArray("[COLORS]\nNumDays=7\n") << d;
    QTest::newRow("not a number") << QByteArray("[DEFAULT]\nNumDays=abc\nFirstColRelative=\n") << d;
    QTest::newRow("days the board cannot draw") << QByteArray("[DEFAULT]\nNumDays=0\n") << d;
    QTest::newRow("a million days") << QByteArray("[DEFAULT]\nNumDays=1000000\n") << d;
    QTest::newRow("colour outside 0x00BBGGRR")
        << QByteArray("[COLORS]\nDefault=-16777201\nConflict=16777216\n") << d;

    TOptions switches = d;
    switches.PricePerPerson = true;
    switches.PreferEUR = false;
    QTest::newRow("switches") << QByteArray("[DEFAULT]\nPricePerPerson=2\nPreferEUR=0\n") << switches;

    TOptions mixed = d;
    mixed.CheckedIn = 255;
    mixed.Language = 2;
    QTest::newRow("good keys beside bad ones")
        << QByteArray("; written by hand\n[COLORS]\nCheckedIn=255\nCheckedOut=blue\n[DEFAULT]\nLanguage=2\nNumDays=-3\n")
        << mixed;
    QTest::newRow("not an ini file at all") << QByteArray("\x00\xff garbage = [\n=\n[") << d;
}

void TestOptions::missingKeysAndUnusableValuesTakeDefaults()
{
    QFETCH(QByteArray, file);
    QFETCH(TOptions, expected);
    writeFile(path("k.ini"), file);
    QVERIFY(sameOptions(readOptionsFile(path("k.ini")), expected));
}

void TestOptions::writingKeepsTheRestOfTheFile()
{
    writeFile(path("keep.ini"), "; Hotel settings \xe8\r\n[OTHER]\r\nX=1\r\n\r\n[DEFAULT]\r\nnumdays=9\r\n\r\n[LAST]\r\nY=2\r\n");
    TOptions o;
    o.NumDays = 30;
    QVERIFY(writeOptionsFile(path("keep.ini"), o));
    const QByteArray text = readFile(path("keep.ini"));
    QVERIFY(text.startsWith("; Hotel settings \xe8\r\n[OTHER]\r\nX=1\r\n"));
    QVERIFY(text.contains("NumDays=30\r\n"));
    QVERIFY(!text.contains("numdays=9"));
    QCOMPARE(text.count("NumDays="), 1);
    QVERIFY(text.contains("[LAST]\r\nY=2\r\n"));
    QVERIFY(text.contains("[COLORS]\r\nDefault=16777215\r\n"));
    // The DEFAULT keys stay in their section, before the blank line and [LAST].
    QVERIFY(text.indexOf("PreferEUR=1") < text.indexOf("[LAST]"));
    QCOMPARE(readOptionsFile(path("keep.ini")).NumDays, 30);
}

void TestOptions::unwritableFileIsReportedAndKept()
{
    QVERIFY(!writeOptionsFile(path("no/such/folder/t.ini"), TOptions{}));
    QVERIFY(QDir().mkpath(path("adir.ini")));
    QVERIFY(!writeOptionsFile(path("adir.ini"), TOptions{}));
    QVERIFY(QFileInfo(path("adir.ini")).isDir());
    saveOptions(22, path("no/such/folder/t.ini"));   // silent
}

void TestOptions::loadAndSaveGoThroughTheLanguageEngine()
{
    writeFile(path("l.ini"), "[DEFAULT]\nLanguage=2\nNumDays=7\nFirstColRelative=3\n");
    QCOMPARE(loadOptions(path("l.ini")), 8);
    QCOMPARE(m_language->LanguageIdent(), 2);
    QCOMPARE(options().FirstColRelative, 3);

    m_language->setLanguageIdent(1);
    saveOptions(15, path("l.ini"));
    const TOptions saved = readOptionsFile(path("l.ini"));
    QCOMPARE(saved.Language, 1);
    QCOMPARE(saved.NumDays, 14);
    QCOMPARE(saved.FirstColRelative, 3);

    // Without a file the engine picks the language from the system: one it has.
    m_language->setLanguageIdent(0);
    QCOMPARE(loadOptions(path("none.ini")), 22);
    QVERIFY(m_language->LanguageIdent() == 1 || m_language->LanguageIdent() == 2);
}

void TestOptions::colourButtonStartsPlain()
{
    TColorButton button;
    QCOMPARE(button.size(), QSize(80, 22));
    QCOMPARE(button.text(), QStringLiteral("-"));
    QCOMPARE(button.DefColor(), QColor(Qt::yellow));
    QCOMPARE(button.ActColor(), QColor(Qt::yellow));
    QVERIFY(!button.changed());
    QVERIFY(button.font().bold());
    QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(button.toolTip(), QStringLiteral("Click to change the color"));
}

void TestOptions::colourButtonCaptionAndTextColour_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("textColour");
    QTest::newRow("yellow") << QColor(255, 255, 0) << "#ffff00" << QColor(Qt::black);
    QTest::newRow("blue, sum 255") << QColor(0, 0, 255) << "#0000ff" << QColor(Qt::black);
    QTest::newRow("dark, sum 128") << QColor(64, 64, 0) << "#404000" << QColor(Qt::white);
    QTest::newRow("dark, sum 129") << QColor(64, 64, 1) << "#404001" << QColor(Qt::black);
    QTest::newRow("black") << QColor(0, 0, 0) << "#000000" << QColor(Qt::white);
    QTest::newRow("the default itself") << QColor(255, 255, 255) << "-" << QColor(Qt::black);
}

void TestOptions::colourButtonCaptionAndTextColour()
{
    QFETCH(QColor, colour);
    QFETCH(QString, caption);
    QFETCH(QColor, textColour);
    TColorButton button;
    button.setDefColor(Qt::white);
    button.setActColor(colour);
    QCOMPARE(button.text(), caption);
    QCOMPARE(button.palette().color(QPalette::WindowText), textColour);
    QCOMPARE(button.palette().color(QPalette::Window), colour);
    QCOMPARE(button.changed(), caption != "-");
    QCOMPARE(button.ActColor(), colour);

    button.setActColor(QColor());   // the "-1" of the settings: back to DefColor
    QCOMPARE(button.text(), QStringLiteral("-"));
    QCOMPARE(button.ActColor(), QColor(Qt::white));
}

void TestOptions::colourButtonClickAsksTheDialog()
{
    TColorButton button;
    button.setDefColor(Qt::white);
    QSignalSpy spy(&button, &TColorButton::OnColorChange);
    QList<QColor> initials;
    platform::seams().chooseColour = [&](const QColor& initial) {
        initials.append(initial);
        return initials.size() == 1 ? QColor(0, 128, 0) : QColor();   // second time: cancelled
    };
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(initials, QList<QColor>{QColor(Qt::white)});
    QCOMPARE(button.ActColor(), QColor(0, 128, 0));
    QVERIFY(button.changed());
    QCOMPARE(button.text(), QStringLiteral("#008000"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][1].value<QColor>(), QColor(0, 128, 0));

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(initials.value(1), QColor(0, 128, 0));   // the dialog opens on the shown colour
    QCOMPARE(button.ActColor(), QColor(0, 128, 0));   // cancelled: unchanged
    QCOMPARE(spy.count(), 2);                          // but told all the same

}

void TestOptions::colourDialogKeepsCustomColoursOnlyWhenConfirmed()
{
    // The real colour dialog: a custom colour is added in it, then it is closed.
    platform::seams().chooseColour = nullptr;
    TColorButton first, second;
    // Qt keeps the dialog's custom colours in the user's settings between runs.
    const QColor before = TColorButton::sharedCustomColours().value(0);
    const QColor added = before == QColor(12, 34, 56) ? QColor(65, 43, 21) : QColor(12, 34, 56);
    auto closeWith = [&](bool confirm) {
        QTimer::singleShot(0, [&, confirm] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QColorDialog::setCustomColor(0, added);
            confirm ? dialog->accept() : dialog->reject();
        });
    };
    closeWith(false);
    QTest::mouseClick(&first, Qt::LeftButton);
    QCOMPARE(TColorButton::sharedCustomColours().value(0), before);
    // The next opening shows the list as it was, not what the cancelled dialog left.
    QColor shown;
    QTimer::singleShot(0, [&] {
        shown = QColorDialog::customColor(0);
        QApplication::activeModalWidget()->close();
    });
    QTest::mouseClick(&second, Qt::LeftButton);
    QCOMPARE(shown, before);

    closeWith(true);
    QTest::mouseClick(&second, Qt::LeftButton);
    QCOMPARE(TColorButton::sharedCustomColours().value(0), added);
    // The other button's dialog starts from the confirmed list.
    QTimer::singleShot(0, [&] {
        shown = QColorDialog::customColor(0);
        QApplication::activeModalWidget()->close();
    });
    QTest::mouseClick(&first, Qt::LeftButton);
    QCOMPARE(shown, added);
}

void TestOptions::colourButtonRightButtonUndoes()
{
    TColorButton button;
    button.setDefColor(QColor(0, 0, 255));
    button.setActColor(QColor(255, 0, 0));
    QSignalSpy spy(&button, &TColorButton::OnColorChange);
    QTest::mousePress(&button, Qt::RightButton);
    QCOMPARE(button.text(), QStringLiteral("-"));
    QCOMPARE(button.ActColor(), QColor(0, 0, 255));
    QVERIFY(!button.changed());
    QCOMPARE(spy.count(), 1);
}

void TestOptions::colourButtonHintFollowsTheLanguage()
{
    TColorButton button;
    m_language->setLanguageIdent(2);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), QPoint(5, 5));
    QCoreApplication::sendEvent(&button, &help);
    QCOMPARE(button.toolTip(), kCzechHint);
    QToolTip::hideText();
}

void TestOptions::dialogHasItsNamedControls()
{
    TfrmOptions dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("frmOptions"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    const char* names[] = {"lbGridDays", "edGridDays", "lbRelativeFirstDay", "edDaysShift", "lb1",
                           "lbDefColor", "lbPreliminaryColor", "lbDefinitiveColor", "lbCheckinColor",
                           "lbCheckoutColor", "lbNotAvailableColor", "lbConflictColor", "lbLanguage",
                           "cmbLanguage", "lbPricePer", "chkPricePerPerson", "lbPreferEUR",
                           "chkPreferEUR", "btOk", "btCancel"};
    for (const char* name : names) QVERIFY2(dialog.findChild<QWidget*>(name), name);
    QCOMPARE(dialog.findChild<QLabel*>("lbGridDays")->text(), QStringLiteral("Number of days in main view:"));
    QCOMPARE(dialog.btOk->text(), QStringLiteral("O&k"));
    QCOMPARE(dialog.edGridDays->minValue(), 7);
    QCOMPARE(dialog.edGridDays->maxValue(), 365);
    QCOMPARE(dialog.edDaysShift->maxValue(), 14);
    const int tops[] = {12, 36, 60, 84, 108, 132, 156};
    const int left = dialog.colorButton(0)->x();
    QVERIFY(left >= 150);
    for (int i = 0; i < TfrmOptions::kColourCount; ++i) {
        QCOMPARE(dialog.colorButton(i)->pos(), QPoint(left, tops[i]));
        QCOMPARE(dialog.colorButton(i)->parentWidget(), dialog.pnlColors);
    }
    // Every colour label is wide enough for its text and ends before its button.
    for (QLabel* l : dialog.pnlColors->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<TColorButton*>(l)) continue;
        QVERIFY2(l->width() >= l->sizeHint().width() && l->geometry().right() < left, qPrintable(l->objectName()));
    }
}

bool TestOptions::runDialog(TfrmOptions& dialog, int& columnCount, const std::function<void(TfrmOptions&)>& drive)
{
    platform::seams().runModal = [&](QDialog* d) {
        d->show();
        drive(dialog);
        return d->result();
    };
    return dialog.Execute(columnCount);
}

void TestOptions::dialogOkStoresEverything()
{
    TfrmOptions dialog;
    QSignalSpy applied(&dialog, &TfrmOptions::optionsApplied);
    int columns = 22;
    bool shownAsStored = false;
    m_colourAnswers = {QColor(255, 0, 0)};
    const bool ok = runDialog(dialog, columns, [&](TfrmOptions& d) {
        shownAsStored = d.edGridDays->text() == "21" && d.edDaysShift->text() == "1" &&
                        d.colorButton(2)->DefColor() == QColor(255, 255, 0) && d.colorButton(2)->text() == "-" &&
                        d.cmbLanguage->count() == 2 && d.cmbLanguage->currentIndex() == 0 &&
                        !d.chkPricePerPerson->isChecked() && d.chkPreferEUR->isChecked();
        d.edGridDays->clear();
        QTest::keyClicks(d.edGridDays, "30");
        d.edDaysShift->clear();
        QTest::keyClicks(d.edDaysShift, "3");
        QTest::mouseClick(d.colorButton(2), Qt::LeftButton);            // definitive: red
        QTest::mouseClick(d.colorButton(4), Qt::LeftButton);            // checked out: cancelled
        d.cmbLanguage->setCurrentIndex(1);
        d.chkPricePerPerson->click();
        d.chkPreferEUR->click();
        QTest::mouseClick(d.btOk, Qt::LeftButton);
    });
    QVERIFY(shownAsStored);
    QVERIFY(ok);
    QCOMPARE(columns, 31);
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied[0][0].toInt(), 31);
    const TOptions& o = options();
    QCOMPARE(o.NumDays, 30);
    QCOMPARE(o.FirstColRelative, 3);
    QCOMPARE(o.DefinitiveR, 255);
    QCOMPARE(o.CheckedOut, 16711680);
    QCOMPARE(o.Default, 16777215);
    QVERIFY(o.PricePerPerson);
    QVERIFY(!o.PreferEUR);
    QCOMPARE(m_language->LanguageIdent(), 2);
    QCOMPARE(dialog.lbGridDays->text(), kCzechDays);   // every window switched at once
    QCOMPARE(dialog.lbDefColor->text(), kCzechDefColour);   // also inside the colour panel
}

void TestOptions::dialogCancelChangesNothing()
{
    TfrmOptions dialog;
    QSignalSpy applied(&dialog, &TfrmOptions::optionsApplied);
    int columns = 22;
    m_colourAnswers = {QColor(0, 0, 0)};
    const bool ok = runDialog(dialog, columns, [&](TfrmOptions& d) {
        d.edGridDays->clear();
        QTest::keyClicks(d.edGridDays, "60");
        QTest::mouseClick(d.colorButton(0), Qt::LeftButton);
        d.cmbLanguage->setCurrentIndex(1);
        d.chkPreferEUR->click();
        QTest::mouseClick(d.btCancel, Qt::LeftButton);
    });
    QVERIFY(!ok);
    QCOMPARE(columns, 22);
    QCOMPARE(applied.count(), 0);
    QVERIFY(sameOptions(options(), TOptions{}));
    QCOMPARE(m_language->LanguageIdent(), 1);
    QCOMPARE(dialog.lbGridDays->text(), QStringLiteral("Number of days in main view:"));

    // Opened again, the buttons show the stored colours, unchanged.
    bool plain = false;
    runDialog(dialog, columns, [&](TfrmOptions& d) {
        plain = d.colorButton(0)->text() == "-" && d.colorButton(0)->ActColor() == QColor(Qt::white) &&
                d.edGridDays->text() == "21";
        d.reject();
    });
    QVERIFY(plain);
}

void TestOptions::dialogBoxesLeftEmptyOrTooLarge()
{
    TfrmOptions dialog;
    int columns = 15;
    QVERIFY(runDialog(dialog, columns, [&](TfrmOptions& d) {
        d.edGridDays->clear();
        d.edDaysShift->clear();
        QTest::keyClicks(d.edDaysShift, "99");   // typed, OK pressed without leaving the box
        d.btOk->click();
    }));
    QCOMPARE(columns, 15);                 // an empty box keeps the days shown
    QCOMPARE(options().NumDays, 14);
    QCOMPARE(options().FirstColRelative, 14);

    QVERIFY(runDialog(dialog, columns, [&](TfrmOptions& d) {
        d.edGridDays->clear();
        QTest::keyClicks(d.edGridDays, "999");
        d.btOk->click();
    }));
    QCOMPARE(columns, 366);
}

void TestOptions::optionsSurviveARestart()
{
    const QString file = path("tamarel.ini");
    int columns = loadOptions(file);
    TfrmOptions dialog;
    m_colourAnswers = {QColor(0x12, 0x34, 0x56)};
    QVERIFY(runDialog(dialog, columns, [&](TfrmOptions& d) {
        d.edGridDays->clear();
        QTest::keyClicks(d.edGridDays, "7");
        QTest::mouseClick(d.colorButton(6), Qt::LeftButton);
        d.cmbLanguage->setCurrentIndex(1);
        d.btOk->click();
    }));
    saveOptions(columns, file);   // the main window closing

    options() = TOptions{};
    m_language->setLanguageIdent(1);
    QCOMPARE(loadOptions(file), 8);
    QCOMPARE(options().Conflict, 0x563412);
    QCOMPARE(m_language->LanguageIdent(), 2);
}

QTEST_MAIN(TestOptions)
#include "OptionsTest.moc"
