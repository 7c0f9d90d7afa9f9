#pragma once
// Engine internals shared by the translator, the database core, queries and table cursors.
//
// Invariants: a TableSchema describes one attached table file exactly as PRAGMA table_info
// reported it when it was attached; a Translation never outlives the attachment of the files
// it names (the core drops cached translations when it detaches a file).

#include "Ast.h"
#include "Engine.h"
#include "Lexer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace engine::detail {

std::string formatFloat(double v);
std::string dateText(std::int64_t dayNo);
std::string timeText(std::int64_t seconds);
std::string timestampText(double v);
std::optional<double> timestampFromText(std::string_view text);

// Dictionary order of UTF-8 texts: case and accents decide only between texts that are
// otherwise equal; 0 only for identical byte strings.
int dictionaryCompare(std::string_view a, std::string_view b);
std::string upperText(std::string_view s);
std::string lowerText(std::string_view s);

// Registers the collation TMDICT and the tm_* helper functions on a connection.
void registerSqlFunctions(sqlite3* db);

struct Column {
    std::string name;   // upper case as stored
    FieldType type = FieldType::Unknown;
    int width = 0;
    bool notNull = false;
    int pk = 0;         // position in the primary key (1-based), 0 when not a key column
};

struct TableSchema {
    std::string path;       // absolute path of the table file
    std::string fileName;   // "POBYTY.DB"
    std::string tableName;  // the table inside the file ("POBYTY")
    std::vector<Column> columns;
    std::vector<int> keyColumns;  // primary key columns in key order; empty: row order
    bool rowidKey = false;        // the key is the rowid itself (AUTOINC / INTEGER PRIMARY KEY)
    std::string intervalIndex;    // the interval index kept beside the table, empty when none
    int intervalFrom = -1, intervalThru = -1;  // the columns of its ranges (IntervalIndex.h)
    int findColumn(std::string_view name) const;
};

// An SQL identifier in double quotes (doubling quotes inside).
std::string quoteIdent(std::string_view name);

// Reads a declared SQLite column type ("CHAR(3)", "DATE", "INTEGER") as a field type.
FieldType fieldTypeOfDeclared(std::string_view declared, int& width);

// How a literal token is turned into the value bound to its parameter.
// Whole, DayNumber and Seconds read a value stored into an integer, date or time column:
// a whole number, a day number that a date text can show, seconds within one day.
enum class Conv { Text, Number, Date, Time, Timestamp, Boolean, Whole, DayNumber, Seconds };

// The day numbers of 1.1.0001 and 31.12.9999, the dates a date text can show.
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;

struct ParamSlot {
    int literalIndex = 0;   // among the statement's literal tokens
    Conv conv = Conv::Text;
    std::string column;     // the column the literal meets, for messages
    bool negative = false;  // a unary minus stands before the number
};

struct Translation {
    sql::StatementKind kind = sql::StatementKind::Select;
    std::string sql;
    std::vector<ParamSlot> params;      // parameter ?k is params[k-1]
    std::vector<FieldInfo> fields;      // result fields of a query
    std::vector<std::string> files;     // table files the statement uses (target first)
};

// What the translator needs from the core: a table file attached, by reference.
class TableResolver {
public:
    virtual ~TableResolver() = default;
    // Attaches (if needed) and returns the schema name ("tb7") and the table description.
    virtual std::pair<std::string, const TableSchema*> resolve(const sql::TableRef& ref) = 0;
};

// source is the statement text (result fields without alias are named by their source text).
Translation translate(const sql::Statement& st, TableResolver& resolver, std::string_view source = {});

// Translates a lone condition over one table (table cursor filters); column references are
// emitted unqualified.
std::string translateCondition(const sql::Expr& e, const TableSchema& table, std::vector<ParamSlot>& params);

// Converts a literal token for binding. Throws Error naming the text when it does not read.
Value convertLiteral(const sql::Token& tok, Conv conv, const std::string& column);
// Converts the literal of a parameter slot (with its sign) for binding.
Value convertParam(const sql::Token& tok, const ParamSlot& slot);

// Converts a value handed to a table cursor or locate() into the stored form of a column.
Value storedValue(const Value& v, const Column& c);

}  // namespace engine::detail
