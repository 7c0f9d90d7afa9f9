#pragma once
// Copying the tables of a database (the ten and those added later that it has) between a folder of table files and a PostgreSQL
// server, either way (folder to folder and server to server too): the `tamarel-db copy`
// command, and the restore and backup of a database on a server, which pass through a folder
// of table files.
//
// Invariants:
//  - rows keep their keys; on a server the AUTOINC columns afterwards hand out keys after the
//    copied ones (and after any key they gave before);
//  - a target table holding a row is refused unless `replace` is set, and then its rows are
//    replaced, never merged;
//  - on a server target every table lands in one transaction: a failure leaves every table as
//    it was (tables that were missing are created empty before it begins);
//  - on a folder target the tables are built in a hidden folder inside it and swapped in all
//    at once with the restore's swap (engine/TableSwap.h): a failure leaves the folder as it
//    was;
//  - each source table is read under its read lock, so it is copied as one program saw it.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

#include <vector>

#include "data/TableFiles.h"
#include "engine/Engine.h"

namespace backup {

// The target already holds rows and no replacing was asked for. filled names the table files.
class CopyRefused : public std::runtime_error {
public:
    CopyRefused(const std::string& what, QStringList filled) : std::runtime_error(what), filled(std::move(filled)) {}
    QStringList filled;
};

struct CopyOptions {
    bool replace = false;
    // Table files to copy ("POBYTY.DB"); empty: all of them. Others of the target stay as they are.
    QStringList tables;
    // Runs before each table is written into the target (tests throw here to break a copy
    // in the middle).
    std::function<void(const QString& tableFile)> beforeTable;
};

struct CopySummary {
    qint64 rows = 0;
    QList<QPair<QString, qint64>> tables;  // table file, rows copied
};

// Copies the tables of the database at sourceLocation (a folder or a server URI) into the one
// at targetLocation. source and target are engine databases opened on those locations
// (data::databaseLocation); the target's open results and cursors must be destroyed first.
// Throws CopyRefused, engine::Error (a statement failed; nothing changed) or
// std::runtime_error (a folder cannot be made, the files cannot be swapped, a table is
// missing in the source, both locations are the same).
CopySummary copyDatabase(engine::Database& source, const QString& sourceLocation, engine::Database& target,
                         const QString& targetLocation, const CopyOptions& options = {});

// Same, opening both databases itself.
CopySummary copyDatabase(const QString& sourceLocation, const QString& targetLocation, const CopyOptions& options = {});

// The write side of a copy, for any source of rows (a copy, an import of other files).
// BatchWriter hands one batch of rows of one table to the target (columns by name, values in
// the engine's stored forms); a RowSource writes every row of one table through it and
// returns how many it wrote. writeDatabase keeps the invariants above: a filled target is
// refused unless options.replace, a server target is filled in one transaction, a folder
// target in a hidden folder swapped in at once; anything the source throws leaves the target
// as it was and is thrown on.
using BatchWriter = std::function<void(const std::vector<engine::FieldInfo>& columns,
                                       const std::vector<std::vector<engine::Value>>& rows)>;
using RowSource = std::function<qint64(const data::TableDefinition& table, const BatchWriter& write)>;
CopySummary writeDatabase(engine::Database& target, const QString& targetLocation, const RowSource& source,
                          const CopyOptions& options = {});

}  // namespace backup
