// TableCursor on a server table: the file storage's cursor (engine/Cursor.cpp) over the
// server, row by row in key order.
//
// Invariants:
//  - navigation seeks by key (("K1","K2") > ($1,$2) ORDER BY "K1","K2" LIMIT 1), so opening,
//    moving and locating never read the whole table; only rowCount/rowNumber/moveTo count;
//  - the current row is known by its key (a table without a key: by its row's place, ctid,
//    which the server changes when the row is written; the cursor follows it);
//  - a refused post() leaves the row in Edit/Insert with the values the user gave.

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

class PgCursor final : public TableCursor {
public:
    PgCursor(std::shared_ptr<Storage::Impl> storage, const std::string& table, const std::string& filter)
        : m_storage(std::move(storage)) {
        m_table = *m_storage->describe(conn(), table);
        for (const auto& c : m_table.columns) m_fields.push_back({c.name, c.type, c.width});
        m_order = m_table.keyColumns;
        if (filter.find_first_not_of(" \t\r\n") != std::string::npos) {
            const auto tokens = sql::tokenize(filter);
            const sql::ExprPtr cond = sql::parseCondition(tokens, filter);
            m_filterSql = translateCondition(*cond, m_table, m_filterParams);
        }
        first();
    }

    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    int fieldIndex(std::string_view name) const override {
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (sql::equalsNoCase(m_fields[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    std::string tableName() const override { return m_table.tableName; }

    bool isEmpty() override { return PQntuples(query("SELECT 1 FROM " + from() + where("") + " LIMIT 1", m_filterParams).get()) == 0; }
    bool first() override { return goToEnd(false); }
    bool last() override { return goToEnd(true); }
    bool next() override { return step(false); }
    bool prior() override { return step(true); }
    bool eof() const override { return m_eof; }
    bool bof() const override { return m_bof; }

    bool locate(const std::vector<std::pair<std::string, Value>>& fieldValues) override {
        autoPost();
        std::string cond;
        Params params = m_filterParams;
        for (const auto& [field, v] : fieldValues) {
            const int c = m_table.findColumn(field);
            if (c < 0) throw Error("Unknown column: " + field + " (" + m_table.fileName + " has no such field)");
            const Column& col = m_table.columns[static_cast<size_t>(c)];
            Value stored;
            try {
                stored = detail::storedValue(v, col);
            } catch (const Error&) {
                if (std::holds_alternative<std::string>(v)) throw;
                return false;  // a number the column cannot hold (2.5 for an integer): no row has it
            }
            cond += (cond.empty() ? "" : " AND ") + quoteIdent(col.name);
            if (std::holds_alternative<std::monostate>(stored)) {
                cond += " IS NULL";
            } else {
                params.push_back(serverText(stored, col.type));
                cond += "=$" + std::to_string(params.size()) + "::" + castOf(col.type);
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

    Value value(int field) const override {
        if (field < 0 || static_cast<size_t>(field) >= m_fields.size()) throw Error("Field index out of range");
        if (m_state != State::Browse) return m_edit[static_cast<size_t>(field)];
        return m_hasRow ? m_row[static_cast<size_t>(field)] : Value();
    }
    std::string text(int field) const override { return displayText(value(field), m_fields[static_cast<size_t>(field)].type); }
    bool isNull(int field) const override { return std::holds_alternative<std::monostate>(value(field)); }

    State state() const override { return m_state; }
    void edit() override {
        if (m_state != State::Browse) return;
        if (!m_hasRow) throw Error("No current row to edit in " + m_table.fileName);
        m_edit = m_row;
        m_modified.assign(m_fields.size(), false);
        m_state = State::Edit;
    }
    void insert() override {
        autoPost();
        m_edit.assign(m_fields.size(), Value());
        m_modified.assign(m_fields.size(), false);
        m_state = State::Insert;
    }
    void append() override { insert(); }
    void setValue(int field, const Value& v) override {
        checkField(field);
        if (m_state == State::Browse) throw Error("The row is not being edited (call edit() or insert() first)");
        m_edit[static_cast<size_t>(field)] = detail::storedValue(v, m_table.columns[static_cast<size_t>(field)]);
        m_modified[static_cast<size_t>(field)] = true;
    }
    void setText(int field, std::string_view text) override {
        checkField(field);
        const Column& c = m_table.columns[static_cast<size_t>(field)];
        if (text.empty() || (text.find_first_not_of(' ') == std::string_view::npos && c.type != FieldType::Text)) {
            setValue(field, Value());
            return;
        }
        switch (c.type) {
        case FieldType::Integer:
        case FieldType::Key:
        case FieldType::Float: {
            std::string t;
            for (char ch : text)
                if (ch != ' ') t += ch;  // a decimal comma is read (and "1,000" refused) below
            sql::Token tok;
            tok.kind = sql::TokenKind::DoubleQuoted;
            tok.text = t;
            Value v = detail::convertLiteral(tok, detail::Conv::Number, c.name);
            if (c.type != FieldType::Float) {
                if (const auto* d = std::get_if<double>(&v)) {
                    if (*d != std::floor(*d)) throw Error("Not a whole number: \"" + std::string(text) + "\" (column " + c.name + ")");
                    v = static_cast<std::int64_t>(*d);
                }
            }
            setValue(field, v);
            return;
        }
        default: setValue(field, std::string(text)); return;
        }
    }
    bool modified() const override {
        return m_state != State::Browse && std::any_of(m_modified.begin(), m_modified.end(), [](bool b) { return b; });
    }

    void post() override {
        if (m_state == State::Browse) return;
        std::vector<int> cols;
        for (size_t i = 0; i < m_modified.size(); ++i)
            if (m_modified[i]) cols.push_back(static_cast<int>(i));
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
    void cancel() override {
        m_state = State::Browse;
        m_edit.clear();
    }
    void remove() override {
        if (m_state == State::Insert) {
            cancel();
            return;
        }
        cancel();
        if (!m_hasRow) throw Error("No current row to delete in " + m_table.fileName);
        Params params;
        run(conn(), "DELETE FROM " + quoteIdent(m_table.tableName) + " WHERE " + keyCondition("=", params), params, {m_table.tableName});
        if (!seekFrom(">", false) && !seekEnd(true)) {
            m_hasRow = false;
            m_eof = m_bof = true;
        }
    }
    std::int64_t lastKey() const override { return m_lastKey; }
    void refresh() override {
        if (m_state != State::Browse || !m_hasRow) return;
        if (!reread() && !seekFrom(">", false) && !seekEnd(true)) {
            m_hasRow = false;
            m_eof = m_bof = true;
        }
    }

private:
    std::shared_ptr<Storage::Impl> m_storage;
    TableSchema m_table;
    std::vector<FieldInfo> m_fields;
    std::string m_filterSql;
    Params m_filterParams;
    std::vector<int> m_order;  // key columns; empty: the row's place (ctid)

    bool m_hasRow = false;
    bool m_eof = true, m_bof = true;
    std::vector<Value> m_row;
    std::vector<std::optional<std::string>> m_rowKey;  // the current row's key (or ctid) as text
    State m_state = State::Browse;
    std::vector<Value> m_edit;
    std::vector<bool> m_modified;
    std::int64_t m_lastKey = 0;

    PGconn* conn() const { return m_storage->mainConn(); }
    Result query(const std::string& sql, const Params& params) { return run(conn(), sql, params, {m_table.tableName}); }

    void checkField(int field) const {
        if (field < 0 || static_cast<size_t>(field) >= m_fields.size()) throw Error("Field index out of range");
    }
    void autoPost() {
        if (m_state != State::Browse) post();
    }

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

    bool seekEnd(bool backward) {
        const bool found = readRow(query(selectSql() + where("") + orderBy(backward) + " LIMIT 1", m_filterParams));
        if (!found) m_hasRow = false;
        return found;
    }
    bool seekFrom(const char* op, bool backward) {
        Params params = m_filterParams;
        const std::string cond = keyCondition(op, params);
        return readRow(query(selectSql() + where(cond) + orderBy(backward) + " LIMIT 1", params));
    }
    // The current row again by its key; false when it is gone.
    bool reread() {
        if (m_rowKey.empty()) return false;
        Params params;
        const std::string cond = keyCondition("=", params);
        return readRow(query(selectSql() + " WHERE " + cond, params));
    }

    // first()/last(): the end reached is flagged even when the table is empty, the other end
    // only then.
    bool goToEnd(bool backward) {
        autoPost();
        const bool ok = seekEnd(backward);
        bool& atEnd = backward ? m_eof : m_bof;
        bool& otherEnd = backward ? m_bof : m_eof;
        atEnd = true;
        otherEnd = !ok;
        return ok;
    }
    // next()/prior(): one row on in key order; past the end the cursor stays on its row, read
    // again, and flags that end.
    bool step(bool backward) {
        autoPost();
        bool& passedEnd = backward ? m_bof : m_eof;
        if (!m_hasRow) {
            passedEnd = true;
            return false;
        }
        if (seekFrom(backward ? "<" : ">", backward)) {
            m_bof = m_eof = false;
            return true;
        }
        reread();
        passedEnd = true;
        return false;
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
