// The second emitter: the dialect's syntax tree as PostgreSQL SQL over the server's tables.
// The typing is the file storage's (TranslatorCore.h); this is the SQL the server needs:
//  - literals are converted here, as the file storage converts them before binding, and
//    bound as typed parameters ($1::date, $2::bigint ...);
//  - dates, times and timestamps are the server's own types; the dialect's arithmetic on
//    them (date + days, time - time in seconds) is spelled out;
//  - texts sort with the collation tmdict (dictionary order, nulls first as on files) and
//    the tm_* helpers come from the support functions the storage installs (PgSupport.cpp).

#include "PgTranslator.h"
#include "IntervalIndex.h"
#include "PgInternal.h"
#include "TranslatorCore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace engine::pg {

using namespace engine::sql;
using detail::Column;
using detail::Conv;
using detail::TableResolver;
using detail::TableSchema;
using detail::fieldTypeOfDeclared;
using detail::quoteIdent;
using detail::translating::FromEntry;
using detail::translating::Scope;
using detail::translating::Typed;

namespace {

bool temporal(FieldType t) { return t == FieldType::Date || t == FieldType::Time || t == FieldType::Timestamp; }

class Translator final : public detail::translating::TranslatorCore<Translator, PgTranslation> {
public:
    using TranslatorCore::TranslatorCore;

private:
    friend class detail::translating::TranslatorCore<Translator, PgTranslation>;

    const Column* m_key = nullptr;  // the identity key of the INSERT's table, if it has one
    std::unordered_map<const Expr*, std::string> m_placeholder;  // literal -> its parameter ("$3::date")

    std::string bind(std::optional<std::string> text, const char* type) {
        m_tr.params.push_back(std::move(text));
        return "$" + std::to_string(m_tr.params.size()) + "::" + type;
    }

    // Converts a literal as the file storage converts it before binding, and binds it in the
    // server's form of the type it meets (target).
    std::string param(const Expr& lit, Conv conv, const std::string& column, FieldType target, bool negative) {
        std::string placeholder = convertAndBind(lit, conv, column, target, negative);
        m_placeholder[&lit] = placeholder;
        return placeholder;
    }
    std::string convertAndBind(const Expr& lit, Conv conv, const std::string& column, FieldType target, bool negative) {
        Token tok;
        tok.kind = lit.kind == ExprKind::Number ? TokenKind::Number : TokenKind::DoubleQuoted;
        tok.text = negative ? "-" + lit.text : lit.text;
        const Value v = detail::convertLiteral(tok, conv, column);
        const bool null = std::holds_alternative<std::monostate>(v);
        const auto whole = [&]() -> std::int64_t {
            if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
            if (const auto* d = std::get_if<double>(&v)) return static_cast<std::int64_t>(std::floor(*d));
            return 0;
        };
        switch (conv) {
        case Conv::Text: return bind(null ? std::nullopt : std::optional<std::string>(std::get<std::string>(v)), "text");
        case Conv::Boolean: return bind(null ? std::nullopt : std::optional<std::string>(whole() ? "true" : "false"), "boolean");
        case Conv::Date:
        case Conv::DayNumber: return bind(null ? std::nullopt : std::optional<std::string>(isoDate(whole())), "date");
        case Conv::Time:
        case Conv::Seconds: return bind(null ? std::nullopt : std::optional<std::string>(isoTime(whole())), "time");
        case Conv::Timestamp: {
            if (null) return bind(std::nullopt, "timestamp");
            const double d = std::holds_alternative<double>(v) ? std::get<double>(v) : static_cast<double>(whole());
            return bind(isoTimestamp(d), "timestamp");
        }
        case Conv::Whole: return bind(null ? std::nullopt : std::optional<std::string>(std::to_string(whole())), "bigint");
        case Conv::Number: break;
        }
        // A number: as the type it meets (a day number meeting a date is that day).
        if (null) {
            switch (target) {
            case FieldType::Text: return bind(std::nullopt, "text");
            case FieldType::Date: return bind(std::nullopt, "date");
            case FieldType::Time: return bind(std::nullopt, "time");
            default: return bind(std::nullopt, "float8");
            }
        }
        switch (target) {
        case FieldType::Text: return bind(displayText(v, FieldType::Float), "text");
        case FieldType::Date: return bind(isoDate(whole()), "date");
        case FieldType::Time: return bind(isoTime(whole()), "time");
        case FieldType::Timestamp:
            return bind(isoTimestamp(std::holds_alternative<double>(v) ? std::get<double>(v) : static_cast<double>(whole())),
                        "timestamp");
        default: break;
        }
        if (const auto* i = std::get_if<std::int64_t>(&v)) return bind(std::to_string(*i), "bigint");
        return bind(detail::formatFloat(std::get<double>(v)), "float8");
    }

