#pragma once
// Backup archives of a database on a PostgreSQL server. The archive is the one a folder's
// backup writes (Archive.h): one entry per table, each a table file of the table's name, so
// an archive made on a server restores into a folder and one made of a folder restores onto
// a server.
//
// Invariants:
//  - a backup builds the table files in a hidden folder beside the archive (removed again)
//    and writes the archive from it; each table is read under its read lock;
//  - a restore reads and checks the whole archive (as into a folder) before the server is
//    touched, then replaces the rows of every table the archive holds in one transaction: a
//    failure anywhere leaves every table exactly as it was.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "backup/Archive.h"

namespace engine {
class Database;
}

namespace backup {

// The folder whose "Backup" sub-folder holds a database's archives: the database folder, or
// for a database on a server (which has no folder) the program's own folder.
QString backupHome(const engine::Database& db, const QString& databaseFolder);

// Writes an archive of the tables (the ten and those added later it has) of the database on the server at uri (db opened on it).
// options.guard is not used (the tables are read under their read locks). On failure removes
// the incomplete archive and throws ArchiveError.
void writeServerArchive(engine::Database& db, const QString& uri, const std::string& archivePath,
                        const WriteOptions& options);

// Restores an archive onto the server: reads it into a folder in the system's temporary
// folder (removed again), checks every table file, then replaces the rows of each of the
// tables of the database the archive holds (other entries are left out). Returns the table files
// restored. beforeTable (tests) runs before each table is written and may throw. Throws
// ArchiveError (Read: the archive or a table in it is not sound; Replace: the server refused,
// nothing changed).
std::vector<std::string> restoreArchiveOnServer(const std::string& archivePath, engine::Database& db, const QString& uri,
                                                const ReadOptions& options,
                                                const std::function<void(const QString& tableFile)>& beforeTable = {});

// restoreArchive or restoreArchiveOnServer, as the database's location asks; release lets
// the program's engine let go of its table files (folders only). The invoices given since
// the backup are put back into the restored invoices' table, marked cancelled, so their
// numbers are never given again (invoices::keepAfterRestore); their numbers go to
// keptInvoices, and a failure to keep them to keepFailure (the restore itself stands).
std::vector<std::string> restoreDatabaseArchive(const std::string& archivePath, engine::Database& db,
                                                const QString& databaseFolder, const ReadOptions& options,
                                                const std::function<void()>& release,
                                                QStringList* keptInvoices = nullptr, QString* keepFailure = nullptr);

}  // namespace backup
