// The interval index of the stays table: creation in the table file, and the restriction the
// translator adds to a condition it bounds. See IntervalIndex.h for what an entry holds.

#include "IntervalIndex.h"
#include "SpanIndex.h"

#include <sqlite3.h>

#include <filesystem>

namespace engine::detail {

using namespace engine::sql;

namespace {

struct IntervalTable {
    const char* table;
    const char* from;
    const char* thru;
};

// The tables that keep an interval index. The out-of-order periods are stays too (KID 0,
// status X), so the stays table covers every range the board shows.
constexpr IntervalTable kIntervalTables[] = {{"POBYTY", "DATEFROM", "DATETHRU"}};

// The value a date counts as in the index: numbers as they are, a text or blob after every
// number, null nothing.
std::string countsAs(const std::string& column) {
    return "CASE WHEN " + column + " IS NULL THEN NULL WHEN typeof(" + column + ") IN ('integer','real') THEN " + column +
           " ELSE 9e999 END";
}

// lo and hi of a row: the hull of what its two dates count as (null when both are null).
std::pair<std::string, std::string> spanOf(const std::string& from, const std::string& thru) {
    const std::string f = countsAs(from), t = countsAs(thru);
    const std::string a = "coalesce(" + f + "," + t + ")", b = "coalesce(" + t + "," + f + ")";
    return {"min(" + a + "," + b + ")", "max(" + a + "," + b + ")"};
}

struct Objects {
    std::string index;    // CREATE VIRTUAL TABLE ...
    std::string fill;     // INSERT INTO the index from the table
    std::string triggers[3];
    std::string triggerNames[3];
};

Objects objectsFor(const TableSchema& table, int from, int thru) {
    const std::string t = quoteIdent(table.tableName);
    const std::string name = intervalIndexName(table.tableName);
    const std::string idx = quoteIdent(name);
    const std::string f = quoteIdent(table.columns[static_cast<size_t>(from)].name);
    const std::string h = quoteIdent(table.columns[static_cast<size_t>(thru)].name);
    Objects o;
    o.index = "CREATE VIRTUAL TABLE " + idx + " USING rtree(id, lo, hi)";
    const auto [lo, hi] = spanOf(f, h);
    o.fill = "INSERT INTO " + idx + " (id, lo, hi) SELECT id, lo, hi FROM (SELECT rowid AS id, " + lo + " AS lo, " + hi +
             " AS hi FROM " + t + ") WHERE lo IS NOT NULL ORDER BY lo";
    const auto [newLo, newHi] = spanOf("new." + f, "new." + h);
    const std::string insertNew = "INSERT INTO " + idx + " (id, lo, hi) SELECT id, lo, hi FROM (SELECT new.rowid AS id, " +
                                  newLo + " AS lo, " + newHi + " AS hi) WHERE lo IS NOT NULL; ";
    o.triggerNames[0] = name + "_insert";
    o.triggerNames[1] = name + "_update";
    o.triggerNames[2] = name + "_delete";
    o.triggers[0] = "CREATE TRIGGER " + quoteIdent(o.triggerNames[0]) + " AFTER INSERT ON " + t + " BEGIN DELETE FROM " +
                    idx + " WHERE id=new.rowid; " + insertNew + "END";
    o.triggers[1] = "CREATE TRIGGER " + quoteIdent(o.triggerNames[1]) + " AFTER UPDATE ON " + t +
                    " WHEN old.rowid IS NOT new.rowid OR old." + f + " IS NOT new." + f + " OR old." + h + " IS NOT new." +
                    h + " BEGIN DELETE FROM " + idx + " WHERE id=old.rowid OR id=new.rowid; " + insertNew + "END";
    o.triggers[2] = "CREATE TRIGGER " + quoteIdent(o.triggerNames[2]) + " AFTER DELETE ON " + t + " BEGIN DELETE FROM " +
                    idx + " WHERE id=old.rowid; END";
    return o;
}

std::string sqlText(const std::string& s) {
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

// 1: the file holds the index and its triggers exactly as made here; 0: something is missing
// or differs; -1: an object of the index's name is no index of ours (left alone).
int indexState(sqlite3* db, const std::string& schema, const std::string& name, const Objects& o) {
    const std::string q = "SELECT name, sql FROM " + schema + ".sqlite_master WHERE name IN (" + sqlText(name) + "," +
                          sqlText(o.triggerNames[0]) + "," + sqlText(o.triggerNames[1]) + "," +
                          sqlText(o.triggerNames[2]) + ")";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, q.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return -1;
    }
    int matching = 0;
    bool foreign = false;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* n = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const auto* s = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        const std::string objName = n ? n : "", text = s ? s : "";
        if (objName == name) {
            if (text == o.index) ++matching;
            else foreign = true;
        }
        for (int i = 0; i < 3; ++i)
            if (objName == o.triggerNames[i] && text == o.triggers[i]) ++matching;
    }
    sqlite3_finalize(st);
    if (foreign) return -1;
    return matching == 4 ? 1 : 0;
}

// The progress callback of the build buildSpanIndex runs on this thread, if any.
thread_local const std::function<void()>* t_working = nullptr;

int progressTick(void*) {
    if (t_working && *t_working) (*t_working)();
    return 0;  // never interrupts the build
}

// Makes the index in the file with a connection of its own, in one transaction. False when
// the file could not be changed now (another program holds it, it is read-only, ...).
bool createIndex(const TableSchema& table, const Objects& o, int lockTimeoutMs) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(table.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_busy_timeout(db, lockTimeoutMs);
    registerSqlFunctions(db);
    // A few thousand steps of the fill between two calls: often enough to keep a window painted,
    // rare enough to cost nothing measurable.
    if (t_working) sqlite3_progress_handler(db, 50000, progressTick, nullptr);
    const std::string name = intervalIndexName(table.tableName);
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (ok) {
        const int state = indexState(db, "main", name, o);
        if (state < 0) ok = false;
        if (state == 0) {
            std::string script;
            for (const auto& trigger : o.triggerNames) script += "DROP TRIGGER IF EXISTS " + quoteIdent(trigger) + "; ";
            script += "DROP TABLE IF EXISTS " + quoteIdent(name) + "; " + o.index + "; " + o.fill + "; ";
            for (const auto& trigger : o.triggers) script += trigger + "; ";
            ok = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        }
        if (ok) ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!ok) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
    return ok;
}

// The box every row a condition accepts lies in: lo <= upper and hi >= lower (an empty text:
// no bound on that side). columns: which of the two columns the bounds come from (1 from, 2 thru).
struct Box {
    std::string upper, lower;
    unsigned columns = 0;
    bool alternatives = false;  // an OR of ranges gives both bounds
};

class Bounds {
public:
    Bounds(int entry, const TableSchema& table, const std::function<std::pair<int, int>(const Expr&)>& columnOf,
           const std::function<std::string(const Expr&)>& paramOf, const IntervalSyntax& syntax)
        : m_entry(entry), m_table(table), m_columnOf(columnOf), m_paramOf(paramOf), m_syntax(syntax) {}

