// Benchmark of the occupancy board: the reload (LoadStays: its three queries through the
// engine and the stay list) on a database of 1,000,000 stays and on one of 10,000,000, with
// the board at the start, the middle and the end of the stays; each against two baselines
// measured in the same run: the floor (reading the very rows the board lists by their keys,
// with their client cards, straight on SQLite) and the same three queries straight on SQLite.
// On each, the span index made for a stays' file without it (engine::buildSpanIndex) beside
// filling SQLite's R*Tree with the same entries in one statement, as a ratio.
// Then the painting of 100 rooms x 21 days with every cell occupied, rendered into an image
// offscreen: the first painting of a new board (every cell drawn) and the repaint of an
// unchanged one, both against filling the same cells.
//
//   bench_board [--small] [--cache DIR] [--first] [--png FILE] [--reloads N]
// The databases (300 rooms, stays of about one night each, 10 and 100 years of them, so the
// board lists about the same 6,600 stays on both) are made by this program on its first run
// into DIR (default: the system's temporary folder, tamarel-bench-board/) and kept there for
// the next runs; the engine adds its interval index when it first opens them. Only the first
// 100 rooms are in the room table: the board shows them, and lists the stays of every room.
// Beside each, a copy without the interval index (plain/) gives the reload as it was before
// the engine kept one. --small makes small databases (30,000 and 100,000 stays) in a
// temporary folder, for the smoke run under ctest. --first measures the first database only;
// --png saves the painted board; --reloads N only reloads the first database's board in the
// middle N times (for a profiler).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

#include "board/BoardData.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "data/TableFiles.h"
#include "engine/Core.h"
#include "engine/SpanIndex.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {

constexpr int kDays = 21;
constexpr int kRooms = 100;       // rooms shown
constexpr int kStayRooms = 300;   // rooms the stays are spread over
constexpr int kClients = 50000;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The machine is shared: besides wall time, the CPU time of this thread tells what the work
// costs when the cores are busy with other programs.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Times {
    std::vector<double> wall, cpu;
    double wallMs() const { return median(wall); }
    double cpuMs() const { return median(cpu); }
    double bestCpuMs() const { return cpu.empty() ? 0 : *std::min_element(cpu.begin(), cpu.end()); }
};

template <typename F>
void timeInto(Times& t, F&& f)
{
    const double cpu = threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    f();
    t.wall.push_back(double(timer.nsecsElapsed()) / 1e6);
    t.cpu.push_back(threadCpuMs() - cpu);
}

double seconds(const QElapsedTimer& t) { return double(t.elapsed()) / 1000.0; }

// ---- the databases --------------------------------------------------------------------

struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "bench_board: cannot open %s\n", qPrintable(path));
        sqlite3_busy_timeout(db, 5000);
    }
    ~Raw() { sqlite3_close(db); }
    bool exec(const std::string& sql)
    {
        char* err = nullptr;
        const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK;
        if (!ok) std::fprintf(stderr, "bench_board: %s: %s\n", sql.substr(0, 80).c_str(), err ? err : "");
        sqlite3_free(err);
        return ok;
    }
    std::vector<std::string> texts(const std::string& sql)
    {
        std::vector<std::string> r;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) r.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return r;
    }
};

struct Span {
    int first = 0, last = 0;  // the days of the stays
};

QString pidOf(int room) { return QStringLiteral("%1").arg(room, 3, 10, QLatin1Char('0')); }

