// What only the server storage has: table names without folders, the column types an
// administrator sees, and a server that cannot be reached.
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <unistd.h>

using enginetest::dump;
using enginetest::filledDb;
using enginetest::Storage;
using enginetest::TestDb;

namespace {

// Rows of a catalog query run straight on the server, fields joined by ',', rows by ';'.
std::string serverRows(const std::string& uri, const std::string& sql) {
    PGconn* c = PQconnectdb(uri.c_str());
    PGresult* r = PQexec(c, sql.c_str());
    std::string out;
    if (PQresultStatus(r) != PGRES_TUPLES_OK) out = std::string("error: ") + PQresultErrorMessage(r);
    for (int i = 0; PQresultStatus(r) == PGRES_TUPLES_OK && i < PQntuples(r); ++i)
        for (int j = 0; j < PQnfields(r); ++j) out += std::string(j ? "," : (i ? ";" : "")) + PQgetvalue(r, i, j);
    PQclear(r);
    PQfinish(c);
    return out;
}

TEST(Server, ATableFileNameNamesTheTableOfItsStem) {
    const TestDb t = filledDb(Storage::Server);
    engine::Database db(t.location);
    for (const char* table : {R"("POKOJE.DB")", "POKOJE", "pokoje", R"("/srv/hotel/POKOJE.DB")", R"("C:\HOTEL\DB\Pokoje.db")"}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(dump(db, std::string("SELECT PID FROM ") + table + " ORDER BY PID"), "1;2;3");
    }
    EXPECT_EQ(db.openTable("/srv/hotel/POKOJE.DB")->rowCount(), 3);
    engine::Database later;
    later.setLockTimeoutMs(200);
    later.setWorkingFolder(t.location);
    EXPECT_EQ(later.workingFolder(), t.location);
    EXPECT_EQ(dump(later, "SELECT PNAME FROM POKOJE WHERE PID=\"3\""), "Apartmá");
    auto change = db.beginChange({"POKOJE"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(later.execute(R"(UPDATE POKOJE SET PCOLOR=0)"), engine::Error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "the timeout set before the server was named";
    try {
        db.open(R"(SELECT * FROM "/srv/hotel/NOSUCH.DB")");
        ADD_FAILURE() << "a missing table was read";
    } catch (const engine::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Table not found: NOSUCH.DB");
    }
}

// The definitions of data/tables.sql as psql shows them: dates, times, identity keys,
// floating money, texts with their width as a named check.
TEST(Server, TablesHaveTheTypesAnAdministratorExpects) {
    const TestDb t = filledDb(Storage::Server);
    const std::string cols = serverRows(
        t.location,
        "SELECT column_name, data_type, is_identity, is_nullable FROM information_schema.columns "
        "WHERE table_schema = current_schema() AND table_name = 'POBYTY' AND column_name IN "
        "('BID', 'KID', 'PID', 'DATEFROM', 'PRICEEUR', 'TIMEIN') ORDER BY column_name");
    EXPECT_EQ(cols,
              "BID,integer,YES,NO;DATEFROM,date,NO,YES;KID,integer,NO,YES;PID,character varying,NO,YES;"
              "PRICEEUR,double precision,NO,YES;TIMEIN,time without time zone,NO,YES");
    EXPECT_EQ(serverRows(t.location,
                         "SELECT conname FROM pg_constraint WHERE conrelid = '\"POKCENY\"'::regclass ORDER BY conname"),
              "POKCENY_pkey;width:PID:3;width:USER:20");
    EXPECT_EQ(serverRows(t.location, "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema() AND tablename = 'POBYTY' "
                                     "ORDER BY indexname"),
              "POBYTY_DATES;POBYTY_DATETHRU;POBYTY_UID;POBYTY_interval;POBYTY_pkey");
}

// The connection is made by the first statement, so a program still starts and can say why.
TEST(Server, OneThatCannotBeReachedIsAClearErrorAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    engine::Database db("postgresql://nobody:secret@/tamarel?host=/nonexistent-socket-folder");
    try {
        db.execute(R"(SELECT count(*) FROM "POKOJE.DB")");
        ADD_FAILURE() << "connected to nothing";
    } catch (const engine::Error& e) {
        const std::string msg = e.what();
        EXPECT_EQ(msg.rfind("Cannot connect to the database server postgresql://nobody@/tamarel", 0), 0u) << msg;
        EXPECT_EQ(msg.find("secret"), std::string::npos) << "the password is not shown: " << msg;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The server ends the program's session (a restart, an administrator): the statement then
// running fails naming the lost connection, and the next one connects again.
TEST(Server, ALostConnectionIsReportedAndTheNextStatementConnectsAgain) {
    const TestDb t = filledDb(Storage::Server);
    const std::string name = "tm_lost_" + std::to_string(::getpid());
    engine::Database db(t.location + "&application_name=" + name);
    EXPECT_EQ(dump(db, R"(SELECT count(*) FROM "POKOJE.DB")"), "3");
    EXPECT_EQ(serverRows(t.location, "SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity WHERE application_name = '" + name + "'"),
              "t");
    try {
        dump(db, R"(SELECT count(*) FROM "POKOJE.DB")");
        ADD_FAILURE() << "read through a closed connection";
    } catch (const engine::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Lost the connection to the database server", 0), 0u) << e.what();
    }
    EXPECT_EQ(db.execute(R"(DELETE FROM "POKOJE.DB" WHERE PID="3")"), 1);
    EXPECT_EQ(dump(db, R"(SELECT count(*) FROM "POKOJE.DB")"), "2");
}

}  // namespace
