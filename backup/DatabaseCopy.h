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

namespace engine {
class Database;
}

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

}  // namespace backup
