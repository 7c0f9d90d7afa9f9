// Start-up of the program: the version text, the engine configuration written only where
// missing, the JPEG decoder and splash window with a good, missing and broken picture, and
// the creation of the windows with the options loaded at start and saved at exit.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/Startup.h"
#include "app/TfrmImage.h"
#include "backup/TfrmBackupFileAction.h"
#include "backup/TfrmChooseBackup.h"
#include "lang/Language.h"
#include "lang/LanguageTables.h"
#include "platform/DialogSeam.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "board/TfrmNewDateTamarel.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {
const QString kPicture = QStringLiteral(TAMAREL_SOURCE_DIR "/app/tamarel.jpg");
const QString kBorland = QStringLiteral("\\SOFTWARE\\Borland");

struct Messages {
    Messages()
    {
        platform::seams() = platform::Seams{};
        platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption,
                                              platform::Icon, platform::Buttons) {
            shown << caption + QStringLiteral(": ") + text;
            return 0x400;
        };
    }
    ~Messages() { platform::seams() = platform::Seams{}; }
    QStringList shown;
};
}  // namespace

class AppTest : public QObject {
    Q_OBJECT
private slots:
    void versionIsCutBeforeTheSecondPoint_data();
    void versionIsCutBeforeTheSecondPoint();
    void engineSettingsAreWrittenOnlyWhereMissing();
    void tooManySemicolonsIsReportedAndKeptInTheValue();
    void jpegDecoding();
    void splashWithAndWithoutPicture();
    void windowsAreCreatedWithOptionsAndSaveThemAtExit();
};

void AppTest::versionIsCutBeforeTheSecondPoint_data()
{
    QTest::addColumn<QString>("full");
    QTest::addColumn<QString>("shown");
    QTest::newRow("four parts") << "1.3.6.18" << "1.3";
    QTest::newRow("two parts") << "2.10" << "2.10";
    QTest::newRow("second part of two digits") << "1.10.0.0" << "1.10";
    QTest::newRow("one part") << "7" << "7";
    QTest::newRow("built") << tamarel::FullVersion() << "1.0";
}

void AppTest::versionIsCutBeforeTheSecondPoint()
{
    QFETCH(QString, full);
    QFETCH(QString, shown);
    QCOMPARE(tamarel::VersionText(full), shown);
}

void AppTest::engineSettingsAreWrittenOnlyWhereMissing()
{
    Messages messages;
    QTemporaryDir dir;
    const QString engine = dir.path() + "/BdeDrivers";
    const QString blw = kBorland + "\\BLW32";
    const QString db = kBorland + "\\Database Engine";
    QVERIFY(platform::writeEngineSettingIfMissing(engine, db, "RESOURCE", "0405"));
    QVERIFY(platform::writeEngineSettingIfMissing(engine, blw, "LOCALE_LIB2", ""));

    QCOMPARE(tamarel::EngineSettingsTable().size(), 32);
    tamarel::ConfigureDatabaseEngine(tamarel::EngineSettingsTable(), engine);
    QVERIFY(messages.shown.isEmpty());

    QCOMPARE(platform::readEngineSetting(engine, db, "RESOURCE"), QString("0405"));          // kept
    QCOMPARE(platform::readEngineSetting(engine, blw, "LOCALE_LIB2"), engine + "/EUROPE.BLL"); // was empty
    QCOMPARE(platform::readEngineSetting(engine, blw, "BLAPIPATH"), engine);
    QCOMPARE(platform::readEngineSetting(engine, blw, "LOCALE_LIB1"), engine + "/USA.BLL");
    QCOMPARE(platform::readEngineSetting(engine, db, "CONFIGFILE01"), engine + "/IDAPI32.CFG");
    QCOMPARE(platform::readEngineSetting(engine, db + "\\Settings\\SYSTEM\\FORMATS\\DATE", "SEPARATOR"), QString("/"));
    QCOMPARE(platform::readEngineSetting(engine, db + "\\Settings\\DRIVERS\\PARADOX\\TABLE CREATE", "BLOCK SIZE"),
             QString("2048"));
    // Every entry of the table is there after one run.
    for (const QString& entry : tamarel::EngineSettingsTable()) {
        const QStringList parts = entry.split(';');
        QVERIFY2(!platform::readEngineSetting(engine, kBorland + parts[0], parts[1]).isEmpty(), qPrintable(entry));
    }

    // A second run with other values changes nothing.
    tamarel::ConfigureDatabaseEngine({"\\BLW32;LOCALE_LIB1;\\OTHER.BLL", "\\Database Engine;RESOURCE;0009"}, engine);
    QCOMPARE(platform::readEngineSetting(engine, blw, "LOCALE_LIB1"), engine + "/USA.BLL");
    QCOMPARE(platform::readEngineSetting(engine, db, "RESOURCE"), QString("0405"));
}

