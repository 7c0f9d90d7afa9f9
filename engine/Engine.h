#pragma once
// Local SQL over table files: the one database layer both programs use.
//
// A table is one file in a folder ("POBYTY.DB"), holding one SQLite database with one
// table of the same name (the stays' file also holds their interval index, IntervalIndex.h,
// which other programs never need to know of). Statements are written in the front office's dialect (double-quoted
// table file paths with AS aliases, double-quoted text literals, day.month.year dates,
// `+` joining texts) and run unchanged; the engine translates them for SQLite.
//
// Invariants:
//  - every failure is an engine::Error whose message names what is wrong (and where);
//  - a failed statement changes nothing;
//  - results are fetched row by row as the reader asks for them;
//  - a program that had table files open when a restore replaced them reads and writes the
//    new files from its next statement on (open results keep the files they read);
//  - dates are whole day numbers (30.12.1899 is day 0), times seconds after midnight;
//    field texts read as the windows show them (5.3.2004, 9:05:07, 150.5, null empty).
//
// No Qt here: texts are UTF-8 std::string.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace engine {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class FieldType { Unknown, Key, Integer, Float, Text, Date, Time, Timestamp, Boolean };

struct FieldInfo {
    std::string name;        // as the statement or table names it, upper case for table columns
    FieldType type = FieldType::Unknown;
    int width = 0;           // characters for Text columns, 0 otherwise
};

// A value handed to a table cursor or read from one. Dates are day numbers (Integer kind
// with FieldType::Date), times seconds after midnight.
using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

// The text a window shows for a value of a field type (dates 5.3.2004, times 9:05:07,
// floats in shortest form, null empty).
std::string displayText(const Value& v, FieldType type);

// Day number <-> calendar. Throw Error on an invalid date.
std::int64_t dayNumber(int year, int month, int day);
void civilFromDayNumber(std::int64_t dayNo, int& year, int& month, int& day);
// Reads "5.3.2004", "05.03.2004", "5.3.04" (two-digit years are 20xx). Blank mask or empty
// text gives nullopt. Anything else throws Error.
std::optional<std::int64_t> parseDateText(std::string_view text);
// Reads "9:5:0" or "09:05:00" (seconds optional). Throws Error on anything else.
std::int64_t parseTimeText(std::string_view text);

// Whether a location names a PostgreSQL server ("postgresql://…", "postgres://…") rather than a
// folder of table files.
bool isServerLocation(std::string_view location);

// Puts a text value between double quotes, doubling any double quote inside it.
std::string quoteText(std::string_view text);

class Database;

// A forward-only result of a query. Rows are read from the table files as next() asks for
// them; the result holds the table files it reads until it is destroyed.
class Query {
public:
    virtual ~Query() = default;
    virtual const std::vector<FieldInfo>& fields() const = 0;
    // Case-insensitive; -1 when the result has no such field.
    virtual int fieldIndex(std::string_view name) const = 0;
    // Moves to the next row; false when there is none (then the row values are invalid).
    virtual bool next() = 0;
    virtual bool isNull(int field) const = 0;
    virtual Value value(int field) const = 0;
    // The field's text as windows show it.
    virtual std::string text(int field) const = 0;
    // Numbers as numbers; a date gives its day number, a time the fraction of the day,
    // a text its leading number or 0, null 0.
    virtual double number(int field) const = 0;
    virtual std::int64_t integer(int field) const = 0;
    // Rows delivered by next() so far.
    virtual std::int64_t rowsRead() const = 0;
    // All rows the query returns (counted by the engine without moving this result).
    virtual std::int64_t rowCount() = 0;

    std::string text(std::string_view name) const { return text(checkedIndex(name)); }
    double number(std::string_view name) const { return number(checkedIndex(name)); }
    std::int64_t integer(std::string_view name) const { return integer(checkedIndex(name)); }
    bool isNull(std::string_view name) const { return isNull(checkedIndex(name)); }

private:
    int checkedIndex(std::string_view name) const;
};

// Direct editing of one table's rows in key order (the table's primary key, else row order).
// Opening, moving and locating cost the same for ten rows and for a million.
class TableCursor {
public:
    enum class State { Browse, Edit, Insert };
    virtual ~TableCursor() = default;
    virtual const std::vector<FieldInfo>& fields() const = 0;
    virtual int fieldIndex(std::string_view name) const = 0;
    virtual std::string tableName() const = 0;

    virtual bool isEmpty() = 0;
    virtual bool first() = 0;          // false when the (filtered) table is empty
    virtual bool last() = 0;
    virtual bool next() = 0;           // false (and eof()) past the last row
    virtual bool prior() = 0;          // false (and bof()) before the first row
    virtual bool eof() const = 0;
    virtual bool bof() const = 0;
    // Moves to the first row (in key order) whose fields equal the values; false and no move
    // when none does. Texts compare exactly; dates may be given as day numbers or texts.
    virtual bool locate(const std::vector<std::pair<std::string, Value>>& fieldValues) = 0;
    // Rows in the (filtered) table; counts on demand.
    virtual std::int64_t rowCount() = 0;
    // 0-based position of the current row in key order, counted on demand.
    virtual std::int64_t rowNumber() = 0;
    // Moves to the row with that 0-based position; false when out of range.
    virtual bool moveTo(std::int64_t rowNumber) = 0;

