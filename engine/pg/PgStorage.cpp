// The PostgreSQL storage: connections, table descriptions read from the catalog, statements
// run with typed parameters, results read into the engine's values, composed changes as
// transactions and the server's failures in the file storage's words. See PgStorage.h.

#include "PgStorage.h"

#include "Parser.h"
#include "PgCopy.h"
#include "PgInternal.h"
#include "PgTranslator.h"

#include <chrono>
#include <set>

#include <poll.h>
#include <unistd.h>

namespace engine::pg {

bool isServerUri(std::string_view location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

namespace {

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
        advanceIdentity(conn, ran.tr.tables.front(), ran.tr.returningKey);
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
    PGconn* c = mainConn();
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
        // Other programs learn of every write to the new table (PgStorage.h).
        Result r(PQexec(c, ("CREATE TABLE " + quoteIdent(name) + " (" + body + "); " + notifyTriggerSql(name)).c_str()));
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) {
            const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
            if (state && std::strcmp(state, "42P07") == 0) throw Error("Table already exists: " + name);
            throw Error("Cannot create table " + name + ": " + trimmed(PQresultErrorMessage(r.get())));
        }
        if (name == kIntervalTable) {
            Result index(PQexec(c, intervalIndexSetupSql().c_str()));  // without it statements run as they are
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
    void insertRows(std::string_view table, const std::vector<FieldInfo>& columns,
                    const std::vector<std::vector<Value>>& rows) override {
        checkUsable();
        try {
            copyRowsIn(*m_storage, m_conn->get(), m_tables, table, columns, rows);
        } catch (...) {
            rollback();
            throw;
        }
    }
    void commit() override {
        checkUsable();
        Result r(PQexec(m_conn->get(), "COMMIT"));
        if (PQresultStatus(r.get()) == PGRES_COMMAND_OK) {
            m_active = false;
            m_done = true;
            m_storage->giveBack(std::move(m_conn));
            return;
        }
        PGconn* c = m_conn->get();
        try {
            raise(r.get(), c, m_tables);
        } catch (...) {
            rollback();
            throw;
        }
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

// ---------------------------------------------------------------- other programs' changes

ChangeListener::~ChangeListener() {
    if (m_conn) PQfinish(m_conn);
}

// Drops the connection; the next poll after a pause makes a new one.
void ChangeListener::fail() {
    if (m_conn) PQfinish(m_conn);
    m_conn = nullptr;
    if (m_state == State::Listening) m_lost = true;
    m_state = State::Idle;
    m_nextAttempt = std::chrono::steady_clock::now() + std::chrono::seconds(2);
}

// One step of making the connection, taken only when its socket is ready (so it never
// waits). True when the connection is made.
bool ChangeListener::advanceConnect() {
    for (;;) {
        pollfd p{PQsocket(m_conn), static_cast<short>(m_connectPoll == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        if (p.fd < 0 || ::poll(&p, 1, 0) < 0) return fail(), false;
        if (p.revents == 0) {
            if (std::chrono::steady_clock::now() - m_started > std::chrono::seconds(10)) fail();
            return false;
        }
        m_connectPoll = PQconnectPoll(m_conn);
        if (m_connectPoll == PGRES_POLLING_FAILED) return fail(), false;
        if (m_connectPoll == PGRES_POLLING_OK) return true;
    }
}

// Reads the answers to LISTEN and the search path's schemas as they arrive. True when all came.
bool ChangeListener::advanceSetup() {
    if (!PQconsumeInput(m_conn)) return fail(), false;
    while (!PQisBusy(m_conn)) {
        Result r(PQgetResult(m_conn));
        if (!r) return true;
        const auto st = PQresultStatus(r.get());
        if (st == PGRES_TUPLES_OK)
            for (int i = 0; i < PQntuples(r.get()); ++i) m_schemas.emplace_back(PQgetvalue(r.get(), i, 0));
        else if (st != PGRES_COMMAND_OK) return fail(), false;
    }
    if (PQflush(m_conn) < 0) fail();
    return false;
}

std::vector<std::string> ChangeListener::poll(const std::string& uri, const std::function<bool(int)>& own,
                                              const std::vector<std::string>& usedTables) {
    const auto now = std::chrono::steady_clock::now();
    if (m_state == State::Idle) {
        if (now < m_nextAttempt) return {};
        // Keepalives find a connection the network dropped without a word (the URI may say otherwise).
        const char* keys[] = {"application_name", "keepalives_idle", "keepalives_interval", "keepalives_count", "dbname", nullptr};
        // The administrator sees which program listens (and a test finds its own listener).
        const std::string name = "tamarel listener " + std::to_string(::getpid());
        const char* values[] = {name.c_str(), "30", "10", "3", uri.c_str(), nullptr};
        m_conn = PQconnectStartParams(keys, values, 1);
        if (!m_conn || PQstatus(m_conn) == CONNECTION_BAD) return fail(), std::vector<std::string>{};
        PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);  // a dropped connection is made again quietly
        m_state = State::Connecting;
        m_connectPoll = PGRES_POLLING_WRITING;
        m_started = now;
    }
    if (m_state == State::Connecting) {
        if (!advanceConnect()) return {};
        PQsetnonblocking(m_conn, 1);
        m_schemas.clear();
        const std::string setup = std::string("SET client_encoding = 'UTF8'; LISTEN ") + kChangesChannel +
                                  "; SELECT unnest(current_schemas(false))";
        if (!PQsendQuery(m_conn, setup.c_str())) return fail(), std::vector<std::string>{};
        m_state = State::Setup;
    }
    if (m_state == State::Setup) {
        if (!advanceSetup()) return {};
        m_state = State::Listening;
        const bool again = m_listenedBefore && m_lost;
        m_listenedBefore = true;
        m_lost = false;
        // Changes made while nobody listened went unheard: every table in use may have changed.
        if (again) return usedTables;
        // Notifications that came with the answers are read below.
    }
    if (!PQconsumeInput(m_conn) || PQstatus(m_conn) != CONNECTION_OK) return fail(), std::vector<std::string>{};
    std::set<std::string> changed;
    while (PGnotify* n = PQnotifies(m_conn)) {
        const std::string payload = n->extra ? n->extra : "";
        const int pid = n->be_pid;
        PQfreemem(n);
        if (own(pid)) continue;
        for (const auto& schema : m_schemas)
            if (payload.size() > schema.size() + 1 && payload.compare(0, schema.size(), schema) == 0 &&
                payload[schema.size()] == '.')
                changed.insert(payload.substr(schema.size() + 1));
    }
    return {changed.begin(), changed.end()};
}

Storage::Storage(std::string uri, int lockTimeoutMs, bool syncWrites) : m_impl(std::make_shared<Impl>()) {
    m_impl->uri = std::move(uri);
    m_impl->lockTimeoutMs = lockTimeoutMs;
    m_impl->syncWrites = syncWrites;
}

Storage::~Storage() = default;

std::unique_ptr<Query> Storage::open(std::string_view sql) {
    const auto tokens = sql::tokenize(sql);
    if (tokens.front().kind != sql::TokenKind::End && isDdl(tokens.front()))
        throw Error("Not a query: use execute() for CREATE and DROP statements");
    Ran ran = runStatement(*m_impl, m_impl->mainConn(), sql, nullptr);
    if (ran.tr.kind != sql::StatementKind::Select) throw Error("Not a query: use execute() for INSERT, UPDATE and DELETE");
    return std::make_unique<PgQuery>(std::move(ran.result), std::move(ran.tr.fields));
}

std::int64_t Storage::execute(std::string_view sql) {
    const auto tokens = sql::tokenize(sql);
    if (tokens.front().kind == sql::TokenKind::End) throw Error("The statement is empty");
    if (isDdl(tokens.front())) return m_impl->executeDdl(sql::parse(tokens, sql));
    return affected(runStatement(*m_impl, m_impl->mainConn(), sql, nullptr));
}

std::unique_ptr<TableCursor> Storage::openTable(std::string_view table, std::string_view filter) {
    return openServerCursor(m_impl, tableNameOf(table), std::string(filter));
}

std::unique_ptr<Change> Storage::beginChange(const std::vector<std::string>& tables) {
    std::vector<std::string> names;
    for (const auto& t : tables) names.push_back(m_impl->describe(m_impl->mainConn(), tableNameOf(t))->tableName);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (names.empty()) throw Error("A change needs at least one table file");
    return std::make_unique<PgChange>(m_impl, std::move(names));
}

void Storage::setLockTimeoutMs(int ms) {
    m_impl->lockTimeoutMs = ms;
    if (m_impl->main) m_impl->main->setLockTimeout(ms);
    for (auto& c : m_impl->idle) c->setLockTimeout(ms);
}

void Storage::setSyncWrites(bool on) {
    m_impl->syncWrites = on;
    if (m_impl->main) m_impl->main->setSync(on);
    for (auto& c : m_impl->idle) c->setSync(on);
}

void Storage::releaseTables() { m_impl->schemas.clear(); }

std::vector<std::string> Storage::changedTables() {
    std::vector<std::string> used;
    for (const auto& [name, schema] : m_impl->schemas) used.push_back(schema->tableName);
    Impl& impl = *m_impl;
    return impl.listener.poll(impl.uri, [&impl](int pid) { return impl.isOwnProcess(pid); }, used);
}

void Storage::withReadLock(std::string_view table, const std::function<void()>& fn) {
    const std::string name = m_impl->describe(m_impl->mainConn(), tableNameOf(table))->tableName;
    // fn may run statements of its own on the same connection (inside the lock).
    m_impl->main->exec("BEGIN");
    try {
        run(m_impl->main->get(), "LOCK TABLE " + quoteIdent(name) + " IN SHARE MODE", {}, {name});
        fn();
    } catch (...) {
        Result r(PQexec(m_impl->main->get(), "ROLLBACK"));
        throw;
    }
    m_impl->main->exec("COMMIT");
}

}  // namespace engine::pg