void AppTest::tooManySemicolonsIsReportedAndKeptInTheValue()
{
    Messages messages;
    QTemporaryDir dir;
    tamarel::ConfigureDatabaseEngine({"\\BLW32;ODD;a;b"}, dir.path());
    QCOMPARE(messages.shown, QStringList{"Error: Internal error: Too many semicolons"});
    QCOMPARE(platform::readEngineSetting(dir.path(), kBorland + "\\BLW32", "ODD"), QString("a;b"));
}

void AppTest::jpegDecoding()
{
    const QImage picture = tamarel::LoadJpeg(kPicture);
    QCOMPARE(picture.size(), QSize(450, 450));
    // The bottom, where the labels stand, is dark.
    QVERIFY(picture.pixelColor(10, 440).lightness() < 80);

    QTemporaryDir dir;
    QVERIFY(tamarel::LoadJpeg(dir.path() + "/missing.jpg").isNull());
    QFile source(kPicture);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const struct { const char* name; QByteArray contents; } broken[] = {
        {"empty.jpg", QByteArray()},
        {"text.jpg", QByteArray("this is no picture at all")},
        {"header.jpg", bytes.left(200)},
        {"png.jpg", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
    };
    for (const auto& b : broken) {
        QFile file(dir.path() + "/" + b.name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(b.contents);
        file.close();
        QVERIFY2(tamarel::LoadJpeg(file.fileName()).isNull(), b.name);
    }
}

void AppTest::splashWithAndWithoutPicture()
{
    TfrmImage good(kPicture, "1.3", "Legal notice");
    good.showNow();
    QCOMPARE(good.objectName(), QString("frmImage"));
    QCOMPARE(good.size(), QSize(450, 450));
    QVERIFY(good.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(good.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(good.img1()->isVisible());
    QCOMPARE(good.img1()->pixmap().size(), QSize(450, 450));
    QCOMPARE(good.lbProgram()->text(), QString("Tamarel Vs 1.3"));
    QCOMPARE(good.lbLegal()->text(), QString("Legal notice"));

    QTemporaryDir dir;
    QFile broken(dir.path() + "/tamarel.jpg");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("JFIF but not really");
    broken.close();
    for (const QString& path : {dir.path() + "/none.jpg", broken.fileName()}) {
        TfrmImage splash(path, "1.3", "Legal notice");
        splash.showNow();
        QVERIFY(!splash.img1()->isVisible());
        QVERIFY(splash.lbProgram()->isVisible());
        QCOMPARE(splash.lbProgram()->text(), QString("Tamarel Vs 1.3"));
        // The window stays black where the picture would be.
        const QImage shot = splash.grab().toImage();
        QCOMPARE(shot.pixelColor(225, 100), QColor(Qt::black));
    }
}

void AppTest::windowsAreCreatedWithOptionsAndSaveThemAtExit()
{
    Messages messages;
    QTemporaryDir dir;
    const QDateTime now(QDate(2004, 3, 10), QTime(9, 0));
    platform::seams().now = [now] { return now; };
    platform::seams().isFixedDrive = [](const QString&) { return true; };
    platform::setProgramPathForTests(dir.path() + "/tamarel");
    QFile::copy(kPicture, dir.path() + "/tamarel.jpg");
    {
        QFile ini(dir.path() + "/tamarel.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[DEFAULT]\r\nNumDays=7\r\nFirstColRelative=2\r\n");
    }

    tamarel::TWindows windows = tamarel::CreateWindows();
    QVERIFY(windows.frmMain);
    QCOMPARE(windows.frmMain->objectName(), QString("frmMain"));
    QCOMPARE(windows.frmMain->windowTitle(), QString("Tamarel"));
    QCOMPARE(frmMain(), windows.frmMain);
    QCOMPARE(dmDataModule(), windows.dmDataModule);
    QCOMPARE(QDir(windows.dmDataModule->DbPrefix()).absolutePath(), QDir(dir.path() + "/DB").absolutePath());
    QCOMPARE(frmNewDateTamarel(), windows.frmNewDateTamarel);
    QVERIFY(windows.frmOptions);
    QVERIFY(platform::hasDialog(platform::dialogs::Options));
    QVERIFY(platform::hasDialog(platform::dialogs::NotesReminder));
    QVERIFY(platform::hasDialog(platform::dialogs::Reminder));
    QVERIFY(platform::hasDialog(platform::dialogs::Labels) && platform::hasDialog("frmConfirmation"));
    QVERIFY(windows.frmImage->isVisible());
    QVERIFY(windows.frmImage->img1()->isVisible());
    QCOMPARE(windows.frmImage->lbProgram()->text(), QString("Tamarel Vs 1.0"));
    QCOMPARE(windows.frmMain->statusPanel()->text(), QString("Tamarel Vs 1.0"));
    QCOMPARE(windows.frmMain->columnCount(), 8);
    QCOMPARE(windows.frmMain->firstDate(), shell::NumberFromDate(QDate(2004, 3, 8)));
    QCOMPARE(windows.frmMain->grDraw()->rowHeight(0), 20);
    QCOMPARE(windows.frmMain->x(), 0);
    QVERIFY(!platform::readEngineSetting(tamarel::EngineFolder(), kBorland + "\\BLW32", "BLAPIPATH").isEmpty());
    // The backup windows exist from the start, so the first translation reaches them too.
    QCOMPARE(frmChooseBackup, windows.frmChooseBackup);
    QCOMPARE(frmBackupFileAction, windows.frmBackupFileAction);
    QString czech;
    for (const LanguageRow& row : LanguageTables::compiled()->objects)
        if (row.key == "frmChooseBackup.Caption") czech = row.text(2);
    QVERIFY(!czech.isEmpty());
    windows.frmMain->language()->setLanguageIdent(2);
    windows.frmMain->language()->TranslateAll();
    QCOMPARE(frmChooseBackup->windowTitle(), czech);
    // Every row of the tables with a Czech text reaches its control in every window of the
    // program, and the control shows that text.
    QStringList notShown;
    for (const LanguageRow& row : LanguageTables::compiled()->objects) {
        const QString want = row.text(2);
        if (want.isEmpty()) continue;
        const QString shown = windows.frmMain->language()->ReadObjectValue(row.key);
        if (shown != want && shown != want + "\r\n") notShown << row.key + " = \"" + shown + "\"";
    }
    QVERIFY2(notShown.isEmpty(), qPrintable(notShown.join("\n")));
    windows.frmMain->language()->setLanguageIdent(1);

    windows.frmMain->setColumnCount(11);
    windows.frmMain->close();
    QSettings saved(dir.path() + "/tamarel.ini", QSettings::IniFormat);
    QCOMPARE(saved.value("DEFAULT/NumDays").toInt(), 10);
    tamarel::DestroyWindows(windows);
    QVERIFY(!platform::hasDialog(platform::dialogs::Options));
    QVERIFY(!platform::hasDialog(platform::dialogs::Reminder));
    QVERIFY(!platform::hasDialog(platform::dialogs::Labels) && !platform::hasDialog("frmConfirmation"));
    QCOMPARE(dmDataModule(), nullptr);
    platform::setProgramPathForTests(QString());
}

QTEST_MAIN(AppTest)
#include "AppTest.moc"

