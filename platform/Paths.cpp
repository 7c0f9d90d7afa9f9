// Where each file lives: see Paths.h. Everything is computed from Inputs, so the tests
// walk both layouts without installing anything.

#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/Platform.h"

namespace platform::paths {

namespace {
QString& databaseForThisRun()
{
    static QString db;
    return db;
}

QString withSlash(QString folder)
{
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QString programFolderOf(const Inputs& in) { return withSlash(QFileInfo(in.programPath).absolutePath()); }
QString programName(const Inputs& in) { return QFileInfo(in.programPath).fileName(); }
QString userConfig(const Inputs& in) { return withSlash(in.configHome + QStringLiteral("/tamarel")); }
QString userData(const Inputs& in) { return withSlash(in.dataHome + QStringLiteral("/tamarel")); }
}  // namespace

Inputs current()
{
    Inputs in;
    in.programPath = platform::programPath();
    in.configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    in.dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    in.homeFolder = QDir::homePath();
    in.databaseArg = databaseForThisRun();
    return in;
}

QString installedDataFolder(const Inputs& in)
{
    return withSlash(programFolderOf(in) + QStringLiteral("../share/tamarel"));
}

Layout layout(const Inputs& in)
{
    const QString beside = programFolderOf(in);
    if (QFileInfo::exists(in.programPath + QStringLiteral(".ini")) || QFileInfo(beside + QStringLiteral("DB")).isDir())
        return Layout::Portable;
    return QFileInfo(installedDataFolder(in)).isDir() ? Layout::Installed : Layout::Portable;
}

QString settingsFile(const Inputs& in)
{
    if (layout(in) == Layout::Portable) return in.programPath + QStringLiteral(".ini");
    return userConfig(in) + programName(in) + QStringLiteral(".ini");
}

QString defaultDatabaseFolder(const Inputs& in)
{
    return (layout(in) == Layout::Portable ? programFolderOf(in) : userData(in)) + QStringLiteral("DB/");
}

namespace {
QString namedInSettings(const Inputs& in)
{
    // Desks sharing one database server name it in the settings file, e.g. [DEFAULT]
    // Database=postgresql://desk1@server/hotel (the password comes from the server's
    // password file or PGPASSWORD, never from this file).
    return QSettings(settingsFile(in), QSettings::IniFormat).value(QStringLiteral("DEFAULT/Database")).toString().trimmed();
}
}  // namespace

QString databaseFolder(const Inputs& in)
{
    if (!in.databaseArg.trimmed().isEmpty()) return in.databaseArg.trimmed();
    const QString named = namedInSettings(in);
    return named.isEmpty() ? defaultDatabaseFolder(in) : named;
}

bool databaseChosen(const Inputs& in)
{
    return !in.databaseArg.trimmed().isEmpty() || !namedInSettings(in).isEmpty()
        || QFileInfo(defaultDatabaseFolder(in)).isDir();
}

QString engineFolder(const Inputs& in)
{
    return (layout(in) == Layout::Portable ? programFolderOf(in) : userConfig(in)) + QStringLiteral("BdeDrivers");
}

QStringList templateFolders(const Inputs& in)
{
    if (layout(in) == Layout::Portable) return {programFolderOf(in)};
    return {userData(in) + QStringLiteral("templates/"), installedDataFolder(in) + QStringLiteral("templates/")};
}

QString helpFolder(const Inputs& in)
{
    return (layout(in) == Layout::Portable ? programFolderOf(in) : installedDataFolder(in)) + QStringLiteral("Help/");
}

QString splashPicture(const Inputs& in)
{
    if (layout(in) == Layout::Portable) return in.programPath + QStringLiteral(".jpg");
    return installedDataFolder(in) + programName(in) + QStringLiteral(".jpg");
}

QString languageIncludeFile(const Inputs& in)
{
    return (layout(in) == Layout::Portable ? programFolderOf(in) : userData(in)) + QStringLiteral("lang.inc");
}

QString serverBackupFolder(const Inputs& in)
{
    return layout(in) == Layout::Portable ? programFolderOf(in) : userData(in);
}

QString labelsFile(const Inputs& in) { return withSlash(in.homeFolder) + QStringLiteral("stitky.csv"); }

QString settingsFile() { return settingsFile(current()); }
QString databaseFolder() { return databaseFolder(current()); }
bool databaseChosen() { return databaseChosen(current()); }
QString engineFolder() { return engineFolder(current()); }
QStringList templateFolders() { return templateFolders(current()); }
QString helpFolder() { return helpFolder(current()); }
QString splashPicture() { return splashPicture(current()); }
QString languageIncludeFile() { return languageIncludeFile(current()); }
QString serverBackupFolder() { return serverBackupFolder(current()); }
QString labelsFile() { return labelsFile(current()); }
Layout layout() { return layout(current()); }

void setDatabaseForThisRun(const QString& folderOrUri) { databaseForThisRun() = folderOrUri; }

}  // namespace platform::paths
