#pragma once
// Internals of the PostgreSQL storage shared by its parts (PgStorage.cpp, PgCursor.cpp):
// connections, running statements, the server's failures in the engine's words, values read
// from the server's text form, and the storage's own state.

#include "Internal.h"
#include "PgStorage.h"
#include "PgSupport.h"

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace engine::pg {

using detail::Column;
using detail::TableSchema;
using detail::quoteIdent;

// Type oids of the server's built-in types.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700, kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184;

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The URI without a password, for messages.
inline std::string shownUri(const std::string& uri) {
    const size_t scheme = uri.find("://");
    const size_t at = uri.find('@');
    if (scheme == std::string::npos || at == std::string::npos) return uri;
    const size_t colon = uri.find(':', scheme + 3);
    if (colon == std::string::npos || colon > at) return uri;
    return uri.substr(0, colon) + uri.substr(at);
}

inline std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

// The server table a statement's table reference names: the file name's stem, upper case.
inline std::string tableNameOf(std::string_view reference) {
    std::string s(reference);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) s.pop_back();
    const size_t slash = s.find_last_of("/\\");
    if (slash != std::string::npos) s = s.substr(slash + 1);
    s = s.substr(0, s.find('.'));
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    if (s.empty()) throw Error("Table file name is empty");
    return sql::upperAscii(s);
}

inline std::string fileNameOf(const std::string& table) { return table + ".DB"; }

// A connection with the session settings every statement relies on.
class Connection {
public:
    Connection(const std::string& uri, int lockTimeoutMs, bool syncWrites) {
        const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
        const char* values[] = {"10", "tamarel", uri.c_str(), nullptr};
        m_conn = PQconnectdbParams(keys, values, 1);
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
            const std::string msg = m_conn ? trimmed(PQerrorMessage(m_conn)) : "out of memory";
            PQfinish(m_conn);
            m_conn = nullptr;
            throw Error("Cannot connect to the database server " + shownUri(uri) + ": " + msg);
        }
        exec("SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; SET IntervalStyle = 'postgres'; "
             "SET extra_float_digits = 1; SET client_min_messages = 'warning'");
        setLockTimeout(lockTimeoutMs);
        setSync(syncWrites);
    }
    ~Connection() {
        if (closed) closed(PQbackendPID(m_conn));
        PQfinish(m_conn);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    PGconn* get() const { return m_conn; }
    bool broken() const { return PQstatus(m_conn) != CONNECTION_OK; }

    void setLockTimeout(int ms) { exec("SET lock_timeout = " + std::to_string(std::max(1, ms))); }
    void setSync(bool on) { exec(std::string("SET synchronous_commit = ") + (on ? "on" : "off")); }

    // Runs SQL without parameters; failures as raw server messages.
    void exec(const std::string& sql) {
        Result r(PQexec(m_conn, sql.c_str()));
        const auto st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
            throw Error("The database server refused \"" + sql.substr(0, 60) + "\": " +
                        trimmed(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(m_conn)));
    }

    // Told the server process id when the connection closes.
    std::function<void(int)> closed;

private:
    PGconn* m_conn = nullptr;
};

// Translates a failed result into the file storage's words; tables[0] is the statement's target.
// stored: the columns the statement stores computed values into.
[[noreturn]] inline void raise(const PGresult* r, PGconn* conn, const std::vector<std::string>& tables,
                        const std::vector<std::string>& stored = {}) {
    const auto field = [r](int code) -> std::string {
        const char* v = r ? PQresultErrorField(r, code) : nullptr;
        return v ? v : "";
    };
    const std::string state = field(PG_DIAG_SQLSTATE);
    std::string message = field(PG_DIAG_MESSAGE_PRIMARY);
    if (message.empty()) message = trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn));
    std::string table = field(PG_DIAG_TABLE_NAME);
    if (table.empty()) table = tables.empty() ? std::string() : tables.front();
    const std::string file = table.empty() ? std::string("the table") : fileNameOf(table);
    if (state == "55P03" || state == "40P01" || state == "40001") throw Error("Table " + file + " is locked by another program");
    if (state == "23505") {
        // Detail: Key ("PID", "DATEFROM")=(1, 2004-03-01) already exists.
        std::string detail = field(PG_DIAG_MESSAGE_DETAIL), cols;
        const size_t open = detail.find('('), close = detail.find(")=");
        if (open != std::string::npos && close != std::string::npos && close > open)
            for (char c : detail.substr(open + 1, close - open - 1))
                if (c != '"') cols += c;
        throw Error("Key violation: " + file + " already has a row with this key (" + cols + ")");
    }
    if (state == "23502") throw Error("Field " + field(PG_DIAG_COLUMN_NAME) + " of " + file + " must have a value");
    if (state == "23514") {
        const std::string name = field(PG_DIAG_CONSTRAINT_NAME);
        if (name.rfind("width:", 0) == 0) {
            const std::string spec = name.substr(6);
            const size_t colon = spec.rfind(':');
            throw Error("Text too long for column " + spec.substr(0, colon) + " of " + file + " (at most " +
                        (colon == std::string::npos ? "?" : spec.substr(colon + 1)) + " characters)");
        }
        throw Error("Value refused by " + file + ": " + message);
    }
    if (state == "P0001") throw Error(message);  // the support functions' own messages
    if (state == "22003") {
        // A computed float beyond the largest: on files it becomes infinite and is refused so.
        if (message.find("overflow") != std::string::npos && stored.size() == 1)
            throw Error("Type mismatch: an infinite value is not a number (column " + stored.front() + ")");
        throw Error("Value out of range for " + file + ": " + message);
    }
    if (state == "53100") throw Error("The disk is full: table " + file + " cannot grow");
    if (state == "42501") throw Error("Table " + file + " cannot be written (no permission on the server)");
    if (state.rfind("08", 0) == 0 || state.empty() || PQstatus(conn) != CONNECTION_OK)
        throw Error("Lost the connection to the database server: " + message);
    throw Error(message);
}

