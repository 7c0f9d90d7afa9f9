// Engine benchmarks. Each figure is printed beside a baseline measured in the same run on the
// same files (SQLite used directly with prepared statements), as a ratio.
//
//  1. The board's three stay queries (with client card, without, card no longer there) over a
//     21-day window of a large POBYTY (default 1,000,000 stays, 300 rooms, 10 years), reading
//     every row and every field as its own type (integer, number or text) on both sides, so
//     neither side pays for number formatting the other skips.
//  2. Composed INSERT and UPDATE texts of the kinds the program writes (reservation insert and
//     update, account item insert), against prepared statements doing the same changes.
//
// Options: --stays=N --clients=N --inserts=N --autocommit=N --repeat=N --data=DIR --small
// The large folder is generated once and cached in --data (default bench-data/large beside
// the executable's build folder).

#include "Core.h"
#include "Engine.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <time.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    long stays = 1'000'000;
    long clients = 100'000;
    long inserts = 10'000;
    long autocommit = 100;
    int repeat = 30;
    std::string data;
    bool proposedIndexes = true;
};

constexpr int kRooms = 300;
// The board's window: 21 days from 1.6.2024; stays span ten years ending two months after it.
const std::int64_t kWindowStart = engine::dayNumber(2024, 6, 1);
const std::int64_t kDataEnd = kWindowStart + 60;
const std::int64_t kDataStart = kDataEnd - 3652;

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(2);
    }
}

std::string tablesSql(const std::string& folder) {
    std::ifstream in(std::string(TAMAREL_SOURCE_DIR) + "/data/tables.sql");
    std::stringstream ss;
    ss << in.rdbuf();
    std::string all = ss.str();
    for (size_t p; (p = all.find("{db}")) != std::string::npos;) all.replace(p, 4, folder);
    return all;
}

void createTables(engine::Database& db, const std::string& folder) {
    std::istringstream in(tablesSql(folder));
    std::string line, st;
    while (std::getline(in, line)) {
        if (line.rfind("--", 0) == 0) continue;
        st += line + "\n";
        if (!line.empty() && line.back() == ';') {
            db.execute(st);
            st.clear();
        }
    }
}

