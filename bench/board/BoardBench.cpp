// Benchmark of the occupancy board on a large database: the board reload (LoadStays: its
// queries through the engine and the stay list) against the raw SQLite time of the same
// queries read row by row, and the painting of 100 rooms x 21 days with every cell occupied,
// rendered into an image offscreen: the first painting of a new board (every cell drawn) and
// the repaint of an unchanged one (cells copied), both against filling the same cells.
//
//   bench_board [--small] [DIR]
// DIR holds the large database; it is made with `tamarel-db large DIR` (the tool beside this
// program) when it has no stays yet. The benchmark works on a copy of its table files (the
// board then shows the copy's first 100 rooms): DIR itself is never changed. --small makes a
// small one (100 rooms, 20,000 stays) in a temporary folder, for the smoke run under ctest.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>
#include <vector>

#include "board/BoardData.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "data/TableFiles.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {

constexpr int kDays = 21;
constexpr int kRooms = 100;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double least(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

// The machine is shared: besides wall time, the CPU time of this thread tells what the work
// costs when the cores are busy with other programs.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

std::vector<double>* g_cpu = nullptr;  // where timeMs also records CPU time, when set

template <typename F>
double timeMs(F&& f)
{
    const double cpu = threadCpuMs();
    QElapsedTimer t;
    t.start();
    f();
    const double wall = double(t.nsecsElapsed()) / 1e6;
    if (g_cpu) g_cpu->push_back(threadCpuMs() - cpu);
    return wall;
}

bool makeLarge(const QString& dir, bool small)
{
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/tamarel-db");
    if (!QFileInfo::exists(tool)) {
        std::fprintf(stderr, "bench_board: %s not found; build the tamarel-db target first\n", qPrintable(tool));
        return false;
    }
    QStringList args{QStringLiteral("large"), dir};
    if (small)
        args << QStringLiteral("--rooms") << QString::number(kRooms) << QStringLiteral("--stays") << QStringLiteral("20000")
             << QStringLiteral("--years") << QStringLiteral("1") << QStringLiteral("--clients") << QStringLiteral("2000");
    std::printf("making the database: tamarel-db %s\n", qPrintable(args.join(' ')));
    std::fflush(stdout);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(tool, args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_board: tamarel-db large failed\n");
        return false;
    }
    return true;
}

// The same three queries straight on SQLite, with day numbers in place of the date texts,
// every column of every row read.
struct RawQueries {
    sqlite3* db = nullptr;
    std::vector<sqlite3_stmt*> statements;

    explicit RawQueries(const QString& folder)
    {
        sqlite3_open(":memory:", &db);
        for (const char* table : {"POBYTY", "KARTY"}) {
            const QString sql = QStringLiteral("ATTACH DATABASE '%1%2.DB' AS %2").arg(folder, table);
            sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        }
        const char* window =
            "((DATEFROM<?1 and DATETHRU>?2) OR (DATEFROM>=?1 and DATEFROM<=?2) OR (DATETHRU>=?1 and DATETHRU<=?2))";
        const std::string texts[] = {
            std::string("SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,NUMPERS "
                        "FROM POBYTY.POBYTY AS POB, KARTY.KARTY AS KAR WHERE ") + window + " AND (POB.KID=KAR.KID)",
            std::string("SELECT BID,UID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS "
                        "FROM POBYTY.POBYTY AS POB WHERE ") + window + " AND (KID=0 or KID is null)",
            std::string("SELECT BID,UID,KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NUMPERS "
                        "FROM POBYTY.POBYTY AS POB WHERE ") + window + " AND (KID<>0) AND (KID NOT IN (SELECT KID FROM KARTY.KARTY))",
        };
        for (const std::string& text : texts) {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, text.c_str(), -1, &s, nullptr) != SQLITE_OK)
                std::fprintf(stderr, "raw query: %s\n", sqlite3_errmsg(db));
            statements.push_back(s);
        }
    }
    ~RawQueries()
    {
        for (sqlite3_stmt* s : statements) sqlite3_finalize(s);
        sqlite3_close(db);
    }
    long run(int d1, int d2)
    {
        long rows = 0;
        for (sqlite3_stmt* s : statements) {
            if (!s) continue;
            sqlite3_bind_int(s, 1, d1);
            sqlite3_bind_int(s, 2, d2);
            while (sqlite3_step(s) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(s); ++c) sqlite3_column_text(s, c);
                ++rows;
            }
            sqlite3_reset(s);
        }
        return rows;
    }
};