// Runs a statement with text parameters; throws the translated failure.
inline Result run(PGconn* conn, const std::string& sql, const std::vector<std::optional<std::string>>& params,
           const std::vector<std::string>& tables, const std::vector<std::string>& stored = {}) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
    Result r(PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr, nullptr, 0));
    const auto st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) raise(r.get(), conn, tables, stored);
    return r;
}

inline FieldType fieldTypeOfServer(const std::string& typname) {
    if (typname == "varchar" || typname == "text" || typname == "bpchar") return FieldType::Text;
    if (typname == "int2" || typname == "int4" || typname == "int8") return FieldType::Integer;
    if (typname == "float4" || typname == "float8" || typname == "numeric") return FieldType::Float;
    if (typname == "date") return FieldType::Date;
    if (typname == "time") return FieldType::Time;
    if (typname == "timestamp" || typname == "timestamptz") return FieldType::Timestamp;
    if (typname == "bool") return FieldType::Boolean;
    return FieldType::Unknown;
}

inline std::int64_t toInt(const char* s) { return std::strtoll(s, nullptr, 10); }

// A value of the server's text form, as the engine holds it (dates as day numbers, times as
// seconds, timestamps as days), normalised to the field type as the file storage reads it.
inline Value readValue(const char* s, int length, Oid type, FieldType field) {
    Value v;
    switch (type) {
    case kBool: v = std::int64_t{s[0] == 't' ? 1 : 0}; break;
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid: v = toInt(s); break;
    case kFloat4:
    case kFloat8:
    case kNumeric: {
        if (std::strcmp(s, "NaN") == 0) v = std::nan("");
        else if (std::strcmp(s, "Infinity") == 0) v = HUGE_VAL;
        else if (std::strcmp(s, "-Infinity") == 0) v = -HUGE_VAL;
        else v = std::strtod(s, nullptr);
        break;
    }
    case kDate: v = dayNumber(std::atoi(s), std::atoi(s + 5), std::atoi(s + 8)); break;
    case kTime: v = std::int64_t{std::atoi(s) * 3600 + std::atoi(s + 3) * 60 + std::atoi(s + 6)}; break;
    case kTimestamp:
    case kTimestampTz: {
        const std::int64_t day = dayNumber(std::atoi(s), std::atoi(s + 5), std::atoi(s + 8));
        const double secs = length >= 19 ? std::atoi(s + 11) * 3600 + std::atoi(s + 14) * 60 + std::strtod(s + 17, nullptr) : 0;
        v = static_cast<double>(day) + secs / 86400.0;
        break;
    }
    default: return std::string(s, static_cast<size_t>(length));
    }
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        if (field == FieldType::Float || field == FieldType::Timestamp) return static_cast<double>(*i);
        return v;
    }
    const double d = std::get<double>(v);
    if ((field == FieldType::Integer || field == FieldType::Key || field == FieldType::Date || field == FieldType::Time ||
         field == FieldType::Boolean) &&
        d == std::floor(d) && std::fabs(d) < 9e15)
        return static_cast<std::int64_t>(d);
    return v;
}


