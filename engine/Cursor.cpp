// TableCursor: direct row editing of one table file in key order.
//
// Invariants:
//  - navigation seeks by key ((k1,k2) > (?,?) ORDER BY k1,k2 LIMIT 1), so opening, moving and
//    locating never read the whole table; only rowCount/rowNumber/moveTo count;
//  - no read lock is held between calls: each seek steps once and resets its statement;
//  - a refused post() leaves the row in Edit/Insert with the values the user gave;
//  - the cursor re-resolves its file on every call, so the core may detach it meanwhile.

#include "Core.h"
#include "pg/PgStorage.h"
#include "Parser.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace engine {

namespace detail {

namespace {

class CursorImpl final : public TableCursor {
public:
    CursorImpl(std::shared_ptr<Core> core, std::string path, std::string filter)
        : m_core(std::move(core)), m_path(std::move(path)), m_filterText(std::move(filter)) {
        ensure();
        first();
    }
    ~CursorImpl() override { dropStatements(); }

    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    int fieldIndex(std::string_view name) const override {
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (sql::equalsNoCase(m_fields[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    std::string tableName() const override { return m_table.tableName; }

    bool isEmpty() override {
        ensure();
        sqlite3_stmt* st = statement("empty", "SELECT 1 FROM " + from() + where("") + " LIMIT 1");
        bindFilter(st);
        const bool any = stepRow(st);
        release(st);
        return !any;
    }

    bool first() override { return goToEnd(false); }
    bool last() override { return goToEnd(true); }
    bool next() override { return step(false); }
    bool prior() override { return step(true); }
    bool eof() const override { return m_eof; }
    bool bof() const override { return m_bof; }

    bool locate(const std::vector<std::pair<std::string, Value>>& fieldValues) override {
        autoPost();
        ensure();
        std::string cond;
        std::string name = "locate";
        std::vector<Value> values;
        for (const auto& [field, v] : fieldValues) {
            const int c = m_table.findColumn(field);
            if (c < 0) throw Error("Unknown column: " + field + " (" + m_table.fileName + " has no such field)");
            const Column& col = m_table.columns[static_cast<size_t>(c)];
            Value stored;
            try {
                stored = storedValue(v, col);
            } catch (const Error&) {
                if (std::holds_alternative<std::string>(v)) throw;
                return false;  // a number the column cannot hold (2.5 for an integer): no row has it
            }
            cond += (cond.empty() ? "" : " AND ") + quoteIdent(col.name);
            if (std::holds_alternative<std::monostate>(stored)) {
                cond += " IS NULL";
                name += ":" + col.name + "=null";
            } else {
                cond += "=?" + std::to_string(m_filterValues.size() + values.size() + 1);
                values.push_back(stored);
                name += ":" + col.name;
            }
        }
        if (cond.empty()) return m_hasRow;
        sqlite3_stmt* st = statement(name, selectSql() + where(cond) + orderBy(false) + " LIMIT 1");
        bindFilter(st);
        for (size_t i = 0; i < values.size(); ++i)
            Core::bindValue(st, static_cast<int>(m_filterValues.size() + i + 1), values[i]);
        return landOn(st);
    }

    std::int64_t rowCount() override {
        ensure();
        sqlite3_stmt* st = statement("count", "SELECT count(*) FROM " + from() + where(""));
        bindFilter(st);
        stepRow(st);
        const std::int64_t n = sqlite3_column_int64(st, 0);
        release(st);
        return n;
    }
    std::int64_t rowNumber() override {
        ensure();
        if (!m_hasRow) return -1;
        sqlite3_stmt* st = statement("rownumber", "SELECT count(*) FROM " + from() + where(keyCondition("<")));
        bindFilter(st);
        bindKey(st, currentKey());
        stepRow(st);
        const std::int64_t n = sqlite3_column_int64(st, 0);
        release(st);
        return n;
    }
    bool moveTo(std::int64_t rowNumber) override {
        autoPost();
        ensure();
        if (rowNumber < 0) return false;
        sqlite3_stmt* st = statement("moveto", selectSql() + where("") + orderBy(false) + " LIMIT 1 OFFSET ?" +
                                                   std::to_string(m_filterValues.size() + 1));
        bindFilter(st);
        sqlite3_bind_int64(st, static_cast<int>(m_filterValues.size() + 1), rowNumber);
        return landOn(st);
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
        m_edit[static_cast<size_t>(field)] = storedValue(v, m_table.columns[static_cast<size_t>(field)]);
        m_modified[static_cast<size_t>(field)] = true;
    }
    void setText(int field, std::string_view text) override {
        checkField(field);
        const Column& c = m_table.columns[static_cast<size_t>(field)];
        if (text.find_first_not_of(' ') == std::string_view::npos && c.type != FieldType::Text) {
            setValue(field, Value());
            return;
        }
        if (text.empty()) {
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
            Value v = convertLiteral(tok, Conv::Number, c.name);
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
        WaitScope wait(*m_core);
        ensure();
        std::vector<int> cols;
        for (size_t i = 0; i < m_modified.size(); ++i)
            if (m_modified[i]) cols.push_back(static_cast<int>(i));
        if (m_state == State::Edit && cols.empty()) {
            m_state = State::Browse;
            return;
        }
        std::string sql;
        const std::string target = quoteIdent(m_schema) + "." + quoteIdent(m_table.tableName);
        if (m_state == State::Edit) {
            sql = "UPDATE " + target + " SET ";
            for (size_t i = 0; i < cols.size(); ++i)
                sql += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(cols[i])].name) + "=?" + std::to_string(i + 1);
            sql += " WHERE rowid=?" + std::to_string(cols.size() + 1);
        } else if (cols.empty()) {
            sql = "INSERT INTO " + target + " DEFAULT VALUES";
        } else {
            sql = "INSERT INTO " + target + " (";
            std::string vals;
            for (size_t i = 0; i < cols.size(); ++i) {
                sql += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(cols[i])].name);
                vals += (i ? ",?" : "?") + std::to_string(i + 1);
            }
            sql += ") VALUES (" + vals + ")";
        }
        sqlite3_stmt* st = m_core->prepareRaw(sql, {m_path}, false);
        for (size_t i = 0; i < cols.size(); ++i) Core::bindValue(st, static_cast<int>(i + 1), m_edit[static_cast<size_t>(cols[i])]);
        if (m_state == State::Edit) sqlite3_bind_int64(st, static_cast<int>(cols.size() + 1), m_rowid);
        m_core->pin({m_path});
        const int rc = sqlite3_step(st);
        const std::string msg = sqlite3_errmsg(m_core->db());
        const std::int64_t rowid = sqlite3_last_insert_rowid(m_core->db());
        sqlite3_finalize(st);
        m_core->unpin({m_path});
        if (rc != SQLITE_DONE) m_core->raiseMessage(rc, msg, {m_path});
        if (m_state == State::Insert) {
            m_rowid = rowid;
            m_lastKey = rowid;
        } else {
            m_lastKey = m_rowid;
        }
        m_state = State::Browse;
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
        WaitScope wait(*m_core);
        cancel();
        ensure();
        if (!m_hasRow) throw Error("No current row to delete in " + m_table.fileName);
        const std::vector<Value> key = currentKey();
        sqlite3_stmt* st = m_core->prepareRaw("DELETE FROM " + quoteIdent(m_schema) + "." + quoteIdent(m_table.tableName) +
                                                  " WHERE rowid=?1",
                                              {m_path}, false);
        sqlite3_bind_int64(st, 1, m_rowid);
        const int rc = sqlite3_step(st);
        const std::string msg = sqlite3_errmsg(m_core->db());
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) m_core->raiseMessage(rc, msg, {m_path});
        if (!seek("next", keyCondition(">"), false, key)) {
            if (!seek("last", "", true, {})) {
                m_hasRow = false;
                m_eof = m_bof = true;
            }
        }
    }
    std::int64_t lastKey() const override { return m_lastKey; }
    void refresh() override {
        ensure();
        if (m_state != State::Browse || !m_hasRow) return;
        const std::vector<Value> key = currentKey();
        if (!reread()) {
            if (!seek("next", keyCondition(">"), false, key) && !seek("last", "", true, {})) {
                m_hasRow = false;
                m_eof = m_bof = true;
            }
        }
    }

private:
    std::shared_ptr<Core> m_core;
    std::string m_path;
    std::string m_filterText;
    std::string m_schema;
    TableSchema m_table;
    std::vector<FieldInfo> m_fields;
    std::string m_filterSql;
    std::vector<Value> m_filterValues;
    std::vector<int> m_order;     // key columns; empty: rowid
    std::map<std::string, sqlite3_stmt*> m_statements;

