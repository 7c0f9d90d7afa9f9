// Translation of the dialect's syntax tree into SQLite SQL over attached table files (the
// typing both storages share is TranslatorCore.h).
//
// Invariants:
//  - every literal of the statement becomes a numbered parameter (?k) converted before binding,
//    so one translation serves every statement of the same shape;
//  - text sorts and groups with the dictionary collation TMDICT; comparisons stay exact;
//  - a condition over the dates of a table with an interval index also reads that index.

#include "Internal.h"
#include "IntervalIndex.h"
#include "TranslatorCore.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace engine::detail {

using namespace engine::sql;

int TableSchema::findColumn(std::string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (equalsNoCase(columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

FieldType fieldTypeOfDeclared(std::string_view declared, int& width) {
    std::string d = upperAscii(declared);
    width = 0;
    const size_t paren = d.find('(');
    if (paren != std::string::npos) {
        width = std::atoi(d.c_str() + paren + 1);
        d = d.substr(0, paren);
    }
    while (!d.empty() && d.back() == ' ') d.pop_back();
    if (d == "CHAR" || d == "VARCHAR" || d == "CHARACTER" || d == "TEXT" || d == "NCHAR" || d == "NVARCHAR" ||
        d == "CHARACTER VARYING" || d == "CLOB" || d == "STRING")
        return FieldType::Text;
    width = 0;
    if (d == "INTEGER" || d == "SMALLINT" || d == "INT" || d == "BIGINT" || d == "TINYINT") return FieldType::Integer;
    if (d == "AUTOINC") return FieldType::Key;
    if (d == "FLOAT" || d == "NUMERIC" || d == "MONEY" || d == "REAL" || d == "DOUBLE" || d == "DECIMAL" ||
        d == "DOUBLE PRECISION")
        return FieldType::Float;
    if (d == "DATE") return FieldType::Date;
    if (d == "TIME") return FieldType::Time;
    if (d == "TIMESTAMP" || d == "DATETIME") return FieldType::Timestamp;
    if (d == "BOOLEAN" || d == "BOOL" || d == "LOGICAL") return FieldType::Boolean;
    if (d.find("INT") != std::string::npos) return FieldType::Integer;
    if (d.find("CHAR") != std::string::npos || d.find("TEXT") != std::string::npos) return FieldType::Text;
    return FieldType::Unknown;
}

std::string quoteIdent(std::string_view s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

namespace {

using translating::FromEntry;
using translating::Scope;
using translating::Typed;

int typeCode(FieldType t) { return static_cast<int>(t); }

// The SQLite dialect: tables are attached files (schema "tbN"), values are converted by the
// engine before binding (ParamSlot), and the tm_* functions of SqlFunctions.cpp type them.
class Translator final : public translating::TranslatorCore<Translator, Translation> {
public:
    using TranslatorCore::TranslatorCore;

private:
    friend class translating::TranslatorCore<Translator, Translation>;

    std::unordered_map<const Expr*, int> m_paramOf;  // literal -> its parameter number

    std::string param(const Expr& lit, Conv conv, const std::string& column, FieldType, bool negative) {
        m_tr.params.push_back({lit.literalIndex, conv, column, negative});
        m_paramOf[&lit] = static_cast<int>(m_tr.params.size());
        return "?" + std::to_string(m_tr.params.size());
    }
    static std::string textOf(const Typed& t) { return "tm_text(" + t.sql + "," + std::to_string(typeCode(t.type)) + ")"; }
    // tm_store refuses infinities, fractions of integer columns and days and times out of
    // range, naming the column.
    void storeComputed(Typed& t, const Column& c) {
        coerce(t, c.type, c.width, c.name);
        if (t.isNull) return;
        int kind = 0;
        switch (c.type) {
        case FieldType::Float: kind = 1; break;
        case FieldType::Integer:
        case FieldType::Key: kind = 2; break;
        case FieldType::Date: kind = 3; break;
        case FieldType::Time: kind = 4; break;
        default: return;
        }
        t.sql = "tm_store(" + t.sql + "," + std::to_string(kind) + "," + sqlText(c.name) + ")";
    }
    static std::string boolLiteral(bool on) { return on ? "1" : "0"; }
    static std::string noEscape() { return {}; }
    static std::string wholeArg(const std::string& sql) { return sql; }
    static const char* trimBoth() { return "trim("; }
    std::string divide(const Typed& a, const Typed& b) const {
        // In a value being stored a division by zero is refused (elsewhere it is null).
        return m_storing.empty() ? "(" + a.sql + "*1.0/" + b.sql + ")"
                                 : "tm_div(" + a.sql + "," + b.sql + "," + sqlText(m_storing) + ")";
    }
    // Day numbers and seconds add and subtract as the numbers they are.
    static void temporalArithmetic(Typed&, const Typed&, const Typed&, const std::string&) {}
    static std::string changeCase(bool upper, const std::string& text) { return (upper ? "tm_upper(" : "tm_lower(") + text + ")"; }
    static std::string lengthOf(const std::string& text) { return "length(" + text + ")"; }
    static std::string round(const std::string& x, const std::string& digits) {
        return "round(" + x + (digits.empty() ? "" : "," + digits) + ")";
    }
    static std::string castValue(const Typed& a, FieldType target) {
        if (target == FieldType::Integer) return "CAST(" + a.sql + " AS INTEGER)";
        if (target == FieldType::Float) return "CAST(" + a.sql + " AS REAL)";
        if (target == FieldType::Boolean) return "(CAST(" + a.sql + " AS INTEGER)<>0)";
        const std::string fn = target == FieldType::Date ? "tm_date(" : target == FieldType::Time ? "tm_time(" : "tm_timestamp(";
        return fn + a.sql + "," + std::to_string(typeCode(a.type)) + ")";
    }
    static std::string extractPart(const std::string& field, const Typed& a, bool) {
        return "tm_extract('" + field + "'," + a.sql + "," + std::to_string(typeCode(a.type)) + ")";
    }
    void uses(const TableSchema& table, bool target) {
        if (target || std::find(m_tr.files.begin(), m_tr.files.end(), table.path) == m_tr.files.end())
            m_tr.files.push_back(table.path);
    }
    static std::string tableSql(const FromEntry& fe) { return quoteIdent(fe.schema) + "." + quoteIdent(fe.table->tableName); }
    static const char* crossJoin() { return ", "; }
    static std::string itemName(size_t) { return {}; }
    static std::string orderTerm(const std::string& term, FieldType type, bool desc) {
        return term + (type == FieldType::Text ? " COLLATE TMDICT" : "") + (desc ? " DESC" : "");
    }
    static std::string groupTerm(const std::string& term, FieldType type) { return orderTerm(term, type, false); }
    static bool sortsOutside(const Select& sel) { return sel.unionNext != nullptr; }
    static std::string resultColumn(int ordinal) { return std::to_string(ordinal + 1); }
    static std::string sorted(std::string sql, const std::string& order, bool) { return sql + " ORDER BY " + order; }
    void afterSelect(const Statement&) {}
    std::string whereSql(const Expr& where, const Scope& scope, const std::string& condition) {
        const std::string interval = intervalRestriction(where, scope);
        return interval.empty() ? " WHERE " + condition : " WHERE (" + condition + ")" + interval;
    }
    void beginInsert(const TableSchema&, const std::vector<const Column*>&) {}
    static std::string insertSelect(std::string sub, const TableSchema&, const std::vector<const Column*>&) { return sub; }
    static bool takesDefault(const Column&, const Expr&) { return false; }
    static std::string insertEnd() { return {}; }

    // The interval indexes that bound the condition (IntervalIndex.h): the tables of this
    // select only.
    std::string intervalRestriction(const Expr& where, const Scope& scope) {
        std::vector<IntervalEntry> entries;
        for (const auto& fe : scope.entries) entries.push_back({fe.table, fe.schema, fe.sqlAlias});
        const auto columnOf = [&](const Expr& c) { return columnIn(scope, c); };
        const auto paramOf = [&](const Expr& lit) {
            const auto it = m_paramOf.find(&lit);
            return it == m_paramOf.end() ? std::string() : "?" + std::to_string(it->second);
        };
        return intervalRestrictions(where, entries, columnOf, paramOf);
    }
};

}  // namespace

Translation translate(const Statement& st, TableResolver& resolver, std::string_view source) {
    Translator t(resolver);
    t.m_source = &source;
    return t.run(st);
}

std::string translateCondition(const Expr& e, const TableSchema& table, std::vector<ParamSlot>& params) {
    struct NoTables : TableResolver {
        std::pair<std::string, const TableSchema*> resolve(const TableRef&) override {
            throw Error("A filter cannot name other tables");
        }
    } none;
    Translator t(none);
    return t.condition(e, table, params);
}

}  // namespace engine::detail
