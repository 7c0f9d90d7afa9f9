#pragma once
// Moving in: the ten tables of a folder of Paradox files (POKOJE.DB, POBYTY.DB, … with
// their .MB memo files) read through pxlib and written into a Tamarel database, a folder of
// table files or a server, by the write side of `tamarel-db copy` (backup/DatabaseCopy.h).
//
// Invariants:
//  - all or nothing: a damaged file, a refused value or a failed write leaves the target as
//    it was (a folder is built aside and swapped in; a server is filled in one transaction);
//    a target holding rows is refused unless replacing was asked for;
//  - fields meet our columns by name, letter case aside; every value is converted exactly
//    (texts from the table's code page, dates to day numbers, times to seconds, keys kept,
//    nulls stay null) or named in the report: a text longer than its column or a value that
//    is not of the column's kind refuses the import unless cutting was accepted, and then
//    each cut text and each value left empty is listed;
//  - fields our tables lack are listed and left out; a table missing from the folder is
//    imported empty and said once; key counters continue after the highest imported key;
//  - pxlib's messages never reach the report: failures are told in our words.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace paradox {

struct ImportOptions {
    bool replace = false;       // replace the rows of a target that holds some
    int codePage = 0;           // 0: each table's own (its header), Windows-1250 when it names none
    bool cutLongTexts = false;  // accept cutting long texts and leaving wrong values empty
    // Called while rows are read: the table file, rows of it done, its rows in all.
    std::function<void(const QString& tableFile, qint64 done, qint64 total)> progress;
};

struct TableReport {
    QString file;               // "POBYTY.DB"
    bool found = false;         // the folder has the table
    qint64 rows = 0;            // rows read (written, once the import is done)
    int codePage = 0;           // the code page its texts were read in
    QStringList extraFields;    // fields our table lacks (left out)
    QStringList absentColumns;  // our columns the file lacks (left empty)
    QStringList longTexts;      // texts longer than their column (each: where, length, text)
    QStringList wrongKinds;     // values not of their column's kind
};

struct ImportReport {
    QList<TableReport> tables;  // the ten, in the order they are written
    qint64 rows = 0;
    bool written = false;       // the target holds the imported rows
    // What a user is told, table by table, one line each finding.
    QStringList lines() const;
    bool hasRefusals() const;   // long texts or wrong kinds
};

// The import was refused before anything was written (long texts or wrong kinds without
// cutting accepted); report says where.
class ImportRefused : public std::runtime_error {
public:
    ImportRefused(const std::string& what, ImportReport report) : std::runtime_error(what), report(std::move(report)) {}
    ImportReport report;
};

// Imports the Paradox tables of folder into target (a folder or a server URI). Throws
// ImportRefused, backup::CopyRefused (the target holds rows), ParadoxError (a damaged file:
// its table and what is wrong), engine::Error or std::runtime_error (the target cannot be
// written); in every case the target is unchanged.
ImportReport importParadox(const QString& folder, const QString& target, const ImportOptions& options = {});

}  // namespace paradox
