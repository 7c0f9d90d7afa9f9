// Copies of whole databases between folders and servers; see DatabaseCopy.h.
//
// Rows travel in batches through Change::insertRows inside one change (multi-row INSERT
// statements on files, COPY on a server). Large tables are read in key ranges, so a server's result never holds a whole table.
#include "backup/DatabaseCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>
#include <filesystem>

#include "backup/Archive.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "engine/TableSwap.h"

namespace fs = std::filesystem;

namespace backup {

namespace {

bool onServer(const QString& location) { return engine::isServerLocation(location.trimmed().toStdString()); }

// The AUTOINC column of a table definition, empty when it has none.
QString autoincColumn(const data::TableDefinition& t)
{
    static const QRegularExpression re(QStringLiteral("[(,]\\s*([A-Za-z0-9_]+)\\s+AUTOINC\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(t.statements.value(0));
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

std::string tableRef(const QString& prefix, const QString& file)
{
    return engine::quoteText((prefix + file).toStdString());
}

constexpr qint64 kKeyRange = 50000;   // keys per read of a large table
constexpr size_t kRowsPerBatch = 5000;  // rows handed to the target at once

// Reads every row of one source table (under its read lock) and hands them to write in
// batches, with the source's fields. Returns the rows read.
qint64 copyRows(engine::Database& source, const QString& prefix, const data::TableDefinition& t, const BatchWriter& write)
{
    const std::string from = tableRef(prefix, t.file);
    const std::string key = autoincColumn(t).toStdString();
    qint64 rows = 0;
    source.withReadLock((prefix + t.file).toStdString(), [&] {
        // The reads: whole for small tables, key ranges for those with an AUTOINC key.
        std::vector<std::string> reads;
        if (key.empty()) {
            reads.push_back("SELECT * FROM " + from);
        } else {
            auto q = source.open("SELECT MIN(" + key + ") AS LO, MAX(" + key + ") AS HI FROM " + from);
            if (q->next() && !q->isNull(0))
                for (qint64 lo = q->integer(0), hi = q->integer(1); lo <= hi; lo += kKeyRange)
                    reads.push_back("SELECT * FROM " + from + " WHERE " + key + " >= " + std::to_string(lo) + " AND " + key +
                                    " < " + std::to_string(lo + kKeyRange));
        }
        std::vector<engine::FieldInfo> fields;
        std::vector<std::vector<engine::Value>> batch;
        for (const std::string& read : reads) {
            auto q = source.open(read);
            fields = q->fields();
            const int n = int(fields.size());
            while (q->next()) {
                std::vector<engine::Value> row;
                row.reserve(size_t(n));
                for (int i = 0; i < n; ++i) row.push_back(q->value(i));
                batch.push_back(std::move(row));
                ++rows;
                if (batch.size() == kRowsPerBatch) {
                    write(fields, batch);
                    batch.clear();
                }
            }
        }
        if (!batch.empty()) write(fields, batch);
    });
    return rows;
}

QList<data::TableDefinition> chosenTables(const CopyOptions& options)
{
    QList<data::TableDefinition> tables;
    for (const data::TableDefinition& t : data::tableDefinitions())
        if (options.tables.isEmpty() || options.tables.contains(t.file, Qt::CaseInsensitive)) tables << t;
    return tables;
}

QString sameness(const QString& location)
{
    if (onServer(location)) return location.trimmed();
    return QFileInfo(data::folderPrefix(location)).canonicalFilePath();
}

QString uniqueHiddenFolder(const QString& folder, const QString& stem)
{
    for (;;) {
        const QString path = QDir(folder).filePath(stem + QUuid::createUuid().toString(QUuid::Id128).left(12));
        if (!QFileInfo::exists(path) && QDir().mkpath(path)) return path;
        if (!QFileInfo(folder).isDir()) throw std::runtime_error("cannot create a folder in " + folder.toStdString());
    }
}

}  // namespace

CopySummary copyDatabase(engine::Database& source, const QString& sourceLocation, engine::Database& target,
                         const QString& targetLocation, const CopyOptions& options)
{
    const QString sourceIdentity = sameness(sourceLocation);
    if (!sourceIdentity.isEmpty() && sourceIdentity == sameness(targetLocation))
        throw std::runtime_error("the source and the target are the same database");
    const QString sourcePrefix = data::folderPrefix(sourceLocation);
    if (!onServer(sourceLocation) && !QFileInfo(sourceLocation).isDir())
        throw std::runtime_error(sourceLocation.toStdString() + " is not a folder");
    // A table added after the ten that the source was made without is not copied: the copy
    // is the database as it is (the target of a copy onto a server gets it empty).
    QList<data::TableDefinition> tables;
    for (const data::TableDefinition& t : chosenTables(options))
        if (!t.addedLater || data::tableExists(source, sourceLocation, t.file)) tables << t;
    // Every other table of the source must be there: a copy is whole or not made.
    for (const data::TableDefinition& t : tables) {
        if (!onServer(sourceLocation) && !QFileInfo::exists(sourcePrefix + t.file))
            throw std::runtime_error(sourceLocation.toStdString() + " has no table file " + t.file.toStdString());
        source.open("SELECT COUNT(*) AS N FROM " + tableRef(sourcePrefix, t.file));  // "Table not found: ..."
    }

    // The write takes exactly the tables the source has.
    CopyOptions present = options;
    present.tables.clear();
    for (const data::TableDefinition& t : tables) present.tables << t.file;
    return writeDatabase(target, targetLocation, [&](const data::TableDefinition& t, const BatchWriter& write) {
        return copyRows(source, sourcePrefix, t, write);
    }, present);
}

CopySummary writeDatabase(engine::Database& target, const QString& targetLocation, const RowSource& source,
                          const CopyOptions& options)
{
    const QList<data::TableDefinition> tables = chosenTables(options);
    const bool targetOnServer = onServer(targetLocation);
    if (!targetOnServer) engine::recoverInterruptedSwap(QFile::encodeName(targetLocation).toStdString());
    if (targetOnServer || QDir(targetLocation).exists()) {
        QStringList filled;
        for (const QString& f : data::filledTables(target, targetLocation))
            for (const auto& t : tables)
                if (t.file == f) filled << f;
        if (!filled.isEmpty() && !options.replace)
            throw CopyRefused((targetLocation + QStringLiteral(" already holds rows in ") + filled.join(QStringLiteral(", ")))
                                  .toStdString(),
                              filled);
    }

    CopySummary summary;
    // Writes the tables into the database into (table paths with intoPrefix) in one change.
    // A fresh target (a hidden folder of new files) holds no rows; another one is emptied when
    // replacing, and otherwise checked again once the change holds its tables (a desk may have
    // written a row since the first look).
    auto copyTables = [&](engine::Database& into, const QString& intoPrefix, bool fresh,
                          const QList<data::TableDefinition>& group) {
        std::vector<std::string> files;
        for (const auto& t : group) files.push_back((intoPrefix + t.file).toStdString());
        auto change = into.beginChange(files);
        if (!fresh && !options.replace) {
            QStringList filled;
            for (const auto& t : group) {
                auto q = change->open("SELECT COUNT(*) AS N FROM " + tableRef(intoPrefix, t.file));
                if (q->next() && q->integer(0) > 0) filled << t.file;
            }
            if (!filled.isEmpty())
                throw CopyRefused((targetLocation + QStringLiteral(" already holds rows in ") + filled.join(QStringLiteral(", ")))
                                      .toStdString(),
                                  filled);
        }
        for (const auto& t : group) {
            if (options.beforeTable) options.beforeTable(t.file);
            const std::string intoRef = tableRef(intoPrefix, t.file);
            if (!fresh && options.replace) change->execute("DELETE FROM " + intoRef);
            const qint64 rows = source(t, [&](const auto& fields, const auto& batch) {
                change->insertRows((intoPrefix + t.file).toStdString(), fields, batch);
            });
            summary.rows += rows;
            summary.tables << qMakePair(t.file, rows);
        }
        change->commit();
    };
    // A server takes every table in one transaction. A change over table files spans at most
    // ten of them, so a fresh folder (swapped in whole afterwards, which keeps the copy all or
    // nothing) is written ten tables a change.
    auto copyAll = [&](engine::Database& into, const QString& intoPrefix, bool fresh) {
        if (!fresh) return copyTables(into, intoPrefix, fresh, tables);
        constexpr int kFilesPerChange = 10;
        for (int i = 0; i < tables.size(); i += kFilesPerChange)
            copyTables(into, intoPrefix, fresh, tables.mid(i, kFilesPerChange));
    };

    if (targetOnServer) {
        // Missing tables first (a definition is not part of a change), then all rows at once.
        data::createTables(target, targetLocation);
        copyAll(target, QString(), false);
        return summary;
    }

    // A folder: the new tables are made in a hidden folder inside it and swapped in at once.
    if (!QDir().mkpath(targetLocation)) throw std::runtime_error("cannot create the folder " + targetLocation.toStdString());
    const QString staging = uniqueHiddenFolder(targetLocation, QStringLiteral(".copy-"));
    struct RemoveStaging {
        QString path;
        ~RemoveStaging() { QDir(path).removeRecursively(); }
    } removeStaging{staging};
    {
        engine::Database staged(data::databaseLocation(staging).toStdString());
        data::createTables(staged, staging);
        copyAll(staged, data::folderPrefix(staging), true);
        staged.releaseTables();
    }
    std::vector<std::string> names;
    for (const auto& t : tables) names.push_back(QFile::encodeName(t.file).toStdString());
    target.releaseTables();
    replaceFiles(QFile::encodeName(staging).toStdString(), QFile::encodeName(targetLocation).toStdString(), names);
    return summary;
}

CopySummary copyDatabase(const QString& sourceLocation, const QString& targetLocation, const CopyOptions& options)
{
    engine::Database source(data::databaseLocation(sourceLocation).toStdString());
    engine::Database target(data::databaseLocation(targetLocation).toStdString());
    return copyDatabase(source, sourceLocation, target, targetLocation, options);
}

}  // namespace backup
