// Benchmark of the PostgreSQL storage against table files, in one run on the same data: the
// board's reload (LoadStays, 21 days, at the start, the middle and the end of the stays) and
// 10,000 composed changes as the program makes them (a check-in: an account opened and the
// stay put into it; a check-out: the stay leaves, two items are charged, the account gets its
// total), alternately, over several tables. Medians of wall time (the server works in
// another process), and the ratios server/files.
//
//   bench_server [--small] [--cache DIR] [--changes N]
// The files: bench_board's database of 1,000,000 stays in DIR (default: the system's temporary
// folder, tamarel-bench-board/), made by running bench_board --first when it is missing; the
// changes run on a copy of it. --small: 30,000 stays made here in a temporary folder, 400
// changes. The server: $TAMAREL_BENCH_PG, else a private one started with
// scripts/pg-test-server.sh (stopped at the end). The files are loaded into it with COPY
// (the tables made by the engine, so they carry its triggers); on a server named by
// $TAMAREL_BENCH_PG a loaded schema is kept and used again by the next runs. Both storages
// wait for the disk at each commit (the private server is switched to fsync for the run).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <libpq-fe.h>
#include <unistd.h>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

#include "board/TfrmMain.h"
#include "data/LargeDatabase.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {

constexpr int kDays = 21;
const char* const kTables[] = {"POKOJE", "POKCENY", "POBYTY", "KARTY", "UCTY", "UCTYPOL", "UCPODEF", "KURZY", "ODKUDVI", "POZNAMKY"};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

void fail(const std::string& what)
{
    std::fprintf(stderr, "bench_server: %s\n", what.c_str());
    std::exit(1);
}

// ---- the server ---------------------------------------------------------------------------

struct Pg {
    PGconn* c = nullptr;
    explicit Pg(const std::string& uri) : c(PQconnectdb(uri.c_str()))
    {
        if (PQstatus(c) != CONNECTION_OK) fail("cannot connect to " + uri + ": " + PQerrorMessage(c));
    }
    ~Pg() { PQfinish(c); }
    std::string value(const std::string& sql)
    {
        PGresult* r = PQexec(c, sql.c_str());
        const auto st = PQresultStatus(r);
        if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) fail(sql.substr(0, 80) + ": " + PQresultErrorMessage(r));
        std::string v = st == PGRES_TUPLES_OK && PQntuples(r) > 0 && !PQgetisnull(r, 0, 0) ? PQgetvalue(r, 0, 0) : "";
        PQclear(r);
        return v;
    }
};

// The text COPY reads for a value SQLite holds in the engine's stored form.
void copyValue(std::string& out, sqlite3_stmt* st, int col, const std::string& type)
{
    if (sqlite3_column_type(st, col) == SQLITE_NULL) return void(out += "\\N");
    char buf[64];
    if (type == "date" || type == "timestamp") {
        const double days = sqlite3_column_double(st, col);
        int y = 0, m = 0, d = 0;
        engine::civilFromDayNumber(std::int64_t(std::floor(days)), y, m, d);
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
        out += buf;
        if (type == "timestamp") {
            const int secs = int(std::lround((days - std::floor(days)) * 86400));
            std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", secs / 3600, secs / 60 % 60, secs % 60);
            out += buf;
        }
        return;
    }
    if (type == "time") {
        const int secs = sqlite3_column_int(st, col);
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", secs / 3600, secs / 60 % 60, secs % 60);
        return void(out += buf);
    }
    if (type == "bool") return void(out += sqlite3_column_int(st, col) ? "t" : "f");
    if (type == "float8" || type == "numeric") {
        std::snprintf(buf, sizeof buf, "%.17g", sqlite3_column_double(st, col));
        return void(out += buf);
    }
    if (type == "int2" || type == "int4" || type == "int8") return void(out += std::to_string(sqlite3_column_int64(st, col)));
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    for (const char* p = text; p && *p; ++p) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += *p;
        }
    }
}