// The server's notifications of changed tables: a trigger on every table of the program's
// schema sends "schema.TABLE" on this channel after each statement that writes the table.
constexpr const char* kChangesChannel = "tamarel_changes";

// Creates the trigger function when it is missing and gives every table of the current schema
// that lacks it the trigger (tm_notify, once per statement). Idempotent; run under the
// installer's lock. A table the user may not alter, or that another program keeps locked
// for half a second, is left for the next program that connects.
inline const char* notifySetupSql() {
    return R"SQL(
DO $tm$
DECLARE t record;
BEGIN
  IF to_regprocedure(quote_ident(current_schema()) || '.tm_notify_change()') IS NULL THEN
    CREATE FUNCTION tm_notify_change() RETURNS trigger LANGUAGE plpgsql AS $f$
    BEGIN
      PERFORM pg_notify('tamarel_changes', TG_TABLE_SCHEMA || '.' || TG_TABLE_NAME);
      RETURN NULL;
    END $f$;
  END IF;
  PERFORM set_config('lock_timeout', '500', true);
  FOR t IN SELECT c.oid::regclass AS rel FROM pg_class c
           WHERE c.relnamespace = (SELECT n.oid FROM pg_namespace n WHERE n.nspname = current_schema()) AND c.relkind IN ('r', 'p') AND NOT c.relispartition
             AND NOT EXISTS (SELECT 1 FROM pg_trigger g WHERE g.tgrelid = c.oid AND g.tgname = 'tm_notify') LOOP
    BEGIN
      EXECUTE format('CREATE TRIGGER tm_notify AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %s '
                     'FOR EACH STATEMENT EXECUTE FUNCTION %I.tm_notify_change()', t.rel, current_schema());
    EXCEPTION WHEN insufficient_privilege OR lock_not_available OR duplicate_object THEN NULL;
    END;
  END LOOP;
END $tm$)SQL";
}

// The stays' interval index on a server: a GiST index over the span of each stay's two dates
// (the hull of the dates that are not null; a stay with neither spans everything), named as
// the file storage's R*Tree. A query whose condition the translator bounds (IntervalIndex.h)
// also asks for the spans that meet its box, so the server reads only the stays of the window
// however long the history kept. Made for the stays table when the storage creates it and,
// when missing, when a program connects (like the trigger above: a table locked for half a
// second, or one the user may not alter, is left for a later program).
constexpr const char* kIntervalTable = "POBYTY";
inline std::string intervalSpanSql(const std::string& alias) {
    const std::string from = alias.empty() ? "\"DATEFROM\"" : alias + ".\"DATEFROM\"";
    const std::string thru = alias.empty() ? "\"DATETHRU\"" : alias + ".\"DATETHRU\"";
    return "daterange(least(" + from + "," + thru + "),greatest(" + from + "," + thru + "),'[]')";
}
inline std::string intervalIndexSetupSql() {
    std::string span = intervalSpanSql("");  // inside a quoted text of the block below
    for (size_t at = span.find('\''); at != std::string::npos; at = span.find('\'', at + 2)) span.insert(at, 1, '\'');
    return std::string(R"SQL(
DO $tm$
DECLARE t regclass;
BEGIN
  SELECT c.oid::regclass INTO t FROM pg_class c
   WHERE c.relnamespace = (SELECT n.oid FROM pg_namespace n WHERE n.nspname = current_schema())
     AND c.relkind = 'r' AND c.relname = 'POBYTY'
     AND (SELECT count(*) FROM pg_attribute a WHERE a.attrelid = c.oid AND a.attname IN ('DATEFROM', 'DATETHRU')
            AND a.atttypid = 'date'::regtype AND NOT a.attisdropped) = 2
     AND NOT EXISTS (SELECT 1 FROM pg_class x WHERE x.relname = 'POBYTY_interval' AND x.relnamespace = c.relnamespace);
  IF t IS NOT NULL THEN
    PERFORM set_config('lock_timeout', '500', true);
    BEGIN
      EXECUTE format('CREATE INDEX "POBYTY_interval" ON %s USING gist ()SQL") + span + R"SQL()', t);
    EXCEPTION WHEN insufficient_privilege OR lock_not_available OR duplicate_table THEN NULL;
    END;
  END IF;
END $tm$)SQL";
}

// The trigger a table the storage creates gets at once.
inline std::string notifyTriggerSql(const std::string& table) {
    return "CREATE TRIGGER tm_notify AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON " + quoteIdent(table) +
           " FOR EACH STATEMENT EXECUTE FUNCTION tm_notify_change()";
}

