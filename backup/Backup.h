#pragma once
// The backup and restore commands of the main menu ("&Backup database", "Restore
// &database"), and the pieces the windows and the command line share.
//
// Invariants: a backup either leaves a complete archive named after the moment it started
// or none; a restore either replaces every table file of the archive or changes nothing.

#include <QDateTime>
#include <QString>

#include "backup/Archive.h"

class QWidget;

namespace engine {
class Database;
}

// Writes an archive of the database folder into its "Backup" sub-folder (a database on a
// server: the tables, into the "Backup" folder beside the program), then offers to copy or
// mail it. Returns true when the archive was written completely (the menu ignores it).
bool BackupDatabase(QWidget* owner, engine::Database& db, const QString& databaseFolder);

// Asks, lets the user choose an archive and restores it. Returns true when the table files
// were replaced (the board then reloads its rooms and stays).
bool RestoreDatabase(QWidget* owner, engine::Database& db, const QString& databaseFolder);

// "Tamarel DB 2004-03-07 09-05.tmb" for a backup started on 7 March 2004 at 9:05.
QString BackupArchiveName(const QDateTime& when);

// Archive options with file names in the system's 8-bit character set, table files read
// under the engine's read lock, and the stream's messages shown untranslated to owner
// (or, with showMessages false, dropped: the command line reports its own way).
backup::WriteOptions backupWriteOptions(engine::Database& db, QWidget* owner, bool showMessages = true);
backup::ReadOptions backupReadOptions(QWidget* owner, bool showMessages = true);
