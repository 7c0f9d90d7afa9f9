#pragma once
// The table files of a database folder: their definitions (data/tables.sql, built into
// the program) and their creation in a folder. The first ten are the tables every database
// has; the tables after them in tables.sql ("added later") may be missing from a database
// made before them, and everything that reads a whole database (copies, backups) takes them
// when they are there.
//
// Invariants: a table file that exists is never touched (no drop, no re-create); a table's
// indexes are created only together with the table.

#include <QString>
#include <QStringList>
#include <QList>

namespace engine { class Database; }

namespace data {

struct TableDefinition {
    QString file;           // "POKOJE.DB"
    QString table;          // "POKOJE"
    QStringList statements; // CREATE TABLE first, then its CREATE INDEX statements; {db} kept
    bool addedLater = false; // beyond the ten: a database made before it may lack it
};

// The definitions in file order, parsed from the built-in copy of tables.sql.
QList<TableDefinition> tableDefinitions();
// Splits a script into statements: ';' at a line end ends one, "--" lines are comments.
QStringList splitStatements(const QString& script);
// The folder as an absolute path with one trailing '/', the {db} of every statement text;
// empty for a PostgreSQL server URI (statements then name bare tables).
QString folderPrefix(const QString& folder);
// What engine::Database is given: the folder prefix, or the server URI as it stands.
QString databaseLocation(const QString& folder);

// Creates the folder and every missing table file in it (on a server: every missing table). Returns one line per table file
// that was there already ("POKOJE.DB exists, left as it is"). Throws engine::Error when a
// statement fails, std::runtime_error when the folder cannot be made.
QStringList createTables(engine::Database& db, const QString& folder);

// Whether the table is there: its file in a folder, the table itself on a server.
bool tableExists(engine::Database& db, const QString& folder, const QString& file);
// The table files of tableDefinitions() the database lacks, in file order.
QStringList missingTables(engine::Database& db, const QString& folder);

// Table files of the folder that hold at least one row ("POKOJE.DB").
QStringList filledTables(engine::Database& db, const QString& folder);

}  // namespace data
