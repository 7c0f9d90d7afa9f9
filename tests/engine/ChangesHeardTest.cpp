// Other programs' changes heard on a server: which tables a write names, that a program does
// not hear itself, the triggers on tables made before, a lost listening connection, and table
// files (which hear nothing). "Another program" is a second Database: its connections are
// not this Database's own.
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <set>
#include <thread>

using enginetest::dump;
using enginetest::filledDb;
using enginetest::serverUri;
using enginetest::Storage;
using enginetest::TestDb;
using enginetest::withDb;

namespace {

using Tables = std::set<std::string>;

// Runs one statement on the test server outside the engine; returns the first value.
std::string raw(const std::string& uri, const std::string& sql) {
    PGconn* c = PQconnectdb(uri.c_str());
    PGresult* r = PQexec(c, sql.c_str());
    const auto st = PQresultStatus(r);
    std::string out = st == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
    const std::string msg = PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
    if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) throw std::runtime_error(sql + ": " + msg);
    return out;
}

// What `listener` hears until it hears `until` (at most `wait`), `until` included.
Tables hearUntil(engine::Database& listener, const std::string& until,
                 std::chrono::milliseconds wait = std::chrono::seconds(10)) {
    Tables heard;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (!heard.count(until) && std::chrono::steady_clock::now() < end) {
        for (auto& t : listener.changedTables()) heard.insert(t);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return heard;
}

// The listener is listening once it hears another program's write to the rates.
void startListening(engine::Database& listener, engine::Database& other, const std::string& prefix) {
    EXPECT_TRUE(listener.changedTables().empty()) << "the first call only starts listening";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    Tables heard;
    while (!heard.count("KURZY") && std::chrono::steady_clock::now() < end) {
        other.execute(withDb(R"(UPDATE "{db}KURZY.DB" SET CRR=CRR WHERE 0=1)", prefix));
        heard = hearUntil(listener, "KURZY", std::chrono::milliseconds(200));
    }
    ASSERT_EQ(heard, Tables{"KURZY"});
}

// A write of `who` that the listener should (or should not) hear, then another program's
// write of the rates as a marker: notifications come in commit order, so by the marker all
// of the case's have come.
struct HeardCase {
    const char* what;
    bool byOther;
    std::function<void(engine::Database&, const std::string&)> write;
    Tables heard;  // besides the marker
};

void book(engine::Database& db, const std::string& p) {
    db.execute(withDb(R"(INSERT INTO "{db}POBYTY.DB" (KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (1, "2", "1.4.2004", "3.4.2004", "D"))", p));
}
void checkIn(engine::Database& db, const std::string& p) {
    auto change = db.beginChange({p + "POBYTY.DB", p + "UCTY.DB", p + "KARTY.DB"});
    change->execute(withDb(R"(INSERT INTO "{db}UCTY.DB" (KID, PKID, UFROM) VALUES (1, 1, "1.4.2004"))", p));
    change->execute(withDb(R"(UPDATE "{db}POBYTY.DB" SET STATUS="H" WHERE BID=1)", p));
    change->commit();
}

const HeardCase kCases[] = {
    {"a booking", true, book, {"POBYTY"}},
    {"a check-in over three tables, one untouched", true, checkIn, {"POBYTY", "UCTY"}},
    {"a client's card", true, [](engine::Database& db, const std::string& p) {
         db.execute(withDb(R"(UPDATE "{db}KARTY.DB" SET COMMENT="vip" WHERE KID=1)", p));
     }, {"KARTY"}},
    {"a removed room", true, [](engine::Database& db, const std::string& p) {
         db.execute(withDb(R"(DELETE FROM "{db}POKOJE.DB" WHERE PID="3")", p));
     }, {"POKOJE"}},
    // Statement triggers: a write that matched no row is heard as well.
    {"an update of no row", true, [](engine::Database& db, const std::string& p) {
         db.execute(withDb(R"(UPDATE "{db}POBYTY.DB" SET NUMPERS=1 WHERE BID=-1)", p));
     }, {"POBYTY"}},
    {"a change rolled back", true, [](engine::Database& db, const std::string& p) {
         auto change = db.beginChange({p + "POBYTY.DB"});
         change->execute(withDb(R"(DELETE FROM "{db}POBYTY.DB")", p));
     }, {}},
    {"its own booking", false, book, {}},
    {"its own check-in", false, checkIn, {}},
    {"its own removal of a client", false, [](engine::Database& db, const std::string& p) {
         db.execute(withDb(R"(DELETE FROM "{db}KARTY.DB" WHERE KID=2)", p));
     }, {}},
};

}  // namespace

