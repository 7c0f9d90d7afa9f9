// Backups and restores of a database on a server, through a folder of table files; see
// ServerArchive.h.
#include "backup/ServerArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "backup/DatabaseCopy.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "invoices/InvoiceStore.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace backup {

namespace {
using Kind = ArchiveError::Kind;

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }
}  // namespace

QString backupHome(const engine::Database& db, const QString& databaseFolder)
{
    if (engine::isServerLocation(db.workingFolder())) return platform::paths::serverBackupFolder();
    return databaseFolder;
}

void writeServerArchive(engine::Database& db, const QString& uri, const std::string& archivePath,
                        const WriteOptions& options)
{
    const QString archive = QFile::decodeName(QByteArray::fromStdString(archivePath));
    QTemporaryDir staging(QFileInfo(archive).absolutePath() + QStringLiteral("/.backup-XXXXXX"));
    if (!staging.isValid()) throw ArchiveError(Kind::Create, "Cannot create a folder beside " + archivePath);
    try {
        engine::Database staged(data::databaseLocation(staging.path()).toStdString());
        copyDatabase(db, uri, staged, staging.path());
    } catch (const std::exception& e) {
        throw ArchiveError(Kind::Write, e.what());
    }
    WriteOptions staged = options;
    staged.guard = nullptr;  // nobody else writes the staged files
    writeArchive(encoded(staging.path()), archivePath, staged);
}

std::vector<std::string> restoreArchiveOnServer(const std::string& archivePath, engine::Database& db, const QString& uri,
                                                const ReadOptions& options,
                                                const std::function<void(const QString&)>& beforeTable)
{
    QTemporaryDir staging;
    if (!staging.isValid()) throw ArchiveError(Kind::Read, "Cannot create a temporary folder for the restore");
    const std::vector<std::string> names = readArchive(archivePath, encoded(staging.path()), options);
    if (!options.expectedColumns.empty()) checkStagedFiles(encoded(staging.path()), names, options.expectedColumns);
    CopyOptions copy;
    copy.replace = true;
    copy.beforeTable = beforeTable;
    std::vector<std::string> restored;
    for (const data::TableDefinition& t : data::tableDefinitions())
        for (const std::string& name : names)
            if (QFile::decodeName(QByteArray::fromStdString(name)).compare(t.file, Qt::CaseInsensitive) == 0) {
                copy.tables << t.file;
                restored.push_back(name);
            }
    if (copy.tables.isEmpty()) throw ArchiveError(Kind::Read, "The archive holds no table of the database");
    try {
        engine::Database staged(data::databaseLocation(staging.path()).toStdString());
        copyDatabase(staged, staging.path(), db, uri, copy);
    } catch (const std::exception& e) {
        throw ArchiveError(Kind::Replace, std::string("The tables on the server were not replaced: ") + e.what());
    }
    return restored;
}

std::vector<std::string> restoreDatabaseArchive(const std::string& archivePath, engine::Database& db,
                                                const QString& databaseFolder, const ReadOptions& options,
                                                const std::function<void()>& release, QStringList* keptInvoices,
                                                QString* keepFailure)
{
    const bool onServer = engine::isServerLocation(db.workingFolder());
    QString prefix;
    if (!onServer) prefix = databaseFolder.endsWith(QLatin1Char('/')) ? databaseFolder : databaseFolder + QLatin1Char('/');
    invoices::IssuedBefore before;
    try {
        before = invoices::readIssued(db, prefix);
    } catch (const std::exception& e) {
        if (keepFailure) *keepFailure = QString::fromUtf8(e.what());
    }
    const std::vector<std::string> names =
        onServer ? restoreArchiveOnServer(archivePath, db, QString::fromStdString(db.workingFolder()), options)
                 : restoreArchive(archivePath, encoded(databaseFolder), options, release);
    try {
        const QStringList kept = invoices::keepAfterRestore(db, prefix, before, platform::today());
        if (keptInvoices) *keptInvoices = kept;
    } catch (const std::exception& e) {
        if (keepFailure) *keepFailure = QString::fromUtf8(e.what());
    }
    return names;
}

}  // namespace backup
