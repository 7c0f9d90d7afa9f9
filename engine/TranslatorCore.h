#pragma once
// What the two emitters of the dialect share: the typing of literals, columns and
// expressions, the result fields and their names, and the shape of every statement. The
// SQL each storage needs where they differ comes from its Dialect (Translator.cpp for table
// files, pg/PgTranslator.cpp for a server), through the calls d().x(...).
//
// Invariants:
//  - every literal becomes a parameter whose conversion follows what it meets (a text
//    meeting a date column is read as a date, meeting a number column as a number);
//  - unqualified columns resolve to the first table of the FROM list that has them, inner
//    query first, then the enclosing ones;
//  - both storages give the same result fields (names, types, widths) for a statement;
//  - GROUP BY without ORDER BY delivers groups ordered by the grouping columns.
//
// Included by the two emitters only.

#include "Internal.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace engine::detail::translating {

using namespace engine::sql;

inline bool isNumeric(FieldType t) {
    return t == FieldType::Integer || t == FieldType::Float || t == FieldType::Key;
}

inline Conv convFor(FieldType t) {
    switch (t) {
    case FieldType::Integer:
    case FieldType::Float:
    case FieldType::Key: return Conv::Number;
    case FieldType::Date: return Conv::Date;
    case FieldType::Time: return Conv::Time;
    case FieldType::Timestamp: return Conv::Timestamp;
    case FieldType::Boolean: return Conv::Boolean;
    default: return Conv::Text;
    }
}

// A translated expression. A literal stays pending (no SQL yet) until its context decides
// how its text is read.
struct Typed {
    std::string sql;
    FieldType type = FieldType::Unknown;
    int width = 0;
    const Expr* literal = nullptr;  // pending literal (Text or Number)
    bool negative = false;          // the pending number literal has a unary minus in front
    bool isNull = false;
    std::string column;             // the column it is, for messages
    std::string number;             // a date or time moved by a number: as day number or seconds
                                    // (where the dialect spells such moves out)
    bool textual() const { return type == FieldType::Text || (literal && literal->kind == ExprKind::Text); }
};

struct FromEntry {
    const TableSchema* table = nullptr;
    std::string schema;     // "tb3"
    std::string alias;      // as the statement names it (alias, else table name)
    std::string sqlAlias;   // "t0"
};

struct Scope {
    std::vector<FromEntry> entries;
    const Scope* parent = nullptr;
};

template <class Dialect, class Result>
class TranslatorCore {
public:
    explicit TranslatorCore(TableResolver& r) : m_resolver(r) {}

    Result run(const Statement& st) {
        m_tr.kind = st.kind;
        switch (st.kind) {
        case StatementKind::Select: {
            Scope root;
            m_tr.sql = select(*st.select, root, &m_tr.fields, nullptr);
            d().afterSelect(st);
            break;
        }
        case StatementKind::Insert: insert(st); break;
        case StatementKind::Update: update(st); break;
        case StatementKind::Delete: remove(st); break;
        default: throw Error("Internal error: statement cannot be translated");
        }
        return std::move(m_tr);
    }

    // Single-table condition for table cursors.
    template <class Params>
    std::string condition(const Expr& e, const TableSchema& table, Params& params) {
        Scope s;
        FromEntry fe;
        fe.table = &table;
        fe.alias = table.tableName;
        s.entries.push_back(fe);
        m_unqualified = true;
        Typed t = expr(e, s);
        std::string sql = finalize(t);
        params = std::move(m_tr.params);
        return sql;
    }

    const std::string_view* m_source = nullptr;

protected:
    Dialect& d() { return static_cast<Dialect&>(*this); }

    TableResolver& m_resolver;
    Result m_tr;
    const std::vector<std::pair<std::string, Typed>>* m_aliases = nullptr;  // while translating HAVING
    int m_aliasCounter = 0;
    bool m_unqualified = false;
    std::string m_storing;  // the column whose value is being translated, if any

    [[noreturn]] static void fail(const std::string& msg) { throw Error(msg); }

    // Whether an expression holds an aggregate of its own select (not one of a sub-select).
    static bool aggregate(const Expr& e) {
        if (e.kind == ExprKind::Function && (e.op == "COUNT" || e.op == "SUM" || e.op == "AVG" || e.op == "MIN" || e.op == "MAX"))
            return true;
        if (e.caseOperand && aggregate(*e.caseOperand)) return true;
        if (e.elseExpr && aggregate(*e.elseExpr)) return true;
        return std::any_of(e.args.begin(), e.args.end(), [](const ExprPtr& a) { return a && aggregate(*a); });
    }

    // Takes t's pending literal (and its sign) out of t.
    static const Expr* takeLiteral(Typed& t, bool& negative) {
        const Expr* lit = t.literal;
        negative = t.negative;
        t.literal = nullptr;
        t.negative = false;
        return lit;
    }

    // Gives a pending literal its SQL: as the text or number it is written.
    std::string finalize(Typed& t) {
        if (t.literal) {
            bool negative = false;
            const Expr* lit = takeLiteral(t, negative);
            if (lit->kind == ExprKind::Text) {
                t.type = FieldType::Text;
                t.sql = d().param(*lit, Conv::Text, {}, FieldType::Unknown, false);
            } else {
                const bool isFloat = lit->text.find_first_of(".eE") != std::string::npos;
                t.type = isFloat ? FieldType::Float : FieldType::Integer;
                t.sql = d().param(*lit, Conv::Number, {}, FieldType::Unknown, negative);
            }
        }
        return t.sql;
    }

