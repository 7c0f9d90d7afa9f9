// The statistics window opened through the dialog seam on temporary database folders, with
// the clock fixed and message boxes answered through the platform seam: the bars of the last
// week and of a changed period, a table of many rooms read in slices and checked against
// SQLite, the failure messages, zoom, printing to PDF and the look in English and Czech.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QComboBox>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>
#include <QtTest>
#include <functional>
#include <memory>
#include <sqlite3.h>

#include "data/LargeDatabase.h"
#include "data/TableFiles.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stats/ChartPrinting.h"
#include "stats/RegisterStats.h"
#include "stats/TfrmStatisticsRooms.h"

namespace {

struct Shown {
    QString text, caption;
    platform::Icon icon;
};

const QDate kToday(2004, 3, 15);
const int kT = shell::NumberFromDate(kToday);

QList<qreal> values(const QBarSet* set)
{
    QList<qreal> out;
    for (int i = 0; i < set->count(); ++i) out << qRound(set->at(i) * 100) / 100.0;
    return out;
}

}  // namespace

class TestStatistics : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensWithTheLastWeekAndFollowsThePeriod();
    void manyRoomsAreReadInSlicesAndAgreeWithSqlite();
    void unreadableTablesAreReported_data();
    void unreadableTablesAreReported();
    void zoomMovesInThirtySteps();
    void printsTheChartOrSavesItAsPdf();
    void looksRightInBothLanguages();

private:
    int open(const std::function<void(TfrmStatisticsRooms&)>& drive);
    void exec(QString sql);
    void stay(const char* pid, int from, int thru, const char* status);
    static void waitForCount(TfrmStatisticsRooms& d) { QTRY_VERIFY_WITH_TIMEOUT(!d.isComputing(), 60000); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TdmDataModule> m_dm;
    std::unique_ptr<TLanguage> m_language;
    std::unique_ptr<QWidget> m_main;
    QVector<Shown> m_messages;
};

void TestStatistics::initTestCase()
{
    m_language = std::make_unique<TLanguage>();
}

void TestStatistics::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dm = std::make_unique<TdmDataModule>(m_dir->path());
    data::createTables(m_dm->db(), m_dir->path());
    setDataModule(m_dm.get());
    m_language->setLanguageIdent(1);
    m_messages.clear();
    platform::seams() = platform::Seams{};
    platform::seams().now = [] { return QDateTime(kToday, QTime(10, 0)); };
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon icon,
                                          platform::Buttons) {
        m_messages.append({text, caption, icon});
        return int(QMessageBox::Ok);
    };
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName("frmMain");
    registerStatsDialogs(m_main.get());
    for (const char* pid : {"101", "102", "103"})
        exec(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME) VALUES (\"%1\", \"Room %1\")").arg(pid));
}

void TestStatistics::cleanup()
{
    stats::setChartPrinter({});
    stats::unregisterStatsDialogs();
    m_main.reset();
    setDataModule(nullptr);
    m_dm.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
}

int TestStatistics::open(const std::function<void(TfrmStatisticsRooms&)>& drive)
{
    platform::seams().runModal = [&](QDialog* d) {
        d->setResult(QDialog::Rejected);
        d->show();
        if (!QTest::qWaitForWindowExposed(d)) qWarning("the window was not shown");
        drive(*static_cast<TfrmStatisticsRooms*>(d));
        QCoreApplication::processEvents();
        const int result = d->result();
        d->hide();
        return result;
    };
    return platform::openDialog(platform::dialogs::Statistics);
}

void TestStatistics::exec(QString sql)
{
    sql.replace("{db}", m_dm->DbPrefix());
    if (!m_dm->ExecStatement(sql)) qFatal("%s\n%s", qPrintable(sql), qPrintable(m_dm->lastError()));
}

void TestStatistics::stay(const char* pid, int from, int thru, const char* status)
{
    exec(QStringLiteral("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) VALUES (0, \"%1\", \"%2\", \"%3\", \"%4\", 0)")
             .arg(pid, shell::DateText(double(kT + from)), shell::DateText(double(kT + thru)), status));
}

void TestStatistics::opensWithTheLastWeekAndFollowsThePeriod()
{
    stay("101", -10, -3, "O");
    stay("103", -7, 0, "X");
    stay("999", -3, -1, "O");
    QStringList titles, rooms;
    QList<qreal> used, notAvailable, usedTwoWeeks;
    int reopenedWith = -1;
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        QCOMPARE(d.cmbStatFor->count(), 7);
        titles << d.Chart->chart()->title();
        rooms = d.axisRooms->categories();
        used = values(d.Series2);
        notAvailable = values(d.Series1);
        d.cmbStatFor->setCurrentIndex(1);
        waitForCount(d);
        titles << d.Chart->chart()->title();
        usedTwoWeeks = values(d.Series2);
    });
    open([&](TfrmStatisticsRooms& d) { reopenedWith = d.cmbStatFor->currentIndex(); });
    QCOMPARE(titles, QStringList({"Rooms' usage statistics (week)", "Rooms' usage statistics (two weeks)"}));
    QCOMPARE(rooms, QStringList({"101", "102", "103", "999"}));
    QCOMPARE(used, QList<qreal>({57.14, 0, 0, 28.57}));
    QCOMPARE(notAvailable, QList<qreal>({0, 0, 100, 0}));
    QCOMPARE(usedTwoWeeks, QList<qreal>({50, 0, 0, 14.29}));
    QCOMPARE(reopenedWith, 0);
    QVERIFY(m_messages.isEmpty());
    // Out of order in its own colour, stacked with the used nights.
    QCOMPARE(stats::statisticsDialog()->Series1->color(), QColor(Qt::red));
    QCOMPARE(stats::statisticsDialog()->Series2->color(), QColor(Qt::blue));
}

