// The PostgreSQL storage: connections, table descriptions read from the catalog, statements
// run with typed parameters, results read into the engine's values, composed changes as
// transactions and the server's failures in the file storage's words. See PgStorage.h.

#include "PgStorage.h"

#include "Internal.h"
#include "Parser.h"
#include "PgSupport.h"
#include "PgTranslator.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

namespace engine::pg {

using detail::Column;
using detail::TableSchema;
using detail::quoteIdent;

bool isServerUri(std::string_view location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

namespace {

// Type oids of the server's built-in types.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700, kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184;

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The URI without a password, for messages.
std::string shownUri(const std::string& uri) {
    const size_t scheme = uri.find("://");
    const size_t at = uri.find('@');
    if (scheme == std::string::npos || at == std::string::npos) return uri;
    const size_t colon = uri.find(':', scheme + 3);
    if (colon == std::string::npos || colon > at) return uri;
    return uri.substr(0, colon) + uri.substr(at);
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

// The server table a statement's table reference names: the file name's stem, upper case.
std::string tableNameOf(std::string_view reference) {
    std::string s(reference);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) s.pop_back();
    const size_t slash = s.find_last_of("/\\");
    if (slash != std::string::npos) s = s.substr(slash + 1);
    s = s.substr(0, s.find('.'));
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    if (s.empty()) throw Error("Table file name is empty");
    return sql::upperAscii(s);
}

std::string fileNameOf(const std::string& table) { return table + ".DB"; }

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
    ~Connection() { PQfinish(m_conn); }
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

private:
    PGconn* m_conn = nullptr;
};

// Translates a failed result into the file storage's words; tables[0] is the statement's target.
// stored: the columns the statement stores computed values into.
[[noreturn]] void raise(const PGresult* r, PGconn* conn, const std::vector<std::string>& tables,
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
Result run(PGconn* conn, const std::string& sql, const std::vector<std::optional<std::string>>& params,
           const std::vector<std::string>& tables, const std::vector<std::string>& stored = {}) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
    Result r(PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr, nullptr, 0));
    const auto st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) raise(r.get(), conn, tables, stored);
    return r;
}

FieldType fieldTypeOfServer(const std::string& typname) {
    if (typname == "varchar" || typname == "text" || typname == "bpchar") return FieldType::Text;
    if (typname == "int2" || typname == "int4" || typname == "int8") return FieldType::Integer;
    if (typname == "float4" || typname == "float8" || typname == "numeric") return FieldType::Float;
    if (typname == "date") return FieldType::Date;
    if (typname == "time") return FieldType::Time;
    if (typname == "timestamp" || typname == "timestamptz") return FieldType::Timestamp;
    if (typname == "bool") return FieldType::Boolean;
    return FieldType::Unknown;
}

std::int64_t toInt(const char* s) { return std::strtoll(s, nullptr, 10); }