// Copies one table file's rows into the server table of its name with COPY.
std::int64_t copyTable(Pg& pg, const QString& folder, const std::string& table)
{
    PGresult* cols = PQexec(pg.c, ("SELECT a.attname, t.typname FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid "
                                   "WHERE a.attrelid = '\"" + table + "\"'::regclass AND a.attnum > 0 AND NOT a.attisdropped "
                                   "ORDER BY a.attnum").c_str());
    std::vector<std::string> names, types;
    for (int i = 0; i < PQntuples(cols); ++i) {
        names.emplace_back(PQgetvalue(cols, i, 0));
        types.emplace_back(PQgetvalue(cols, i, 1));
    }
    PQclear(cols);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((folder + QString::fromStdString(table) + ".DB").toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        fail("cannot open the table file " + table);
    std::string list, select;
    for (const auto& n : names) {
        list += (list.empty() ? "\"" : ", \"") + n + "\"";
        select += (select.empty() ? "\"" : ", \"") + n + "\"";
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, ("SELECT " + select + " FROM \"" + table + "\"").c_str(), -1, &st, nullptr) != SQLITE_OK)
        fail(std::string("cannot read ") + table + ": " + sqlite3_errmsg(db));
    PGresult* r = PQexec(pg.c, ("COPY \"" + table + "\" (" + list + ") FROM STDIN").c_str());
    if (PQresultStatus(r) != PGRES_COPY_IN) fail("COPY " + table + ": " + PQresultErrorMessage(r));
    PQclear(r);
    std::string chunk;
    std::int64_t rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (i) chunk += '\t';
            copyValue(chunk, st, int(i), types[i]);
        }
        chunk += '\n';
        ++rows;
        if (chunk.size() > (1 << 20)) {
            PQputCopyData(pg.c, chunk.data(), int(chunk.size()));
            chunk.clear();
        }
    }
    PQputCopyData(pg.c, chunk.data(), int(chunk.size()));
    PQputCopyEnd(pg.c, nullptr);
    r = PQgetResult(pg.c);
    if (PQresultStatus(r) != PGRES_COMMAND_OK) fail("COPY " + table + ": " + PQresultErrorMessage(r));
    PQclear(r);
    while ((r = PQgetResult(pg.c))) PQclear(r);
    sqlite3_finalize(st);
    sqlite3_close(db);
    // An identity key continues after the largest copied.
    pg.value("SELECT setval(pg_get_serial_sequence(c.oid::regclass::text, a.attname), greatest(max_key, 1)) FROM pg_class c "
             "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attidentity <> '', "
             "LATERAL (SELECT max(v) AS max_key FROM (SELECT (xpath('/row/k/text()', query_to_xml(format('SELECT max(%I) AS k FROM %s', "
             "a.attname, c.oid::regclass), false, true, '')))[1]::text::bigint AS v) m) k "
             "WHERE c.oid = '\"" + table + "\"'::regclass");
    return rows;
}

// Makes the tables in the schema the URI names with the engine, then copies every file in.
void loadServer(const std::string& uri, const QString& folder)
{
    QElapsedTimer t;
    t.start();
    {
        TdmDataModule dm(QString::fromStdString(uri));
        data::createTables(dm.db(), QString::fromStdString(uri));
    }
    Pg pg(uri);
    pg.value("SET synchronous_commit = off");
    std::int64_t rows = 0;
    for (const char* table : kTables) rows += copyTable(pg, folder, table);
    pg.value("ANALYZE");
    std::printf("  %lld rows loaded into the server with COPY in %.1f s\n", static_cast<long long>(rows), seconds(t));
}

// ---- the measurements ---------------------------------------------------------------------

struct Figures {
    double reload[3] = {};     // ms, start / middle / end
    int listed[3] = {};
    double change = 0;         // ms per change, median over blocks of 100
    double changesTotal = 0;   // s
};

struct Stay {
    int bid, kid;
    QString pid;
};