// A board of 100 rooms whose every night is taken, in every status, with long names and
// conflicts: the most expensive painting there is.
void fillFullBoard(TdmDataModule& dm, int firstDay)
{
    data::createTables(dm.db(), dm.DbPrefix());
    const QString db = dm.DbPrefix();
    dm.ExecStatement(QStringLiteral("INSERT INTO \"%1KARTY.DB\" (TITLE,SURNAME,NAME) VALUES (\"Mr\",\"Novakovsky-Svoboda\",\"Jan-Pavel\")").arg(db));
    const char* statuses = "PRHOX?";
    for (int r = 0; r < kRooms; ++r) {
        const QString pid = QString::number(100 + r);
        dm.ExecStatement(QStringLiteral("INSERT INTO \"%1POKOJE.DB\" (PID,PNAME,PCOLOR) VALUES (\"%2\",\"Room %2\",%3)")
                             .arg(db, pid)
                             .arg(0x40 * (r % 4) + 0x8080));
        for (int d = -2; d < kDays + 2; d += 3) {
            const QChar status = QLatin1Char(statuses[(r + d + 2) % 6]);
            const int kid = status == QLatin1Char('X') ? 0 : 1;
            const bool ok = dm.ExecStatement(QStringLiteral("INSERT INTO \"%1POBYTY.DB\" (KID,PID,DATEFROM,DATETHRU,STATUS,NUMPERS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,UID) "
                                            "VALUES (%2,\"%3\",\"%4\",\"%5\",\"%6\",2,1500.5,37500,30,750,\"Repairs of the bathroom\",0)")
                                 .arg(db)
                                 .arg(kid)
                                 .arg(pid, shell::DateText(double(firstDay + d)), shell::DateText(double(firstDay + d + 3 + (r % 5 == 0))),
                                      QString(status)));
            if (!ok) std::fprintf(stderr, "full board: %s\n", qPrintable(dm.lastError()));
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool small = args.contains(QStringLiteral("--small"));
    QTemporaryDir temp;
    QString folder;
    for (const QString& a : args)
        if (!a.startsWith(QStringLiteral("--"))) folder = a;
    if (folder.isEmpty())
        folder = small ? temp.path() + QStringLiteral("/large")
                       : QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-data/board-large");
    folder = QDir(folder).absolutePath() + QLatin1Char('/');
    platform::setProgramPathForTests(temp.path() + QStringLiteral("/tamarel"));

    if (!QFileInfo::exists(folder + QStringLiteral("POBYTY.DB")) && !makeLarge(folder, small)) return 1;
    const QString given = folder;
    // The rooms after the first 100 are deleted below: in a copy, never in the given folder.
    QTemporaryDir copyDir;
    folder = copyDir.path() + QLatin1Char('/');
    for (const QFileInfo& file : QDir(given).entryInfoList({QStringLiteral("*.DB"), QStringLiteral("*.db")}, QDir::Files)) {
        if (!QFile::copy(file.absoluteFilePath(), folder + file.fileName())) {
            std::fprintf(stderr, "bench_board: cannot copy %s\n", qPrintable(file.absoluteFilePath()));
            return 1;
        }
    }

    const int iterations = small ? 5 : 15;
    const int today = shell::TodayNumber();
    const int firstDay = today - 1;

    // Reload on the large database. The board shows its first 100 rooms; the stays of every
    // room touching the days shown are in the list all the same.
    TdmDataModule large(folder);
    setDataModule(&large);
    {
        QVector<TBoardRoom> rooms;
        board::LoadRoomList(large, rooms);
        for (int i = kRooms; i < rooms.size(); ++i)
            large.ExecStatement(QStringLiteral("DELETE FROM \"%1POKOJE.DB\" WHERE PID=%2").arg(folder, shell::QuoteText(rooms[i].PID)));
    }
    TfrmMain board;
    board.tmrTimer()->stop();
    board.setColumnCount(kDays + 1);
    board.setFirstDate(firstDay);
    board.LoadRooms();
    const int largeRooms = int(board.rooms().size());
    board.LoadStays();  // first run opens the table files
    std::vector<double> reload, raw, reloadCpu, rawCpu, paintCpu;
    g_cpu = &reloadCpu;
    for (int i = 0; i < iterations; ++i) reload.push_back(timeMs([&] { board.LoadStays(); }));
    g_cpu = &rawCpu;
    long rawRows = 0;
    {
        RawQueries queries(folder);
        queries.run(firstDay, firstDay + kDays + 1);
        for (int i = 0; i < iterations; ++i)
            raw.push_back(timeMs([&] { rawRows = queries.run(firstDay, firstDay + kDays + 1); }));
    }
    g_cpu = nullptr;
    const long stayRows = board.stays().size();
    std::vector<double> largePaint;
    {
        QImage image(board.grDraw()->totalWidth(), board.grDraw()->totalHeight(), QImage::Format_RGB32);
        for (int i = 0; i < iterations; ++i)
            largePaint.push_back(timeMs([&] {
                QPainter p(&image);
                board.grDraw()->renderAll(p);
            }));
    }

    // Repaint of a board where every night is taken.
    QTemporaryDir fullDir;
    TdmDataModule full(fullDir.path());
    setDataModule(&full);
    fillFullBoard(full, firstDay);
    board.LoadRooms();
    board.RefreshBoard();
    int emptyCells = 0;
    for (const TBoardRoom& room : board.rooms())
        for (int d = 0; d < kDays; ++d) emptyCells += board.stays().stayAt(room.PID, firstDay + d) ? 0 : 1;
    QImage image(board.grDraw()->totalWidth(), board.grDraw()->totalHeight(), QImage::Format_RGB32);
    // First painting: a new board each time, so no cell has been drawn before.
    std::vector<double> firstPaint, firstPaintCpu;
    g_cpu = &firstPaintCpu;
    for (int i = 0; i < (small ? 2 : 5); ++i) {
        TfrmMain fresh;
        fresh.tmrTimer()->stop();
        fresh.setColumnCount(kDays + 1);
        fresh.setFirstDate(firstDay);
        fresh.LoadRooms();
        fresh.RefreshBoard();
        firstPaint.push_back(timeMs([&] {
            QPainter p(&image);
            fresh.grDraw()->renderAll(p);
        }));
    }
    // Baseline: filling every cell's rectangle with a colour, nothing else.
    std::vector<double> fill, fillCpu;
    g_cpu = &fillCpu;
    for (int i = 0; i < iterations; ++i)
        fill.push_back(timeMs([&] {
            QPainter p(&image);
            for (int r = 0; r <= int(board.rooms().size()); ++r)
                for (int c = 0; c <= kDays; ++c) p.fillRect(board.grDraw()->cellRect(c, r), QColor::fromRgb(0x8080 + r * 7 + c));
        }));
    std::vector<double> paint;
    g_cpu = &paintCpu;
    for (int i = 0; i < iterations; ++i)
        paint.push_back(timeMs([&] {
            QPainter p(&image);
            board.grDraw()->renderAll(p);
        }));
    g_cpu = nullptr;
    setDataModule(nullptr);

    const double reloadMs = median(reload), rawMs = median(raw), paintMs = median(paint);
    std::printf("database: %s, copied to %s (%d rooms shown)\n", qPrintable(given), qPrintable(folder), largeRooms);
    std::printf("board reload (LoadStays, %ld stays listed): %.2f ms median, %.2f ms best of %d\n", stayRows, reloadMs,
                least(reload), iterations);
    std::printf("raw SQLite, same queries (%ld rows read): %.2f ms median, %.2f ms best -> reload/raw ratio %.2f\n",
                rawRows, rawMs, least(raw), rawMs > 0 ? reloadMs / rawMs : 0.0);
    const double fillMs = median(fill), firstMs = median(firstPaint);
    std::printf("board of %d rooms x %d days, every cell occupied (%d free), %dx%d image; baseline: filling every cell "
                "%.2f ms median (%.2f ms CPU)\n",
                int(board.rooms().size()), kDays, emptyCells, image.width(), image.height(), fillMs, median(fillCpu));
    std::printf("first painting of a new board (every cell drawn): %.2f ms median of %d, %.2f ms CPU -> ratio to fill %.2f\n",
                firstMs, int(firstPaint.size()), median(firstPaintCpu), fillMs > 0 ? firstMs / fillMs : 0.0);
    std::printf("repaint of the unchanged board (cells copied): %.2f ms median, %.2f ms best, %.2f ms CPU -> ratio to fill %.2f\n",
                paintMs, least(paint), median(paintCpu), fillMs > 0 ? paintMs / fillMs : 0.0);
    std::printf("CPU time of this thread (median): reload %.2f ms, raw SQLite %.2f ms\n", median(reloadCpu), median(rawCpu));
    std::printf("repaint of the large database's board: %.2f ms median, first of them %.2f ms\n", median(largePaint),
                largePaint.front());
    std::printf("targets (CPU time): reload < 30 ms %s, first painting < 16 ms %s, repaint < 16 ms %s\n",
                median(reloadCpu) < 30 ? "met" : "MISSED", median(firstPaintCpu) < 16 ? "met" : "MISSED",
                median(paintCpu) < 16 ? "met" : "MISSED");
    return 0;
}
