// BackupDatabase and RestoreDatabase: the windowed side of the archive functions.
#include "backup/Backup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <filesystem>
#include <system_error>

#include "backup/ServerArchive.h"
#include "backup/TfrmBackupFileAction.h"
#include "backup/TfrmChooseBackup.h"
#include "backup/TfrmProgressWindow.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"

namespace {

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool isTableFile(const std::string& path)
{
    return QString::fromStdString(path).endsWith(QStringLiteral(".DB"), Qt::CaseInsensitive);
}

// The dialogs are created once at start-up by the shell; when a caller (a test, a tool)
// has not, they are made on first use and live until the application ends.
template <class Form>
Form* formInstance(Form* existing, QWidget* owner)
{
    if (existing) return existing;
    auto* form = new Form(owner ? owner->window() : nullptr);
    if (!form->parent()) QObject::connect(qApp, &QCoreApplication::aboutToQuit, form, &QObject::deleteLater);
    return form;
}

void showAndMessage(QWidget* owner, const char* text, platform::Icon icon)
{
    LangMessageBox(owner, QString::fromUtf8(text), QStringLiteral("Tamarel"), icon, platform::Buttons::Ok);
}

// The archive's own messages (a warning, or a plain note) shown over the owner as they come.
kiv::MessageHandler messagesOver(QWidget* owner)
{
    return [owner](const std::string& text, const std::string& caption, kiv::MessageIcon icon) {
        platform::messageBox(owner, QString::fromStdString(text), QString::fromStdString(caption),
                             icon == kiv::MessageIcon::Warning ? platform::Icon::Warning : platform::Icon::None,
                             platform::Buttons::Ok);
    };
}

}  // namespace

QString BackupArchiveName(const QDateTime& when)
{
    return QStringLiteral("Tamarel DB ") + when.toString(QStringLiteral("yyyy-MM-dd hh-mm")) + QStringLiteral(".tmb");
}

backup::WriteOptions backupWriteOptions(engine::Database& db, QWidget* owner, bool showMessages)
{
    backup::WriteOptions options;
    options.encodeName = [](const std::string& name) {
        return platform::toCp1250(QFile::decodeName(QByteArray::fromStdString(name))).toStdString();
    };
    options.guard = [&db](const std::string& path, const std::function<void()>& copy) {
        if (isTableFile(path)) db.withReadLock(path, copy);
        else copy();
    };
    if (showMessages) options.onMessage = messagesOver(owner);
    return options;
}

backup::ReadOptions backupReadOptions(QWidget* owner, bool showMessages)
{
    backup::ReadOptions options;
    options.decodeName = [](const std::string& name) {
        return QFile::encodeName(platform::fromCp1250(QByteArray::fromStdString(name))).toStdString();
    };
    if (showMessages) options.onMessage = messagesOver(owner);
    for (const data::TableDefinition& t : data::tableDefinitions())
        options.expectedColumns[t.file.toUpper().toStdString()] =
            backup::columnsOfCreateTable(t.statements.value(0).toStdString());
    return options;
}

bool BackupDatabase(QWidget* owner, engine::Database& db, const QString& databaseFolder)
{
    const QDateTime started = platform::now();
    // A database on a server has no folder: its archives go beside the program.
    const bool onServer = engine::isServerLocation(db.workingFolder());
    const QString folder = withSlash(backup::backupHome(db, databaseFolder));
    QDir().mkpath(folder + QStringLiteral("Backup"));  // usually there already
    const QString name = BackupArchiveName(started);
    const QString path = folder + QStringLiteral("Backup/") + name;
    // Written under a hidden name and put in place only when whole: a backup that fails (a
    // table locked by another program) leaves an archive of the same minute as it was.
    const QString writing = folder + QStringLiteral("Backup/.") + name + QStringLiteral(".part");

    std::unique_ptr<TfrmProgressWindow> progress;
    backup::WriteOptions options = backupWriteOptions(db, owner);
    options.started = [&] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        progress = std::make_unique<TfrmProgressWindow>(owner);
        progress->SetProgressCaption(TranslateMessage(QStringLiteral("Backing up database...")));
        progress->SetProgress(0);
        progress->show();
    };
    options.progress = [&](int percent) { progress->SetProgress(percent); };
    auto finishProgress = [&] {
        if (!progress) return;
        QApplication::restoreOverrideCursor();
        progress->finish();
        progress.reset();
    };
    try {
        if (onServer) {
            // The tables are read from the server before the archive (and its progress) begins.
            struct WaitCursor {
                WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
                ~WaitCursor() { QApplication::restoreOverrideCursor(); }
            } waiting;
            backup::writeServerArchive(db, QString::fromStdString(db.workingFolder()),
                                       QFile::encodeName(writing).toStdString(), options);
        } else
            backup::writeArchive(QFile::encodeName(folder).toStdString(), QFile::encodeName(writing).toStdString(), options);
        std::error_code renamed;
        std::filesystem::rename(QFile::encodeName(writing).toStdString(), QFile::encodeName(path).toStdString(), renamed);
        if (renamed) {
            QFile::remove(writing);
            throw backup::ArchiveError(backup::ArchiveError::Kind::Write, renamed.message());
        }
    } catch (const backup::ArchiveError& e) {
        finishProgress();
        showAndMessage(owner,
                       e.kind() == backup::ArchiveError::Kind::Create ? "Can't create backup file"
                                                                      : "Can't write the file. Backup process will stop.",
                       platform::Icon::Warning);
        return false;
    }
    finishProgress();
    showAndMessage(owner, "Backup done.", platform::Icon::Information);

    TfrmBackupFileAction* action = formInstance(frmBackupFileAction, owner);
    action->BackupFileName = name;
    action->BackupFilePath = path;
    platform::runModal(action);
    return true;
}

bool RestoreDatabase(QWidget* owner, engine::Database& db, const QString& databaseFolder)
{
    const int answer = LangMessageBox(
        owner,
        QStringLiteral("This will DELETE ALL CURRENT DATA!\r\n\r\nAre you absolutely sure to restore the database?"),
        QStringLiteral("Tamarel"), platform::Icon::Warning, platform::Buttons::YesNoCancel);
    if (answer != QMessageBox::Yes) return false;
    TfrmChooseBackup* choose = formInstance(frmChooseBackup, owner);
    choose->setDatabase(&db, withSlash(backup::backupHome(db, databaseFolder)));
    platform::runModal(choose);
    return choose->restored();
}