// The stays the changes check in and out: stays with a client card, spread over the table.
std::vector<Stay> staysToMove(TdmDataModule& dm, int count)
{
    std::vector<Stay> stays;
    auto q = dm.Open(QStringLiteral("SELECT BID, KID, PID FROM \"%1POBYTY.DB\" WHERE KID>0 AND STATUS=\"O\" AND BID<%2 ORDER BY BID")
                         .arg(dm.DbPrefix())
                         .arg(count * 4));
    while (q->next() && int(stays.size()) < count)
        stays.push_back({int(q->integer(0)), int(q->integer(1)), QString::fromStdString(q->text(2))});
    return stays;
}

// Check-in and check-out of the same stays, one change each, as the program composes them.
void runChanges(TdmDataModule& dm, const std::vector<Stay>& stays, int changes, Figures& f)
{
    const QString db = dm.DbPrefix();
    const QString pobyty = "\"" + db + "POBYTY.DB\"", ucty = "\"" + db + "UCTY.DB\"", items = "\"" + db + "UCTYPOL.DB\"";
    std::vector<double> blocks;
    QElapsedTimer all, block;
    all.start();
    block.start();
    for (int n = 0; n < changes; ++n) {
        const Stay& s = stays[size_t(n / 2) % stays.size()];
        const QString day = QStringLiteral("\"%1\"").arg(shell::DateText(double(shell::TodayNumber())));
        auto change = dm.db().beginChange({(db + "POBYTY.DB").toStdString(), (db + "UCTY.DB").toStdString(),
                                           (db + "UCTYPOL.DB").toStdString()});
        if (n % 2 == 0) {
            change->execute(QStringLiteral("INSERT INTO %1 (KID,PKID,UFROM,RECEPCE,USR) VALUES (%2,%2,%3,\"bench\",\"bench\")")
                                .arg(ucty).arg(s.kid).arg(day).toStdString());
            const std::int64_t uid = change->lastInsertKey();
            change->execute(QStringLiteral("UPDATE %1 SET UID=%2, STATUS=\"H\", DATEIN=%3, TIMEIN=\"14:00:00\" WHERE BID=%4")
                                .arg(pobyty).arg(uid).arg(day).arg(s.bid).toStdString());
        } else {
            std::int64_t uid = 0;
            {
                auto q = change->open(QStringLiteral("SELECT * FROM %1 WHERE BID=%2").arg(pobyty).arg(s.bid).toStdString());
                if (q->next()) uid = q->integer("UID");
            }
            change->execute(QStringLiteral("UPDATE %1 SET STATUS=\"O\", DATEOUT=%2, TIMEOU=\"10:00:00\" WHERE (BID=%3) AND (STATUS=\"H\")")
                                .arg(pobyty).arg(day).arg(s.bid).toStdString());
            for (const char* what : {"Accomodation", "Maid service"})
                change->execute(QStringLiteral("INSERT INTO %1 (UID,PID,UPID,DESCR,ITEMDATE,AMNTEUR,AMNTCZK,TAXRATE,RATE,USR) "
                                               "VALUES (%2,\"%3\",1,\"%4\",%5,150,3750,21,25,\"bench\")")
                                    .arg(items).arg(uid).arg(s.pid, QString::fromLatin1(what), day).toStdString());
            double eur = 0, czk = 0;
            {
                auto q = change->open(QStringLiteral("SELECT SUM(AMNTEUR) AS TOTEUR, SUM(AMNTCZK) AS TOTCZK FROM %1 WHERE UID=%2")
                                          .arg(items).arg(uid).toStdString());
                if (q->next()) {
                    eur = q->number(0);
                    czk = q->number(1);
                }
            }
            change->execute(QStringLiteral("UPDATE %1 SET TOTALEUR=%2, TOTALCZK=%3 WHERE UID=%4")
                                .arg(ucty).arg(eur).arg(czk).arg(uid).toStdString());
        }
        change->commit();
        if ((n + 1) % 100 == 0) {
            blocks.push_back(double(block.nsecsElapsed()) / 1e6 / 100);
            block.restart();
        }
    }
    f.change = median(blocks);
    f.changesTotal = seconds(all);
}