// Listens on a connection of its own for other programs' changes (PgStorage.cpp).
class ChangeListener {
public:
    ChangeListener() = default;
    ~ChangeListener();
    ChangeListener(const ChangeListener&) = delete;
    ChangeListener& operator=(const ChangeListener&) = delete;
    // The tables other connections than `own` changed since the last call; never blocks.
    // usedTables: reported when the listening connection was lost and made again.
    std::vector<std::string> poll(const std::string& uri, const std::function<bool(int)>& own,
                                  const std::vector<std::string>& usedTables);

private:
    enum class State { Idle, Connecting, Setup, Listening };
    PGconn* m_conn = nullptr;
    State m_state = State::Idle;
    int m_connectPoll = 0;  // PostgresPollingStatusType of the connection being made
    std::chrono::steady_clock::time_point m_started, m_nextAttempt;
    bool m_listenedBefore = false, m_lost = false;
    std::vector<std::string> m_schemas;  // the search path's schemas, whose tables count
    void fail();
    bool advanceConnect();
    bool advanceSetup();
};

struct Storage::Impl {
    // The server processes of this storage's connections, with the moment each closed (its
    // late notifications still come from this program); declared first so it outlives them.
    std::map<int, std::chrono::steady_clock::time_point> ownProcesses;
    ChangeListener listener;

    std::string uri;
    int lockTimeoutMs = 3000;
    bool syncWrites = true;
    std::unique_ptr<Connection> main;
    std::vector<std::unique_ptr<Connection>> idle;  // for changes
    std::map<std::string, std::shared_ptr<TableSchema>> schemas;

    // The connection of plain statements, made at the first statement (so a program on a
    // server it cannot reach still starts and says why) and again when the server dropped it
    // (a restart): the failed statement reported the loss, the next one runs.
    PGconn* mainConn() {
        if (!main || main->broken()) {
            main = connect();
            if (!supportInstalled) {
                installSupport();
                supportInstalled = true;
            }
        }
        return main->get();
    }
    bool supportInstalled = false;

    std::unique_ptr<Connection> take() {
        while (!idle.empty()) {
            auto c = std::move(idle.back());
            idle.pop_back();
            if (!c->broken()) return c;
        }
        return connect();
    }
    std::unique_ptr<Connection> connect() {
        auto c = std::make_unique<Connection>(uri, lockTimeoutMs, syncWrites);
        ownProcesses[PQbackendPID(c->get())] = std::chrono::steady_clock::time_point::max();
        c->closed = [this](int pid) { ownProcesses[pid] = std::chrono::steady_clock::now(); };
        return c;
    }
    // Whether a server process is (or recently was) one of this storage's connections.
    bool isOwnProcess(int pid) {
        const auto now = std::chrono::steady_clock::now();
        for (auto it = ownProcesses.begin(); it != ownProcesses.end();) {
            if (it->second != std::chrono::steady_clock::time_point::max() && now - it->second > std::chrono::seconds(30))
                it = ownProcesses.erase(it);
            else
                ++it;
        }
        return ownProcesses.count(pid) > 0;
    }
    void giveBack(std::unique_ptr<Connection> c) {
        if (c && !c->broken() && PQtransactionStatus(c->get()) == PQTRANS_IDLE && idle.size() < 4) idle.push_back(std::move(c));
    }

    void installSupport() {
        PGconn* c = main->get();
        main->exec("BEGIN");
        try {
            main->exec("SELECT pg_advisory_xact_lock(1414090033)");  // one installer at a time
            Result r(PQexec(c, "SELECT current_schema(), (SELECT p.oid FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                               "WHERE n.nspname = current_schema() AND p.proname = 'tm_support_version')"));
            if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) raise(r.get(), c, {});
            if (PQgetisnull(r.get(), 0, 0)) throw Error("The database has no schema to create tables in (check the search_path)");
            bool current = false;
            if (!PQgetisnull(r.get(), 0, 1)) {
                Result v(PQexec(c, "SELECT tm_support_version()"));
                current = PQresultStatus(v.get()) == PGRES_TUPLES_OK && toInt(PQgetvalue(v.get(), 0, 0)) >= kSupportVersion;
            }
            if (!current) main->exec(supportSql());
            main->exec(notifySetupSql());
            main->exec(intervalIndexSetupSql());
            main->exec("COMMIT");
        } catch (...) {
            Result rollback(PQexec(c, "ROLLBACK"));
            throw;
        }
    }

