#pragma once
// The engine's second storage: the tables of a PostgreSQL database, reached with libpq.
//
// engine::Database delegates every public method here when it is given a connection URI
// ("postgresql://..." or "postgres://...") instead of a folder. A table named in a statement
// ("{db}POBYTY.DB", "POBYTY", a quoted path) is the server table of the file name's stem
// (POBYTY), found without regard to case in the connection's search path.
//
// Invariants:
//  - plain statements run on one connection, each in a transaction of its own; a change
//    runs on a connection of its own, in one transaction, holding from its start a lock on
//    each of its tables that keeps other writers out and lets readers read;
//  - a wait for another program's lock lasts at most the lock timeout and then fails with
//    "Table X.DB is locked by another program", as on files;
//  - every server failure leaves here as an engine::Error whose message names the table,
//    column or key concerned in the words the file storage uses;
//  - query results are read whole when the query runs (rows then come from memory);
//  - every table of the program's schema carries the statement trigger tm_notify, which
//    notifies the channel "tamarel_changes" with "schema.TABLE" after each statement that
//    writes it (tables the storage creates get it at once, older ones when a program
//    connects); a listening connection of its own hears them, those of its own connections
//    left out.

#include "Engine.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine::pg {

// Whether a database location names a server rather than a folder.
bool isServerUri(std::string_view location);

class Storage {
public:
    // Connects at the first statement (failing there with a clear Error when the server cannot
    // be reached) and then installs the dialect's collation and helper functions in the first
    // schema of the search path when they are missing.
    // The lock timeout and the waiting for the disk as the Database had them.
    explicit Storage(std::string uri, int lockTimeoutMs = 3000, bool syncWrites = true);
    ~Storage();
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    std::unique_ptr<Query> open(std::string_view sql);
    std::int64_t execute(std::string_view sql);
    std::unique_ptr<TableCursor> openTable(std::string_view table, std::string_view filter);
    std::unique_ptr<Change> beginChange(const std::vector<std::string>& tables);
    void setLockTimeoutMs(int ms);
    void setSyncWrites(bool on);
    void releaseTables();
    void withReadLock(std::string_view table, const std::function<void()>& fn);
    // The tables of the search path as file names ("POKOJE.DB"), in name order (PgTables.cpp).
    std::vector<std::string> tableFiles();
    // The tables other programs changed since the last call (see Database::changedTables).
    // The first call starts listening on a connection of its own, made without waiting.
    std::vector<std::string> changedTables();

    struct Impl;

private:
    std::shared_ptr<Impl> m_impl;
};

}  // namespace engine::pg