    bool m_hasRow = false;
    bool m_eof = true, m_bof = true;
    std::vector<Value> m_row;
    std::int64_t m_rowid = 0;
    State m_state = State::Browse;
    std::vector<Value> m_edit;
    std::vector<bool> m_modified;
    std::int64_t m_lastKey = 0;

    void checkField(int field) const {
        if (field < 0 || static_cast<size_t>(field) >= m_fields.size()) throw Error("Field index out of range");
    }

    void autoPost() {
        if (m_state != State::Browse) post();
    }

    void dropStatements() {
        for (auto& [k, st] : m_statements) sqlite3_finalize(st);
        m_statements.clear();
    }

    // Attaches the file if the core let go of it; rebuilds statements for a new schema name.
    void ensure() {
        m_core->followRestores();
        Attached& a = m_core->attach(m_path);
        if (a.schema == m_schema) return;
        dropStatements();
        m_schema = a.schema;
        const bool first = m_fields.empty();
        m_table = a.table;
        m_fields.clear();
        for (const auto& c : m_table.columns)
            m_fields.push_back({c.name, c.type, c.width});
        m_order = m_table.rowidKey ? std::vector<int>{} : m_table.keyColumns;
        if (first && m_filterText.find_first_not_of(" \t\r\n") != std::string::npos) {
            const auto tokens = sql::tokenize(m_filterText);
            const sql::ExprPtr cond = sql::parseCondition(tokens, m_filterText);
            std::vector<ParamSlot> params;
            m_filterSql = translateCondition(*cond, m_table, params);
            std::vector<const sql::Token*> literals;
            for (const auto& t : tokens)
                if (t.isLiteral()) literals.push_back(&t);
            for (const auto& p : params)
                m_filterValues.push_back(convertParam(*literals[static_cast<size_t>(p.literalIndex)], p));
        }
    }