    virtual Value value(int field) const = 0;
    virtual std::string text(int field) const = 0;
    virtual bool isNull(int field) const = 0;

    virtual State state() const = 0;
    virtual void edit() = 0;           // current row into edit
    virtual void insert() = 0;         // new empty row, posted at its key position
    virtual void append() = 0;         // same as insert for keyed tables
    virtual void setValue(int field, const Value& v) = 0;
    // Sets a field from the text a user typed, read by the field's type (dates d.m.yyyy,
    // numbers with point or comma, empty text null). Throws Error when it does not read.
    virtual void setText(int field, std::string_view text) = 0;
    virtual bool modified() const = 0;
    virtual void post() = 0;           // writes the row; throws Error and stays in edit on refusal
    virtual void cancel() = 0;
    virtual void remove() = 0;         // deletes the current row, moves to the next (or last)
    // Key of the row posted last (autoincrement key, else the SQLite row id).
    virtual std::int64_t lastKey() const = 0;
    // Re-reads the current row (another program may have changed it).
    virtual void refresh() = 0;
};

// One change over several table files: every statement lands or none does, also when the
// program is killed in the middle. The table files' write locks are held from beginChange()
// to commit() or destruction; other programs read the files meanwhile and see the tables as
// they were before the change until it commits.
class Change {
public:
    virtual ~Change() = default;      // rolls back unless commit() was reached
    // Rows affected. Throws Error; the change then can only be rolled back (destroyed).
    virtual std::int64_t execute(std::string_view sql) = 0;
    // A query that sees this change's own writes; destroy the result before commit().
    virtual std::unique_ptr<Query> open(std::string_view sql) = 0;
    // The autoincrement key of the row the last INSERT of this change stored.
    virtual std::int64_t lastInsertKey() const = 0;
    // Stores whole rows into one of the change's tables by the cheapest way the storage has
    // (copies and restores of whole tables): each row holds the values of `columns` in that
    // order, as a query or cursor delivers them (dates day numbers, times seconds, null as
    // std::monostate). Keys are stored as given; an AUTOINC column hands out later keys after
    // them. Values are checked as an INSERT checks them; on a refusal nothing of the call is
    // stored, an Error is thrown and the change can only be rolled back. Files: multi-row
    // INSERT statements through execute(); a server: COPY.
    virtual void insertRows(std::string_view tableFile, const std::vector<FieldInfo>& columns,
                            const std::vector<std::vector<Value>>& rows);
    virtual void commit() = 0;        // throws Error and rolls back on failure
};

class Database {
public:
    // workingFolder resolves bare and relative table names ("POKOJE", "POKOJE.DB").
    explicit Database(std::string workingFolder = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void setWorkingFolder(std::string folder);
    const std::string& workingFolder() const;

    // Runs a query and returns its result, rows fetched on demand.
    std::unique_ptr<Query> open(std::string_view sql);
    // Runs any statement. Returns rows affected by a change (for a query, the rows it returns).
    std::int64_t execute(std::string_view sql);
    // Opens a table file for row editing; filter is an optional condition (" PID='12'").
    std::unique_ptr<TableCursor> openTable(std::string_view tableFile, std::string_view filter = {});
    // Begins a change over the table files (paths as statements name them, e.g. folder +
    // "POBYTY.DB"). Their write locks are taken before it returns, waiting as a single write
    // waits (the lock timeout, then "Table … is locked by another program"). Statements of
    // the change may only name these table files; another one is an Error. At most 10 files.
    // The change writes an empty helper file beside the first table file while it runs.
    std::unique_ptr<Change> beginChange(const std::vector<std::string>& tableFiles);

    // How long a write waits, in total, for another program's lock before failing.
    void setLockTimeoutMs(int ms);
    // Whether each change waits until the disk has it (the default). Bulk loading of a new
    // folder (the demo set) turns it off: a crash may then lose the latest changes.
    void setSyncWrites(bool on);
    // Lets go of every table file (before files are replaced or copied). Open results and
    // cursors must be destroyed first.
    void releaseTables();
    // The tables of the database as table file names ("POKOJE.DB"), in name order: the table
    // files (".DB") of the working folder, or on a server the tables its search path shows
    // (the server's own catalogs left out). Throws Error when the folder cannot be listed or
    // the server cannot be reached.
    std::vector<std::string> tableFiles();
    // Runs fn while holding a read lock on one table file, so no program writes it meanwhile
    // (a backup copies the file inside fn). Throws Error when the lock cannot be had in time.
    void withReadLock(std::string_view tableFilePath, const std::function<void()>& fn);

    // On a server: the tables other programs changed since the last call, by the names the
    // server gives them ("POBYTY"), each once, in no particular order. Changes made through this
    // Database are left out. Never waits and never throws: the first call starts listening on
    // a connection of its own (made without waiting) and reports nothing; a lost listening
    // connection is made again quietly, and then every table this Database has used is
    // reported once, as changes may have gone unheard meanwhile. Poll it a few times a second.
    // On table files it always reports nothing (programs there learn of other programs'
    // changes only by reading again).
    std::vector<std::string> changedTables();

    struct Impl;
    Impl& impl() { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

// Whether a table named `name` in the file of `table` belongs to the interval index the
// engine keeps beside some tables (an SQLite R*Tree and its shadow tables): a file holding
// them still holds just the one table of its name.
bool isIntervalIndexTable(std::string_view table, std::string_view name);

}  // namespace engine