    // Makes t fit a value of type target (a date column, a number column ...).
    void coerce(Typed& t, FieldType target, int width, const std::string& column) {
        if (t.literal) {
            bool negative = false;
            const Expr* lit = takeLiteral(t, negative);
            Conv conv = convFor(target);
            if (lit->kind == ExprKind::Number && conv == Conv::Text) conv = Conv::Number;
            if (lit->kind == ExprKind::Number && (conv == Conv::Date || conv == Conv::Time)) conv = Conv::Number;
            t.sql = d().param(*lit, conv, column, target, negative);
            t.type = target == FieldType::Unknown ? (lit->kind == ExprKind::Text ? FieldType::Text : FieldType::Float)
                                                  : target;
            (void)width;
            return;
        }
        if (t.isNull) return;
        if (t.type == FieldType::Text || t.type == FieldType::Unknown) {
            if (t.type == FieldType::Text) {
                switch (target) {
                case FieldType::Date: t.sql = "tm_date(" + t.sql + ")"; t.type = target; break;
                case FieldType::Time: t.sql = "tm_time(" + t.sql + ")"; t.type = target; break;
                case FieldType::Timestamp: t.sql = "tm_timestamp(" + t.sql + ")"; t.type = target; break;
                default: break;
                }
            }
            return;
        }
        if (target == FieldType::Text && t.type != FieldType::Text) {
            t.sql = d().textOf(t);
            t.type = FieldType::Text;
        }
    }

    // Makes t a value stored into column c: a literal is read strictly (a whole number for
    // an integer column, a day number a date text can show, seconds within a day), and a
    // computed value is checked as it is stored (the dialect's storeComputed).
    void store(Typed& t, const Column& c) {
        if (t.literal) {
            const bool number = t.literal->kind == ExprKind::Number;
            Conv conv = Conv::Text;
            switch (c.type) {
            case FieldType::Integer:
            case FieldType::Key: conv = Conv::Whole; break;
            case FieldType::Date: conv = number ? Conv::DayNumber : Conv::Date; break;
            case FieldType::Time: conv = number ? Conv::Seconds : Conv::Time; break;
            default: coerce(t, c.type, c.width, c.name); return;
            }
            bool negative = false;
            const Expr* lit = takeLiteral(t, negative);
            t.sql = d().param(*lit, conv, c.name, c.type, negative);
            t.type = c.type;
            return;
        }
        d().storeComputed(t, c);
    }

    static std::string sqlText(const std::string& s) {
        std::string r = "'";
        for (char ch : s) r += ch == '\'' ? std::string("''") : std::string(1, ch);
        return r + "'";
    }

    // The SQL of t read as text (dates as 5.3.2004, numbers in shortest form).
    std::string asText(Typed& t) {
        if (t.literal) {
            bool negative = false;
            const Expr* lit = takeLiteral(t, negative);
            t.sql = d().param(*lit, Conv::Text, {}, FieldType::Unknown, negative);
            t.type = FieldType::Text;
            return t.sql;
        }
        if (t.type == FieldType::Text || t.isNull) return t.sql;
        return d().textOf(t);
    }

    // Two operands meeting in a comparison: a pending literal takes the other side's type.
    void pair(Typed& a, Typed& b) {
        if (a.literal && !b.literal) coerce(a, b.type, b.width, b.column);
        else if (b.literal && !a.literal) coerce(b, a.type, a.width, a.column);
        else if (a.literal && b.literal) {
            finalize(a);
            finalize(b);
        }
        const auto temporal = [](FieldType t) {
            return t == FieldType::Date || t == FieldType::Time || t == FieldType::Timestamp;
        };
        if (temporal(a.type) && b.type == FieldType::Text) coerce(b, a.type, 0, a.column);
        else if (temporal(b.type) && a.type == FieldType::Text) coerce(a, b.type, 0, b.column);
    }

    // ---- column resolution ----
    const FromEntry* findEntry(const Scope& s, std::string_view qualifier) const {
        for (const Scope* sc = &s; sc; sc = sc->parent) {
            for (const auto& e : sc->entries)
                if (equalsNoCase(e.alias, qualifier)) return &e;
            for (const auto& e : sc->entries)
                if (equalsNoCase(e.table->tableName, qualifier)) return &e;
        }
        return nullptr;
    }

    // The (entry, column) of a column reference among this scope's tables only (not the
    // enclosing ones), or (-1, -1).
    std::pair<int, int> columnIn(const Scope& scope, const Expr& c) const {
        if (!c.qualifier.empty()) {
            const FromEntry* entry = findEntry(scope, c.qualifier);
            const int col = entry ? entry->table->findColumn(c.name) : -1;
            for (size_t i = 0; i < scope.entries.size() && col >= 0; ++i)
                if (&scope.entries[i] == entry) return {static_cast<int>(i), col};
            return {-1, -1};
        }
        for (size_t i = 0; i < scope.entries.size(); ++i)
            if (const int col = scope.entries[i].table->findColumn(c.name); col >= 0) return {static_cast<int>(i), col};
        return {-1, -1};
    }