    // The description of a server table, read from the catalog once.
    std::shared_ptr<TableSchema> describe(PGconn* c, const std::string& name) {
        if (auto it = schemas.find(name); it != schemas.end()) return it->second;
        Result t = run(c,
                       "SELECT c.oid, c.relname FROM pg_class c WHERE c.relkind IN ('r', 'p') AND upper(c.relname) = $1 "
                       "AND pg_table_is_visible(c.oid) ORDER BY c.relname = $1 DESC LIMIT 1",
                       {name}, {name});
        if (PQntuples(t.get()) == 0) throw Error("Table not found: " + fileNameOf(name));
        const std::string oid = PQgetvalue(t.get(), 0, 0);
        auto schema = std::make_shared<TableSchema>();
        schema->tableName = PQgetvalue(t.get(), 0, 1);
        schema->path = schema->tableName;
        schema->fileName = fileNameOf(schema->tableName);
        Result cols = run(c,
                          "SELECT a.attname, t.typname, a.attnotnull, a.attidentity <> '', a.atttypmod, "
                          "(SELECT k + 1 FROM pg_index i, generate_subscripts(i.indkey, 1) k "
                          " WHERE i.indrelid = a.attrelid AND i.indisprimary AND i.indkey[k] = a.attnum) "
                          "FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid "
                          "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
                          {oid}, {name});
        Result widths = run(c, "SELECT conname FROM pg_constraint WHERE conrelid = $1::oid AND contype = 'c' AND conname LIKE 'width:%'",
                            {oid}, {name});
        std::map<std::string, int> width;
        for (int i = 0; i < PQntuples(widths.get()); ++i) {
            const std::string spec = PQgetvalue(widths.get(), i, 0) + 6;
            const size_t colon = spec.rfind(':');
            if (colon != std::string::npos) width[spec.substr(0, colon)] = std::atoi(spec.c_str() + colon + 1);
        }
        std::vector<std::pair<int, int>> pk;
        bool identityKey = false;
        for (int i = 0; i < PQntuples(cols.get()); ++i) {
            Column col;
            col.name = sql::upperAscii(PQgetvalue(cols.get(), i, 0));
            col.type = fieldTypeOfServer(PQgetvalue(cols.get(), i, 1));
            col.notNull = PQgetvalue(cols.get(), i, 2)[0] == 't';
            const bool identity = PQgetvalue(cols.get(), i, 3)[0] == 't';
            if (col.type == FieldType::Text) {
                const int typmod = std::atoi(PQgetvalue(cols.get(), i, 4));
                col.width = width.count(col.name) ? width[col.name] : typmod > 4 ? typmod - 4 : 0;
            }
            if (!PQgetisnull(cols.get(), i, 5)) {
                col.pk = std::atoi(PQgetvalue(cols.get(), i, 5));
                pk.emplace_back(col.pk, i);
                if (identity) identityKey = true;
            }
            schema->columns.push_back(std::move(col));
        }
        std::sort(pk.begin(), pk.end());
        for (auto& [pos, idx] : pk) schema->keyColumns.push_back(idx);
        // The interval index (intervalIndexSetupSql) over the two date columns.
        const int from = schema->findColumn("DATEFROM"), thru = schema->findColumn("DATETHRU");
        const std::string index = schema->tableName + "_interval";
        if (from >= 0 && thru >= 0 && PQntuples(run(c, "SELECT 1 FROM pg_index i JOIN pg_class x ON x.oid = i.indexrelid "
                                                       "WHERE i.indrelid = $1::oid AND x.relname = $2",
                                                    {oid, index}, {name})
                                                    .get()) > 0) {
            schema->intervalIndex = index;
            schema->intervalFrom = from;
            schema->intervalThru = thru;
        }
        if (pk.size() == 1 && identityKey) {
            schema->columns[static_cast<size_t>(pk[0].second)].type = FieldType::Key;
            schema->rowidKey = true;
        }
        schemas[name] = schema;
        return schema;
    }

    std::int64_t executeDdl(const sql::Statement& st);
};

// After rows were stored with identity keys of the statement's own choosing: the identity
// continues after the largest key (and after every key it gave), so no key is given twice.
inline void advanceIdentity(PGconn* conn, const std::string& table, const std::string& keyColumn) {
    const std::string t = quoteIdent(table), key = quoteIdent(keyColumn);
    run(conn,
        "SELECT setval(pg_get_serial_sequence($1, $2), greatest((SELECT max(" + key + ") FROM " + t +
            "), pg_sequence_last_value(pg_get_serial_sequence($1, $2)::regclass), 1))",
        {t, keyColumn}, {table});
}

// A table cursor on the server (PgCursor.cpp).
std::unique_ptr<TableCursor> openServerCursor(std::shared_ptr<Storage::Impl> storage, const std::string& table,
                                              const std::string& filter);

}  // namespace engine::pg