    std::string from() const { return quoteIdent(m_schema) + "." + quoteIdent(m_table.tableName); }
    std::string selectSql() const {
        std::string s = "SELECT rowid";
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
        std::string s = " ORDER BY ";
        if (m_order.empty()) return s + "rowid" + (desc ? " DESC" : "");
        for (size_t i = 0; i < m_order.size(); ++i)
            s += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(m_order[i])].name) + (desc ? " DESC" : "");
        return s;
    }
    std::string keyCondition(const char* op) const {
        const size_t base = m_filterValues.size();
        if (m_order.empty()) return std::string("rowid") + op + "?" + std::to_string(base + 1);
        std::string l = "(", r = "(";
        for (size_t i = 0; i < m_order.size(); ++i) {
            l += (i ? "," : "") + quoteIdent(m_table.columns[static_cast<size_t>(m_order[i])].name);
            r += (i ? ",?" : "?") + std::to_string(base + i + 1);
        }
        return l + ")" + op + r + ")";
    }
    std::vector<Value> currentKey() const {
        if (m_order.empty()) return {Value(m_rowid)};
        std::vector<Value> k;
        for (int c : m_order) k.push_back(m_row[static_cast<size_t>(c)]);
        return k;
    }

    sqlite3_stmt* statement(const std::string& name, const std::string& sql) {
        auto it = m_statements.find(name);
        if (it != m_statements.end()) return it->second;
        sqlite3_stmt* st = m_core->prepareRaw(sql, {m_path}, true);
        m_statements.emplace(name, st);
        return st;
    }
    void bindFilter(sqlite3_stmt* st) {
        for (size_t i = 0; i < m_filterValues.size(); ++i) Core::bindValue(st, static_cast<int>(i + 1), m_filterValues[i]);
    }
    void bindKey(sqlite3_stmt* st, const std::vector<Value>& key) {
        for (size_t i = 0; i < key.size(); ++i) Core::bindValue(st, static_cast<int>(m_filterValues.size() + i + 1), key[i]);
    }
    bool stepRow(sqlite3_stmt* st) {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        const std::string msg = sqlite3_errmsg(m_core->db());
        sqlite3_reset(st);
        m_core->raiseMessage(rc, msg, {m_path});
    }
    static void release(sqlite3_stmt* st) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    void readRow(sqlite3_stmt* st) {
        m_rowid = sqlite3_column_int64(st, 0);
        m_row.resize(m_fields.size());
        for (size_t i = 0; i < m_fields.size(); ++i) m_row[i] = readColumn(st, static_cast<int>(i + 1), m_fields[i].type);
        m_hasRow = true;
    }
    // first()/last(): the end reached is flagged even when the table is empty, the other end
    // only then.
    bool goToEnd(bool backward) {
        autoPost();
        ensure();
        const bool ok = seek(backward ? "last" : "first", "", backward, {});
        bool& atEnd = backward ? m_eof : m_bof;
        bool& otherEnd = backward ? m_bof : m_eof;
        atEnd = true;
        otherEnd = !ok;
        return ok;
    }

