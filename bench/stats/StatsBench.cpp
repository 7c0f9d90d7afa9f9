// Benchmark of the room usage statistics on a large database: the count of a whole year and
// of "all the data" (the stays statement through the engine, nights counted per room and
// state in C++) against a plain SQLite aggregate that computes the same nights per room over
// the same rows in the same run, and the statistics window from the choice of the period
// until the chart is painted with every bar, offscreen.
//
//   bench_stats [--small] [DIR]
// DIR holds the large database (default: bench-data/stats-large beside the build's bin
// folder); it is made with `tamarel-db large DIR` (the tool beside this program) when it has
// no stays yet, and is only read. --small makes a small one (100 rooms, 20,000 stays) in a
// temporary folder, for the smoke run under ctest.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtCharts/QChartView>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>
#include <vector>

#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "stats/RoomUsage.h"
#include "stats/TfrmStatisticsRooms.h"

namespace {

constexpr int kYear = 5;
constexpr int kAllTheData = 6;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The machine may be shared: besides wall time, the CPU time of this thread tells what the
// work costs when the cores are busy with other programs.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

std::vector<double>* g_cpu = nullptr;   // where timeMs also records CPU time, when set

template <typename F>
double timeMs(F&& f)
{
    const double cpu = threadCpuMs();
    QElapsedTimer t;
    t.start();
    f();
    if (g_cpu) g_cpu->push_back(threadCpuMs() - cpu);
    return double(t.nsecsElapsed()) / 1e6;
}

bool makeLarge(const QString& dir, bool small)
{
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tamarel-db");
    if (!QFileInfo::exists(tool)) {
        std::fprintf(stderr, "bench_stats: %s not found; build the tamarel-db target first\n", qPrintable(tool));
        return false;
    }
    QStringList args{QStringLiteral("large"), dir};
    if (small)
        args << QStringLiteral("--rooms") << QStringLiteral("100") << QStringLiteral("--stays") << QStringLiteral("20000")
             << QStringLiteral("--years") << QStringLiteral("1") << QStringLiteral("--clients") << QStringLiteral("2000");
    std::printf("making the database: tamarel-db %s\n", qPrintable(args.join(' ')));
    std::fflush(stdout);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(tool, args);
    return p.waitForFinished(-1) && p.exitCode() == 0;
}

// The baseline: the nights of the period per room straight from SQLite, one GROUP BY over the
// same rows (day numbers bound, no texts), plus the earliest arrival the open period needs.
struct Aggregate {
    sqlite3* db = nullptr;
    sqlite3_stmt* nights = nullptr;
    sqlite3_stmt* first = nullptr;