    std::string textOf(const Typed& t) const {
        if (t.type == FieldType::Unknown) return "(" + t.sql + ")::text";
        return "tm_text(" + typedArg(t) + ")";
    }
    // The helper overload for a value of type t (integers as bigint, floats as float8).
    static std::string typedArg(const Typed& t) {
        switch (t.type) {
        case FieldType::Integer:
        case FieldType::Key: return "(" + t.sql + ")::bigint";
        case FieldType::Float: return "(" + t.sql + ")::float8";
        default: return t.sql;
        }
    }

    // The tm_store_* helpers refuse infinities, fractions of integer columns and days and
    // times out of range, naming the column.
    void storeComputed(Typed& t, const Column& c) {
        if (std::find(m_tr.storedColumns.begin(), m_tr.storedColumns.end(), c.name) == m_tr.storedColumns.end())
            m_tr.storedColumns.push_back(c.name);
        const FieldType from = t.number.empty() || t.type != c.type ? t.type : FieldType::Float;
        if (from != t.type) t.sql = t.number;  // checked as the number it is on files
        coerce(t, c.type, c.width, c.name);
        if (t.isNull) return;
        const std::string col = sqlText(c.name);
        const bool numeric = from == FieldType::Integer || from == FieldType::Key || from == FieldType::Float;
        switch (c.type) {
        case FieldType::Float:
            if (from == FieldType::Float) t.sql = "tm_store_float((" + t.sql + ")::float8," + col + ")";
            break;
        case FieldType::Integer:
        case FieldType::Key:
            if (from == FieldType::Float) t.sql = "tm_store_int((" + t.sql + ")::float8," + col + ")";
            break;
        case FieldType::Date:
            if (numeric) t.sql = "tm_store_day((" + t.sql + ")::float8," + col + ")";
            else if (from == FieldType::Date) t.sql = "tm_store_date(" + t.sql + "," + col + ")";
            break;
        case FieldType::Time:
            if (numeric) t.sql = "tm_store_seconds((" + t.sql + ")::float8," + col + ")";
            break;
        default: break;
        }
    }

    static std::string boolLiteral(bool on) { return on ? "TRUE" : "FALSE"; }
    static std::string noEscape() { return " ESCAPE ''"; }
    static std::string wholeArg(const std::string& sql) { return "(" + sql + ")::int"; }
    static const char* trimBoth() { return "btrim("; }
    std::string divide(const Typed& a, const Typed& b) const {
        // In a value being stored a division by zero is refused; elsewhere it is null, as on
        // files (the server would refuse it).
        return m_storing.empty() ? "((" + a.sql + ")::float8/nullif((" + b.sql + ")::float8,0))"
                                 : "tm_div((" + a.sql + ")::float8,(" + b.sql + ")::float8," + sqlText(m_storing) + ")";
    }
    static void temporalArithmetic(Typed& t, const Typed& a, const Typed& b, const std::string& op) {
        // Dates count in days, times in seconds, timestamps in days (fractions too).
        const auto shift = [](const Typed& x, FieldType type, const std::string& n, const std::string& sign) {
            if (type == FieldType::Date) return "(" + x.sql + sign + "(" + n + ")::int)";
            if (type == FieldType::Time) return "(" + x.sql + sign + "(" + n + ")::float8*interval '1 second')";
            return "(" + x.sql + sign + "(" + n + ")::float8*interval '1 day')";
        };
        if (op == "-" && temporal(a.type) && temporal(b.type)) {
            if (a.type == FieldType::Time && b.type == FieldType::Time)
                t.sql = "extract(epoch from (" + a.sql + "-" + b.sql + "))::bigint";
            else if (a.type == FieldType::Timestamp || b.type == FieldType::Timestamp)
                t.sql = "(extract(epoch from ((" + a.sql + ")::timestamp-(" + b.sql + ")::timestamp))::float8/86400)";
        } else if ((op == "+" || op == "-") && temporal(a.type) && !temporal(b.type)) {
            t.sql = shift(a, a.type, b.sql, op);
            t.number = asNumber(a, b.sql, op);
        } else if (op == "+" && temporal(b.type) && !temporal(a.type)) {
            t.sql = shift(b, b.type, a.sql, op);
            t.number = asNumber(b, a.sql, op);
        }
    }
    // A date or time moved by n as the number the file storage computes (a day number, or
    // seconds that may leave the day): what a column storing it checks.
    static std::string asNumber(const Typed& x, const std::string& n, const std::string& sign) {
        if (x.type == FieldType::Date) return "((" + x.sql + "-date '1899-12-30')::float8" + sign + "(" + n + ")::float8)";
        if (x.type == FieldType::Time) return "(extract(epoch from " + x.sql + ")::float8" + sign + "(" + n + ")::float8)";
        return {};
    }

