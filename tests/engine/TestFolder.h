#pragma once
// Test helpers: a database folder made from data/tables.sql and filled with a small hotel
// (rooms, prices, clients, stays, accounts, items, rates, notes), copied fresh for each test.
//
// Invariant: every test gets its own folder, so changes never leak between tests.

#include "Engine.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace enginetest {

// Creates the ten tables of data/tables.sql in folder (with a trailing '/').
void createTables(engine::Database& db, const std::string& folder);

// A fresh copy of the filled folder; returns its path with a trailing '/'.
std::string filledFolder();
// A fresh empty folder.
std::string emptyFolder();

// The storages the engine's tests run on: a folder of table files, and a PostgreSQL server
// (the private test server of scripts/pg-test-server.sh, started by the ctest fixture).
enum class Storage { Files, Server };
std::string storageName(Storage s);
inline void PrintTo(Storage s, std::ostream* os) { *os << storageName(s); }

// A database as a test opens it: location is what engine::Database is given (a folder or a
// connection URI), prefix what replaces {db} in statement texts.
struct TestDb {
    std::string location;
    std::string prefix;
};
// A fresh database filled with the small hotel: a folder copy, or a new schema on the server.
TestDb filledDb(Storage s);
// A fresh database without tables: an empty folder, or a new schema on the server.
TestDb emptyDb(Storage s);

// The test server's URI ($TAMAREL_TEST_PG, else the one the ctest fixture wrote). Throws
// when there is none: the server tests fail, they are never skipped.
std::string serverUri();

// The steps a forked child has finished, told to its parent through a pipe, so a kill test
// can let the child get some whole steps done before it kills the child at a random moment
// (on a slow build no random delay alone reaches past the child's start).
class ChildSteps {
public:
    ChildSteps();
    ~ChildSteps();
    ChildSteps(const ChildSteps&) = delete;
    ChildSteps& operator=(const ChildSteps&) = delete;
    void done();              // in the child, after each whole step
    bool waitFor(int steps);  // in the parent; false when the child ended before
private:
    int m_fd[2];
};

// Forks a child that runs `work` (it tells each whole step through the ChildSteps and never
// returns), waits until the child has finished `wholeSteps` steps and `delayUs` more, then kills
// it with SIGKILL. Returns the child's wait status (WIFSIGNALED when the kill reached it).
// No connection of this process may be open across the fork.
int runAndKill(const std::function<void(ChildSteps&)>& work, int wholeSteps, int delayUs);

// Replaces every {db} by the folder.
std::string withDb(std::string sql, const std::string& folder);

// The rows of a query as text: fields joined by ',', rows by ';'. columns: names to show
// (empty: all). sorted: rows sorted (for statements without ORDER BY).
std::string dump(engine::Database& db, const std::string& sql, const std::vector<std::string>& columns = {},
                 bool sorted = false);

}  // namespace enginetest
