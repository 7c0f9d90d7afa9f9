// TableCursor: direct row editing of one table file in key order (the storage-independent
// half is CursorBase.h).
//
// Invariants:
//  - navigation seeks by key ((k1,k2) > (?,?) ORDER BY k1,k2 LIMIT 1), so opening, moving and
//    locating never read the whole table; only rowCount/rowNumber/moveTo count;
//  - no read lock is held between calls: each seek steps once and resets its statement;
//  - the cursor re-resolves its file on every call, so the core may detach it meanwhile.

#include "Core.h"
#include "CursorBase.h"
#include "pg/PgStorage.h"
#include "Parser.h"

#include <map>

namespace engine {

namespace detail {

namespace {

class CursorImpl final : public CursorBase {
public:
    CursorImpl(std::shared_ptr<Core> core, std::string path, std::string filter)
        : m_core(std::move(core)), m_path(std::move(path)), m_filterText(std::move(filter)) {
        ensure();
        first();
    }
    ~CursorImpl() override { dropStatements(); }

    bool isEmpty() override {
        ensure();
        sqlite3_stmt* st = statement("empty", "SELECT 1 FROM " + from() + where("") + " LIMIT 1");
        bindFilter(st);
        const bool any = stepRow(st);
        release(st);
        return !any;
    }

    bool locate(const std::vector<std::pair<std::string, Value>>& fieldValues) override {
        autoPost();
        ensure();
        const auto located = locateValues(fieldValues);
        if (!located) return false;
        std::string cond;
        std::string name = "locate";
        std::vector<Value> values;
        for (const auto& [col, stored] : *located) {
            cond += (cond.empty() ? "" : " AND ") + quoteIdent(col->name);
            if (std::holds_alternative<std::monostate>(stored)) {
                cond += " IS NULL";
                name += ":" + col->name + "=null";
            } else {
                cond += "=?" + std::to_string(m_filterValues.size() + values.size() + 1);
                values.push_back(stored);
                name += ":" + col->name;
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

    void post() override {
        if (m_state == State::Browse) return;
        WaitScope wait(*m_core);
        ensure();
        const std::vector<int> cols = modifiedColumns();
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

private:
    std::shared_ptr<Core> m_core;
    std::string m_path;
    std::string m_filterText;
    std::string m_schema;
    std::string m_filterSql;
    std::vector<Value> m_filterValues;
    std::vector<int> m_order;     // key columns; empty: rowid
    std::map<std::string, sqlite3_stmt*> m_statements;
    std::int64_t m_rowid = 0;

    void dropStatements() {
        for (auto& [k, st] : m_statements) sqlite3_finalize(st);
        m_statements.clear();
    }

    // Attaches the file if the core let go of it; rebuilds statements for a new schema name.
    void ensure() override {
        m_core->followRestores();
        Attached& a = m_core->attach(m_path);
        if (a.schema == m_schema) return;
        dropStatements();
        m_schema = a.schema;
        const bool first = m_fields.empty();
        setTable(a.table);
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
    bool seekEnd(bool backward) override { return seek(backward ? "last" : "first", "", backward, {}); }
    bool seekBeyond(bool backward) override {
        return seek(backward ? "prior" : "next", keyCondition(backward ? "<" : ">"), backward, currentKey());
    }
    // Re-reads the current row by its row id; false when it is gone.
    bool reread() override {
        if (!m_hasRow && m_rowid == 0) return false;
        sqlite3_stmt* st = statement("byrowid", selectSql() + " WHERE rowid=?1");
        sqlite3_bind_int64(st, 1, m_rowid);
        const bool found = stepRow(st);
        if (found) readRow(st);
        release(st);
        return found;
    }
    void deleteCurrent() override {
        WaitScope wait(*m_core);
        sqlite3_stmt* st = m_core->prepareRaw("DELETE FROM " + quoteIdent(m_schema) + "." + quoteIdent(m_table.tableName) +
                                                  " WHERE rowid=?1",
                                              {m_path}, false);
        sqlite3_bind_int64(st, 1, m_rowid);
        const int rc = sqlite3_step(st);
        const std::string msg = sqlite3_errmsg(m_core->db());
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) m_core->raiseMessage(rc, msg, {m_path});
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