// A value of the server's text form, as the engine holds it (dates as day numbers, times as
// seconds, timestamps as days), normalised to the field type as the file storage reads it.
Value readValue(const char* s, int length, Oid type, FieldType field) {
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

class PgQuery final : public Query {
public:
    PgQuery(Result r, std::vector<FieldInfo> fields) : m_result(std::move(r)), m_fields(std::move(fields)) {
        m_rows = PQntuples(m_result.get());
    }
    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    int fieldIndex(std::string_view name) const override {
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (sql::equalsNoCase(m_fields[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    bool next() override {
        if (m_row + 1 >= m_rows) {
            m_row = m_rows;
            return false;
        }
        ++m_row;
        return true;
    }
    bool isNull(int field) const override { return !valid(field) || PQgetisnull(m_result.get(), m_row, field); }
    Value value(int field) const override {
        if (isNull(field)) return std::monostate{};
        return readValue(PQgetvalue(m_result.get(), m_row, field), PQgetlength(m_result.get(), m_row, field),
                         PQftype(m_result.get(), field), m_fields[static_cast<size_t>(field)].type);
    }
    std::string text(int field) const override {
        const Value v = value(field);
        if (const auto* s = std::get_if<std::string>(&v)) return *s;
        return displayText(v, m_fields[static_cast<size_t>(field)].type);
    }
    double number(int field) const override {
        const Value v = value(field);
        if (std::holds_alternative<std::monostate>(v)) return 0;
        if (const auto* s = std::get_if<std::string>(&v)) return std::strtod(s->c_str(), nullptr);
        const double d = std::holds_alternative<double>(v) ? std::get<double>(v) : static_cast<double>(std::get<std::int64_t>(v));
        return m_fields[static_cast<size_t>(field)].type == FieldType::Time ? d / 86400.0 : d;
    }
    std::int64_t integer(int field) const override {
        const Value v = value(field);
        if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
        if (const auto* d = std::get_if<double>(&v)) return std::isfinite(*d) && std::fabs(*d) < 9e18 ? std::llround(*d) : 0;
        if (const auto* s = std::get_if<std::string>(&v)) return std::strtoll(s->c_str(), nullptr, 10);
        return 0;
    }
    std::int64_t rowsRead() const override { return std::min(m_row + 1, m_rows); }
    std::int64_t rowCount() override { return m_rows; }

private:
    Result m_result;
    std::vector<FieldInfo> m_fields;
    int m_rows = 0;
    int m_row = -1;
    bool valid(int field) const {
        return m_row >= 0 && m_row < m_rows && field >= 0 && static_cast<size_t>(field) < m_fields.size();
    }
};

}  // namespace

// ---------------------------------------------------------------- the storage

struct Storage::Impl {
    std::string uri;
    int lockTimeoutMs = 3000;
    bool syncWrites = true;
    std::unique_ptr<Connection> main;
    std::vector<std::unique_ptr<Connection>> idle;  // for changes
    std::map<std::string, std::shared_ptr<TableSchema>> schemas;

    std::unique_ptr<Connection> take() {
        while (!idle.empty()) {
            auto c = std::move(idle.back());
            idle.pop_back();
            if (!c->broken()) return c;
        }
        return std::make_unique<Connection>(uri, lockTimeoutMs, syncWrites);
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
            main->exec("COMMIT");
        } catch (...) {
            PQexec(c, "ROLLBACK");
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
        if (pk.size() == 1 && identityKey) {
            schema->columns[static_cast<size_t>(pk[0].second)].type = FieldType::Key;
            schema->rowidKey = true;
        }
        schemas[name] = schema;
        return schema;
    }

    std::int64_t executeDdl(const sql::Statement& st);
};

namespace {

// Finds the tables a statement names; a change's resolver refuses tables outside the change.
struct Resolver : detail::TableResolver {
    Storage::Impl& storage;
    PGconn* conn;
    const std::vector<std::string>* only = nullptr;
    std::vector<std::shared_ptr<TableSchema>> kept;
    Resolver(Storage::Impl& s, PGconn* c) : storage(s), conn(c) {}
    std::pair<std::string, const TableSchema*> resolve(const sql::TableRef& ref) override {
        const std::string name = tableNameOf(ref.path);
        auto schema = storage.describe(conn, name);
        if (only && std::find(only->begin(), only->end(), schema->tableName) == only->end())
            throw Error("Table " + schema->fileName + " is not one of the tables of this change");
        kept.push_back(schema);
        return {std::string(), schema.get()};
    }
};

bool isDdl(const sql::Token& first) { return first.isKeyword("CREATE") || first.isKeyword("DROP"); }

struct Ran {
    Result result;
    PgTranslation tr;
};

// Parses, translates and runs one statement (not a definition) on a connection.
Ran runStatement(Storage::Impl& storage, PGconn* conn, std::string_view text, const std::vector<std::string>* only) {
    const std::vector<sql::Token> tokens = sql::tokenize(text);
    if (tokens.front().kind == sql::TokenKind::End) throw Error("The statement is empty");
    const sql::Statement st = sql::parse(tokens, text);
    Resolver resolver(storage, conn);
    resolver.only = only;
    Ran ran;
    ran.tr = pg::translate(st, resolver, text);
    ran.result = run(conn, ran.tr.sql, ran.tr.params, ran.tr.tables, ran.tr.storedColumns);
    if (ran.tr.kind == sql::StatementKind::Insert && ran.tr.setsKey && !ran.tr.returningKey.empty() &&
        PQntuples(ran.result.get()) > 0) {
        // Keys the statement chose itself: the identity continues after the largest, as on
        // files an autoincrement key never gives a value again.
        const std::string table = quoteIdent(ran.tr.tables.front()), key = quoteIdent(ran.tr.returningKey);
        run(conn,
            "SELECT setval(pg_get_serial_sequence($1, $2), greatest((SELECT max(" + key + ") FROM " + table +
                "), pg_sequence_last_value(pg_get_serial_sequence($1, $2)::regclass), 1))",
            {table, ran.tr.returningKey}, ran.tr.tables);
    }
    return ran;
}

std::int64_t affected(const Ran& ran) {
    if (ran.tr.kind == sql::StatementKind::Select) return PQntuples(ran.result.get());
    const char* n = PQcmdTuples(ran.result.get());
    return n && *n ? toInt(n) : 0;
}

std::int64_t lastKeyOf(const Ran& ran, std::int64_t previous) {
    const int rows = PQntuples(ran.result.get());
    if (ran.tr.kind != sql::StatementKind::Insert || ran.tr.returningKey.empty() || rows == 0) return previous;
    return toInt(PQgetvalue(ran.result.get(), rows - 1, 0));
}

std::string serverType(const sql::ColumnDef& c, bool& autoinc) {
    const std::string& t = c.type;
    autoinc = false;
    if (t == "CHAR" || t == "VARCHAR") return "varchar COLLATE \"C\"";
    if (t == "SMALLINT") return "smallint";
    if (t == "INTEGER" || t == "INT") return "integer";
    if (t == "FLOAT" || t == "REAL" || t == "MONEY") return "double precision";
    if (t == "NUMERIC" || t == "DECIMAL") return "numeric";
    if (t == "DATE") return "date";
    if (t == "TIME") return "time(0)";
    if (t == "TIMESTAMP") return "timestamp(0)";
    if (t == "BOOLEAN") return "boolean";
    if (t == "AUTOINC") {
        autoinc = true;
        return "integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    }
    throw Error("Unknown type " + t + " for column " + c.name + " (position " + std::to_string(c.pos) + ")");
}

}  // namespace

std::int64_t Storage::Impl::executeDdl(const sql::Statement& st) {
    using sql::StatementKind;
    PGconn* c = main->get();
    switch (st.kind) {
    case StatementKind::CreateTable: {
        const std::string name = tableNameOf(st.table.path);
        std::vector<std::string> names;
        for (const auto& col : st.columnDefs) {
            for (const auto& n : names)
                if (sql::equalsNoCase(n, col.name)) throw Error("Column " + col.name + " is defined twice");
            names.push_back(col.name);
        }
        for (const auto& k : st.primaryKey)
            if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return sql::equalsNoCase(n, k); }))
                throw Error("Unknown column in PRIMARY KEY: " + k);
        std::string body, autoincColumn;
        for (const auto& col : st.columnDefs) {
            bool autoinc = false;
            const std::string type = serverType(col, autoinc);
            const std::string cname = sql::upperAscii(col.name);
            if (autoinc) {
                if (!autoincColumn.empty()) throw Error("A table can have only one AUTOINC column");
                autoincColumn = cname;
            }
            const bool inKey = std::any_of(st.primaryKey.begin(), st.primaryKey.end(),
                                           [&](const std::string& k) { return sql::equalsNoCase(k, col.name); });
            body += (body.empty() ? "" : ", ") + quoteIdent(cname) + " " + type;
            if ((col.notNull || inKey) && !autoinc) body += " NOT NULL";
            if (col.type == "CHAR" || col.type == "VARCHAR") {
                // A named check rather than varchar(n): an overlong text is refused naming its column.
                const int w = col.width > 0 ? col.width : (col.type == "CHAR" ? 1 : 255);
                body += " CONSTRAINT " + quoteIdent("width:" + cname + ":" + std::to_string(w)) + " CHECK (char_length(" +
                        quoteIdent(cname) + ")<=" + std::to_string(w) + ")";
            }
        }
        if (!st.primaryKey.empty()) {
            const bool justAutoinc = st.primaryKey.size() == 1 && sql::equalsNoCase(st.primaryKey[0], autoincColumn);
            if (!justAutoinc) {
                std::string keys;
                for (const auto& k : st.primaryKey) keys += (keys.empty() ? "" : ",") + quoteIdent(sql::upperAscii(k));
                body += (autoincColumn.empty() ? ", PRIMARY KEY (" : ", UNIQUE (") + keys + ")";
            }
        }
        Result r(PQexec(c, ("CREATE TABLE " + quoteIdent(name) + " (" + body + ")").c_str()));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
            if (state && std::strcmp(state, "42P07") == 0) throw Error("Table already exists: " + name);
            throw Error("Cannot create table " + name + ": " + trimmed(PQresultErrorMessage(r.get())));
        }
        schemas.erase(name);
        return 0;
    }
    case StatementKind::DropTable: {
        const std::string name = tableNameOf(st.table.path);
        auto schema = describe(c, name);
        schemas.erase(name);
        run(c, "DROP TABLE " + quoteIdent(schema->tableName), {}, {schema->tableName});
        return 0;
    }
    case StatementKind::CreateIndex: {
        auto schema = describe(c, tableNameOf(st.table.path));
        std::string cols;
        for (size_t i = 0; i < st.columns.size(); ++i) {
            const int k = schema->findColumn(st.columns[i]);
            if (k < 0) throw Error("Unknown column: " + st.columns[i] + " (" + schema->fileName + " has no such field)");
            cols += (i ? ", " : "") + quoteIdent(schema->columns[static_cast<size_t>(k)].name) + (st.columnDesc[i] ? " DESC" : "");
        }
        run(c,
            std::string("CREATE ") + (st.unique ? "UNIQUE " : "") + "INDEX " + quoteIdent(sql::upperAscii(st.indexName)) + " ON " +
                quoteIdent(schema->tableName) + " (" + cols + ")",
            {}, {schema->tableName});
        return 0;
    }
    case StatementKind::DropIndex: {
        Result r = run(c,
                       "SELECT c.relname FROM pg_class c WHERE c.relkind = 'i' AND upper(c.relname) = upper($1) "
                       "AND pg_table_is_visible(c.oid) LIMIT 1",
                       {st.indexName}, {});
        if (PQntuples(r.get()) == 0) throw Error("Index not found: " + st.indexName);
        run(c, "DROP INDEX " + quoteIdent(PQgetvalue(r.get(), 0, 0)), {}, {});
        return 0;
    }
    default: throw Error("Internal error: not a definition statement");
    }
}

namespace {

// A composed change: a connection of its own in one transaction, holding on each of its
// tables (locked in name order, so two changes never wait for each other in a circle) a lock
// that keeps other writers out until it ends and lets readers read.
class PgChange final : public Change {
public:
    PgChange(std::shared_ptr<Storage::Impl> storage, std::vector<std::string> tables)
        : m_storage(std::move(storage)), m_tables(std::move(tables)) {
        m_conn = m_storage->take();
        m_conn->exec("BEGIN");
        m_active = true;
        try {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_storage->lockTimeoutMs);
            for (const auto& t : m_tables) {
                // All lock waits of the change together last at most the lock timeout.
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) throw Error("Table " + fileNameOf(t) + " is locked by another program");
                m_conn->exec("SET LOCAL lock_timeout = " + std::to_string(left.count()));
                run(m_conn->get(), "LOCK TABLE " + quoteIdent(t) + " IN SHARE ROW EXCLUSIVE MODE", {}, {t});
            }
        } catch (...) {
            rollback();
            throw;
        }
    }
    ~PgChange() override {
        if (m_active) rollback();
    }

    std::int64_t execute(std::string_view sql) override {
        checkUsable();
        try {
            const auto tokens = sql::tokenize(sql);
            if (tokens.front().kind != sql::TokenKind::End && isDdl(tokens.front()))
                throw Error("CREATE and DROP statements cannot be part of a change");
            Ran ran = runStatement(*m_storage, m_conn->get(), sql, &m_tables);
            m_lastKey = lastKeyOf(ran, m_lastKey);
            return affected(ran);
        } catch (...) {
            rollback();
            throw;
        }
    }
    std::unique_ptr<Query> open(std::string_view sql) override {
        checkUsable();
        try {
            Ran ran = runStatement(*m_storage, m_conn->get(), sql, &m_tables);
            if (ran.tr.kind != sql::StatementKind::Select) throw Error("Not a query: use execute() for INSERT, UPDATE and DELETE");
            return std::make_unique<PgQuery>(std::move(ran.result), std::move(ran.tr.fields));
        } catch (...) {
            rollback();
            throw;
        }
    }
    std::int64_t lastInsertKey() const override { return m_lastKey; }
    void commit() override {
        checkUsable();
        Result r(PQexec(m_conn->get(), "COMMIT"));
        if (PQresultStatus(r.get()) == PGRES_COMMAND_OK) {
            m_active = false;
            m_done = true;
            m_storage->giveBack(std::move(m_conn));
            return;
        }
        rollback();
        raise(r.get(), nullptr, m_tables);
    }

private:
    std::shared_ptr<Storage::Impl> m_storage;
    std::vector<std::string> m_tables;
    std::unique_ptr<Connection> m_conn;
    bool m_active = false;
    bool m_done = false;
    std::int64_t m_lastKey = 0;

    void checkUsable() const {
        if (m_done) throw Error("The change is already committed");
        if (!m_active) throw Error("The change failed and was rolled back; begin a new one");
    }
    void rollback() {
        if (!m_active) return;
        m_active = false;
        Result r(PQexec(m_conn->get(), "ROLLBACK"));
        m_storage->giveBack(std::move(m_conn));
    }
};

}  // namespace

