// Copies of whole databases between folders and servers; see DatabaseCopy.h.
//
// Rows travel as multi-row INSERT statements of the engine's own dialect inside one change:
// the file storage prepares each statement shape once, the server runs one statement per
// batch. Large tables are read in key ranges, so a server's result never holds a whole table.
#include "backup/DatabaseCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "backup/Archive.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "engine/TableSwap.h"

namespace fs = std::filesystem;

namespace backup {

namespace {

bool onServer(const QString& location) { return engine::isServerLocation(location.trimmed().toStdString()); }

// A value as a literal of the dialect that reads back as the same value.
void appendLiteral(std::string& out, const engine::Value& v, engine::FieldType type)
{
    if (std::holds_alternative<std::monostate>(v)) {
        out += "NULL";
    } else if (const auto* s = std::get_if<std::string>(&v)) {
        out += engine::quoteText(*s);
    } else if (type == engine::FieldType::Date || type == engine::FieldType::Time) {
        out += '"';
        out += engine::displayText(v, type);
        out += '"';
    } else if (const auto* i = std::get_if<std::int64_t>(&v)) {
        out += std::to_string(*i);
    } else {
        const double d = std::get<double>(v);
        if (!std::isfinite(d)) throw engine::Error("A value that is not a finite number cannot be copied");
        char buffer[32];
        // Shortest text that reads back as exactly this double.
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, d);
        out.append(buffer, r.ptr);
    }
}

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
constexpr int kValuesPerInsert = 4000; // values per INSERT statement

// Reads every row of one source table (under its read lock) and hands INSERT statements for
// it to write. Returns the rows read.
qint64 copyRows(engine::Database& source, const QString& prefix, const data::TableDefinition& t, const std::string& into,
                const std::function<void(const std::string&)>& write)
{
    const std::string from = tableRef(prefix, t.file);
    const QString key = autoincColumn(t);
    qint64 rows = 0;
    source.withReadLock((prefix + t.file).toStdString(), [&] {
        // The reads: whole for small tables, key ranges for those with an AUTOINC key.
        std::vector<std::string> reads;
        if (key.isEmpty()) {
            reads.push_back("SELECT * FROM " + from);
        } else {
            auto q = source.open("SELECT MIN(" + key.toStdString() + ") AS LO, MAX(" + key.toStdString() +
                                 ") AS HI FROM " + from);
            if (q->next() && !q->isNull(0)) {
                for (qint64 lo = q->integer(0), hi = q->integer(1); lo <= hi; lo += kKeyRange)
                    reads.push_back("SELECT * FROM " + from + " WHERE " + key.toStdString() + " >= " + std::to_string(lo) +
                                    " AND " + key.toStdString() + " < " + std::to_string(lo + kKeyRange));
            }
        }
        std::string head, sql;
        int perStatement = 1, inStatement = 0;
        for (const std::string& read : reads) {
            auto q = source.open(read);
            const auto& fields = q->fields();
            const int n = int(fields.size());
            if (head.empty()) {
                head = "INSERT INTO " + into + " (";
                for (int i = 0; i < n; ++i) head += (i ? ", " : "") + fields[size_t(i)].name;
                head += ") VALUES ";
                perStatement = std::max(1, kValuesPerInsert / std::max(1, n));
            }
            while (q->next()) {
                sql += inStatement ? ", (" : head + "(";
                for (int i = 0; i < n; ++i) {
                    if (i) sql += ", ";
                    appendLiteral(sql, q->value(i), fields[size_t(i)].type);
                }
                sql += ')';
                ++rows;
                if (++inStatement == perStatement) {
                    write(sql);
                    sql.clear();
                    inStatement = 0;
                }
            }
        }
        if (inStatement) write(sql);
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
    if (!onServer(targetLocation) || QFileInfo::exists(targetLocation)) {
        const QString a = sameness(sourceLocation), b = sameness(targetLocation);
        if (!a.isEmpty() && a == b) throw std::runtime_error("the source and the target are the same database");
    }
    const QList<data::TableDefinition> tables = chosenTables(options);
    const QString sourcePrefix = data::folderPrefix(sourceLocation);
    if (!onServer(sourceLocation) && !QFileInfo(sourceLocation).isDir())
        throw std::runtime_error(sourceLocation.toStdString() + " is not a folder");
    // Every table of the source must be there: a copy is whole or not made.
    for (const data::TableDefinition& t : tables) {
        if (!onServer(sourceLocation) && !QFileInfo::exists(sourcePrefix + t.file))
            throw std::runtime_error(sourceLocation.toStdString() + " has no table file " + t.file.toStdString());
        source.open("SELECT COUNT(*) AS N FROM " + tableRef(sourcePrefix, t.file));  // "Table not found: ..."
    }

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
    // Writes every table into the database into (table paths with intoPrefix) in one change.
    auto copyAll = [&](engine::Database& into, const QString& intoPrefix, bool clear) {
        std::vector<std::string> files;
        for (const auto& t : tables) files.push_back((intoPrefix + t.file).toStdString());
        auto change = into.beginChange(files);
        for (const auto& t : tables) {
            if (options.beforeTable) options.beforeTable(t.file);
            const std::string intoRef = tableRef(intoPrefix, t.file);
            if (clear) change->execute("DELETE FROM " + intoRef);
            const qint64 rows =
                copyRows(source, sourcePrefix, t, intoRef, [&](const std::string& sql) { change->execute(sql); });
            summary.rows += rows;
            summary.tables << qMakePair(t.file, rows);
        }
        change->commit();
    };

    if (targetOnServer) {
        // Missing tables first (a definition is not part of a change), then all rows at once.
        data::createTables(target, targetLocation);
        copyAll(target, QString(), true);
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
        copyAll(staged, data::folderPrefix(staging), false);
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
