#pragma once
// The interval index: an SQLite R*Tree kept beside a table in its own table file, holding for
// every row the span of its date range, so a query for the rows whose range meets a window of
// days reads only those rows, however long the history kept.
//
// The stays table keeps one over DATEFROM..DATETHRU ("POBYTY_interval", one dimension lo..hi,
// the row id as its key). Triggers in the file keep it in step with every insert, update and
// delete, whoever writes (the engine or any program through plain SQLite); other programs still
// find the table as it always was. A file without the index gets it when the engine attaches
// the file, in one transaction of a connection of its own; when another program holds the file
// then, the engine goes on without it (statements run as they are) and tries again next time.
//
// What a row's entry holds (a text or blob sorts after every number in SQLite, so it counts as
// +infinity; a null adds nothing): lo..hi is the hull of the values DATEFROM and DATETHRU
// count as. A row with both null has no entry. So any comparison of DATEFROM or DATETHRU with a
// number that is true for a row is true for a value inside that row's lo..hi.
//
// How a query uses it: the translator works out, from a WHERE clause's comparisons of the two
// columns with literals (combined by AND and OR, in any order and nesting, BETWEEN included),
// a box every row the condition can accept lies in: lo <= U and hi >= L, with U and L made of
// the literals. When the condition bounds both sides through alternatives (an OR of ranges, as
// the board's window is written) and names both columns, the translation reads the table's
// rows by the keys of the index's entries with lo <= U and hi >= L (see intervalRestrictions)
// and keeps the condition as it is, so the rows are exactly those of the plain condition; stale
// entries (a row deleted by a REPLACE, which fires no delete trigger) can only add candidates
// the condition refuses. One range over each column without an OR (DATETHRU > A AND
// DATEFROM <= B) keeps its B-tree plan:
// SQLite walks one index for it, and where the range reaches today, as the room usage period
// does, that walk reads about the rows wanted and costs less than the index's detour.
//
// On a server the stays keep a GiST index of the same name over the span (pg/PgInternal.h), and
// the server's translator adds the same box as a range overlap (intervalBounds).
//
// Invariants: a table's interval index is used only after its triggers and virtual table were
// found exactly as this file makes them; literal parameters bound for date columns are day
// numbers, numbers or null (never texts), which the bounds rely on.

#include "Internal.h"

#include <functional>
#include <string>

struct sqlite3;

namespace engine::detail {

// The R*Tree module is part of the SQLite the program runs on.
bool intervalIndexAvailable();

// The name of the interval index of a table ("POBYTY" -> "POBYTY_interval"); the R*Tree's own
// shadow tables are this name with "_node", "_rowid" and "_parent" appended.
std::string intervalIndexName(std::string_view table);

// True for the tables an interval index makes (the virtual table and its shadow tables) in
// the file of `table`: a file holding them still holds just the one table of its name.
bool isIntervalIndexTable(std::string_view table, std::string_view name);

// Called when a table file is attached as `schema` on db: when its table keeps an interval
// index, makes sure the file has it (creating it when missing, see above) and records it in
// table.intervalIndex / intervalFrom / intervalThru. Never throws: without the index, the
// statements run unchanged.
void attachIntervalIndex(sqlite3* db, const std::string& schema, TableSchema& table, int lockTimeoutMs);

// What the translator knows of one table of a FROM list.
struct IntervalEntry {
    const TableSchema* table = nullptr;
    std::string schema;    // "tb3"
    std::string sqlAlias;  // "t0"
};

// How the bounds of a box are written: the functions that take the smaller and the larger of
// two values, the one that replaces a null, and values below and above every date.
struct IntervalSyntax {
    const char* min;
    const char* max;
    const char* ifNull;
    const char* belowAll;
    const char* aboveAll;
};

// For a WHERE clause and the table of entry `entry` of its FROM list: whether the condition puts
// every row it accepts into a box lo <= upper and hi >= lower that bounds both sides through
// alternatives and names both date columns (see above), and the box's bounds, written in
// `syntax` over the literals' parameters. columnOf resolves a column reference to (entry
// index, column index) or (-1, -1); paramOf gives the parameter a literal is bound to ("?3",
// "$3::date"), empty when it has none. The file storage and the server both use it.
bool intervalBounds(const sql::Expr& where, int entry, const TableSchema& table,
                    const std::function<std::pair<int, int>(const sql::Expr&)>& columnOf,
                    const std::function<std::string(const sql::Expr&)>& paramOf, const IntervalSyntax& syntax,
                    std::string& lower, std::string& upper);

// For a WHERE clause: " AND <alias>.<key> IN (SELECT id FROM <index> WHERE lo<=U AND hi>=L)"
// for each table of the list whose interval index bounds the condition, else empty. SQLite
// reads the table's rows by key in ascending key order from the list of ids it makes, so the
// rows come in the order they were booked (the index's own order changes as the tree grows).
std::string intervalRestrictions(const sql::Expr& where, const std::vector<IntervalEntry>& entries,
                                 const std::function<std::pair<int, int>(const sql::Expr&)>& columnOf,
                                 const std::function<std::string(const sql::Expr&)>& paramOf);

}  // namespace engine::detail