    Box of(const Expr& e) const {
        if (e.kind == ExprKind::Binary && (e.op == "AND" || e.op == "OR")) {
            const Box a = of(*e.args[0]), b = of(*e.args[1]);
            Box r;
            r.columns = a.columns | b.columns;
            if (e.op == "AND") {
                // Both hold: the tighter bound of each side.
                r.upper = combine(m_syntax.min, a.upper, b.upper, false);
                r.lower = combine(m_syntax.max, a.lower, b.lower, false);
                r.alternatives = a.alternatives || b.alternatives;
            } else {
                // Either holds: a bound only where both sides have one.
                r.upper = combine(m_syntax.max, a.upper, b.upper, true);
                r.lower = combine(m_syntax.min, a.lower, b.lower, true);
                r.alternatives = !r.upper.empty() && !r.lower.empty();
            }
            return r;
        }
        if (e.kind == ExprKind::Binary && e.args.size() == 2) {
            std::string op = e.op;
            const Expr* column = e.args[0].get();
            const Expr* literal = e.args[1].get();
            if (column->kind != ExprKind::Column) {
                std::swap(column, literal);
                op = op == "<" ? ">" : op == "<=" ? ">=" : op == ">" ? "<" : op == ">=" ? "<=" : op;
            }
            const unsigned which = dateColumn(*column);
            const std::string value = bound(*literal);
            if (!which || value.empty()) return {};
            Box r;
            r.columns = which;
            if (op == "<" || op == "<=" || op == "=") r.upper = orBelowAll(value);
            if (op == ">" || op == ">=" || op == "=") r.lower = orAboveAll(value);
            if (r.upper.empty() && r.lower.empty()) return {};
            return r;
        }
        if (e.kind == ExprKind::Between && !e.negated && e.args.size() == 3) {
            const unsigned which = dateColumn(*e.args[0]);
            const std::string lo = bound(*e.args[1]), hi = bound(*e.args[2]);
            if (!which || lo.empty() || hi.empty()) return {};
            Box r;
            r.columns = which;
            r.upper = orBelowAll(hi);
            r.lower = orAboveAll(lo);
            return r;
        }
        return {};
    }

private:
    int m_entry;
    const TableSchema& m_table;
    const std::function<std::pair<int, int>(const Expr&)>& m_columnOf;
    const std::function<std::string(const Expr&)>& m_paramOf;
    const IntervalSyntax& m_syntax;

