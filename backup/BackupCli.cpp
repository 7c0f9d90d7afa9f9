// The backup and restore words of the database tool. Same archives and checks as the menu
// commands; messages go to stderr in English.
#include "backup/BackupCli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/ServerArchive.h"
#include "engine/Engine.h"
#include "invoices/InvoiceStore.h"
#include "platform/Platform.h"

namespace {

void printLine(std::FILE* to, const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), to);
}

int usage()
{
    printLine(stderr, QStringLiteral("usage: tamarel-db backup FOLDER [ARCHIVE]\n"
                                     "       tamarel-db backup URI ARCHIVE\n"
                                     "       tamarel-db restore FOLDER|URI ARCHIVE"));
    return 2;
}

kiv::MessageHandler toStderr()
{
    return [](const std::string& text, const std::string&, kiv::MessageIcon) {
        printLine(stderr, QString::fromStdString(text));
    };
}

// A database on a server: the archive must be named (there is no folder to put it in).
int backupServerCommand(const QString& uri, const QString& archive)
{
    if (archive.isEmpty()) {
        printLine(stderr, QStringLiteral("A database on a server has no folder: name the archive "
                                         "(tamarel-db backup URI ARCHIVE)"));
        return 2;
    }
    engine::Database db(uri.toStdString());
    backup::WriteOptions options = backupWriteOptions(db, nullptr, false);
    options.onMessage = toStderr();
    try {
        backup::writeServerArchive(db, uri, QFile::encodeName(archive).toStdString(), options);
    } catch (const backup::ArchiveError& e) {
        printLine(stderr, (e.kind() == backup::ArchiveError::Kind::Create
                               ? QStringLiteral("Can't create backup file")
                               : QStringLiteral("Can't write the file. Backup process will stop.")) +
                              QLatin1Char('\n') + QString::fromStdString(e.what()));
        return 1;
    }
    printLine(stdout, QFileInfo(archive).absoluteFilePath());
    return 0;
}

int backupCommand(QString folder, QString archive)
{
    if (engine::isServerLocation(folder.trimmed().toStdString())) return backupServerCommand(folder.trimmed(), archive);
    if (!QFileInfo(folder).isDir()) {
        printLine(stderr, QStringLiteral("Can't write the file. Backup process will stop.\n%1 is not a folder").arg(folder));
        return 1;
    }
    // The engine reads a relative table path inside its working folder: give it whole paths.
    folder = QFileInfo(folder).absoluteFilePath();
    bool madeBackupFolder = false;
    if (archive.isEmpty()) {
        madeBackupFolder = !QFileInfo(QDir(folder).filePath(QStringLiteral("Backup"))).exists();
        QDir(folder).mkpath(QStringLiteral("Backup"));
        archive = QDir(folder).filePath(QStringLiteral("Backup/") + BackupArchiveName(platform::now()));
    }
    engine::Database db(QFile::encodeName(folder).toStdString());
    backup::WriteOptions options = backupWriteOptions(db, nullptr, false);
    options.onMessage = toStderr();
    try {
        backup::writeArchive(QFile::encodeName(folder).toStdString(), QFile::encodeName(archive).toStdString(), options);
    } catch (const backup::ArchiveError& e) {
        printLine(stderr, (e.kind() == backup::ArchiveError::Kind::Create
                               ? QStringLiteral("Can't create backup file")
                               : QStringLiteral("Can't write the file. Backup process will stop.")) +
                              QLatin1Char('\n') + QString::fromStdString(e.what()));
        if (madeBackupFolder) QDir(folder).rmdir(QStringLiteral("Backup"));   // only when left empty
        return 1;
    }
    printLine(stdout, QFileInfo(archive).absoluteFilePath());
    return 0;
}

int restoreCommand(QString folder, const QString& archive)
{
    const bool onServer = engine::isServerLocation(folder.trimmed().toStdString());
    folder = onServer ? folder.trimmed() : QFileInfo(folder).absoluteFilePath();
    engine::Database db(onServer ? folder.toStdString() : QFile::encodeName(folder).toStdString());
    backup::ReadOptions options = backupReadOptions(nullptr, false);
    // The stream's own message ("File is corrupt") is the failure's text too: say it once.
    QString lastMessage;
    options.onMessage = [&lastMessage](const std::string& text, const std::string&, kiv::MessageIcon) {
        lastMessage = QString::fromStdString(text);
        printLine(stderr, lastMessage);
    };
    try {
        QStringList kept;
        QString keepFailure;
        const auto names = backup::restoreDatabaseArchive(QFile::encodeName(archive).toStdString(), db, folder, options,
                                                          [&db] { db.releaseTables(); }, &kept, &keepFailure);
        for (const auto& name : names) printLine(stdout, QString::fromStdString(name));
        if (!kept.isEmpty())
            printLine(stdout, invoices::restoreNote(kept) + QLatin1Char(' ') + kept.join(QStringLiteral(", ")));
        if (!keepFailure.isEmpty())
            printLine(stderr, QStringLiteral("The invoices given since this backup could not be kept: ") + keepFailure);
    } catch (const std::exception& e) {
        const QString why = QString::fromStdString(e.what());
        printLine(stderr, QStringLiteral("Restore NOT successful! Data is corrupt!\nThe database is unchanged.") +
                              (why == lastMessage ? QString() : QLatin1Char('\n') + why));
        return 1;
    }
    printLine(stdout, QStringLiteral("Database is now restored!"));
    return 0;
}

}  // namespace

int backupMain(const QStringList& args)
{
    QStringList words = args;
    if (!words.isEmpty() && words[0] != QLatin1String("backup") && words[0] != QLatin1String("restore") &&
        words.size() > 1 && (words[1] == QLatin1String("backup") || words[1] == QLatin1String("restore")))
        words.removeFirst();  // called with the program name in front
    if (words.size() == 2 || words.size() == 3) {
        if (words[0] == QLatin1String("backup")) return backupCommand(words[1], words.value(2));
        if (words[0] == QLatin1String("restore") && words.size() == 3) return restoreCommand(words[1], words[2]);
    }
    return usage();
}