    static std::string changeCase(bool upper, const std::string& text) {
        return (upper ? "upper((" : "lower((") + text + ") COLLATE tmdict)";
    }
    static std::string lengthOf(const std::string& text) { return "char_length(" + text + ")"; }
    // Halves round away from zero, as on files (the server's float round goes to even).
    static std::string round(const std::string& x, const std::string& digits) {
        return "round((" + x + ")::numeric" + (digits.empty() ? "" : ",(" + digits + ")::int") + ")::float8";
    }
    static std::string castValue(const Typed& a, FieldType target) {
        if (a.isNull || a.type == FieldType::Unknown) {
            const char* server = target == FieldType::Integer ? "bigint" : target == FieldType::Float ? "float8"
                               : target == FieldType::Boolean ? "boolean" : target == FieldType::Date ? "date"
                               : target == FieldType::Time ? "time" : "timestamp";
            return "(" + a.sql + ")::" + server;
        }
        // Towards zero, as on files.
        if (target == FieldType::Integer) return a.type == FieldType::Float ? "trunc(" + a.sql + ")::bigint" : "(" + a.sql + ")::bigint";
        if (target == FieldType::Float) return "(" + a.sql + ")::float8";
        if (target == FieldType::Boolean) return a.type == FieldType::Boolean ? a.sql : "((" + a.sql + ")::bigint<>0)";
        const std::string fn = target == FieldType::Date ? "tm_date(" : target == FieldType::Time ? "tm_time(" : "tm_timestamp(";
        return fn + typedArg(a) + ")";
    }
    static std::string extractPart(const std::string& field, const Typed& a, bool timePart) {
        std::string x = a.sql;
        if (a.type == FieldType::Integer || a.type == FieldType::Float || a.type == FieldType::Key)
            x = (timePart ? "tm_time(" : "tm_timestamp(") + typedArg(a) + ")";
        return "floor(extract(" + field + " from " + x + "))::bigint";
    }
    void uses(const TableSchema& table, bool target) {
        if (target || std::find(m_tr.tables.begin(), m_tr.tables.end(), table.tableName) == m_tr.tables.end())
            m_tr.tables.push_back(table.tableName);
    }
    static std::string tableSql(const FromEntry& fe) { return quoteIdent(fe.table->tableName); }
    static const char* crossJoin() { return " CROSS JOIN "; }
    static std::string itemName(size_t index) { return " AS \"c" + std::to_string(index + 1) + "\""; }
    // A sort term: texts in dictionary order, nulls before everything as on files.
    static std::string orderTerm(const std::string& term, FieldType type, bool desc) {
        return term + (type == FieldType::Text ? " COLLATE tmdict" : "") + (desc ? " DESC NULLS LAST" : " NULLS FIRST");
    }
    // Grouped as stored (tmdict is deterministic: the same groups), ordered by tmdict.
    static std::string groupTerm(const std::string& term, FieldType) { return term; }
    // The server sorts a UNION or a DISTINCT select only by its result columns: such a select
    // is sorted from outside, by the result columns' names (c1, c2 ...).
    static bool sortsOutside(const Select& sel) { return sel.unionNext || sel.distinct; }
    static std::string resultColumn(int ordinal) { return "\"u\".\"c" + std::to_string(ordinal + 1) + "\""; }
    static std::string sorted(std::string sql, const std::string& order, bool outside) {
        return outside ? "SELECT * FROM (" + sql + ") AS \"u\" ORDER BY " + order : sql + " ORDER BY " + order;
    }
    void afterSelect(const Statement& st) {
        // Rows of one table with an autoincrement key come in key order when nothing else
        // is asked, as a table file delivers them (the server's order changes with writes).
        const Select& sel = *st.select;
        if (sel.orderBy.empty() && sel.from.size() == 1 && !sel.distinct && sel.groupBy.empty() && !sel.having &&
            !sel.unionNext && std::none_of(sel.items.begin(), sel.items.end(), [](const SelectItem& i) { return aggregate(*i.expr); })) {
            const TableSchema* table = m_resolver.resolve(sel.from[0].table).second;
            if (table->rowidKey)
                m_tr.sql += " ORDER BY \"t0\"." + quoteIdent(table->columns[static_cast<size_t>(table->keyColumns.front())].name);
        }
    }
    // A condition over the stays' dates also asks for the spans its box meets, which the
    // server finds in the interval index (PgInternal.h); the condition stays as written.
    std::string whereSql(const Expr& where, const Scope& scope, const std::string& condition) {
        static const detail::IntervalSyntax server{"least", "greatest", "coalesce", "'-infinity'::date", "'infinity'::date"};
        std::string restriction;
        const auto paramOf = [&](const Expr& lit) {
            const auto it = m_placeholder.find(&lit);
            return it == m_placeholder.end() ? std::string() : it->second;
        };
        for (size_t i = 0; i < scope.entries.size(); ++i) {
            const FromEntry& fe = scope.entries[i];
            std::string lower, upper;
            if (!detail::intervalBounds(where, static_cast<int>(i), *fe.table, [&](const Expr& c) { return columnIn(scope, c); },
                                        paramOf, server, lower, upper))
                continue;
            restriction += " AND " + intervalSpanSql(quoteIdent(fe.sqlAlias)) + " && daterange(least(" + lower + "," + upper +
                           "),greatest(" + lower + "," + upper + "),'[]')";
        }
        return restriction.empty() ? " WHERE " + condition : " WHERE (" + condition + ")" + restriction;
    }
    // The identity key: returned, and assigned by the table where the statement leaves it null.
    void beginInsert(const TableSchema& t, const std::vector<const Column*>& cols) {
        m_key = t.rowidKey && !t.keyColumns.empty() ? &t.columns[static_cast<size_t>(t.keyColumns.front())] : nullptr;
        if (m_key) {
            m_tr.returningKey = m_key->name;
            m_tr.setsKey = std::find(cols.begin(), cols.end(), m_key) != cols.end();
        }
    }
    std::string insertSelect(std::string sub, const TableSchema& t, const std::vector<const Column*>& cols) const {
        if (!m_key || !m_tr.setsKey) return sub;
        // Null keys take the next value of the identity, as on files.
        std::string items;
        for (size_t i = 0; i < cols.size(); ++i) {
            const std::string c = "\"s\".\"c" + std::to_string(i + 1) + "\"";
            items += (i ? ", " : "") + (cols[i] == m_key ? "coalesce(" + c + ", nextval(pg_get_serial_sequence(" +
                                                             sqlText(quoteIdent(t.tableName)) + ", " + sqlText(m_key->name) + ")))"
                                                       : c);
        }
        return "SELECT " + items + " FROM (" + sub + ") AS \"s\"";
    }
    bool takesDefault(const Column& c, const Expr& value) const { return &c == m_key && value.kind == ExprKind::Null; }
    std::string insertEnd() const { return m_key ? " RETURNING " + quoteIdent(m_key->name) : std::string(); }
};

}  // namespace

PgTranslation translate(const Statement& st, TableResolver& resolver, std::string_view source) {
    Translator t(resolver);
    t.m_source = &source;
    return t.run(st);
}

std::string translateCondition(const Expr& e, const TableSchema& table, std::vector<std::optional<std::string>>& params) {
    struct NoTables : TableResolver {
        std::pair<std::string, const TableSchema*> resolve(const TableRef&) override {
            throw Error("A filter cannot name other tables");
        }
    } none;
    Translator t(none);
    return t.condition(e, table, params);
}

std::string isoDate(std::int64_t dayNo) {
    int y, m, d;
    civilFromDayNumber(dayNo, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    return buf;
}

std::string isoTime(std::int64_t seconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return buf;
}

std::string isoTimestamp(double days) {
    const double dayPart = std::floor(days);
    std::int64_t secs = std::llround((days - dayPart) * 86400.0);
    std::int64_t day = static_cast<std::int64_t>(dayPart);
    if (secs >= 86400) { secs -= 86400; ++day; }
    return isoDate(day) + " " + isoTime(secs);
}

}  // namespace engine::pg