// Writes the stays in booking order (as a hotel's table grows: the stays around any day lie
// close together in the file), in one transaction with the table's indexes dropped and made
// again after. The engine makes its interval index when it opens the file next.
bool writeDatabase(const QString& folder, std::int64_t stays, int years, Span& span)
{
    QDir().mkpath(folder);
    const QString prefix = QDir(folder).absolutePath() + QLatin1Char('/');
    {
        TdmDataModule dm(prefix);
        data::createTables(dm.db(), prefix);
    }
    const int today = shell::TodayNumber();
    span.first = today - 365 * years + 90;
    span.last = today + 90;
    std::mt19937 rng(1000003);
    auto range = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    {
        Raw rooms(prefix + QStringLiteral("POKOJE.DB"));
        rooms.exec("BEGIN");
        for (int r = 1; r <= kRooms; ++r)
            rooms.exec("INSERT INTO POKOJE (PID, PNAME, PCOLOR, PPRICE, MAIDPRICE) VALUES ('" + pidOf(r).toStdString() +
                       "', 'Room " + pidOf(r).toStdString() + "', " + std::to_string(0x00C0C0C0 + (r * 2654435) % 0x3F3F3F) +
                       ", " + std::to_string(40 + 5 * (r % 20)) + ", 8)");
        rooms.exec("COMMIT");
        Raw clients(prefix + QStringLiteral("KARTY.DB"));
        clients.exec("BEGIN");
        const char* surnames[] = {"Novák", "Svoboda", "Dvořák", "Müller", "O'Brien", "Rossi", "Smith", "Kowalski"};
        const char* names[] = {"Jan", "Petr", "Eva", "Hans", "Giulia", "James", "Zuzana", "Amélie"};
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(clients.db, "INSERT INTO KARTY (SURNAME, NAME, TITLE) VALUES (?1, ?2, ?3)", -1, &st, nullptr);
        for (int c = 0; c < kClients; ++c) {
            sqlite3_bind_text(st, 1, surnames[c % 8], -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 2, names[(c / 8) % 8], -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 3, c % 5 ? "" : "Ing.", -1, SQLITE_STATIC);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        clients.exec("COMMIT");
    }
    struct Plan {
        int booked, room, from, thru;
    };
    std::vector<Plan> plans;
    plans.reserve(std::size_t(stays));
    const double days = span.last - span.first;
    for (int r = 1; r <= kStayRooms; ++r) {
        const std::int64_t count = stays / kStayRooms + (r <= stays % kStayRooms ? 1 : 0);
        const double slot = days / double(std::max<std::int64_t>(count, 1));
        double cursor = span.first;
        for (std::int64_t n = 0; n < count; ++n) {
            const int from = int(cursor);
            const int nights = std::max(1, int(slot * (0.5 + range(0, 100) / 100.0)));
            cursor = std::max(cursor + slot, double(from + nights));
            plans.push_back({from - range(2, 90), r, from, from + nights});
        }
    }
    std::stable_sort(plans.begin(), plans.end(), [](const Plan& a, const Plan& b) { return a.booked < b.booked; });

    Raw file(prefix + QStringLiteral("POBYTY.DB"));
    file.exec("PRAGMA synchronous=OFF");
    file.exec("PRAGMA cache_size=-262144");
    // The indexes and the interval index's triggers go, and the indexes come back after.
    const auto indexes = file.texts("SELECT sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL AND tbl_name='POBYTY'");
    for (const std::string& name : file.texts("SELECT name FROM sqlite_master WHERE type='trigger' AND tbl_name='POBYTY'"))
        file.exec("DROP TRIGGER \"" + name + "\"");
    file.exec("DROP TABLE IF EXISTS POBYTY_interval");
    for (const std::string& name : file.texts("SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL AND tbl_name='POBYTY'"))
        file.exec("DROP INDEX \"" + name + "\"");
    QElapsedTimer t;
    t.start();
    file.exec("BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(file.db,
                       "INSERT INTO POBYTY (KID, PID, DATEFROM, DATETHRU, STATUS, NUMPERS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, "
                       "BOOKEDFOR, UID) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
                       -1, &st, nullptr);
    std::int64_t n = 0;
    for (const Plan& plan : plans) {
        // A third have no client card (walk-ins, repairs), a few a card deleted since.
        const int kind = int(n % 30);
        const std::int64_t kid = kind < 10 ? 0 : kind == 10 ? kClients + 1000 + n % 7 : 1 + (n * 7919) % kClients;
        const std::string pid = pidOf(plan.room).toStdString();
        const int nights = plan.thru - plan.from;
        const double price = 40 + 5 * (plan.room % 20);
        const char* status = plan.thru <= today ? "O" : plan.from <= today ? "H" : (n % 2 ? "R" : "P");
        if (kind == 0) status = "X";
        sqlite3_bind_int64(st, 1, kid);
        sqlite3_bind_text(st, 2, pid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, plan.from);
        sqlite3_bind_int(st, 4, plan.thru);
        sqlite3_bind_text(st, 5, status, -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 6, 1 + int(n % 3));
        sqlite3_bind_double(st, 7, price * nights);
        sqlite3_bind_double(st, 8, price * nights * 25);
        sqlite3_bind_double(st, 9, 8.0 * nights);
        sqlite3_bind_double(st, 10, 200.0 * nights);
        sqlite3_bind_text(st, 11, kind == 0 ? "Repairs" : kid == 0 ? "Walk-in guest" : "", -1, SQLITE_STATIC);
        sqlite3_bind_int64(st, 12, *status == 'O' || *status == 'H' ? n + 1 : 0);
        if (sqlite3_step(st) != SQLITE_DONE) {
            std::fprintf(stderr, "bench_board: insert: %s\n", sqlite3_errmsg(file.db));
            return false;
        }
        sqlite3_reset(st);
        ++n;
    }
    sqlite3_finalize(st);
    if (!file.exec("COMMIT")) return false;
    const double insertSeconds = seconds(t);
    t.restart();
    for (const std::string& sql : indexes) file.exec(sql);
    std::printf("  %lld stays written in %.1f s, their indexes made in %.1f s\n", static_cast<long long>(n), insertSeconds,
                seconds(t));
    return true;
}

// The folder of a database of `stays` stays, made when it is not there yet (a marker file
// tells a finished one from one a killed run left).
bool database(const QString& cache, std::int64_t stays, int years, QString& folder, Span& span)
{
    folder = QStringLiteral("%1/board-%2-stays-%3-years-v1/").arg(cache).arg(stays).arg(years);
    const QString marker = folder + QStringLiteral("made");
    QFile m(marker);
    if (m.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> days = m.readAll().trimmed().split(' ');
        if (days.size() == 2) {
            span.first = days[0].toInt();
            span.last = days[1].toInt();
            return true;
        }
        m.close();
    }
    QDir(folder).removeRecursively();
    std::printf("making the database of %lld stays over %d years in %s\n", static_cast<long long>(stays), years, qPrintable(folder));
    std::fflush(stdout);
    if (!writeDatabase(folder, stays, years, span)) return false;
    {
        // The engine's first opening makes the interval index.
        QElapsedTimer t;
        t.start();
        TdmDataModule dm(folder);
        dm.OpenAndCount(QStringLiteral("SELECT BID FROM \"%1POBYTY.DB\" WHERE BID=1").arg(folder));
        std::printf("  interval index made by the engine's first opening in %.1f s\n", seconds(t));
    }
    if (!m.open(QIODevice::WriteOnly)) return false;
    m.write(QByteArray::number(span.first) + ' ' + QByteArray::number(span.last) + '\n');
    return true;
}

// A copy of a database folder without the interval index: the engine as it was before it
// kept one. Made once beside the database.
bool plainCopy(const QString& folder, QString& plain)
{
    plain = folder + QStringLiteral("plain/");
    if (QFileInfo::exists(plain + QStringLiteral("made"))) return true;
    QDir(plain).removeRecursively();
    QDir().mkpath(plain);
    QElapsedTimer t;
    t.start();
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.DB")}, QDir::Files))
        if (!QFile::copy(file.absoluteFilePath(), plain + file.fileName())) return false;
    {
        Raw file(plain + QStringLiteral("POBYTY.DB"));
        for (const std::string& name : file.texts("SELECT name FROM sqlite_master WHERE type='trigger' AND tbl_name='POBYTY'"))
            file.exec("DROP TRIGGER \"" + name + "\"");
        if (!file.exec("DROP TABLE IF EXISTS POBYTY_interval")) return false;
    }
    std::printf("  copy without the interval index made in %.1f s\n", seconds(t));
    QFile m(plain + QStringLiteral("made"));
    return m.open(QIODevice::WriteOnly);
}

// The span index made of a stays' file that has none (a folder another program wrote), by
// engine::buildSpanIndex as the board's progress window runs it, beside filling SQLite's
// R*Tree with the same entries in one statement; each on a fresh copy of the plain file.
bool spanIndexBuild(const QString& plain)
{
    QTemporaryDir scratch(QDir(plain).absoluteFilePath(QStringLiteral("span-XXXXXX")));
    const QString raw = scratch.filePath(QStringLiteral("raw/POBYTY.DB")), built = scratch.filePath(QStringLiteral("built/POBYTY.DB"));
    QDir().mkpath(QFileInfo(raw).path());
    QDir().mkpath(QFileInfo(built).path());
    if (!QFile::copy(plain + QStringLiteral("POBYTY.DB"), raw) || !QFile::copy(plain + QStringLiteral("POBYTY.DB"), built))
        return false;
    QElapsedTimer t;
    double fill = 0;
    {
        Raw file(raw);
        t.start();
        if (!file.exec("BEGIN IMMEDIATE; CREATE VIRTUAL TABLE POBYTY_interval USING rtree(id, lo, hi); "
                       "INSERT INTO POBYTY_interval (id, lo, hi) SELECT rowid, DATEFROM, DATETHRU FROM POBYTY; COMMIT"))
            return false;
        fill = seconds(t);
    }
    const std::string path = built.toStdString();
    const bool missing = engine::spanIndexMissing(path);
    std::int64_t ticks = 0;
    t.restart();
    const bool made = engine::buildSpanIndex(path, [&] { ++ticks; });
    const double build = seconds(t);
    if (!missing || !made || engine::spanIndexMissing(path)) {
        std::fprintf(stderr, "bench_board: the span index was not built (missing before %d, made %d)\n", missing, made);
        return false;
    }
    std::printf("  span index of a file without it: engine::buildSpanIndex %.2f s (%lld progress calls) | one-statement "
                "R*Tree fill of the same entries %.2f s -> build/fill %.2f (goal <= 1.3)\n",
                build, static_cast<long long>(ticks), fill, fill > 0 ? build / fill : 0.0);
    std::fflush(stdout);
    return true;
}

// ---- the baselines --------------------------------------------------------------------

// Two table files attached to one plain SQLite connection.
struct Attached {
    sqlite3* db = nullptr;
    explicit Attached(const QString& folder)
    {
        sqlite3_open(":memory:", &db);
        for (const char* table : {"POBYTY", "KARTY"}) {
            const QString sql = QStringLiteral("ATTACH DATABASE '%1%2.DB' AS %2").arg(folder, table);
            sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        }
    }
    ~Attached() { sqlite3_close(db); }
    sqlite3_stmt* prepare(const std::string& sql) const
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "bench_board: %s\n", sqlite3_errmsg(db));
        return s;
    }
};