    Typed columnRef(const Expr& e, const Scope& s) {
        const FromEntry* entry = nullptr;
        int col = -1;
        if (!e.qualifier.empty()) {
            entry = findEntry(s, e.qualifier);
            if (!entry) fail("Unknown table or alias: " + e.qualifier + " (position " + std::to_string(e.pos) + ")");
            col = entry->table->findColumn(e.name);
            if (col < 0)
                fail("Unknown column: " + e.qualifier + "." + e.name + " (" + entry->table->fileName + " has no such field)");
        } else {
            for (const Scope* sc = &s; sc && !entry; sc = sc->parent) {
                for (const auto& fe : sc->entries) {
                    const int c = fe.table->findColumn(e.name);
                    if (c >= 0) {
                        entry = &fe;
                        col = c;
                        break;
                    }
                }
            }
            if (!entry) {
                // HAVING may name a result column by its alias.
                if (m_aliases) {
                    for (const auto& [alias, t] : *m_aliases)
                        if (equalsNoCase(alias, e.name)) return t;
                }
                fail("Unknown column: " + e.name + " (position " + std::to_string(e.pos) + ")");
            }
        }
        const Column& c = entry->table->columns[static_cast<size_t>(col)];
        Typed t;
        t.sql = m_unqualified ? quoteIdent(c.name) : quoteIdent(entry->sqlAlias) + "." + quoteIdent(c.name);
        t.type = c.type == FieldType::Key ? FieldType::Integer : c.type;
        if (c.type == FieldType::Key) t.type = FieldType::Key;
        t.width = c.width;
        t.column = c.name;
        return t;
    }

    // ---- expressions ----
    Typed expr(const Expr& e, const Scope& s) {
        Typed t;
        switch (e.kind) {
        case ExprKind::Null:
            t.sql = "NULL";
            t.isNull = true;
            return t;
        case ExprKind::Bool:
            t.sql = d().boolLiteral(e.text == "TRUE");
            t.type = FieldType::Boolean;
            return t;
        case ExprKind::Number:
        case ExprKind::Text:
            t.literal = &e;
            return t;
        case ExprKind::Column: return columnRef(e, s);
        case ExprKind::Star: fail("'*' is allowed only in the select list and in COUNT(*)");
        case ExprKind::Unary: return unary(e, s);
        case ExprKind::Binary: return binary(e, s);
        case ExprKind::Like: {
            Typed a = expr(*e.args[0], s);
            Typed b = expr(*e.args[1], s);
            std::string sql = "(" + asText(a) + (e.negated ? " NOT LIKE " : " LIKE ") + asText(b);
            if (e.args.size() > 2) {
                Typed c = expr(*e.args[2], s);
                sql += " ESCAPE " + asText(c);
            } else {
                sql += d().noEscape();
            }
            t.sql = sql + ")";
            t.type = FieldType::Boolean;
            return t;
        }
        case ExprKind::IsNull: {
            Typed a = expr(*e.args[0], s);
            t.sql = "(" + finalize(a) + (e.negated ? " IS NOT NULL)" : " IS NULL)");
            t.type = FieldType::Boolean;
            return t;
        }
        case ExprKind::Between: {
            Typed a = expr(*e.args[0], s);
            Typed lo = expr(*e.args[1], s);
            Typed hi = expr(*e.args[2], s);
            pair(a, lo);
            pair(a, hi);
            finalize(a);
            t.sql = "(" + a.sql + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + finalize(lo) + " AND " + finalize(hi) + ")";
            t.type = FieldType::Boolean;
            return t;
        }
        case ExprKind::InList: {
            Typed a = expr(*e.args[0], s);
            std::vector<Typed> items;
            for (size_t i = 1; i < e.args.size(); ++i) {
                items.push_back(expr(*e.args[i], s));
                pair(a, items.back());
            }
            std::string sql = "(" + finalize(a) + (e.negated ? " NOT IN (" : " IN (");
            for (size_t i = 0; i < items.size(); ++i) sql += (i ? "," : "") + finalize(items[i]);
            t.sql = sql + "))";
            t.type = FieldType::Boolean;
            return t;
        }
        case ExprKind::InSelect: {
            Typed a = expr(*e.args[0], s);
            std::vector<FieldInfo> f;
            Scope inner;
            inner.parent = &s;
            std::string sub = select(*e.select, inner, &f, nullptr);
            if (f.size() != 1) fail("The sub-select of IN must return one column");
            if (a.literal) coerce(a, f[0].type, 0, f[0].name);
            t.sql = "(" + finalize(a) + (e.negated ? " NOT IN (" : " IN (") + sub + "))";
            t.type = FieldType::Boolean;
            return t;
        }
        case ExprKind::Exists: {
            Scope inner;
            inner.parent = &s;
            std::string sub = select(*e.select, inner, nullptr, nullptr);
            t.sql = std::string(e.negated ? "(NOT EXISTS (" : "(EXISTS (") + sub + "))";
            t.type = FieldType::Boolean;
            return t;
        }
        case ExprKind::Subquery: {
            std::vector<FieldInfo> f;
            Scope inner;
            inner.parent = &s;
            std::string sub = select(*e.select, inner, &f, nullptr);
            if (f.size() != 1) fail("A sub-select used as a value must return one column");
            t.sql = "(" + sub + ")";
            t.type = f[0].type;
            return t;
        }
        case ExprKind::Function: return function(e, s);
        case ExprKind::Cast: return cast(e, s);
        case ExprKind::Extract: return extract(e, s);
        case ExprKind::Substring: {
            Typed a = expr(*e.args[0], s);
            std::string sql = "substr(" + asText(a);
            if (e.args.size() < 2) fail("SUBSTRING needs FROM (position " + std::to_string(e.pos) + ")");
            for (size_t i = 1; i < e.args.size(); ++i) {
                Typed n = expr(*e.args[i], s);
                coerce(n, FieldType::Integer, 0, "SUBSTRING");
                sql += "," + d().wholeArg(finalize(n));
            }
            t.sql = sql + ")";
            t.type = FieldType::Text;
            return t;
        }
        case ExprKind::Trim: {
            Typed a = expr(*e.args[0], s);
            const std::string fn = e.op == "LEADING" ? "ltrim(" : e.op == "TRAILING" ? "rtrim(" : d().trimBoth();
            std::string sql = fn + asText(a);
            if (e.args.size() > 1) {
                Typed c = expr(*e.args[1], s);
                sql += "," + asText(c);
            }
            t.sql = sql + ")";
            t.type = FieldType::Text;
            return t;
        }
        case ExprKind::Case: return caseExpr(e, s);
        }
        fail("Internal error: unknown expression");
    }

