#pragma once
// The database core: one SQLite connection with table files attached on demand, the cache of
// translated and prepared statements, lock waiting and error translation. The connection of
// plain statements has main = ":memory:"; a composed change runs on a core of its own whose
// main database is a file on disk, so SQLite commits its table files atomically (super-journal).
//
// Invariants:
//  - at most kMaxAttached files are attached; the least recently used unpinned one is
//    detached to make room, and every cached statement naming it is dropped first;
//  - a file is pinned while a statement is being translated against it and while an open
//    query or a running statement reads it, so it is never detached under a reader;
//  - schema names are never reused ("tb1", "tb2", ...), so stale SQL cannot reach another file;
//  - a core restricted to some files (a change) attaches no other file;
//  - waiting for another program's lock: inside a wait scope (a write, a change) all waits
//    together last at most lockTimeoutMs; elsewhere each wait lasts at most lockTimeoutMs;
//  - every SQLite failure leaves here as an engine::Error with a message naming the table,
//    column, key or lock concerned;
//  - table files are never read through an attachment older than the last restore of their
//    folder that this core has seen: before each statement the folder's generation file is
//    compared (one stat per folder with attached files), and when it changed the folder's
//    files are detached, to be attached anew by the statement.

#include "Internal.h"
#include "TableSwap.h"

#include <sqlite3.h>

#include <chrono>
#include <map>
#include <memory>
#include <unordered_map>

namespace engine::detail {

constexpr size_t kMaxAttached = 10;
constexpr size_t kMaxCachedStatements = 256;

struct Attached {
    std::string path;
    std::string schema;
    TableSchema table;
    std::uint64_t lastUse = 0;
    int pins = 0;
};

struct CacheEntry {
    std::string key;
    std::vector<std::pair<int, std::string>> structural;  // literal index -> its spelling
    Translation tr;
    std::vector<sqlite3_stmt*> idle;       // prepared, reset, ready for the next use
    std::vector<sqlite3_stmt*> idleCount;  // SELECT count(*) FROM (...) of a query
    bool valid = true;
    std::uint64_t lastUse = 0;
};

// A write refused because the table file was replaced (renamed over) since it was attached.
// Nothing was written.
class TableReplaced : public Error {
public:
    using Error::Error;
};

class Core {
public:
    // mainFile empty: main is in memory. Otherwise the file is created (it must not exist)
    // and deleted again when the core closes.
    explicit Core(const std::string& mainFile = {});
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    sqlite3* db() const { return m_db; }
    std::string workingFolder;
    int lockTimeoutMs = 3000;
    bool syncWrites = true;
    // When not empty, the only table files statements of this core may name.
    std::vector<std::string> onlyFiles;
    // Open query results on this connection.
    int openQueries = 0;

    // Lock waits between beginWait() and endWait() share one timeout (scopes nest).
    void beginWait() { ++m_waitDepth; }
    void endWait() {
        if (--m_waitDepth == 0) m_waitArmed = false;
    }
    // The busy handler: true to wait and retry, false to give up.
    bool onBusy(int count);

    // Full path of a table reference (bare and relative names in the working folder).
    std::string resolvePath(std::string_view name, bool mustExist) const;
    Attached& attach(const std::string& path);
    void pin(const std::vector<std::string>& files);
    void unpin(const std::vector<std::string>& files);
    void detach(const std::string& path);
    void releaseAll();
    // Before a statement: lets go of the files of every folder a restore has replaced since
    // they were attached (files in use by an open result stay until it closes).
    void followRestores();
    // After TableReplaced: lets go of every file not in use. True when it let go of any.
    bool letGoOfUnusedFiles();
    void invalidate(const std::string& path);
    void clearCache();

    // A statement ready to step: translated (or found in the cache), prepared and bound.
    struct Prepared {
        std::shared_ptr<CacheEntry> entry;
        sqlite3_stmt* stmt = nullptr;
        std::vector<Value> bound;
    };
    // Returns false (and fills ddl) when the text is a CREATE/DROP statement.
    bool prepare(std::string_view sql, Prepared& out, sql::Statement& ddl);
    void release(const std::shared_ptr<CacheEntry>& entry, sqlite3_stmt* stmt, bool count);
    sqlite3_stmt* countStatement(const std::shared_ptr<CacheEntry>& entry);

    std::int64_t executeDdl(const sql::Statement& st);

    [[noreturn]] void raise(int rc, const std::vector<std::string>& files) const;
    [[noreturn]] void raiseMessage(int rc, std::string message, const std::vector<std::string>& files) const;
    void exec(const char* sql);
    sqlite3_stmt* prepareRaw(const std::string& sql, const std::vector<std::string>& files, bool persistent);

    static void bindValue(sqlite3_stmt* st, int index, const Value& v);
    const Attached* findAttached(const std::string& path) const;

private:
    sqlite3* m_db = nullptr;
    std::string m_mainFile;
    int m_waitDepth = 0;
    bool m_waitArmed = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::map<std::string, std::unique_ptr<Attached>> m_attached;
    struct Folder {
        std::string generationFile;    // folder + kGenerationFile
        FolderGeneration generation;   // as it was before the first of its files was attached
        int attached = 0;
    };
    std::map<std::string, Folder> m_folders;
    std::unordered_map<std::string, std::vector<std::shared_ptr<CacheEntry>>> m_cache;
    size_t m_cacheSize = 0;
    std::uint64_t m_clock = 0;
    int m_schemaCounter = 0;

    void evictOne();
    void trimCache();
    void readSchema(Attached& a);
    std::string fileNameOf(const std::string& path) const;
};

// Lock waits of a write (or change) share one timeout while a WaitScope lives.
struct WaitScope {
    Core& core;
    explicit WaitScope(Core& c) : core(c) { core.beginWait(); }
    ~WaitScope() { core.endWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};

// Reads column i of a stepped statement as a value of the field's type.
Value readColumn(sqlite3_stmt* st, int i, FieldType type);
double numberOf(const Value& v, FieldType type);

}  // namespace engine::detail

namespace engine::pg {
class Storage;
}

namespace engine {
struct Database::Impl {
    std::shared_ptr<detail::Core> core = std::make_shared<detail::Core>();
    std::shared_ptr<pg::Storage> server;  // set when the database is a PostgreSQL server
};
}  // namespace engine