// Reads every column of every row as what it is (a number as a number, a text as a text).
long readAll(sqlite3_stmt* s)
{
    long rows = 0;
    volatile double sink = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER: sink = sink + double(sqlite3_column_int64(s, c)); break;
            case SQLITE_FLOAT: sink = sink + sqlite3_column_double(s, c); break;
            case SQLITE_TEXT: sink = sink + double(sqlite3_column_bytes(s, c)) + *sqlite3_column_text(s, c); break;
            default: break;
            }
        }
        ++rows;
    }
    sqlite3_reset(s);
    return rows;
}

// The board's three queries straight on SQLite, with day numbers in place of the date texts,
// every column of every row read.
struct RawQueries : Attached {
    std::vector<sqlite3_stmt*> statements;

    explicit RawQueries(const QString& folder) : Attached(folder)
    {
        const std::string window =
            "((DATEFROM<?1 and DATETHRU>?2) OR (DATEFROM>=?1 and DATEFROM<=?2) OR (DATETHRU>=?1 and DATETHRU<=?2))";
        statements.push_back(prepare(
            "SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,NUMPERS "
            "FROM POBYTY.POBYTY AS POB, KARTY.KARTY AS KAR WHERE " + window + " AND (POB.KID=KAR.KID)"));
        statements.push_back(prepare("SELECT BID,UID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS "
                                     "FROM POBYTY.POBYTY AS POB WHERE " + window + " AND (KID=0 or KID is null)"));
        statements.push_back(prepare("SELECT BID,UID,KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NUMPERS "
                                     "FROM POBYTY.POBYTY AS POB WHERE " + window +
                                     " AND (KID<>0) AND (KID NOT IN (SELECT KID FROM KARTY.KARTY))"));
    }
    ~RawQueries()
    {
        for (sqlite3_stmt* s : statements) sqlite3_finalize(s);
    }
    long run(int d1, int d2)
    {
        long rows = 0;
        for (sqlite3_stmt* s : statements) {
            if (!s) continue;
            sqlite3_bind_int(s, 1, d1);
            sqlite3_bind_int(s, 2, d2);
            rows += readAll(s);
        }
        return rows;
    }
};

