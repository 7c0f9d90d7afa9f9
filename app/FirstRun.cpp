// The first-run choices: see FirstRun.h.

#include "app/FirstRun.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <exception>

#include "data/Demo.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "shell/Statement.h"

namespace tamarel {

namespace {
FirstRunResult refused(const QString& message, const QString& reason = QString())
{
    FirstRunResult r;
    r.message = message;
    r.reason = reason;
    return r;
}

bool keep(const QString& settingsFile, const QString& database)
{
    QDir().mkpath(QFileInfo(settingsFile).absolutePath());
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.setValue(QStringLiteral("DEFAULT/Database"), database);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

// Whether the rooms table answers: the one question every window asks first.
QString openError(const QString& location)
{
    try {
        engine::Database db(data::databaseLocation(location).toStdString());
        db.open(shell::Sql(u"SELECT PID FROM %1", shell::Table(data::folderPrefix(location), u"POKOJE.DB")).toStdString());
        return QString();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}
}  // namespace

FirstRunResult applyFirstRunChoice(FirstRunChoice choice, const QString& folderOrUri, const QString& defaultFolder,
                                   const QString& settingsFile, const QDateTime& now)
{
    QString database = folderOrUri.trimmed();
    try {
        switch (choice) {
        case FirstRunChoice::Empty:
        case FirstRunChoice::Demo: {
            database = QDir::cleanPath(defaultFolder);
            engine::Database db(data::databaseLocation(database).toStdString());
            if (!data::filledTables(db, database).isEmpty())
                return refused(QStringLiteral("The folder already holds a database:"), database);
            data::createTables(db, database);
            if (choice == FirstRunChoice::Demo) data::fillDemo(db, database, now);
            db.releaseTables();
            break;
        }
        case FirstRunChoice::Existing:
            if (database.isEmpty() || !QFileInfo(QDir(database).filePath(QStringLiteral("POKOJE.DB"))).isFile())
                return refused(QStringLiteral("The folder holds no Tamarel tables:"), database);
            break;
        case FirstRunChoice::Server:
            if (!engine::isServerLocation(database.toStdString()))
                return refused(QStringLiteral("Not a PostgreSQL URI (postgresql://user@host/dbname):"), database);
            break;
        }
    } catch (const std::exception& e) {
        return refused(QStringLiteral("The database could not be created:"), QString::fromUtf8(e.what()));
    }
    const QString error = openError(database);
    if (!error.isEmpty()) return refused(QStringLiteral("The database cannot be opened:"), error);
    if (!keep(settingsFile, database)) return refused(QStringLiteral("The settings file cannot be written:"), settingsFile);
    FirstRunResult ok;
    ok.kept = true;
    ok.database = database;
    return ok;
}

}  // namespace tamarel
