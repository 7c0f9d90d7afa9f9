// TableCursor on a server table: the storage-independent half is CursorBase.h; this is how the
// server seeks, reads and writes the rows, one by one in key order.
//
// Invariants:
//  - navigation seeks by key (("K1","K2") > ($1,$2) ORDER BY "K1","K2" LIMIT 1), so opening,
//    moving and locating never read the whole table; only rowCount/rowNumber/moveTo count;
//  - the current row is known by its key (a table without a key: by its row's place, ctid,
//    which the server changes when the row is written; the cursor follows it).

#include "CursorBase.h"
#include "Parser.h"
#include "PgInternal.h"
#include "PgTranslator.h"

namespace engine::pg {

namespace {

using Params = std::vector<std::optional<std::string>>;

// A value in the server's text form for a column of the type, and the cast that reads it.
std::optional<std::string> serverText(const Value& v, FieldType type) {
    if (std::holds_alternative<std::monostate>(v)) return std::nullopt;
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    const bool isInt = std::holds_alternative<std::int64_t>(v);
    const double d = isInt ? static_cast<double>(std::get<std::int64_t>(v)) : std::get<double>(v);
    const std::int64_t whole = isInt ? std::get<std::int64_t>(v) : static_cast<std::int64_t>(std::floor(d));
    switch (type) {
    case FieldType::Date: return isoDate(whole);
    case FieldType::Time: return isoTime(whole);
    case FieldType::Timestamp: return isoTimestamp(d);
    case FieldType::Boolean: return whole ? "true" : "false";
    case FieldType::Integer:
    case FieldType::Key: return std::to_string(isInt ? whole : std::llround(d));
    case FieldType::Float: return isInt ? std::to_string(whole) : detail::formatFloat(d);
    default: return displayText(v, type == FieldType::Text ? FieldType::Float : type);
    }
}

const char* castOf(FieldType type) {
    switch (type) {
    case FieldType::Date: return "date";
    case FieldType::Time: return "time";
    case FieldType::Timestamp: return "timestamp";
    case FieldType::Boolean: return "boolean";
    case FieldType::Integer:
    case FieldType::Key: return "bigint";
    case FieldType::Float: return "float8";
    default: return "text";
    }
}

class PgCursor final : public detail::CursorBase {
public:
    PgCursor(std::shared_ptr<Storage::Impl> storage, const std::string& table, const std::string& filter)
        : m_storage(std::move(storage)) {
        setTable(*m_storage->describe(conn(), table));
        m_order = m_table.keyColumns;
        if (filter.find_first_not_of(" \t\r\n") != std::string::npos) {
            const auto tokens = sql::tokenize(filter);
            const sql::ExprPtr cond = sql::parseCondition(tokens, filter);
            m_filterSql = translateCondition(*cond, m_table, m_filterParams);
        }
        first();
    }

    bool isEmpty() override { return PQntuples(query("SELECT 1 FROM " + from() + where("") + " LIMIT 1", m_filterParams).get()) == 0; }

    bool locate(const std::vector<std::pair<std::string, Value>>& fieldValues) override {
        autoPost();
        const auto located = locateValues(fieldValues);
        if (!located) return false;
        std::string cond;
        Params params = m_filterParams;
        for (const auto& [col, stored] : *located) {
            cond += (cond.empty() ? "" : " AND ") + quoteIdent(col->name);
            if (std::holds_alternative<std::monostate>(stored)) {
                cond += " IS NULL";
            } else {
                params.push_back(serverText(stored, col->type));
                cond += "=$" + std::to_string(params.size()) + "::" + castOf(col->type);
            }
        }
        if (cond.empty()) return m_hasRow;
        return landOn(query(selectSql() + where(cond) + orderBy(false) + " LIMIT 1", params));
    }

    std::int64_t rowCount() override {
        return toInt(PQgetvalue(query("SELECT count(*) FROM " + from() + where(""), m_filterParams).get(), 0, 0));
    }
    std::int64_t rowNumber() override {
        if (!m_hasRow) return -1;
        Params params = m_filterParams;
        const std::string cond = keyCondition("<", params);
        return toInt(PQgetvalue(query("SELECT count(*) FROM " + from() + where(cond), params).get(), 0, 0));
    }
    bool moveTo(std::int64_t rowNumber) override {
        autoPost();
        if (rowNumber < 0) return false;
        Params params = m_filterParams;
        params.push_back(std::to_string(rowNumber));
        return landOn(query(selectSql() + where("") + orderBy(false) + " LIMIT 1 OFFSET $" + std::to_string(params.size()) + "::bigint",
                            params));
    }

    void post() override {
        if (m_state == State::Browse) return;
        const std::vector<int> cols = modifiedColumns();
        if (m_state == State::Edit && cols.empty()) {
            m_state = State::Browse;
            return;
        }
        Params params;
        std::string sql;
        const std::string target = quoteIdent(m_table.tableName);
        const auto bindColumn = [&](int c) {
            const Column& col = m_table.columns[static_cast<size_t>(c)];
            params.push_back(serverText(m_edit[static_cast<size_t>(c)], col.type));
            return "$" + std::to_string(params.size()) + "::" + castOf(col.type);
        };
        if (m_state == State::Edit) {
            sql = "UPDATE " + target + " SET ";
            for (size_t i = 0; i < cols.size(); ++i)
                sql += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(cols[i])].name) + "=" + bindColumn(cols[i]);
            sql += " WHERE " + keyCondition("=", params);
        } else if (cols.empty()) {
            sql = "INSERT INTO " + target + " DEFAULT VALUES";
        } else {
            std::string names, values;
            for (size_t i = 0; i < cols.size(); ++i) {
                names += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(cols[i])].name);
                values += (i ? "," : "") + bindColumn(cols[i]);
            }
            sql = "INSERT INTO " + target + " (" + names + ") VALUES (" + values + ")";
        }
        sql += " RETURNING " + keyColumns();
        Result r = run(conn(), sql, params, {m_table.tableName});
        if (PQntuples(r.get()) == 0) throw Error("The row was deleted by another program (" + m_table.fileName + ")");
        m_rowKey.clear();
        for (int i = 0; i < PQnfields(r.get()); ++i) m_rowKey.push_back(std::string(PQgetvalue(r.get(), 0, i)));
        if (m_table.rowidKey) {
            m_lastKey = toInt(PQgetvalue(r.get(), 0, 0));
            if (m_state == State::Insert && m_modified[static_cast<size_t>(m_order.front())])
                advanceIdentity(conn(), m_table.tableName, m_table.columns[static_cast<size_t>(m_order.front())].name);
        }
        m_state = State::Browse;
        m_hasRow = true;
        reread();
    }