    Typed unary(const Expr& e, const Scope& s) {
        Typed a = expr(*e.args[0], s);
        Typed t;
        if (e.op == "NOT") {
            t.sql = "(NOT " + finalize(a) + ")";
            t.type = FieldType::Boolean;
            return t;
        }
        if ((e.op == "-" || e.op == "+") && a.literal && a.literal->kind == ExprKind::Number) {
            // A signed number stays a pending literal: the column it meets reads it, sign
            // and all, and is named when the value does not fit.
            if (e.op == "-") a.negative = !a.negative;
            return a;
        }
        if (a.literal) coerce(a, FieldType::Float, 0, {});
        if (a.textual()) fail("Type mismatch: '" + e.op + "' needs a number (position " + std::to_string(e.pos) + ")");
        t.sql = "(" + e.op + a.sql + ")";
        t.type = a.type;
        return t;
    }

    Typed binary(const Expr& e, const Scope& s) {
        const std::string& op = e.op;
        Typed a = expr(*e.args[0], s);
        Typed b = expr(*e.args[1], s);
        Typed t;
        if (op == "AND" || op == "OR") {
            t.sql = "(" + finalize(a) + " " + op + " " + finalize(b) + ")";
            t.type = FieldType::Boolean;
            return t;
        }
        if (op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=") {
            pair(a, b);
            t.sql = "(" + finalize(a) + op + finalize(b) + ")";
            t.type = FieldType::Boolean;
            return t;
        }
        if (op == "||" || (op == "+" && (a.textual() || b.textual()))) {
            // Joining texts: a missing value joins as an empty text.
            const std::string x = asText(a), y = asText(b);
            t.sql = "(coalesce(" + x + ",'')||coalesce(" + y + ",''))";
            t.type = FieldType::Text;
            return t;
        }
        // Arithmetic. A pending text literal takes the other side's type (DATETHRU-"1.1.2004").
        if (a.literal && !b.literal && b.type != FieldType::Unknown) coerce(a, b.type, 0, b.column);
        if (b.literal && !a.literal && a.type != FieldType::Unknown) {
            const bool dateMinusDate = op == "-" && (a.type == FieldType::Date || a.type == FieldType::Time) &&
                                       b.literal->kind == ExprKind::Text;
            coerce(b, dateMinusDate ? a.type : (isNumeric(a.type) ? a.type : FieldType::Float), 0, a.column);
        }
        if (a.literal) coerce(a, FieldType::Float, 0, {});
        if (b.literal) coerce(b, FieldType::Float, 0, {});
        if (a.textual() || b.textual())
            fail("Type mismatch: '" + op + "' cannot be used with text (position " + std::to_string(e.pos) + ")");
        const auto temporal = [](FieldType x) { return x == FieldType::Date || x == FieldType::Time || x == FieldType::Timestamp; };
        if (op == "/") {
            // In a value being stored a division by zero is refused (elsewhere it is null).
            t.sql = d().divide(a, b);
            t.type = FieldType::Float;
            return t;
        }
        t.sql = "(" + a.sql + op + b.sql + ")";
        d().temporalArithmetic(t, a, b, op);
        if (op == "-" && temporal(a.type) && temporal(b.type)) {
            t.type = a.type == FieldType::Timestamp || b.type == FieldType::Timestamp ? FieldType::Float : FieldType::Integer;
        } else if ((op == "+" || op == "-") && temporal(a.type)) {
            t.type = a.type;
        } else if (op == "+" && temporal(b.type)) {
            t.type = b.type;
        } else if (a.type == FieldType::Float || b.type == FieldType::Float || a.type == FieldType::Unknown ||
                   b.type == FieldType::Unknown) {
            t.type = a.type == FieldType::Unknown && b.type == FieldType::Unknown ? FieldType::Unknown : FieldType::Float;
            if (a.isNull || b.isNull) t.type = a.isNull ? b.type : a.type;
        } else {
            t.type = FieldType::Integer;
        }
        return t;
    }