    // A null bound accepts nothing: an upper one below every value, a lower one above.
    std::string orBelowAll(const std::string& value) const {
        return std::string(m_syntax.ifNull) + "(" + value + "," + m_syntax.belowAll + ")";
    }
    std::string orAboveAll(const std::string& value) const {
        return std::string(m_syntax.ifNull) + "(" + value + "," + m_syntax.aboveAll + ")";
    }

    static std::string combine(const char* fn, const std::string& a, const std::string& b, bool both) {
        if (a.empty() || b.empty()) return both ? std::string() : (a.empty() ? b : a);
        return std::string(fn) + "(" + a + "," + b + ")";
    }

    unsigned dateColumn(const Expr& e) const {
        if (e.kind != ExprKind::Column) return 0;
        const auto [entry, column] = m_columnOf(e);
        if (entry != m_entry) return 0;
        if (column == m_table.intervalFrom) return 1;
        if (column == m_table.intervalThru) return 2;
        return 0;
    }

    // The parameter a literal is bound to ("?3"), empty for anything else.
    std::string bound(const Expr& e) const {
        if (e.kind != ExprKind::Number && e.kind != ExprKind::Text) return {};
        return m_paramOf(e);
    }
};

}  // namespace

bool intervalIndexAvailable() { return sqlite3_compileoption_used("ENABLE_RTREE") != 0; }

std::string intervalIndexName(std::string_view table) { return std::string(table) + "_interval"; }

bool isIntervalIndexTable(std::string_view table, std::string_view name) {
    const std::string base = upperAscii(intervalIndexName(table));
    const std::string n = upperAscii(name);
    return n == base || n == base + "_NODE" || n == base + "_ROWID" || n == base + "_PARENT";
}

namespace {

// The two date columns of a table that keeps an interval index; false for any other table.
bool keptColumns(const TableSchema& table, int& from, int& thru) {
    const IntervalTable* spec = nullptr;
    for (const auto& t : kIntervalTables)
        if (equalsNoCase(table.tableName, t.table)) spec = &t;
    if (!spec || !table.rowidKey || !intervalIndexAvailable()) return false;
    from = table.findColumn(spec->from);
    thru = table.findColumn(spec->thru);
    return from >= 0 && thru >= 0 && table.columns[static_cast<size_t>(from)].type == FieldType::Date &&
           table.columns[static_cast<size_t>(thru)].type == FieldType::Date;
}

// What keptColumns and objectsFor need of a table file, read on a connection of its own as
// the engine reads it when it attaches the file: the table named as the file (else the
// first), its columns' declared types, and whether its key is the row id.
bool readFileSchema(sqlite3* db, const std::string& path, TableSchema& table) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite^_%' ESCAPE '^'",
                           -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;
    }
    const std::string stem = std::filesystem::path(path).stem().string();
    bool any = false;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        if (!any || equalsNoCase(n, stem)) table.tableName = n;
        any = true;
    }
    sqlite3_finalize(st);
    if (!any) return false;
    table.path = path;
    const std::string info = "PRAGMA table_info(" + quoteIdent(table.tableName) + ")";
    if (sqlite3_prepare_v2(db, info.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;
    }
    int keys = 0, keyColumn = -1;
    while (sqlite3_step(st) == SQLITE_ROW) {
        Column c;
        c.name = upperAscii(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        const auto* decl = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
        c.type = fieldTypeOfDeclared(decl ? decl : "", c.width);
        if (sqlite3_column_int(st, 5) > 0) {
            ++keys;
            keyColumn = static_cast<int>(table.columns.size());
        }
        table.columns.push_back(std::move(c));
    }
    sqlite3_finalize(st);
    if (keys == 1 && table.columns[static_cast<size_t>(keyColumn)].type == FieldType::Integer) {
        table.columns[static_cast<size_t>(keyColumn)].type = FieldType::Key;
        table.rowidKey = true;
        table.keyColumns = {keyColumn};
    }
    return true;
}

// The table of a file and the index objects it should hold; false when it keeps none or
// cannot be read.
bool fileObjects(const std::string& path, TableSchema& table, Objects& o, int* state) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    int from = -1, thru = -1;
    bool kept = readFileSchema(db, path, table) && keptColumns(table, from, thru);
    if (kept) {
        o = objectsFor(table, from, thru);
        if (state) *state = indexState(db, "main", intervalIndexName(table.tableName), o);
    }
    sqlite3_close_v2(db);
    return kept;
}

}  // namespace

