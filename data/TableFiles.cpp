// Creation of the table files from the built-in table definitions.
//
// Invariants: existing table files are left as they are and reported; a table's indexes
// follow their table, so a kept table keeps exactly the indexes it had.

#include "data/TableFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <stdexcept>

#include "data/TablesSql.h"
#include "engine/Engine.h"

namespace data {

QStringList splitStatements(const QString& script)
{
    QStringList statements;
    QString current;
    for (const QString& rawLine : script.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("--"))) continue;
        if (!current.isEmpty()) current += QLatin1Char(' ');
        current += line;
        if (current.endsWith(QLatin1Char(';'))) {
            current.chop(1);
            statements << current.trimmed();
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty()) statements << current.trimmed();
    return statements;
}

namespace {
// The comment line of tables.sql after which the tables added later follow.
constexpr const char* kLaterMarker = "-- The tables beyond the ten.";
}  // namespace

QList<TableDefinition> tableDefinitions()
{
    static const QRegularExpression fileRe(QStringLiteral("\"\\{db\\}([A-Za-z0-9_]+)\\.DB\""));
    const QString script = QString::fromUtf8(kTablesSql);
    const qsizetype marker = script.indexOf(QLatin1String(kLaterMarker));
    QList<TableDefinition> tables;
    // The script before the marker holds the ten, the rest the tables added later.
    const QStringList parts = marker < 0 ? QStringList{script} : QStringList{script.left(marker), script.mid(marker)};
    for (int part = 0; part < parts.size(); ++part) {
        for (const QString& sql : splitStatements(parts[part])) {
            const auto m = fileRe.match(sql);
            if (!m.hasMatch()) continue;
            const QString table = m.captured(1);
            if (sql.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive)) {
                tables.append({table + QStringLiteral(".DB"), table, {sql}, part == 1});
            } else {
                for (auto& t : tables)
                    if (t.table == table) t.statements << sql;
            }
        }
    }
    return tables;
}

namespace {
bool onServer(const QString& location) { return engine::isServerLocation(location.trimmed().toStdString()); }

bool tableThere(engine::Database& db, const QString& prefix, const QString& location, const QString& file)
{
    if (!onServer(location)) return QFileInfo::exists(prefix + file);
    try {
        db.open(QStringLiteral("SELECT COUNT(*) AS N FROM \"%1\"").arg(file).toStdString());
        return true;
    } catch (const engine::Error&) {
        return false;
    }
}
}  // namespace

bool tableExists(engine::Database& db, const QString& folder, const QString& file)
{
    return tableThere(db, folderPrefix(folder), folder, file);
}

QStringList missingTables(engine::Database& db, const QString& folder)
{
    const QString prefix = folderPrefix(folder);
    QStringList missing;
    for (const TableDefinition& t : tableDefinitions())
        if (!tableThere(db, prefix, folder, t.file)) missing << t.file;
    return missing;
}

QString databaseLocation(const QString& folder) { return onServer(folder) ? folder.trimmed() : folderPrefix(folder); }

QString folderPrefix(const QString& folder)
{
    if (onServer(folder)) return QString();
    // Absolute, because the engine resolves a relative table path in its working folder,
    // which is this folder already.
    QString prefix = QDir::cleanPath(QDir(QDir::fromNativeSeparators(folder)).absolutePath());
    return prefix.endsWith(QLatin1Char('/')) ? prefix : prefix + QLatin1Char('/');
}

QStringList createTables(engine::Database& db, const QString& folder)
{
    if (!onServer(folder) && !QDir().mkpath(folder))
        throw std::runtime_error("cannot create the folder " + folder.toStdString());
    const QString prefix = folderPrefix(folder);
    QStringList kept;
    for (const TableDefinition& t : tableDefinitions()) {
        if (tableThere(db, prefix, folder, t.file)) {
            kept << t.file + QStringLiteral(" exists, left as it is");
            continue;
        }
        for (QString sql : t.statements) {
            sql.replace(QStringLiteral("{db}"), prefix);
            db.execute(sql.toStdString());
        }
    }
    return kept;
}

QStringList filledTables(engine::Database& db, const QString& folder)
{
    const QString prefix = folderPrefix(folder);
    QStringList filled;
    for (const TableDefinition& t : tableDefinitions()) {
        if (!tableThere(db, prefix, folder, t.file)) continue;
        auto q = db.open(QStringLiteral("SELECT COUNT(*) AS N FROM \"%1%2\"").arg(prefix, t.file).toStdString());
        if (q->next() && q->integer(0) > 0) filled << t.file;
    }
    return filled;
}

}  // namespace data