TEST(ChangesHeardOnServer, OtherProgramsWritesNameTheirTablesOwnWritesAreNotHeard) {
    const TestDb t = filledDb(Storage::Server);
    engine::Database listener(t.location), other(t.location);
    startListening(listener, other, t.prefix);
    for (const HeardCase& c : kCases) {
        c.write(c.byOther ? other : listener, t.prefix);
        other.execute(withDb(R"(UPDATE "{db}KURZY.DB" SET CRR=CRR WHERE 0=1)", t.prefix));
        Tables expected = c.heard;
        expected.insert("KURZY");
        EXPECT_EQ(hearUntil(listener, "KURZY"), expected) << c.what;
    }
}

// Tables made before (by an older program, or by hand) get the trigger when a program
// connects, also when several connect at once; each table has it once.
TEST(ChangesHeardOnServer, TablesMadeBeforeGetTheTriggerWhenProgramsConnectAtOnce) {
    const TestDb t = filledDb(Storage::Server);
    raw(t.location, "CREATE TABLE \"OLDER\" (\"ID\" integer PRIMARY KEY, \"TXT\" varchar)");
    raw(t.location, "DROP TRIGGER tm_notify ON \"POBYTY\"");
    std::vector<std::thread> programs;
    std::vector<std::string> failures(4);
    for (int i = 0; i < 4; ++i)
        programs.emplace_back([&, i] {
            try {
                engine::Database db(t.location);
                db.open(R"(SELECT * FROM "POKOJE.DB")");
            } catch (const std::exception& e) {
                failures[static_cast<size_t>(i)] = e.what();
            }
        });
    for (auto& p : programs) p.join();
    for (const auto& f : failures) EXPECT_EQ(f, "");
    EXPECT_EQ(raw(t.location, "SELECT string_agg(c.relname || ':' || n, ',' ORDER BY c.relname) FROM "
                              "(SELECT tgrelid, count(*) AS n FROM pg_trigger WHERE tgname = 'tm_notify' GROUP BY tgrelid) g "
                              "JOIN pg_class c ON c.oid = g.tgrelid WHERE c.relname IN ('OLDER', 'POBYTY') AND pg_table_is_visible(c.oid)"),
              "OLDER:1,POBYTY:1");
    engine::Database listener(t.location), other(t.location);
    startListening(listener, other, t.prefix);
    other.execute(R"(INSERT INTO "OLDER.DB" (ID, TXT) VALUES (1, "a"))");
    book(other, t.prefix);
    other.execute(R"(UPDATE "KURZY.DB" SET CRR=CRR WHERE 0=1)");
    EXPECT_EQ(hearUntil(listener, "KURZY"), (Tables{"KURZY", "OLDER", "POBYTY"}));
}

// The server drops the listening connection: the program makes it again by itself and then
// reports every table it has used (changes meanwhile went unheard), and hears on after that.
TEST(ChangesHeardOnServer, ALostListeningConnectionIsMadeAgainAndReportsTheTablesInUse) {
    const TestDb t = filledDb(Storage::Server);
    engine::Database listener(t.location), other(t.location);
    listener.open(R"(SELECT * FROM "POBYTY.DB")");
    listener.open(R"(SELECT * FROM "KARTY.DB")");
    startListening(listener, other, t.prefix);
    EXPECT_EQ(raw(t.location, "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE application_name = "
                              "'tamarel listener " + std::to_string(::getpid()) + "'"),
              "1");
    book(other, t.prefix);  // unheard: nobody listens
    // Reported once the connection is back (after a pause of some seconds).
    EXPECT_EQ(hearUntil(listener, "POBYTY"), (Tables{"KARTY", "POBYTY"}));
    other.execute(withDb(R"(UPDATE "{db}POKOJE.DB" SET PNAME=PNAME WHERE PID="1")", t.prefix));
    EXPECT_EQ(hearUntil(listener, "POKOJE"), Tables{"POKOJE"});
}

// Table files hear nothing: a program there sees others' changes when it reads again.
TEST(ChangesHeard, OnTableFilesNothingIsReported) {
    const TestDb t = filledDb(Storage::Files);
    engine::Database listener(t.location), other(t.location);
    EXPECT_TRUE(listener.changedTables().empty());
    book(other, t.prefix);
    EXPECT_TRUE(listener.changedTables().empty());
    EXPECT_EQ(dump(listener, withDb(R"(SELECT count(*) FROM "{db}POBYTY.DB" WHERE DATEFROM="1.4.2004")", t.prefix)), "1");
}