    Typed function(const Expr& e, const Scope& s) {
        const std::string& fn = e.op;
        Typed t;
        auto argc = [&](size_t lo, size_t hi) {
            if (e.args.size() < lo || e.args.size() > hi)
                fail("Wrong number of arguments for " + fn + " (position " + std::to_string(e.pos) + ")");
        };
        if (fn == "COUNT") {
            argc(1, 1);
            if (e.args[0]->kind == ExprKind::Star) {
                t.sql = "count(*)";
            } else {
                Typed a = expr(*e.args[0], s);
                t.sql = std::string("count(") + (e.distinct ? "DISTINCT " : "") + finalize(a) + ")";
            }
            t.type = FieldType::Integer;
            return t;
        }
        if (fn == "SUM" || fn == "AVG" || fn == "MIN" || fn == "MAX") {
            argc(1, 1);
            Typed a = expr(*e.args[0], s);
            if (a.literal) coerce(a, FieldType::Float, 0, {});
            std::string inner = a.sql;
            t.sql = (fn == "SUM" ? "sum(" : fn == "AVG" ? "avg(" : fn == "MIN" ? "min(" : "max(") +
                    std::string(e.distinct ? "DISTINCT " : "") + inner + ")";
            if (fn == "AVG") t.type = FieldType::Float;
            else if (fn == "SUM") t.type = a.type == FieldType::Integer || a.type == FieldType::Key ? FieldType::Integer : FieldType::Float;
            else t.type = a.type == FieldType::Key ? FieldType::Integer : a.type, t.width = a.width;
            return t;
        }
        if (fn == "UPPER" || fn == "LOWER") {
            argc(1, 1);
            Typed a = expr(*e.args[0], s);
            t.sql = d().changeCase(fn == "UPPER", asText(a));
            t.type = FieldType::Text;
            t.width = a.width;
            return t;
        }
        if (fn == "LENGTH" || fn == "CHAR_LENGTH" || fn == "CHARACTER_LENGTH") {
            argc(1, 1);
            Typed a = expr(*e.args[0], s);
            t.sql = d().lengthOf(asText(a));
            t.type = FieldType::Integer;
            return t;
        }
        if (fn == "ABS" || fn == "ROUND") {
            argc(1, fn == "ROUND" ? 2 : 1);
            Typed a = expr(*e.args[0], s);
            coerce(a, FieldType::Float, 0, {});
            std::string digits;
            if (e.args.size() > 1) {
                Typed n = expr(*e.args[1], s);
                coerce(n, FieldType::Integer, 0, {});
                digits = n.sql;
            }
            t.sql = fn == "ABS" ? "abs(" + a.sql + ")" : d().round(a.sql, digits);
            t.type = fn == "ROUND" ? FieldType::Float : a.type;
            return t;
        }
        if (fn == "COALESCE" || fn == "IFNULL" || fn == "NULLIF") {
            argc(2, fn == "COALESCE" ? 100 : 2);
            std::vector<Typed> args;
            for (const auto& x : e.args) args.push_back(expr(*x, s));
            FieldType type = FieldType::Unknown;
            std::string column;
            for (const auto& a : args)
                if (!a.literal && !a.isNull && type == FieldType::Unknown) type = a.type, column = a.column;
            std::string sql = (fn == "NULLIF" ? "nullif(" : "coalesce(");
            for (size_t i = 0; i < args.size(); ++i) {
                if (type != FieldType::Unknown) coerce(args[i], type, 0, column);
                sql += (i ? "," : "") + finalize(args[i]);
            }
            t.sql = sql + ")";
            t.type = type == FieldType::Unknown ? args[0].type : type;
            return t;
        }
        fail("Unknown function: " + fn + " (position " + std::to_string(e.pos) + ")");
    }

    Typed cast(const Expr& e, const Scope& s) {
        Typed a = expr(*e.args[0], s);
        Typed t;
        const std::string& type = e.name;
        int width = 0;
        FieldType target = fieldTypeOfDeclared(type, width);
        width = e.castWidth;
        if (type == "AUTOINC") target = FieldType::Integer;
        if (target == FieldType::Unknown) fail("Unknown type in CAST: " + type);
        if (target == FieldType::Text) {
            std::string x = asText(a);
            t.sql = width > 0 ? "substr(" + x + ",1," + std::to_string(width) + ")" : x;
        } else if (a.literal) {
            coerce(a, target, 0, {});
            t.sql = a.sql;
        } else {
            t.sql = d().castValue(a, target);
        }
        t.type = target;
        t.width = width;
        return t;
    }

    Typed extract(const Expr& e, const Scope& s) {
        Typed a = expr(*e.args[0], s);
        const std::string& f = e.op;
        if (f != "YEAR" && f != "MONTH" && f != "DAY" && f != "HOUR" && f != "MINUTE" && f != "SECOND")
            fail("EXTRACT needs YEAR, MONTH, DAY, HOUR, MINUTE or SECOND, not " + f);
        const bool timePart = f == "HOUR" || f == "MINUTE" || f == "SECOND";
        if (a.literal) coerce(a, timePart ? FieldType::Time : FieldType::Date, 0, {});
        else if (a.type == FieldType::Text) coerce(a, timePart ? FieldType::Time : FieldType::Date, 0, {});
        Typed t;
        t.sql = d().extractPart(f, a, timePart);
        t.type = FieldType::Integer;
        return t;
    }

