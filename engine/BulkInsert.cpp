// Change::insertRows for the file storage (and any change without a faster way): multi-row
// INSERT statements of the dialect. The engine prepares each statement shape once, so a
// million rows cost a million bindings, not a million translations.
#include "Engine.h"

#include <charconv>
#include <cmath>

namespace engine {

namespace {

constexpr size_t kValuesPerStatement = 4000;

// A value as a literal of the dialect that reads back as the same value.
void appendLiteral(std::string& out, const Value& v, FieldType type) {
    if (std::holds_alternative<std::monostate>(v)) {
        out += "NULL";
    } else if (const auto* s = std::get_if<std::string>(&v)) {
        out += quoteText(*s);
    } else if (type == FieldType::Date || type == FieldType::Time) {
        out += '"';
        out += displayText(v, type);
        out += '"';
    } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
        out += std::to_string(*i);
    } else {
        const double d = std::get<double>(v);
        if (!std::isfinite(d)) throw Error("Type mismatch: an infinite value is not a number");
        char buffer[32];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, d);  // shortest exact text
        out.append(buffer, r.ptr);
    }
}

}  // namespace

void Change::insertRows(std::string_view tableFile, const std::vector<FieldInfo>& columns,
                        const std::vector<std::vector<Value>>& rows) {
    if (rows.empty()) return;
    std::string head = "INSERT INTO " + quoteText(tableFile) + " (";
    for (size_t i = 0; i < columns.size(); ++i) head += (i ? ", " : "") + columns[i].name;
    head += ") VALUES ";
    const size_t perStatement = std::max<size_t>(1, kValuesPerStatement / std::max<size_t>(1, columns.size()));
    std::string sql;
    size_t inStatement = 0;
    for (const auto& row : rows) {
        if (row.size() != columns.size()) throw Error("A row for " + std::string(tableFile) + " has the wrong number of values");
        sql += inStatement ? ", (" : head + "(";
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) sql += ", ";
            appendLiteral(sql, row[i], columns[i].type);
        }
        sql += ')';
        if (++inStatement == perStatement) {
            execute(sql);
            sql.clear();
            inStatement = 0;
        }
    }
    if (inStatement) execute(sql);
}

}  // namespace engine