Storage::Storage(std::string uri) : m_impl(std::make_shared<Impl>()) {
    m_impl->uri = std::move(uri);
    m_impl->main = std::make_unique<Connection>(m_impl->uri, m_impl->lockTimeoutMs, m_impl->syncWrites);
    m_impl->installSupport();
}

Storage::~Storage() = default;

std::unique_ptr<Query> Storage::open(std::string_view sql) {
    const auto tokens = sql::tokenize(sql);
    if (tokens.front().kind != sql::TokenKind::End && isDdl(tokens.front()))
        throw Error("Not a query: use execute() for CREATE and DROP statements");
    Ran ran = runStatement(*m_impl, m_impl->main->get(), sql, nullptr);
    if (ran.tr.kind != sql::StatementKind::Select) throw Error("Not a query: use execute() for INSERT, UPDATE and DELETE");
    return std::make_unique<PgQuery>(std::move(ran.result), std::move(ran.tr.fields));
}

std::int64_t Storage::execute(std::string_view sql) {
    const auto tokens = sql::tokenize(sql);
    if (tokens.front().kind == sql::TokenKind::End) throw Error("The statement is empty");
    if (isDdl(tokens.front())) return m_impl->executeDdl(sql::parse(tokens, sql));
    return affected(runStatement(*m_impl, m_impl->main->get(), sql, nullptr));
}