// Writes the large folder through SQLite directly (same table definitions, same encodings).
void generate(const Options& o, const std::string& folder) {
    const std::string marker = folder + "generated-" + std::to_string(o.stays) + "-" + std::to_string(o.clients) +
                               (o.proposedIndexes ? "-proposed" : "-tables") + "-v2.ok";
    if (fs::exists(marker)) return;
    std::printf("generating %ld stays, %ld clients in %s ...\n", o.stays, o.clients, folder.c_str());
    std::fflush(stdout);
    fs::remove_all(folder);
    fs::create_directories(folder);
    {
        engine::Database db(folder);
        createTables(db, folder);
    }
    std::mt19937_64 rng(42);
    auto fill = [&](const char* file, const std::function<void(sqlite3*)>& body) {
        sqlite3* db = nullptr;
        check(sqlite3_open((folder + file).c_str(), &db), db, "open");
        check(sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr), db, "begin");
        body(db);
        check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
        sqlite3_close(db);
    };
    fill("POKOJE.DB", [&](sqlite3* db) {
        sqlite3_stmt* st;
        sqlite3_prepare_v2(db, "INSERT INTO POKOJE (PID,PNAME,PPRICE,MAIDPRICE,PCOLOR) VALUES (?1,?2,50,10,255)", -1, &st, nullptr);
        for (int r = 0; r < kRooms; ++r) {
            const std::string pid = std::to_string(100 + r), name = "Room " + pid;
            sqlite3_bind_text(st, 1, pid.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            check(sqlite3_step(st), db, "room");
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    });
    static const char* const surnames[] = {"Novák", "Svoboda", "Dvořák", "Černý", "Procházka", "Smith", "Müller", "O'Brien"};
    static const char* const names[] = {"Jan", "Petr", "Eva", "Jana", "John", "Anna", "Karel", "Marie"};
    fill("KARTY.DB", [&](sqlite3* db) {
        sqlite3_stmt* st;
        sqlite3_prepare_v2(db, "INSERT INTO KARTY (SURNAME,NAME,TITLE,CITY,PASSPORT) VALUES (?1,?2,?3,'Praha',?4)", -1, &st, nullptr);
        for (long k = 0; k < o.clients; ++k) {
            const std::string surname = std::string(surnames[rng() % 8]) + std::to_string(k % 997);
            const std::string passport = "P" + std::to_string(k);
            sqlite3_bind_text(st, 1, surname.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, names[rng() % 8], -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 3, rng() % 4 == 0 ? "Mr" : "", -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 4, passport.c_str(), -1, SQLITE_TRANSIENT);
            check(sqlite3_step(st), db, "client");
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    });
    fill("POBYTY.DB", [&](sqlite3* db) {
        sqlite3_stmt* st;
        sqlite3_prepare_v2(db,
                           "INSERT INTO POBYTY (KID,PID,DATEFROM,DATETHRU,STATUS,NUMPERS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,"
                           "BOOKEDFOR,UID,USR,UPMJ,UPMT) VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,'',?3,32700)",
                           -1, &st, nullptr);
        static const char* const statuses[] = {"O", "O", "O", "H", "R", "P", "X"};
        // Stays are entered when they are booked (up to 90 days ahead), so row order follows
        // the calendar loosely, as in a hotel's real table.
        std::vector<std::pair<std::int64_t, std::int64_t>> order;  // booking day, arrival
        order.reserve(static_cast<size_t>(o.stays));
        for (long i = 0; i < o.stays; ++i) {
            const std::int64_t from = kDataStart + static_cast<std::int64_t>(rng() % static_cast<unsigned long>(kDataEnd - kDataStart));
            order.emplace_back(from - static_cast<std::int64_t>(rng() % 91), from);
        }
        std::sort(order.begin(), order.end());
        for (long i = 0; i < o.stays; ++i) {
            const std::int64_t from = order[static_cast<size_t>(i)].second;
            const std::int64_t nights = 1 + static_cast<std::int64_t>(rng() % 7) + (rng() % 4 == 0 ? static_cast<std::int64_t>(rng() % 8) : 0);
            const bool walkIn = rng() % 10 < 3;
            const std::int64_t kid = walkIn ? 0 : 1 + static_cast<std::int64_t>(rng() % static_cast<unsigned long>(o.clients));
            const std::string pid = std::to_string(100 + rng() % kRooms);
            const double eur = 40.0 * static_cast<double>(nights) + static_cast<double>(rng() % 100) / 4;
            sqlite3_bind_int64(st, 1, kid);
            sqlite3_bind_text(st, 2, pid.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 3, from);
            sqlite3_bind_int64(st, 4, from + nights);
            sqlite3_bind_text(st, 5, walkIn ? "X" : statuses[rng() % 6], -1, SQLITE_STATIC);
            sqlite3_bind_int64(st, 6, 1 + static_cast<std::int64_t>(rng() % 3));
            sqlite3_bind_double(st, 7, eur);
            sqlite3_bind_double(st, 8, eur * 25.1);
            sqlite3_bind_double(st, 9, 10.0 * static_cast<double>(nights));
            sqlite3_bind_double(st, 10, 251.0 * static_cast<double>(nights));
            sqlite3_bind_text(st, 11, walkIn ? "Walk-in guest" : "", -1, SQLITE_STATIC);
            sqlite3_bind_int64(st, 12, static_cast<std::int64_t>(i / 3));
            check(sqlite3_step(st), db, "stay");
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    });
    if (o.proposedIndexes) {
        // The board's OR of three date ranges: the spanning term is read from an index that
        // also holds DATEFROM, and no KID index lures "KID=0 or KID is null" into a scan of
        // every stay without a client.
        sqlite3* db = nullptr;
        check(sqlite3_open((folder + "POBYTY.DB").c_str(), &db), db, "open");
        check(sqlite3_exec(db, "DROP INDEX IF EXISTS POBYTY_KID; DROP INDEX IF EXISTS POBYTY_DATETHRU; "
                               "CREATE INDEX POBYTY_DATETHRU ON POBYTY (DATETHRU, DATEFROM)", nullptr, nullptr, nullptr),
              db, "indexes");
        sqlite3_close(db);
    }
    std::ofstream(marker) << "ok\n";
}

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, double engineMs, double directMs, const char* unit = "ms") {
    std::printf("%-46s engine %9.3f %s   direct SQLite %9.3f %s   ratio %.2f\n", what, engineMs, unit, directMs, unit,
                directMs > 0 ? engineMs / directMs : 0.0);
}

enum class BoardQuery { WithClients, WithoutClients, LostClients };

std::string boardQuery(BoardQuery which, const std::string& folder, const std::string& d1, const std::string& d2) {
    const std::string dates = "((DATEFROM<\"" + d1 + "\" and DATETHRU>\"" + d2 + "\") OR  (DATEFROM>=\"" + d1 +
                              "\" and DATEFROM<=\"" + d2 + "\") OR  (DATETHRU>=\"" + d1 + "\" and DATETHRU<=\"" + d2 + "\"))";
    if (which == BoardQuery::LostClients)
        return "SELECT BID,UID,KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NUMPERS FROM \"" + folder +
               "POBYTY.DB\" AS POB WHERE " + dates + " AND (KID<>0) AND (KID NOT IN (SELECT KID FROM \"" + folder + "KARTY.DB\"))";
    if (which == BoardQuery::WithClients)
        return "SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,"
               "NUMPERS  FROM \"" + folder + "POBYTY.DB\" AS POB, \"" + folder + "KARTY.DB\" AS KAR WHERE " + dates +
               " AND (POB.KID=KAR.KID)";
    return "SELECT BID,UID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS FROM \"" + folder +
           "POBYTY.DB\" AS POB WHERE " + dates + " AND (KID=0 or KID is null)";
}

std::string directBoardQuery(BoardQuery which) {
    const std::string dates = "((DATEFROM<?1 and DATETHRU>?2) OR  (DATEFROM>=?1 and DATEFROM<=?2) OR  (DATETHRU>=?1 and DATETHRU<=?2))";
    if (which == BoardQuery::LostClients)
        return "SELECT BID,UID,KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NUMPERS FROM main.POBYTY AS POB "
               "WHERE " + dates + " AND (KID<>0) AND (KID NOT IN (SELECT KID FROM k.KARTY))";
    if (which == BoardQuery::WithClients)
        return "SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,"
               "NUMPERS FROM main.POBYTY AS POB, k.KARTY AS KAR WHERE " + dates + " AND (POB.KID=KAR.KID)";
    return "SELECT BID,UID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS FROM main.POBYTY AS "
           "POB WHERE " + dates + " AND (KID=0 or KID is null)";
}

void benchBoard(const Options& o, const std::string& folder) {
    std::printf("\n[board] %ld stays, window %s .. +21 days, %d runs each (median), indexes: %s\n", o.stays,
                engine::displayText(kWindowStart, engine::FieldType::Date).c_str(), o.repeat,
                o.proposedIndexes ? "proposed (POBYTY_DATETHRU on DATETHRU,DATEFROM; no POBYTY_KID)" : "as in data/tables.sql");
    const std::string d1 = engine::displayText(kWindowStart, engine::FieldType::Date);
    const std::string d2 = engine::displayText(kWindowStart + 22, engine::FieldType::Date);
    engine::Database db(folder);
    sqlite3* direct = nullptr;
    check(sqlite3_open_v2((folder + "POBYTY.DB").c_str(), &direct, SQLITE_OPEN_READWRITE, nullptr), direct, "open");
    check(sqlite3_exec(direct, ("ATTACH DATABASE '" + folder + "KARTY.DB' AS k").c_str(), nullptr, nullptr, nullptr), direct, "attach");
    // The same page cache the engine gives each table file.
    sqlite3_exec(direct, "PRAGMA main.cache_size=-16384; PRAGMA k.cache_size=-16384", nullptr, nullptr, nullptr);
    std::size_t sink = 0;
    const struct {
        BoardQuery which;
        const char* wall;
        const char* cpu;
    } queries[] = {
        {BoardQuery::WithClients, "LoadStays stays with clients (wall)", "LoadStays stays with clients (CPU)"},
        {BoardQuery::WithoutClients, "LoadStays stays without clients (wall)", "LoadStays stays without clients (CPU)"},
        {BoardQuery::LostClients, "LoadStays stays with lost cards (wall)", "LoadStays stays with lost cards (CPU)"},
    };
    double totalE = 0, totalD = 0;
    for (const auto& query : queries) {
        const std::string text = boardQuery(query.which, folder, d1, d2);
        sqlite3_stmt* st = nullptr;
        check(sqlite3_prepare_v2(direct, directBoardQuery(query.which).c_str(), -1, &st, nullptr), direct, "prepare");
        std::vector<double> e, d, ec, dc;
        long rowsE = 0, rowsD = 0;
        for (int r = 0; r < o.repeat + 2; ++r) {
            double c0 = cpuMs();
            auto t = Clock::now();
            auto q = db.open(text);
            const int n = static_cast<int>(q->fields().size());
            rowsE = 0;
            while (q->next()) {
                ++rowsE;
                for (int i = 0; i < n; ++i) {
                    const engine::Value v = q->value(i);
                    if (const auto* whole = std::get_if<std::int64_t>(&v)) sink += static_cast<std::size_t>(*whole);
                    else if (const auto* real = std::get_if<double>(&v)) sink += static_cast<std::size_t>(*real);
                    else if (const auto* chars = std::get_if<std::string>(&v)) sink += chars->size();
                }
            }
            q.reset();
            const double em = msSince(t);
            const double ecpu = cpuMs() - c0;
            c0 = cpuMs();
            t = Clock::now();
            sqlite3_bind_int64(st, 1, kWindowStart);
            sqlite3_bind_int64(st, 2, kWindowStart + 22);
            rowsD = 0;
            const int cols = sqlite3_column_count(st);
            while (sqlite3_step(st) == SQLITE_ROW) {
                ++rowsD;
                for (int i = 0; i < cols; ++i) {
                    switch (sqlite3_column_type(st, i)) {
                    case SQLITE_INTEGER: sink += static_cast<std::size_t>(sqlite3_column_int64(st, i)); break;
                    case SQLITE_FLOAT: sink += static_cast<std::size_t>(sqlite3_column_double(st, i)); break;
                    case SQLITE_TEXT:
                        sqlite3_column_text(st, i);
                        sink += static_cast<std::size_t>(sqlite3_column_bytes(st, i));
                        break;
                    default: break;
                    }
                }
            }
            sqlite3_reset(st);
            const double dm = msSince(t);
            const double dcpu = cpuMs() - c0;
            if (r >= 2) {  // the first runs warm the caches
                e.push_back(em);
                d.push_back(dm);
                ec.push_back(ecpu);
                dc.push_back(dcpu);
            }
        }
        sqlite3_finalize(st);
        if (rowsE != rowsD) std::printf("  ROW COUNT MISMATCH: engine %ld, direct %ld\n", rowsE, rowsD);
        report(query.wall, median(e), median(d));
        report(query.cpu, median(ec), median(dc));
        std::printf("  rows %ld, target: engine wall time under 20 ms and at most 1.3x direct\n", rowsE);
        totalE += median(e);
        totalD += median(d);
    }
    report("LoadStays, all three queries (wall)", totalE, totalD);
    sqlite3_close(direct);
    if (sink == 42) std::puts("");
}

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%12.*f", decimals, v);
    return buf;
}

// Composed statement texts as the reservation dialog and the room detail write them.
struct Change {
    std::string text;
    int kind;  // 0 reservation insert, 1 reservation update, 2 account item insert
    std::int64_t kid, bid, uid, from, thru, persons;
    std::string pid, bookedFor;
    double eur;
};

std::vector<Change> makeChanges(long n, std::int64_t maxBid, const std::string& folder) {
    std::mt19937_64 rng(7);
    std::vector<Change> out;
    out.reserve(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        Change c;
        c.kind = static_cast<int>(i % 3);
        c.kid = static_cast<std::int64_t>(rng() % 1000);
        c.bid = 1 + static_cast<std::int64_t>(rng() % static_cast<unsigned long>(std::max<std::int64_t>(maxBid, 1)));
        c.uid = 1 + static_cast<std::int64_t>(rng() % 5000);
        c.from = kWindowStart + static_cast<std::int64_t>(rng() % 300);
        c.thru = c.from + 1 + static_cast<std::int64_t>(rng() % 10);
        c.persons = 1 + static_cast<std::int64_t>(rng() % 3);
        c.pid = std::to_string(100 + rng() % kRooms);
        c.bookedFor = "Guest " + std::to_string(i);
        c.eur = static_cast<double>(rng() % 100000) / 100;
        const std::string from = engine::displayText(c.from, engine::FieldType::Date);
        const std::string thru = engine::displayText(c.thru, engine::FieldType::Date);
        const std::string today = "5.3.2024", now = "9:5:7";
        const std::string db = folder;
        switch (c.kind) {
        case 0:
            c.text = "INSERT INTO \"" + db + "POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS,  BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK,  BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (" +
                     std::to_string(c.kid) + ", \"" + c.pid + "\", \"" + from + "\", \"" + thru + "\", \"P\", \"" + from + "\", " +
                     std::to_string(c.persons) + ", \"0\", " + fixed(c.eur, 2) + ", " + fixed(c.eur * 25.1, 2) + ", " + fixed(10, 2) +
                     ", " + fixed(251, 2) + ", \"" + c.bookedFor + "\", \" \", \" \", \"\", \"" + today + "\", \"" + now + "\")";
            break;
        case 1:
            c.text = "UPDATE \"" + db + "POBYTY.DB\" SET  KID=" + std::to_string(c.kid) + ", PID=\"" + c.pid + "\", DATEFROM=\"" + from +
                     "\", DATETHRU=\"" + thru + "\", STATUS=\"R\",   PRTHRU=\"" + from + "\", NUMPERS=" + std::to_string(c.persons) +
                     ", BUSINESS=\"0\", PRICEEUR=" + fixed(c.eur, 2) + ", PRICECZK=" + fixed(c.eur * 25.1, 2) + ", MAIDEUR=" +
                     fixed(10, 2) + ", MAIDCZK=" + fixed(251, 2) + ", BOOKEDFOR=\"" + c.bookedFor +
                     "\", BOOKEDKNFR=\" \",   DISCOUNT=\" \", USR=\"\", UPMJ=\"" + today + "\", UPMT=\"" + now +
                     "\" WHERE BID=" + std::to_string(c.bid);
            break;
        default:
            c.text = "INSERT INTO \"" + db + "UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (" +
                     std::to_string(c.uid) + ", \"" + c.pid + "\", 3, \"Minibar\", \"" + from + "\", " + fixed(c.eur, 2) + ", " +
                     fixed(c.eur * 25.1, 2) + ", 21, 25.1000, \"\", \"" + today + "\", \"" + now + "\")";
            break;
        }
        out.push_back(std::move(c));
    }
    return out;
}

void runDirect(sqlite3* db, sqlite3_stmt* const* st, const Change& c) {
    sqlite3_stmt* s = st[c.kind];
    const double czk = std::stod(fixed(c.eur * 25.1, 2));
    const std::int64_t today = engine::dayNumber(2024, 3, 5);
    if (c.kind == 0 || c.kind == 1) {
        sqlite3_bind_int64(s, 1, c.kid);
        sqlite3_bind_text(s, 2, c.pid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 3, c.from);
        sqlite3_bind_int64(s, 4, c.thru);
        sqlite3_bind_int64(s, 5, c.persons);
        sqlite3_bind_double(s, 6, c.eur);
        sqlite3_bind_double(s, 7, czk);
        sqlite3_bind_text(s, 8, c.bookedFor.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 9, today);
        if (c.kind == 1) sqlite3_bind_int64(s, 10, c.bid);
    } else {
        sqlite3_bind_int64(s, 1, c.uid);
        sqlite3_bind_text(s, 2, c.pid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 3, c.from);
        sqlite3_bind_double(s, 4, c.eur);
        sqlite3_bind_double(s, 5, czk);
        sqlite3_bind_int64(s, 6, today);
    }
    check(sqlite3_step(s), db, "direct change");
    sqlite3_reset(s);
}

void benchChanges(const Options& o, const std::string& base) {
    // Two copies of a small folder, one per side, so both make the same changes.
    const std::string engineFolder = base + "changes-engine/", directFolder = base + "changes-direct/";
    for (const auto& f : {engineFolder, directFolder}) {
        fs::remove_all(f);
        fs::create_directories(f);
        engine::Database db(f);
        createTables(db, f);
        sqlite3* s = nullptr;
        sqlite3_open((f + "POBYTY.DB").c_str(), &s);
        sqlite3_exec(s, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < 2000; ++i)
            sqlite3_exec(s, "INSERT INTO POBYTY (KID,PID,DATEFROM,DATETHRU,STATUS) VALUES (1,'100',45000,45003,'P')", nullptr, nullptr, nullptr);
        sqlite3_exec(s, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(s);
    }
    const std::vector<Change> changes = makeChanges(o.inserts, 2000, engineFolder);
    const std::vector<Change> autoChanges = makeChanges(o.autocommit, 2000, engineFolder);

    engine::Database db(engineFolder);
    sqlite3* direct = nullptr;
    check(sqlite3_open((directFolder + "POBYTY.DB").c_str(), &direct), direct, "open");
    check(sqlite3_exec(direct, ("ATTACH DATABASE '" + directFolder + "UCTYPOL.DB' AS u").c_str(), nullptr, nullptr, nullptr), direct, "attach");
    sqlite3_stmt* st[3];
    check(sqlite3_prepare_v2(direct, "INSERT INTO main.POBYTY (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS, BUSINESS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, BOOKEDFOR, BOOKEDKNFR, DISCOUNT, USR, UPMJ, UPMT) VALUES (?1, ?2, ?3, ?4, 'P', ?3, ?5, '0', ?6, ?7, 10, 251, ?8, ' ', ' ', '', ?9, 32707)", -1, &st[0], nullptr), direct, "p0");
    check(sqlite3_prepare_v2(direct, "UPDATE main.POBYTY SET KID=?1, PID=?2, DATEFROM=?3, DATETHRU=?4, STATUS='R', PRTHRU=?3, NUMPERS=?5, BUSINESS='0', PRICEEUR=?6, PRICECZK=?7, MAIDEUR=10, MAIDCZK=251, BOOKEDFOR=?8, BOOKEDKNFR=' ', DISCOUNT=' ', USR='', UPMJ=?9, UPMT=32707 WHERE BID=?10", -1, &st[1], nullptr), direct, "p1");
    check(sqlite3_prepare_v2(direct, "INSERT INTO u.UCTYPOL (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, UPMT) VALUES (?1, ?2, 3, 'Minibar', ?3, ?4, ?5, 21, 25.1, '', ?6, 32707)", -1, &st[2], nullptr), direct, "p2");

    // Warm up: every shape once, so the engine has its tables attached before the transaction.
    for (int k = 0; k < 3 && k < static_cast<int>(changes.size()); ++k) {
        db.execute(changes[static_cast<size_t>(k)].text);
        runDirect(direct, st, changes[static_cast<size_t>(k)]);
    }

    std::printf("\n[changes] %ld composed statements (reservation insert/update, account item insert)\n", o.inserts);
    // In one transaction on each side: what the engine adds (reading, translating, binding).
    sqlite3* engineConn = db.impl().core->db();
    sqlite3_exec(engineConn, "BEGIN", nullptr, nullptr, nullptr);
    auto t = Clock::now();
    for (size_t i = 3; i < changes.size(); ++i) db.execute(changes[i].text);
    sqlite3_exec(engineConn, "COMMIT", nullptr, nullptr, nullptr);
    const double em = msSince(t);
    sqlite3_exec(direct, "BEGIN", nullptr, nullptr, nullptr);
    t = Clock::now();
    for (size_t i = 3; i < changes.size(); ++i) runDirect(direct, st, changes[i]);
    sqlite3_exec(direct, "COMMIT", nullptr, nullptr, nullptr);
    const double dm = msSince(t);
    const double n = static_cast<double>(changes.size() - 3);
    report("per statement, one transaction (us)", em * 1000 / n, dm * 1000 / n, "us");
    report("all statements, one transaction", em, dm);

    // As the program runs them: each statement its own durable transaction.
    t = Clock::now();
    for (const auto& c : autoChanges) db.execute(c.text);
    const double ea = msSince(t);
    t = Clock::now();
    for (const auto& c : autoChanges) runDirect(direct, st, c);
    const double da = msSince(t);
    const double na = static_cast<double>(std::max<size_t>(autoChanges.size(), 1));
    report(("per statement, autocommit x" + std::to_string(autoChanges.size()) + " (ms)").c_str(), ea / na, da / na);

    for (auto* s : st) sqlite3_finalize(s);
    sqlite3_close(direct);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    fs::path exe = fs::absolute(argv[0]).parent_path();
    o.data = (exe.parent_path() / "bench-data" / "large").string();
    bool smallRun = false, dataGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto val = [&](const char* key) -> const char* {
            const std::string k = std::string(key) + "=";
            return a.rfind(k, 0) == 0 ? a.c_str() + k.size() : nullptr;
        };
        if (a == "--small") {
            smallRun = true;
        } else if (const char* v = val("--stays")) {
            o.stays = std::atol(v);
        } else if (const char* v2 = val("--clients")) {
            o.clients = std::atol(v2);
        } else if (const char* v3 = val("--inserts")) {
            o.inserts = std::atol(v3);
        } else if (const char* v4 = val("--autocommit")) {
            o.autocommit = std::atol(v4);
        } else if (const char* v5 = val("--repeat")) {
            o.repeat = std::max(1, std::atoi(v5));
        } else if (a == "--indexes=tables") {
            o.proposedIndexes = false;
        } else if (a == "--indexes=proposed") {
            o.proposedIndexes = true;
        } else if (const char* v6 = val("--data")) {
            o.data = v6;
            dataGiven = true;
        } else {
            std::fprintf(stderr, "usage: %s [--small] [--stays=N] [--clients=N] [--inserts=N] [--autocommit=N] [--repeat=N] [--data=DIR] [--indexes=proposed|tables]\n", argv[0]);
            return 1;
        }
    }
    if (smallRun) {
        o.stays = std::min(o.stays, 20'000L);
        o.clients = std::min(o.clients, 2'000L);
        o.inserts = std::min(o.inserts, 300L);
        o.autocommit = std::min(o.autocommit, 5L);
        o.repeat = std::min(o.repeat, 3);
        if (!dataGiven) o.data = (fs::path(o.data).parent_path() / "small").string();
    }
    if (!dataGiven && !o.proposedIndexes) {
        o.data += "-tables";
    }
    std::string folder = o.data;
    if (folder.back() != '/') folder += '/';
    try {
        generate(o, folder);
        benchBoard(o, folder);
        benchChanges(o, (fs::path(folder).parent_path().parent_path() / "").string());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
