#pragma once
// Where each of the program's files lives, answered here and nowhere else.
//
// Two layouts:
//  - portable: the program keeps everything beside itself (settings file "<program>.ini",
//    the database folder "DB/", the engine folder "BdeDrivers/", templates, help, splash,
//    lang.inc, "Backup/"). A build folder or a USB stick works this way;
//  - installed: the program lies in ".../bin" of a prefix whose "share/tamarel/" holds its
//    read-only files, and nothing of the portable layout stands beside it. Settings then go
//    to $XDG_CONFIG_HOME/tamarel/, the database and backups to $XDG_DATA_HOME/tamarel/,
//    e-mail templates come from the user's data folder first and then the installed ones.
//
// Invariants: a program that finds its settings file or a "DB" folder beside itself is
// portable, whatever else exists; every answer is an absolute path, folders end in '/'.
// The address-label export is "stitky.csv" in the home folder in both layouts.

#include <QString>
#include <QStringList>

namespace platform::paths {

enum class Layout { Portable, Installed };

// What the answers depend on; current() reads it from the running program and the
// environment (QStandardPaths, so XDG_CONFIG_HOME / XDG_DATA_HOME are honoured).
struct Inputs {
    QString programPath;   // "/usr/bin/tamarel"
    QString configHome;    // "$XDG_CONFIG_HOME" or "~/.config"
    QString dataHome;      // "$XDG_DATA_HOME" or "~/.local/share"
    QString homeFolder;
    QString databaseArg;   // a database named on the command line for this run, or empty
};
Inputs current();

Layout layout(const Inputs& in);
// The read-only files of an installed program: "<prefix>/share/tamarel/".
QString installedDataFolder(const Inputs& in);
// The program's settings file: "tamarel.ini" for tamarel, "dorvane.ini" for dorvane.
QString settingsFile(const Inputs& in);
// Where a new database goes when nothing names one: "DB/" beside the program, or the
// user's "$XDG_DATA_HOME/tamarel/DB/".
QString defaultDatabaseFolder(const Inputs& in);
// The database of this run: the command line's, else the settings file's [DEFAULT]
// Database (a folder or a server URI), else the default folder.
QString databaseFolder(const Inputs& in);
// Whether a settings file names the database or the default folder exists: an installed
// program without either offers the first-run choices.
bool databaseChosen(const Inputs& in);
QString engineFolder(const Inputs& in);            // no trailing '/'
QStringList templateFolders(const Inputs& in);     // searched in this order
QString helpFolder(const Inputs& in);
QString splashPicture(const Inputs& in);
QString languageIncludeFile(const Inputs& in);
// Archives of a database on a server, which has no folder of its own.
QString serverBackupFolder(const Inputs& in);
QString labelsFile(const Inputs& in);

// The same questions for the running program.
QString settingsFile();
QString databaseFolder();
bool databaseChosen();
QString engineFolder();
QStringList templateFolders();
QString helpFolder();
QString splashPicture();
QString languageIncludeFile();
QString serverBackupFolder();
QString labelsFile();
Layout layout();

// A database named on the command line, for this run only (empty: none).
void setDatabaseForThisRun(const QString& folderOrUri);

}  // namespace platform::paths