void attachIntervalIndex(sqlite3* db, const std::string& schema, TableSchema& table, int lockTimeoutMs) {
    table.intervalIndex.clear();
    table.intervalFrom = table.intervalThru = -1;
    int from = -1, thru = -1;
    if (!keptColumns(table, from, thru)) return;
    const Objects o = objectsFor(table, from, thru);
    const std::string name = intervalIndexName(table.tableName);
    int state = indexState(db, quoteIdent(schema), name, o);
    if (state == 0 && createIndex(table, o, lockTimeoutMs)) state = indexState(db, quoteIdent(schema), name, o);
    if (state != 1) return;
    table.intervalIndex = name;
    table.intervalFrom = from;
    table.intervalThru = thru;
}

bool intervalBounds(const Expr& where, int entry, const TableSchema& table,
                    const std::function<std::pair<int, int>(const Expr&)>& columnOf,
                    const std::function<std::string(const Expr&)>& paramOf, const IntervalSyntax& syntax, std::string& lower,
                    std::string& upper) {
    if (table.intervalIndex.empty() || table.keyColumns.size() != 1) return false;
    const Box box = Bounds(entry, table, columnOf, paramOf, syntax).of(where);
    if (box.upper.empty() || box.lower.empty() || box.columns != 3 || !box.alternatives) return false;
    lower = box.lower;
    upper = box.upper;
    return true;
}

std::string intervalRestrictions(const Expr& where, const std::vector<IntervalEntry>& entries,
                                 const std::function<std::pair<int, int>(const Expr&)>& columnOf,
                                 const std::function<std::string(const Expr&)>& paramOf) {
    static const IntervalSyntax sqlite{"min", "max", "ifnull", "-9e999", "9e999"};
    std::string sql;
    for (size_t i = 0; i < entries.size(); ++i) {
        const IntervalEntry& e = entries[i];
        std::string lower, upper;
        if (!e.table || !intervalBounds(where, static_cast<int>(i), *e.table, columnOf, paramOf, sqlite, lower, upper))
            continue;
        const std::string key = quoteIdent(e.table->columns[static_cast<size_t>(e.table->keyColumns[0])].name);
        sql += " AND " + quoteIdent(e.sqlAlias) + "." + key + " IN (SELECT id FROM " + quoteIdent(e.schema) + "." +
               quoteIdent(e.table->intervalIndex) + " WHERE lo<=" + upper + " AND hi>=" + lower + ")";
    }
    return sql;
}

}  // namespace engine::detail

bool engine::spanIndexMissing(const std::string& tableFile) {
    detail::TableSchema table;
    detail::Objects o;
    int state = -1;
    return detail::fileObjects(tableFile, table, o, &state) && state == 0;
}

bool engine::buildSpanIndex(const std::string& tableFile, const std::function<void()>& working, int lockTimeoutMs) {
    detail::TableSchema table;
    detail::Objects o;
    int state = -1;
    if (!detail::fileObjects(tableFile, table, o, &state)) return true;  // keeps no index
    if (state == 1) return true;
    if (state < 0) return false;  // an object of its name that is none of ours stays as it is
    detail::t_working = &working;
    const bool made = detail::createIndex(table, o, lockTimeoutMs);
    detail::t_working = nullptr;
    return made;
}

bool engine::isIntervalIndexTable(std::string_view table, std::string_view name) {
    return detail::isIntervalIndexTable(table, name);
}