// The floor: the rows the board lists, read by their keys (and the client card of each stay
// that has one), every column the board's queries read.
struct KeyReads : Attached {
    sqlite3_stmt* stay = nullptr;
    sqlite3_stmt* card = nullptr;
    explicit KeyReads(const QString& folder) : Attached(folder)
    {
        stay = prepare("SELECT BID,UID,KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS "
                       "FROM POBYTY.POBYTY WHERE BID=?1");
        card = prepare("SELECT NAME,SURNAME,TITLE FROM KARTY.KARTY WHERE KID=?1");
    }
    ~KeyReads()
    {
        sqlite3_finalize(stay);
        sqlite3_finalize(card);
    }
    // One read transaction, as each of the board's queries reads in one.
    long run(const QVector<TRoomsUsage>& listed)
    {
        long rows = 0;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const TRoomsUsage& e : listed) {
            sqlite3_bind_int(stay, 1, e.BID);
            rows += readAll(stay);
            if (e.KID > 0) {
                sqlite3_bind_int(card, 1, e.KID);
                readAll(card);
            }
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        return rows;
    }
};

// The plan SQLite makes for the engine's translation of the board's first query.
QString enginePlan(TdmDataModule& dm, int d1, int d2)
{
    auto& core = *dm.db().impl().core;
    engine::detail::Core::Prepared p;
    engine::sql::Statement ddl;
    const QString sql = board::StaysWithCardStatement(dm.DbPrefix(), shell::DateText(double(d1)), shell::DateText(double(d2)));
    if (!core.prepare(sql.toStdString(), p, ddl)) return {};
    QString plan;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(core.db(), ("EXPLAIN QUERY PLAN " + p.entry->tr.sql).c_str(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            plan += QStringLiteral("    %1\n").arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))));
    sqlite3_finalize(st);
    core.release(p.entry, p.stmt, false);
    return plan;
}

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
    QString cache = small ? temp.path() : QDir::tempPath() + QStringLiteral("/tamarel-bench-board");
    if (const int at = int(args.indexOf(QStringLiteral("--cache"))); at >= 0 && at + 1 < args.size()) cache = args[at + 1];
    cache = QDir(cache).absolutePath();
    platform::setProgramPathForTests(temp.path() + QStringLiteral("/tamarel"));

    const int iterations = small ? 5 : 15;
    const int rawIterations = small ? 3 : 5;  // the plain queries take long on the large database
    const struct {
        std::int64_t stays;
        int years;
    } sizes[] = {{small ? 30000 : 1000000, small ? 1 : 10}, {small ? 100000 : 10000000, small ? 3 : 100}};
    double reloadAt[2][3] = {};
    std::printf("board reload (LoadStays: 3 queries, %d days shown), CPU time of this thread, median of %d (wall and best CPU in brackets)\n",
                kDays, iterations);
    // --first: the first database only (for profiling).
    for (int s = 0; s < (args.contains(QStringLiteral("--first")) ? 1 : 2); ++s) {
        QString folder;
        Span span;
        if (!database(cache, sizes[s].stays, sizes[s].years, folder, span)) return 1;
        TdmDataModule dm(folder);
        setDataModule(&dm);
        {
            TfrmMain board;
            board.tmrTimer()->stop();
            board.setColumnCount(kDays + 1);
            board.LoadRooms();
            const int positions[] = {span.first, (span.first + span.last) / 2, span.last - kDays - 1};
            const char* names[] = {"start", "middle", "end"};
            if (const int at = int(args.indexOf(QStringLiteral("--reloads"))); at >= 0 && at + 1 < args.size()) {
                // Only the reload in the middle, that many times (for a profiler).
                board.setFirstDate(positions[1]);
                Times reload;
                for (int i = args[at + 1].toInt(); i > 0; --i) timeInto(reload, [&] { board.LoadStays(); });
                std::printf("reload in the middle: %.2f ms CPU (%.2f), %d stays\n", reload.cpuMs(), reload.wallMs(), int(board.stays().size()));
                return 0;
            }
            std::printf("%lld stays over %d years (%s):\n", static_cast<long long>(sizes[s].stays), sizes[s].years, qPrintable(folder));
            for (int p = 0; p < 3; ++p) {
                const int d1 = positions[p], d2 = d1 + kDays + 1;
                board.setFirstDate(d1);
                board.LoadStays();  // the first run opens the table files
                Times reload, floor, raw;
                for (int i = 0; i < iterations; ++i) timeInto(reload, [&] { board.LoadStays(); });
                const QVector<TRoomsUsage> listed = board.stays().entries();
                long floorRows = 0, rawRows = 0;
                {
                    KeyReads keys(folder);
                    keys.run(listed);
                    for (int i = 0; i < iterations; ++i) timeInto(floor, [&] { floorRows = keys.run(listed); });
                }
                {
                    RawQueries queries(folder);
                    queries.run(d1, d2);
                    for (int i = 0; i < rawIterations; ++i) timeInto(raw, [&] { rawRows = queries.run(d1, d2); });
                }
                reloadAt[s][p] = reload.cpuMs();
                std::printf("  %-6s %s: reload %.2f ms (%.2f; best %.2f), %d stays listed | floor, the listed rows by key: %.2f ms "
                            "(%.2f; best %.2f), %ld rows -> reload/floor %.2f | same queries on SQLite: %.2f ms (%.2f), %ld rows -> "
                            "reload/SQLite %.3f\n",
                            names[p], qPrintable(shell::DateText(double(d1))), reload.cpuMs(), reload.wallMs(), reload.bestCpuMs(),
                            int(listed.size()), floor.cpuMs(), floor.wallMs(), floor.bestCpuMs(), floorRows,
                            floor.cpuMs() > 0 ? reload.cpuMs() / floor.cpuMs() : 0.0, raw.cpuMs(), raw.wallMs(), rawRows,
                            raw.cpuMs() > 0 ? reload.cpuMs() / raw.cpuMs() : 0.0);
                std::fflush(stdout);
            }
            std::printf("  plan of the engine's first board query (middle):\n%s",
                        qPrintable(enginePlan(dm, positions[1], positions[1] + kDays + 1)));
        }
        setDataModule(nullptr);

        // Before: the engine on a copy without the interval index, which it cannot make while
        // another connection holds the file's write lock.
        QString plain;
        if (!plainCopy(folder, plain)) return 1;
        if (!spanIndexBuild(plain)) return 1;
        TdmDataModule before(plain);
        before.db().setLockTimeoutMs(50);
        setDataModule(&before);
        {
            TfrmMain board;
            board.tmrTimer()->stop();
            board.setColumnCount(kDays + 1);
            board.LoadRooms();
            {
                Raw holder(plain + QStringLiteral("POBYTY.DB"));
                holder.exec("BEGIN IMMEDIATE");
                board.LoadStays();  // opens the table files
                holder.exec("ROLLBACK");
            }
            const int positions[] = {span.first, (span.first + span.last) / 2, span.last - kDays - 1};
            const char* names[] = {"start", "middle", "end"};
            std::printf("  before, the engine without the interval index (median of %d):", rawIterations);
            for (int p = 0; p < 3; ++p) {
                board.setFirstDate(positions[p]);
                board.LoadStays();
                Times reload;
                for (int i = 0; i < rawIterations; ++i) timeInto(reload, [&] { board.LoadStays(); });
                std::printf(" %s %.2f ms (%.2f), %d stays -> now/before %.3f%s", names[p], reload.cpuMs(), reload.wallMs(),
                            int(board.stays().size()), reload.cpuMs() > 0 ? reloadAt[s][p] / reload.cpuMs() : 0.0, p < 2 ? ";" : "\n");
                std::fflush(stdout);
            }
            std::printf("  its plan (middle):\n%s", qPrintable(enginePlan(before, positions[1], positions[1] + kDays + 1)));
        }
        setDataModule(nullptr);
    }

    // Painting of a board where every night is taken.
    const int today = shell::TodayNumber();
    const int firstDay = today - 1;
    QTemporaryDir fullDir;
    TdmDataModule full(fullDir.path());
    setDataModule(&full);
    fillFullBoard(full, firstDay);
    TfrmMain board;
    board.tmrTimer()->stop();
    board.setColumnCount(kDays + 1);
    board.setFirstDate(firstDay);
    board.LoadRooms();
    board.RefreshBoard();
    int emptyCells = 0;
    for (const TBoardRoom& room : board.rooms())
        for (int d = 0; d < kDays; ++d) emptyCells += board.stays().stayAt(room.PID, firstDay + d) ? 0 : 1;
    QImage image(board.grDraw()->totalWidth(), board.grDraw()->totalHeight(), QImage::Format_RGB32);
    image.fill(Qt::white);  // its memory taken from the system before anything is timed, as a window's is
    // First painting: a new board each time, so no cell has been drawn before.
    Times firstPaint, fill, repaint;
    for (int i = 0; i < (small ? 2 : 7); ++i) {
        TfrmMain fresh;
        fresh.tmrTimer()->stop();
        fresh.setColumnCount(kDays + 1);
        fresh.setFirstDate(firstDay);
        fresh.LoadRooms();
        fresh.RefreshBoard();
        timeInto(firstPaint, [&] {
            QPainter p(&image);
            fresh.grDraw()->renderAll(p);
        });
    }
    // Baseline: filling every cell's rectangle with a colour, nothing else.
    for (int i = 0; i < iterations; ++i)
        timeInto(fill, [&] {
            QPainter p(&image);
            for (int r = 0; r <= int(board.rooms().size()); ++r)
                for (int c = 0; c <= kDays; ++c) p.fillRect(board.grDraw()->cellRect(c, r), QColor::fromRgb(0x8080 + r * 7 + c));
        });
    {
        QPainter p(&image);
        board.grDraw()->renderAll(p);
    }
    for (int i = 0; i < iterations; ++i)
        timeInto(repaint, [&] {
            QPainter p(&image);
            board.grDraw()->renderAll(p);
        });
    setDataModule(nullptr);
    if (const int at = int(args.indexOf(QStringLiteral("--png"))); at >= 0 && at + 1 < args.size()) image.save(args[at + 1]);
    std::printf("board of %d rooms x %d days, every cell occupied (%d free), %dx%d image; baseline: filling every cell "
                "%.2f ms CPU (%.2f)\n",
                int(board.rooms().size()), kDays, emptyCells, image.width(), image.height(), fill.cpuMs(), fill.wallMs());
    std::printf("first painting of a new board (every cell drawn): %.2f ms CPU (%.2f), median of %d -> ratio to fill %.2f\n",
                firstPaint.cpuMs(), firstPaint.wallMs(), int(firstPaint.cpu.size()),
                fill.cpuMs() > 0 ? firstPaint.cpuMs() / fill.cpuMs() : 0.0);
    std::printf("  the first of them, the first painting in this program (fonts and glyphs met for the first time): %.2f ms CPU (%.2f)\n",
                firstPaint.cpu.front(), firstPaint.wall.front());
    std::printf("repaint of the unchanged board: %.2f ms CPU (%.2f) -> ratio to fill %.2f\n", repaint.cpuMs(), repaint.wallMs(),
                fill.cpuMs() > 0 ? repaint.cpuMs() / fill.cpuMs() : 0.0);
    double worst1 = 0, worst10 = 0;
    for (int p = 0; p < 3; ++p) {
        worst1 = std::max(worst1, reloadAt[0][p]);
        worst10 = std::max(worst10, reloadAt[1][p]);
    }
    std::printf("targets (CPU time): reload <= 5 ms at %lld stays %s (worst %.2f), at %lld stays not more %s (worst %.2f, ratio %.2f); "
                "first painting < 16 ms %s; repaint < 16 ms %s\n",
                static_cast<long long>(sizes[0].stays), worst1 <= 5 ? "met" : "MISSED", worst1,
                static_cast<long long>(sizes[1].stays), worst10 <= std::max(5.0, worst1 * 1.1) ? "met" : "MISSED", worst10,
                worst1 > 0 ? worst10 / worst1 : 0.0, firstPaint.cpuMs() < 16 ? "met" : "MISSED", repaint.cpuMs() < 16 ? "met" : "MISSED");
    return 0;
}