void TestStatistics::manyRoomsAreReadInSlicesAndAgreeWithSqlite()
{
    exec("DELETE FROM \"{db}POKOJE.DB\"");
    m_dm->db().releaseTables();
    data::LargeOptions options;
    options.stays = 120000;
    options.rooms = 150;
    options.years = 2;
    options.clients = 500;
    data::writeLargeDatabase(m_dir->path(), options, kToday);

    bool slicedWhileOpen = false, stoppedOnClose = false;
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        d.cmbStatFor->setCurrentIndex(6);   // all the data: long enough to be read in slices
        slicedWhileOpen = d.isComputing();
        d.cmbStatFor->setCurrentIndex(5);   // a change of period in the middle starts anew
        waitForCount(d);
        d.cmbStatFor->setCurrentIndex(6);
        d.reject();
        stoppedOnClose = !d.isComputing();
    });
    QVERIFY(slicedWhileOpen);
    QVERIFY(stoppedOnClose);

    QMap<QString, int> shown;
    int bars = 0, labels = 0;
    open([&](TfrmStatisticsRooms& d) {
        d.cmbStatFor->setCurrentIndex(5);
        waitForCount(d);
        for (const stats::TRoomsDef& bar : d.usage().bars()) shown.insert(bar.PID, bar.used);
        bars = d.Series2->count();
        labels = d.axisRooms->count();
        if (const QString folder = qEnvironmentVariable("STATS_SCREENSHOTS"); !folder.isEmpty())
            d.grab().save(folder + "/statistics-150-rooms.png");
    });
    QCOMPARE(bars, 150);
    QCOMPARE(labels, 150);

    // The nights of the year by room, straight from the table file.
    QMap<QString, int> expected;
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(m_dir->filePath("POBYTY.DB")).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
             SQLITE_OK);
    const QByteArray sql = QStringLiteral("SELECT PID, SUM(MIN(DATETHRU, %1) - MAX(DATEFROM, %2)) FROM POBYTY "
                                          "WHERE DATETHRU > %2 AND DATEFROM < %1 AND STATUS NOT IN ('P', 'X') GROUP BY PID")
                               .arg(kT)
                               .arg(kT - 365)
                               .toUtf8();
    sqlite3_stmt* st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW)
        expected.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))), sqlite3_column_int(st, 1));
    sqlite3_finalize(st);
    sqlite3_close(db);
    QCOMPARE(expected.size(), 150);
    QCOMPARE(shown, expected);
}

void TestStatistics::unreadableTablesAreReported_data()
{
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("rooms");
    // Shown in Czech: the rooms message is translated, the data message is not.
    QTest::newRow("rooms") << "POKOJE.DB" << QString::fromUtf8("Nelze načíst pokoje") << "Statistika"
                           << QStringList{"101"};
    QTest::newRow("stays") << "POBYTY.DB" << "Can't load the data" << "Statistics"
                           << QStringList{"101", "102", "103"};
}

void TestStatistics::unreadableTablesAreReported()
{
    QFETCH(QString, missing);
    stay("101", -3, -1, "O");
    m_dm->db().releaseTables();
    QVERIFY(QFile::remove(m_dir->filePath(missing)));
    m_language->setLanguageIdent(2);
    QStringList shownRooms;
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        shownRooms = d.axisRooms->categories();
    });
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(QStringList, rooms);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, text);
    QCOMPARE(m_messages[0].caption, caption);
    QCOMPARE(m_messages[0].icon, platform::Icon::Warning);
    QCOMPARE(shownRooms, rooms);
}

void TestStatistics::zoomMovesInThirtySteps()
{
    QList<double> widths;
    int steps = 0;
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        QSignalSpy spy(d.axisUsage, &QValueAxis::rangeChanged);
        d.mnZoomIn->trigger();
        widths << d.axisUsage->max() - d.axisUsage->min();   // the zoom is still on its way
        QTRY_COMPARE(spy.count(), 30);
        widths << d.axisUsage->max() - d.axisUsage->min();
        d.mnZoomOut->trigger();
        d.mnZoomOut->trigger();   // a second click first completes the one under way
        QTRY_COMPARE(spy.count(), 90);
        QTest::qWait(50);
        steps = spy.count();
        widths << d.axisUsage->max() - d.axisUsage->min();
        d.cmbStatFor->setCurrentIndex(1);   // a new period starts unzoomed
        widths << d.axisUsage->max() - d.axisUsage->min();
    });
    QCOMPARE(steps, 90);
    QCOMPARE(widths.size(), 4);
    QVERIFY2(widths[0] > 99, qPrintable(QString::number(widths[0])));
    QCOMPARE(qRound(widths[1] * 100), qRound(100 / 1.05 * 100));
    QCOMPARE(qRound(widths[2] * 100), qRound(100 / 1.05 / 0.95 / 0.95 * 100));
    QCOMPARE(widths[3], 100.0);
}