    Typed caseExpr(const Expr& e, const Scope& s) {
        std::string sql = "(CASE";
        Typed operand;
        const bool hasOperand = e.caseOperand != nullptr;
        if (hasOperand) operand = expr(*e.caseOperand, s);
        std::vector<Typed> whens, thens;
        for (size_t i = 0; i + 1 < e.args.size(); i += 2) {
            whens.push_back(expr(*e.args[i], s));
            thens.push_back(expr(*e.args[i + 1], s));
            if (hasOperand) pair(operand, whens.back());
        }
        if (hasOperand) sql += " " + finalize(operand);
        FieldType type = FieldType::Unknown;
        for (auto& th : thens)
            if (!th.literal && !th.isNull && type == FieldType::Unknown) type = th.type;
        Typed els;
        if (e.elseExpr) els = expr(*e.elseExpr, s);
        for (size_t i = 0; i < whens.size(); ++i) {
            if (type != FieldType::Unknown) coerce(thens[i], type, 0, {});
            sql += " WHEN " + finalize(whens[i]) + " THEN " + finalize(thens[i]);
            if (type == FieldType::Unknown) type = thens[i].type;
        }
        if (e.elseExpr) {
            if (type != FieldType::Unknown) coerce(els, type, 0, {});
            sql += " ELSE " + finalize(els);
        }
        Typed t;
        t.sql = sql + " END)";
        t.type = type;
        return t;
    }

    // ---- SELECT ----
    void addFrom(const FromItem& f, Scope& scope, std::string& sql) {
        auto [schema, table] = m_resolver.resolve(f.table);
        FromEntry fe;
        fe.table = table;
        fe.schema = schema;
        fe.alias = f.table.alias.empty() ? table->tableName : f.table.alias;
        fe.sqlAlias = "t" + std::to_string(m_aliasCounter++);
        for (const auto& other : scope.entries)
            if (!f.table.alias.empty() && equalsNoCase(other.alias, fe.alias))
                fail("The alias " + fe.alias + " is used twice");
        scope.entries.push_back(fe);
        d().uses(*table, false);
        sql += d().tableSql(fe) + " AS " + quoteIdent(fe.sqlAlias);
    }

    static std::string resultName(const Expr& e, const std::string& alias, const Typed& t, const std::string& source) {
        if (!alias.empty()) return alias;
        if (e.kind == ExprKind::Column) return t.column;
        return source;
    }

    // Translates one SELECT (with its UNION chain). fields receives the result fields; when
    // targets is given (INSERT ... SELECT), each item is made to fit its target column.
    std::string select(const Select& sel, Scope& scope, std::vector<FieldInfo>* fields,
                       const std::vector<const Column*>* targets) {
        std::vector<FieldInfo> localFields;
        std::vector<std::string> itemSql;
        std::vector<int> itemPos;
        std::string sql = core(sel, scope, localFields, itemSql, targets, itemPos);
        std::vector<FieldInfo> firstFields = localFields;
        for (const Select* u = sel.unionNext.get(), *prev = &sel; u; prev = u, u = u->unionNext.get()) {
            Scope us;
            us.parent = scope.parent;
            std::vector<FieldInfo> uf;
            std::vector<std::string> uItems;
            std::vector<int> uPos;
            sql += prev->unionAll ? " UNION ALL " : " UNION ";
            sql += core(*u, us, uf, uItems, targets, uPos);
            if (uf.size() != firstFields.size()) fail("The selects of a UNION must return the same number of columns");
        }
        if (!sel.orderBy.empty()) sql = orderBy(sel, scope, std::move(sql), firstFields, itemSql, itemPos);
        if (fields) *fields = std::move(firstFields);
        return sql;
    }

    // The ORDER BY of a select. A select the dialect sorts from outside (sortsOutside) is
    // sorted by its result columns only.
    std::string orderBy(const Select& sel, Scope& scope, std::string sql, const std::vector<FieldInfo>& firstFields,
                        const std::vector<std::string>& itemSql, const std::vector<int>& itemPos) {
        const bool outside = d().sortsOutside(sel);
        std::string order;
        for (size_t i = 0; i < sel.orderBy.size(); ++i) {
            const OrderItem& o = sel.orderBy[i];
            std::string term;
            FieldType type = FieldType::Unknown;
            int ordinal = outputOrdinal(*o.expr, sel, firstFields, itemPos);
            if (ordinal < 0 && outside && !sel.unionNext) {
                // A DISTINCT select sorted from outside: the term must be one of its items.
                Typed t = expr(*o.expr, scope);
                const std::string x = finalize(t);
                for (size_t k = 0; k < itemSql.size() && ordinal < 0; ++k)
                    if (itemSql[k] == x) ordinal = static_cast<int>(k);
                if (ordinal < 0) fail("ORDER BY of a DISTINCT select must name a result column");
            }
            if (outside) {
                if (ordinal < 0) fail("ORDER BY of a UNION must name a result column");
                term = d().resultColumn(ordinal);
                type = firstFields[static_cast<size_t>(ordinal)].type;
            } else if (ordinal >= 0) {
                term = itemSql[static_cast<size_t>(ordinal)];
                type = firstFields[static_cast<size_t>(ordinal)].type;
            } else {
                Typed t = expr(*o.expr, scope);
                term = finalize(t);
                type = t.type;
            }
            order += (i ? ", " : "") + d().orderTerm(term, type, o.desc);
        }
        return d().sorted(std::move(sql), order, outside);
    }