    // next()/prior(): one row on in key order; past the end the cursor stays on its row, read
    // again by row id, and flags that end.
    bool step(bool backward) {
        autoPost();
        ensure();
        bool& passedEnd = backward ? m_bof : m_eof;
        if (!m_hasRow) {
            passedEnd = true;
            return false;
        }
        if (seek(backward ? "prior" : "next", keyCondition(backward ? "<" : ">"), backward, currentKey())) {
            m_bof = m_eof = false;
            return true;
        }
        reread();
        passedEnd = true;
        return false;
    }

    // locate()/moveTo(): the bound statement's row, when there is one, becomes the current row
    // away from both ends; without one the cursor stays where it was.
    bool landOn(sqlite3_stmt* st) {
        const bool found = stepRow(st);
        if (found) {
            readRow(st);
            m_bof = m_eof = false;
        }
        release(st);
        return found;
    }

    bool seek(const std::string& name, const std::string& cond, bool desc, const std::vector<Value>& key) {
        sqlite3_stmt* st = statement(name, selectSql() + where(cond) + orderBy(desc) + " LIMIT 1");
        bindFilter(st);
        bindKey(st, key);
        const bool found = stepRow(st);
        if (found) readRow(st);
        else if (cond.empty()) m_hasRow = false;
        release(st);
        return found;
    }
    // Re-reads the current row by its row id; false when it is gone.
    bool reread() {
        if (!m_hasRow && m_rowid == 0) return false;
        sqlite3_stmt* st = statement("byrowid", selectSql() + " WHERE rowid=?1");
        sqlite3_bind_int64(st, 1, m_rowid);
        const bool found = stepRow(st);
        if (found) readRow(st);
        release(st);
        return found;
    }
};

}  // namespace

}  // namespace detail

std::unique_ptr<TableCursor> Database::openTable(std::string_view tableFile, std::string_view filter) {
    if (m_impl->server) return m_impl->server->openTable(tableFile, filter);
    auto& core = m_impl->core;
    const std::string path = core->resolvePath(tableFile, true);
    return std::make_unique<detail::CursorImpl>(core, path, std::string(filter));
}

}  // namespace engine