void measure(TdmDataModule& dm, const int positions[3], int iterations, Figures& f)
{
    setDataModule(&dm);
    TfrmMain board;
    board.tmrTimer()->stop();
    board.tmrServerChanges()->stop();
    board.setColumnCount(kDays + 1);
    board.LoadRooms();
    for (int p = 0; p < 3; ++p) {
        board.setFirstDate(positions[p]);
        board.LoadStays();  // the first opens the tables
        std::vector<double> times;
        for (int i = 0; i < iterations; ++i) {
            QElapsedTimer t;
            t.start();
            board.LoadStays();
            times.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        f.reload[p] = median(times);
        f.listed[p] = int(board.stays().entries().size());
    }
    setDataModule(nullptr);
}

// Copies the table files of a folder (for the changes, which must not touch the cache).
void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& file : QDir(from).entryInfoList({QStringLiteral("*.DB")}, QDir::Files))
        if (!QFile::copy(file.absoluteFilePath(), to + file.fileName())) fail("cannot copy " + file.fileName().toStdString());
}

QString runScript(const QString& script, const QString& command, const QString& state)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PG_TEST_STATE"), state);
    p.setProcessEnvironment(env);
    p.start(script, {command});
    p.waitForFinished(120000);
    if (p.exitCode() != 0) fail(("pg-test-server.sh " + command + ": " + QString::fromUtf8(p.readAllStandardError())).toStdString());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool small = args.contains(QStringLiteral("--small"));
    QTemporaryDir temp;
    platform::setProgramPathForTests(temp.path() + QStringLiteral("/tamarel"));
    QString cache = QDir::tempPath() + QStringLiteral("/tamarel-bench-board");
    if (const int at = int(args.indexOf(QStringLiteral("--cache"))); at >= 0 && at + 1 < args.size()) cache = args[at + 1];
    int changes = small ? 400 : 10000;
    if (const int at = int(args.indexOf(QStringLiteral("--changes"))); at >= 0 && at + 1 < args.size()) changes = args[at + 1].toInt();
    const int iterations = small ? 5 : 15;

    // The files, and the days they hold stays for.
    QString folder;
    int first = 0, last = 0;
    if (small) {
        folder = temp.path() + QStringLiteral("/small/");
        QDir().mkpath(folder);
        {
            TdmDataModule dm(folder);
            data::createTables(dm.db(), dm.DbPrefix());
        }
        data::LargeOptions o;
        o.stays = 30000;
        o.years = 1;
        o.clients = 2000;
        o.rooms = 100;
        try {
            data::writeLargeDatabase(folder, o, shell::DateFromNumber(shell::TodayNumber()));
        } catch (const std::exception& e) {
            fail(e.what());
        }
        TdmDataModule dm(folder);
        auto q = dm.Open(QStringLiteral("SELECT MIN(DATEFROM) AS F, MAX(DATETHRU) AS L FROM \"%1POBYTY.DB\"").arg(folder));
        q->next();
        first = int(q->integer(0));
        last = int(q->integer(1));
    } else {
        folder = QDir(cache).absolutePath() + QStringLiteral("/board-1000000-stays-10-years-v1/");
        if (!QFileInfo::exists(folder + QStringLiteral("made"))) {
            std::printf("making the board benchmark's database first (bench_board --first)\n");
            std::fflush(stdout);
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedChannels);
            p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_board"), {"--first", "--cache", cache});
            p.waitForFinished(-1);
            if (!QFileInfo::exists(folder + QStringLiteral("made"))) fail("bench_board made no database in " + cache.toStdString());
        }
        QFile made(folder + QStringLiteral("made"));
        made.open(QIODevice::ReadOnly);
        const QList<QByteArray> days = made.readAll().trimmed().split(' ');
        first = days.value(0).toInt();
        last = days.value(1).toInt();
    }
    const int positions[3] = {first, (first + last) / 2, last - kDays - 1};

    // The server, and the schema the data set is loaded into.
    const QString script = QStringLiteral(TAMAREL_SOURCE_DIR "/scripts/pg-test-server.sh");
    const QString state = temp.path() + QStringLiteral("/pg.state");
    std::string base = qEnvironmentVariable("TAMAREL_BENCH_PG").toStdString();
    const bool ownServer = base.empty();
    if (ownServer) {
        base = runScript(script, QStringLiteral("start"), state).toStdString();
        // As durable as the files: the test server runs without fsync; started again with
        // the server's defaults (fsync, full pages), only the socket as before.
        QFile st(state);
        st.open(QIODevice::ReadOnly);
        QString dir;
        for (const QByteArray& line : st.readAll().split('\n'))
            if (line.startsWith("DIR=")) dir = QString::fromUtf8(line.mid(4));
        QStringList command{qEnvironmentVariable("PG_BINDIR", QStringLiteral(PG_BINDIR)) + "/pg_ctl", "-D", dir + "/data", "-l", dir + "/server.log", "-w", "-m", "fast",
                            "-o", "-c listen_addresses='' -c unix_socket_directories='" + dir + "'", "restart"};
        if (::geteuid() == 0) command = QStringList{"-u", "postgres", "--"} + command;
        QProcess p;
        p.start(::geteuid() == 0 ? QStringLiteral("runuser") : command.takeFirst(), command);
        p.waitForFinished(120000);
        if (p.exitCode() != 0) fail("cannot restart the server with fsync: " + QString::fromUtf8(p.readAllStandardError()).toStdString());
    }
    const std::string schema = small ? "bench_small" : "bench_1m_v1";
    const std::string uri = base + (base.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema;
    {
        Pg pg(base);
        std::printf("server: %s, fsync %s, synchronous_commit %s (the engine asks for on)\n",
                    ownServer ? "private (scripts/pg-test-server.sh)" : "$TAMAREL_BENCH_PG", pg.value("SHOW fsync").c_str(),
                    pg.value("SHOW synchronous_commit").c_str());
        const bool loaded = !small && !ownServer &&
                            !pg.value("SELECT 1 FROM pg_tables WHERE schemaname = '" + schema + "' AND tablename = 'LOADED'").empty();
        if (loaded) {
            std::printf("  the data set is already loaded (schema %s)\n", schema.c_str());
        } else {
            pg.value("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
            pg.value("CREATE SCHEMA " + schema);
            loadServer(uri, folder);
            pg.value("CREATE TABLE " + schema + ".\"LOADED\" ()");
        }
    }

    Figures files, server;
    const QString work = temp.path() + QStringLiteral("/work/");
    copyFolder(folder, work);
    std::printf("board reload (LoadStays, %d days), median wall time of %d; %d composed changes (check-in, check-out)\n",
                kDays, iterations, changes);
    std::fflush(stdout);
    {
        TdmDataModule dm(work);
        measure(dm, positions, iterations, files);
        runChanges(dm, staysToMove(dm, changes / 2), changes, files);
    }
    {
        TdmDataModule dm(QString::fromStdString(uri));
        measure(dm, positions, iterations, server);
        runChanges(dm, staysToMove(dm, changes / 2), changes, server);
    }
    const char* names[] = {"start", "middle", "end"};
    for (int p = 0; p < 3; ++p)
        std::printf("  reload at the %-6s (%s): files %.2f ms, server %.2f ms, %d / %d stays listed -> server/files %.2f\n",
                    names[p], qPrintable(shell::DateText(double(positions[p]))), files.reload[p], server.reload[p],
                    files.listed[p], server.listed[p], files.reload[p] > 0 ? server.reload[p] / files.reload[p] : 0.0);
    std::printf("  composed change (median of blocks of 100): files %.2f ms, server %.2f ms -> server/files %.2f "
                "(all %d: files %.1f s, server %.1f s)\n",
                files.change, server.change, files.change > 0 ? server.change / files.change : 0.0, changes,
                files.changesTotal, server.changesTotal);
    if (ownServer) runScript(script, QStringLiteral("stop"), state);
    return 0;
}