private:
    std::shared_ptr<Storage::Impl> m_storage;
    std::string m_filterSql;
    Params m_filterParams;
    std::vector<int> m_order;  // key columns; empty: the row's place (ctid)
    std::vector<std::optional<std::string>> m_rowKey;  // the current row's key (or ctid) as text

    PGconn* conn() const { return m_storage->mainConn(); }
    Result query(const std::string& sql, const Params& params) { return run(conn(), sql, params, {m_table.tableName}); }

    std::string from() const { return quoteIdent(m_table.tableName); }
    std::string keyColumns() const {
        if (m_order.empty()) return "ctid::text";
        std::string s;
        for (size_t i = 0; i < m_order.size(); ++i) s += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(m_order[i])].name);
        return s;
    }
    std::string selectSql() const {
        std::string s = "SELECT " + keyColumns();
        for (const auto& c : m_table.columns) s += "," + quoteIdent(c.name);
        return s + " FROM " + from();
    }
    std::string where(const std::string& extra) const {
        std::string w;
        if (!m_filterSql.empty()) w = "(" + m_filterSql + ")";
        if (!extra.empty()) w += (w.empty() ? "" : " AND ") + extra;
        return w.empty() ? "" : " WHERE " + w;
    }
    std::string orderBy(bool desc) const {
        if (m_order.empty()) return std::string(" ORDER BY ctid") + (desc ? " DESC" : "");
        std::string s = " ORDER BY ";
        for (size_t i = 0; i < m_order.size(); ++i)
            s += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(m_order[i])].name) + (desc ? " DESC" : "");
        return s;
    }
    // The current row's key compared by op; its values appended to params.
    std::string keyCondition(const char* op, Params& params) const {
        if (m_order.empty()) {
            params.push_back(m_rowKey.at(0));
            return std::string("ctid") + op + "$" + std::to_string(params.size()) + "::tid";
        }
        std::string l = "(", r = "(";
        for (size_t i = 0; i < m_order.size(); ++i) {
            const Column& c = m_table.columns[static_cast<size_t>(m_order[i])];
            params.push_back(m_rowKey.at(i));
            l += (i ? "," : "") + quoteIdent(c.name);
            r += (i ? "," : "") + ("$" + std::to_string(params.size()) + "::" + castOf(c.type));
        }
        return l + ")" + op + r + ")";
    }

    // Reads the first row of r (key columns first) as the current row; false when it has none.
    bool readRow(const Result& r) {
        if (PQntuples(r.get()) == 0) return false;
        const int keys = m_order.empty() ? 1 : static_cast<int>(m_order.size());
        m_rowKey.clear();
        for (int i = 0; i < keys; ++i) m_rowKey.push_back(std::string(PQgetvalue(r.get(), 0, i)));
        m_row.resize(m_fields.size());
        for (size_t i = 0; i < m_fields.size(); ++i) {
            const int col = keys + static_cast<int>(i);
            m_row[i] = PQgetisnull(r.get(), 0, col)
                           ? Value()
                           : readValue(PQgetvalue(r.get(), 0, col), PQgetlength(r.get(), 0, col), PQftype(r.get(), col), m_fields[i].type);
        }
        m_hasRow = true;
        return true;
    }

    bool seekEnd(bool backward) override {
        const bool found = readRow(query(selectSql() + where("") + orderBy(backward) + " LIMIT 1", m_filterParams));
        if (!found) m_hasRow = false;
        return found;
    }
    bool seekBeyond(bool backward) override {
        Params params = m_filterParams;
        const std::string cond = keyCondition(backward ? "<" : ">", params);
        return readRow(query(selectSql() + where(cond) + orderBy(backward) + " LIMIT 1", params));
    }
    // The current row again by its key; false when it is gone.
    bool reread() override {
        if (m_rowKey.empty()) return false;
        Params params;
        const std::string cond = keyCondition("=", params);
        return readRow(query(selectSql() + " WHERE " + cond, params));
    }
    void deleteCurrent() override {
        Params params;
        run(conn(), "DELETE FROM " + quoteIdent(m_table.tableName) + " WHERE " + keyCondition("=", params), params, {m_table.tableName});
    }
    // locate()/moveTo(): the result's row, when there is one, becomes the current row away
    // from both ends; without one the cursor stays where it was.
    bool landOn(const Result& r) {
        const bool found = readRow(r);
        if (found) m_bof = m_eof = false;
        return found;
    }
};

}  // namespace

std::unique_ptr<TableCursor> openServerCursor(std::shared_ptr<Storage::Impl> storage, const std::string& table,
                                              const std::string& filter) {
    return std::make_unique<PgCursor>(std::move(storage), table, filter);
}

}  // namespace engine::pg