    // Index of the result column an ORDER BY / GROUP BY term names (alias, ordinal, or the
    // very column of a select item), -1 when it is an expression of its own.
    int outputOrdinal(const Expr& e, const Select& sel, const std::vector<FieldInfo>& fields, const std::vector<int>& itemPos) {
        if (e.kind == ExprKind::Number && e.text.find_first_not_of("0123456789") == std::string::npos) {
            const long k = std::strtol(e.text.c_str(), nullptr, 10);
            if (k < 1 || static_cast<size_t>(k) > fields.size())
                fail("ORDER BY column number " + e.text + " is out of range");
            return static_cast<int>(k - 1);
        }
        if (e.kind == ExprKind::Column && e.qualifier.empty()) {
            for (size_t i = 0; i < sel.items.size() && i < itemPos.size(); ++i) {
                const auto& item = sel.items[i];
                if (!item.alias.empty() && equalsNoCase(item.alias, e.name)) return itemPos[i];
            }
            if (sel.unionNext) {
                for (size_t i = 0; i < fields.size(); ++i)
                    if (equalsNoCase(fields[i].name, e.name)) return static_cast<int>(i);
            }
        }
        return -1;
    }

    // itemPos receives the result position of each select item (a star takes several).
    std::string core(const Select& sel, Scope& scope, std::vector<FieldInfo>& fields, std::vector<std::string>& itemSql,
                     const std::vector<const Column*>* targets, std::vector<int>& itemPos) {
        std::string from;
        for (size_t i = 0; i < sel.from.size(); ++i) {
            const FromItem& f = sel.from[i];
            if (i > 0) from += f.join == JoinKind::Left ? " LEFT JOIN " : f.join == JoinKind::Inner ? " JOIN " : d().crossJoin();
            addFrom(f, scope, from);
        }
        // ON conditions may name any table of the list.
        for (size_t i = 0; i < sel.from.size(); ++i) {
            if (!sel.from[i].on) continue;
            Typed c = expr(*sel.from[i].on, scope);
            const std::string marker = quoteIdent(scope.entries[i].sqlAlias);
            const size_t at = from.find(" AS " + marker);
            from.insert(at + 4 + marker.size(), " ON " + finalize(c));
        }

        std::string sql = sel.distinct ? "SELECT DISTINCT " : "SELECT ";
        size_t targetIdx = 0;
        auto addItem = [&](Typed t, const std::string& name) {
            if (targets) {
                if (targetIdx >= targets->size()) fail("The select returns more columns than the INSERT names");
                store(t, *(*targets)[targetIdx]);
            }
            ++targetIdx;
            std::string s = finalize(t);
            FieldType ft = t.type == FieldType::Key ? FieldType::Integer : t.type;
            if (t.isNull) ft = FieldType::Unknown;
            sql += (itemSql.empty() ? "" : ", ") + s + d().itemName(itemSql.size());
            itemSql.push_back(s);
            fields.push_back({name, ft, ft == FieldType::Text ? t.width : 0});
        };
        for (const auto& item : sel.items) {
            itemPos.push_back(static_cast<int>(fields.size()));
            if (item.expr->kind == ExprKind::Star) {
                bool any = false;
                for (const auto& fe : scope.entries) {
                    if (!item.expr->qualifier.empty() && !equalsNoCase(fe.alias, item.expr->qualifier) &&
                        !(equalsNoCase(fe.table->tableName, item.expr->qualifier)))
                        continue;
                    any = true;
                    for (const auto& c : fe.table->columns) {
                        Typed t;
                        t.sql = quoteIdent(fe.sqlAlias) + "." + quoteIdent(c.name);
                        t.type = c.type;
                        t.width = c.width;
                        t.column = c.name;
                        addItem(std::move(t), c.name);
                    }
                    if (!item.expr->qualifier.empty()) break;
                }
                if (!any) fail("Unknown table or alias: " + item.expr->qualifier);
                continue;
            }
            if (targets && targetIdx < targets->size()) m_storing = (*targets)[targetIdx]->name;
            Typed t = expr(*item.expr, scope);
            m_storing.clear();
            std::string name = resultName(*item.expr, item.alias, t, sourceText(*item.expr));
            addItem(std::move(t), name);
        }
        if (targets && targetIdx != targets->size()) fail("The select returns fewer columns than the INSERT names");
        if (!from.empty()) sql += " FROM " + from;
        if (sel.where) {
            Typed w = expr(*sel.where, scope);
            sql += d().whereSql(*sel.where, scope, finalize(w));
        }
        std::string groupSql;
        if (!sel.groupBy.empty()) {
            sql += " GROUP BY ";
            for (size_t i = 0; i < sel.groupBy.size(); ++i) {
                const Expr& g = *sel.groupBy[i];
                int ordinal = outputOrdinal(g, sel, fields, itemPos);
                std::string term;
                FieldType type;
                if (ordinal >= 0) {
                    term = itemSql[static_cast<size_t>(ordinal)];
                    type = fields[static_cast<size_t>(ordinal)].type;
                } else {
                    Typed t = expr(g, scope);
                    term = finalize(t);
                    type = t.type;
                }
                sql += (i ? ", " : "") + d().groupTerm(term, type);
                groupSql += (i ? ", " : "") + d().orderTerm(term, type, false);
            }
        }
        if (sel.having) {
            std::vector<std::pair<std::string, Typed>> aliases;
            for (size_t i = 0; i < sel.items.size() && i < itemPos.size(); ++i) {
                if (sel.items[i].alias.empty()) continue;
                Typed t;
                t.sql = itemSql[static_cast<size_t>(itemPos[i])];
                t.type = fields[static_cast<size_t>(itemPos[i])].type;
                aliases.emplace_back(sel.items[i].alias, t);
            }
            m_aliases = &aliases;
            Typed h = expr(*sel.having, scope);
            m_aliases = nullptr;
            sql += " HAVING " + finalize(h);
        }
        // Groups come back in the order of the grouping columns when nothing else is asked.
        if (!groupSql.empty() && sel.orderBy.empty() && !sel.unionNext) sql += " ORDER BY " + groupSql;
        return sql;
    }

