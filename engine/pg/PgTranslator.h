#pragma once
// The dialect's statements translated for a PostgreSQL server: the file storage's typing
// (TranslatorCore.h) with the server's SQL, over the same parser and syntax tree.
//
// Invariants: the result fields (names, types, widths) are those the file storage gives for
// the same statement; every literal is converted by the same rules (convertLiteral) and
// bound as a parameter in the server's text form; a table named in a statement is the
// server table the resolver found.

#include "Internal.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::pg {

struct PgTranslation {
    sql::StatementKind kind = sql::StatementKind::Select;
    std::string sql;
    std::vector<std::optional<std::string>> params;  // $k is params[k-1]; nullopt is NULL
    std::vector<FieldInfo> fields;                   // result fields of a query
    std::vector<std::string> tables;                 // server tables used (target first)
    std::string returningKey;  // INSERT into a table with an identity key: that column
    bool setsKey = false;      // the INSERT stores the identity column's values itself
    std::vector<std::string> storedColumns;  // columns the statement stores computed values into
};

PgTranslation translate(const sql::Statement& st, detail::TableResolver& resolver, std::string_view source);

// A lone condition over one table (a table cursor's filter), columns unqualified; its
// parameters are numbered from $1.
std::string translateCondition(const sql::Expr& e, const detail::TableSchema& table,
                               std::vector<std::optional<std::string>>& params);

// The server's text forms of the dialect's values.
std::string isoDate(std::int64_t dayNo);      // 2004-03-05
std::string isoTime(std::int64_t seconds);    // 09:05:07
std::string isoTimestamp(double days);        // 2004-03-05 09:05:07

}  // namespace engine::pg