std::unique_ptr<TableCursor> Storage::openTable(std::string_view table, std::string_view) {
    throw Error("Table " + fileNameOf(tableNameOf(table)) + " cannot be opened for row editing on a database server yet");
}

std::unique_ptr<Change> Storage::beginChange(const std::vector<std::string>& tables) {
    std::vector<std::string> names;
    for (const auto& t : tables) names.push_back(m_impl->describe(m_impl->main->get(), tableNameOf(t))->tableName);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (names.empty()) throw Error("A change needs at least one table file");
    return std::make_unique<PgChange>(m_impl, std::move(names));
}

void Storage::setLockTimeoutMs(int ms) {
    m_impl->lockTimeoutMs = ms;
    m_impl->main->setLockTimeout(ms);
    for (auto& c : m_impl->idle) c->setLockTimeout(ms);
}

void Storage::setSyncWrites(bool on) {
    m_impl->syncWrites = on;
    m_impl->main->setSync(on);
    for (auto& c : m_impl->idle) c->setSync(on);
}

void Storage::releaseTables() { m_impl->schemas.clear(); }

void Storage::withReadLock(std::string_view table, const std::function<void()>& fn) {
    const std::string name = m_impl->describe(m_impl->main->get(), tableNameOf(table))->tableName;
    Connection& c = *m_impl->main;
    c.exec("BEGIN");
    try {
        run(c.get(), "LOCK TABLE " + quoteIdent(name) + " IN SHARE MODE", {}, {name});
        fn();
    } catch (...) {
        Result r(PQexec(c.get(), "ROLLBACK"));
        throw;
    }
    c.exec("COMMIT");
}

}  // namespace engine::pg