    std::string sourceText(const Expr& e) const { return m_source ? std::string(m_source->substr(
        static_cast<size_t>(std::min<int>(e.srcBegin, static_cast<int>(m_source->size()))),
        static_cast<size_t>(std::max(0, e.srcEnd - e.srcBegin)))) : std::string(); }

    // ---- changes ----
    FromEntry target(const TableRef& ref, Scope& scope) {
        auto [schema, table] = m_resolver.resolve(ref);
        FromEntry fe;
        fe.table = table;
        fe.schema = schema;
        fe.alias = ref.alias.empty() ? table->tableName : ref.alias;
        fe.sqlAlias = "t" + std::to_string(m_aliasCounter++);
        scope.entries.push_back(fe);
        d().uses(*table, true);
        return fe;
    }

    const Column& targetColumn(const TableSchema& t, const std::string& name) {
        const int c = t.findColumn(name);
        if (c < 0) fail("Unknown column: " + name + " (" + t.fileName + " has no such field)");
        return t.columns[static_cast<size_t>(c)];
    }

    void insert(const Statement& st) {
        Scope scope;
        FromEntry fe = target(st.table, scope);
        const TableSchema& t = *fe.table;
        std::vector<const Column*> cols;
        if (st.columns.empty()) {
            for (const auto& c : t.columns) cols.push_back(&c);
        } else {
            for (const auto& name : st.columns) {
                const Column* c = &targetColumn(t, name);
                if (std::find(cols.begin(), cols.end(), c) != cols.end()) fail("Column " + c->name + " is named twice");
                cols.push_back(c);
            }
        }
        d().beginInsert(t, cols);
        std::string sql = "INSERT INTO " + d().tableSql(fe) + " (";
        for (size_t i = 0; i < cols.size(); ++i) sql += (i ? "," : "") + quoteIdent(cols[i]->name);
        sql += ") ";
        if (st.select) {
            Scope inner;
            sql += d().insertSelect(select(*st.select, inner, nullptr, &cols), t, cols);
        } else {
            sql += "VALUES ";
            Scope empty;
            for (size_t r = 0; r < st.rows.size(); ++r) {
                const auto& row = st.rows[r];
                if (row.size() != cols.size())
                    fail("INSERT names " + std::to_string(cols.size()) + " columns but gives " + std::to_string(row.size()) + " values");
                sql += r ? ",(" : "(";
                for (size_t i = 0; i < row.size(); ++i) {
                    if (d().takesDefault(*cols[i], *row[i])) {
                        sql += i ? ",DEFAULT" : "DEFAULT";
                        continue;
                    }
                    m_storing = cols[i]->name;
                    Typed v = expr(*row[i], empty);
                    m_storing.clear();
                    store(v, *cols[i]);
                    sql += (i ? "," : "") + finalize(v);
                }
                sql += ")";
            }
        }
        m_tr.sql = std::move(sql) + d().insertEnd();
    }

    void update(const Statement& st) {
        Scope scope;
        FromEntry fe = target(st.table, scope);
        std::string sql = "UPDATE " + d().tableSql(fe) + " AS " +
                          quoteIdent(fe.sqlAlias) + " SET ";
        for (size_t i = 0; i < st.sets.size(); ++i) {
            const Column& c = targetColumn(*fe.table, st.sets[i].column);
            m_storing = c.name;
            Typed v = expr(*st.sets[i].value, scope);
            m_storing.clear();
            store(v, c);
            sql += (i ? ", " : "") + quoteIdent(c.name) + "=" + finalize(v);
        }
        if (st.where) {
            Typed w = expr(*st.where, scope);
            sql += " WHERE " + finalize(w);
        }
        m_tr.sql = std::move(sql);
    }

    void remove(const Statement& st) {
        Scope scope;
        FromEntry fe = target(st.table, scope);
        std::string sql = "DELETE FROM " + d().tableSql(fe) + " AS " +
                          quoteIdent(fe.sqlAlias);
        if (st.where) {
            Typed w = expr(*st.where, scope);
            sql += " WHERE " + finalize(w);
        }
        m_tr.sql = std::move(sql);
    }
};


}  // namespace engine::detail::translating