void TestStatistics::printsTheChartOrSavesItAsPdf()
{
    stay("101", -10, -3, "O");
    stay("103", -7, 0, "X");
    const QString folder = qEnvironmentVariable("STATS_SCREENSHOTS");
    const QString pdf = m_dir->filePath("printed.pdf");
    QString document;
    stats::setChartPrinter([&](QWidget*, const QString& name, const stats::ChartPainter& paint) {
        document = name;
        return stats::WriteChartPdf(pdf, name, paint);
    });
    QSize onScreen, afterPrint;
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        onScreen = d.Chart->chart()->size().toSize();
        d.mnPrint->trigger();
        afterPrint = d.Chart->chart()->size().toSize();
    });
    QCOMPARE(document, QString("Rooms' usage statistics"));
    QCOMPARE(afterPrint, onScreen);
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForFinished(30000)) QSKIP("pdftotext is not available");
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected : {"Rooms' usage statistics (week)", "Usage in %", "Not available", "Usage", "101", "103"})
        QVERIFY2(printed.contains(expected), qPrintable(expected + QString(" not in:\n") + printed));
    if (!folder.isEmpty())
        QProcess::execute("pdftoppm", {"-png", "-r", "60", "-singlefile", pdf, folder + "/statistics-printed"});

    // Without a printer the chart goes to a PDF file the receptionist chooses, and is told so.
    if (!QPrinterInfo::availablePrinters().isEmpty()) QSKIP("a printer is installed here");
    stats::setChartPrinter({});
    const QString chosen = m_dir->filePath("chosen.pdf");
    QStringList answers{QString(), chosen};
    platform::seams().chooseSaveFile = [&](const QString&, const QString&, const QString&) { return answers.takeFirst(); };
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        d.mnPrint->trigger();   // the chooser is cancelled: nothing is written, nothing said
        d.mnPrint->trigger();
    });
    QVERIFY(QFileInfo(chosen).size() > 1000);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, "The chart was saved as a PDF file:\r\n" + QDir::toNativeSeparators(chosen));
    QCOMPARE(m_messages[0].icon, platform::Icon::Information);
}

void TestStatistics::looksRightInBothLanguages()
{
    const QString folder = qEnvironmentVariable("STATS_SCREENSHOTS");
    stay("101", -10, -3, "O");
    stay("102", -5, 0, "H");
    stay("103", -7, 0, "X");
    stay("103", -20, -7, "O");
    stay("101", -2, 0, "X");   // used and out of order on one bar
    QStringList clipped, czech, english;
    auto look = [&](TfrmStatisticsRooms& d, const QString& language) {
        QCoreApplication::processEvents();   // the layout follows the new texts
        for (QLabel* l : d.findChildren<QLabel*>())
            if (l->isVisibleTo(&d) && l->width() < l->sizeHint().width()) clipped << language + " " + l->objectName();
        if (d.cmbStatFor->width() < d.cmbStatFor->sizeHint().width()) clipped << language + " cmbStatFor";
        if (!folder.isEmpty()) d.grab().save(folder + "/statistics-" + language + ".png");
        return QStringList{d.windowTitle(), d.lbStatisticsFor->text(), d.cmbStatFor->currentText(),
                           d.Chart->chart()->title(), d.axisUsage->titleText(), d.axisRooms->titleText(),
                           d.Series1->label(), d.Series2->label(), d.mnZoomIn->text()};
    };
    open([&](TfrmStatisticsRooms& d) {
        waitForCount(d);
        m_language->setLanguageIdent(2);
        m_language->TranslateAll();
        d.FormActivate();
        waitForCount(d);
        czech = look(d, "cs");
        m_language->setLanguageIdent(1);
        m_language->TranslateAll();
        d.FormActivate();
        waitForCount(d);
        english = look(d, "en");
    });
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    QCOMPARE(czech, QStringList({QString::fromUtf8("Statistika pokojů"), QString::fromUtf8("Statistika za poslední"),
                                 QString::fromUtf8("týden"), QString::fromUtf8("Statistika využití pokojů (týden)"),
                                 QString::fromUtf8("Využití v %"), "Pokoje", "Mimo provoz", QString::fromUtf8("Využití"),
                                 QString::fromUtf8("Zvětšit")}));
    // Back in English the titles are English again, not the Czech ones translated "from themselves".
    QCOMPARE(english, QStringList({"Rooms' Statistics", "Statistic for last", "week", "Rooms' usage statistics (week)",
                                   "Usage in %", "Rooms", "Not available", "Usage", "Zoom in"}));
}

QTEST_MAIN(TestStatistics)
#include "StatisticsWindowTest.moc"