    explicit Aggregate(const QString& folder)
    {
        sqlite3_open_v2(QFile::encodeName(folder + QStringLiteral("POBYTY.DB")).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr);
        // "+DATEFROM" keeps the planner on the departure index, which holds only the period's
        // stays; without it SQLite may walk the arrival index over every stay ever made.
        const char* where = " FROM POBYTY WHERE DATETHRU>?1 AND +DATEFROM<=?2 AND STATUS<>'P'";
        const std::string text =
            std::string("SELECT PID, SUM(CASE WHEN STATUS='X' THEN 0 ELSE MAX(0, MIN(DATETHRU, ?2) - MAX(DATEFROM, ?1)) END), "
                        "SUM(CASE WHEN STATUS='X' THEN MAX(0, MIN(DATETHRU, ?2) - MAX(DATEFROM, ?1)) ELSE 0 END)") +
            where + " GROUP BY PID";
        if (sqlite3_prepare_v2(db, text.c_str(), -1, &nights, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "baseline: %s\n", sqlite3_errmsg(db));
        sqlite3_prepare_v2(db, (std::string("SELECT MIN(DATEFROM)") + where).c_str(), -1, &first, nullptr);
    }
    ~Aggregate()
    {
        sqlite3_finalize(nights);
        sqlite3_finalize(first);
        sqlite3_close(db);
    }
    // Total used and out-of-order nights; the rooms met.
    long long run(int start, int today, bool open, int* rooms)
    {
        long long total = 0;
        *rooms = 0;
        sqlite3_bind_int(nights, 1, start);
        sqlite3_bind_int(nights, 2, today);
        while (sqlite3_step(nights) == SQLITE_ROW) {
            total += sqlite3_column_int64(nights, 1) + sqlite3_column_int64(nights, 2);
            ++*rooms;
        }
        sqlite3_reset(nights);
        if (open) {
            sqlite3_bind_int(first, 1, start);
            sqlite3_bind_int(first, 2, today);
            sqlite3_step(first);
            sqlite3_reset(first);
        }
        return total;
    }
};

long long totalNights(const stats::TRoomUsage& usage)
{
    long long total = 0;
    for (const stats::TRoomsDef& bar : usage.bars()) total += bar.used + bar.outOfOrder;
    return total;
}

// The window from the choice of the period until the chart with every bar is painted.
double windowMs(TfrmStatisticsRooms& window, int period, QImage& image)
{
    return timeMs([&] {
        window.cmbStatFor->setCurrentIndex(period);
        while (window.isComputing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        image = window.Chart->grab().toImage();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);   // each figure as soon as it is measured
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool small = args.contains(QStringLiteral("--small"));
    QTemporaryDir temp;
    QString folder;
    for (const QString& a : args)
        if (!a.startsWith(QStringLiteral("--"))) folder = a;
    if (folder.isEmpty())
        folder = small ? temp.path() + QStringLiteral("/large")
                       : QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data/stats-large");
    folder = QDir(folder).absolutePath() + QLatin1Char('/');
    platform::setProgramPathForTests(temp.path() + QStringLiteral("/tamarel"));
    if (!QFileInfo::exists(folder + QStringLiteral("POBYTY.DB")) && !makeLarge(folder, small)) return 1;

    TLanguage language;
    TdmDataModule dm(folder);
    setDataModule(&dm);
    const int today = shell::TodayNumber();
    const int repeat = small ? 3 : 5;
    std::printf("database: %s\n", qPrintable(folder));

    Aggregate aggregate(folder);
    bool agree = true;
    for (int period : {kYear, kAllTheData}) {
        const int days = stats::TStatForPeriods[std::size_t(period)].days;
        const bool open = stats::IsOpenPeriod(days);
        stats::TRoomUsage usage;
        std::vector<double> counted, baseline, countedCpu, baselineCpu;
        long long baseNights = 0;
        int baseRooms = 0;
        usage = stats::CountRoomUsage(dm.db(), dm.DbPrefix(), days, today);   // the table files opened once
        for (int i = 0; i < repeat; ++i) {
            g_cpu = &countedCpu;
            counted.push_back(timeMs([&] { usage = stats::CountRoomUsage(dm.db(), dm.DbPrefix(), days, today); }));
            g_cpu = &baselineCpu;
            baseline.push_back(timeMs([&] { baseNights = aggregate.run(today - days, today, open, &baseRooms); }));
        }
        g_cpu = nullptr;
        agree = agree && baseNights == totalNights(usage);
        const double c = median(counted), b = median(baseline), cc = median(countedCpu), bc = median(baselineCpu);
        std::printf("%-12s %lld stays, %d bars, %lld nights: count %.1f ms median (CPU %.1f ms); SQLite aggregate "
                    "%.1f ms (CPU %.1f ms; %lld nights, %d rooms) -> ratio %.2f wall, %.2f CPU\n",
                    stats::TStatForPeriods[std::size_t(period)].name, (long long)usage.staysCounted(), int(usage.bars().size()),
                    totalNights(usage), c, cc, b, bc, baseNights, baseRooms, b > 0 ? c / b : 0.0, bc > 0 ? cc / bc : 0.0);
    }

    TfrmStatisticsRooms window;
    window.resize(1000, 600);
    window.show();
    window.FormActivate();
    while (window.isComputing()) QCoreApplication::processEvents();
    QImage image;
    for (int period : {kYear, kAllTheData}) {
        std::vector<double> shown, shownCpu, counted, countedCpu;
        windowMs(window, period, image);   // warm
        for (int i = 0; i < repeat; ++i) {
            window.cmbStatFor->setCurrentIndex(0);
            while (window.isComputing()) QCoreApplication::processEvents();
            g_cpu = &shownCpu;
            shown.push_back(windowMs(window, period, image));
        }
        const int days = stats::TStatForPeriods[std::size_t(period)].days;
        g_cpu = &countedCpu;
        for (int i = 0; i < repeat; ++i)
            counted.push_back(timeMs([&] { stats::CountRoomUsage(dm.db(), dm.DbPrefix(), days, today); }));
        g_cpu = nullptr;
        std::printf("window, %-12s chart painted with %d bars (%dx%d) in %.1f ms median (CPU %.1f ms); the count alone "
                    "%.1f ms (CPU %.1f ms) -> drawing while counting costs x%.2f CPU\n",
                    stats::TStatForPeriods[std::size_t(period)].name, int(window.usage().bars().size()), image.width(),
                    image.height(), median(shown), median(shownCpu), median(counted), median(countedCpu),
                    median(countedCpu) > 0 ? median(shownCpu) / median(countedCpu) : 0.0);
        if (period == kYear)
            std::printf("target: a year's chart in under 1000 ms: %s (wall), %s (CPU)\n", median(shown) < 1000 ? "met" : "MISSED",
                        median(shownCpu) < 1000 ? "met" : "MISSED");
    }
    std::printf("counts agree with the SQLite aggregate: %s\n", agree ? "yes" : "NO");
    setDataModule(nullptr);
    return agree ? 0 : 1;
}
