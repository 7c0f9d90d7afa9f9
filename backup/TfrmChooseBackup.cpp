// The choose-backup dialog. Restore answers "Yes" only after the whole archive was read and
// checked and every table file replaced; otherwise the folder is as it was.
#include "backup/TfrmChooseBackup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/ServerArchive.h"
#include "engine/Engine.h"
#include "invoices/InvoiceStore.h"
#include "lang/Language.h"
#include "platform/Platform.h"

TfrmChooseBackup* frmChooseBackup = nullptr;

TfrmChooseBackup::TfrmChooseBackup(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmChooseBackup"));
    setWindowTitle(QStringLiteral("Choose Backup to Restore"));
    setFixedSize(300, 110);
    lbFile = new QLabel(QStringLiteral("Choose backup to be restored:"), this);
    lbFile->setObjectName(QStringLiteral("lbFile"));
    lbFile->setGeometry(8, 8, 284, 18);
    cmbBackups = new QComboBox(this);
    cmbBackups->setObjectName(QStringLiteral("cmbBackups"));
    cmbBackups->setGeometry(8, 30, 284, 24);
    cmbBackups->setMaxVisibleItems(20);
    btRestore = new QPushButton(QStringLiteral("Restore"), this);
    btRestore->setObjectName(QStringLiteral("btRestore"));
    btRestore->setToolTip(QStringLiteral("Restore saved database"));
    btRestore->setGeometry(60, 72, 85, 27);
    QFont bold = btRestore->font();
    bold.setBold(true);
    btRestore->setFont(bold);
    QPalette red = btRestore->palette();
    red.setColor(QPalette::ButtonText, Qt::red);
    btRestore->setPalette(red);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setToolTip(QStringLiteral("Cancel operation"));
    btCancel->setGeometry(155, 72, 85, 27);

    connect(btRestore, &QPushButton::clicked, this, &TfrmChooseBackup::btRestoreClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    frmChooseBackup = this;
}

TfrmChooseBackup::~TfrmChooseBackup()
{
    if (frmChooseBackup == this) frmChooseBackup = nullptr;
}

void TfrmChooseBackup::setDatabase(engine::Database* db, const QString& databaseFolder)
{
    m_db = db;
    m_restored = false;
    m_databaseFolder = databaseFolder;
    if (!m_databaseFolder.endsWith(QLatin1Char('/'))) m_databaseFolder += QLatin1Char('/');
}

void TfrmChooseBackup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmChooseBackup::FormActivate()
{
    m_restored = false;
    cmbBackups->clear();
    const QDir dir(m_databaseFolder + QStringLiteral("Backup"));
    QStringList names;
    for (const QString& file : dir.entryList({QStringLiteral("*.tmb")}, QDir::Files | QDir::Hidden | QDir::System)) {
        if (file.startsWith(QLatin1Char('.'))) continue;
        names << file.left(file.size() - 4);
    }
    names.sort(Qt::CaseInsensitive);
    cmbBackups->addItems(names);
    if (!names.isEmpty()) cmbBackups->setCurrentIndex(static_cast<int>(names.size()) - 1);
}

void TfrmChooseBackup::btRestoreClick()
{
    const int answer = LangMessageBox(
        this,
        QStringLiteral("Are you sure to replace your current data with the restored one?\r\n\r\n"
                       "This operation can NOT be undone!"),
        QStringLiteral("Tamarel"), platform::Icon::Warning, platform::Buttons::YesNoCancel);
    if (answer == QMessageBox::Yes) {
        QString replaceFailure;
        m_restored = restoreSelected(&replaceFailure);
        if (!replaceFailure.isEmpty())
            // Not the archive's fault (another program holds a table, the disk refused): the
            // receptionist may simply try again, so the data is not called corrupt.
            platform::messageBox(this,
                                 TranslateMessage(QStringLiteral("Restore NOT successful! The table files could not be replaced:"))
                                     + QStringLiteral("\r\n") + replaceFailure + QStringLiteral("\r\n\r\n")
                                     + TranslateMessage(QStringLiteral("The database is unchanged.")),
                                 TranslateMessage(QStringLiteral("Tamarel")), platform::Icon::Warning, platform::Buttons::Ok);
        else
            LangMessageBox(this,
                           m_restored ? QStringLiteral("Database is now restored!")
                                      : QStringLiteral("Restore NOT successful! Data is corrupt!\r\n\r\n"
                                                       "The database is unchanged."),
                           QStringLiteral("Tamarel"), platform::Icon::Warning, platform::Buttons::Ok);
        if (m_restored) tellInvoiceSeries();
    }
    accept();
}

// The invoice series after a restore: the numbers given since the backup stay taken.
void TfrmChooseBackup::tellInvoiceSeries()
{
    if (!m_keptInvoices.isEmpty())
        platform::messageBox(this, TranslateMessage(invoices::restoreNote(m_keptInvoices)) + QStringLiteral("\r\n")
                                       + m_keptInvoices.join(QStringLiteral(", ")),
                             TranslateMessage(QStringLiteral("Tamarel")), platform::Icon::Information, platform::Buttons::Ok);
    if (!m_keepFailure.isEmpty())
        platform::messageBox(this, TranslateMessage(QStringLiteral("The invoices given since this backup could not be kept:"))
                                       + QStringLiteral("\r\n") + m_keepFailure,
                             TranslateMessage(QStringLiteral("Tamarel")), platform::Icon::Warning, platform::Buttons::Ok);
}

bool TfrmChooseBackup::restoreSelected(QString* replaceFailure)
{
    m_keptInvoices.clear();
    m_keepFailure.clear();
    if (cmbBackups->currentIndex() < 0 || !m_db) return false;
    const QString archive = m_databaseFolder + QStringLiteral("Backup/") + cmbBackups->currentText() + QStringLiteral(".tmb");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = false;
    try {
        backup::restoreDatabaseArchive(QFile::encodeName(archive).toStdString(), *m_db, m_databaseFolder,
                                       backupReadOptions(this), [this] { m_db->releaseTables(); }, &m_keptInvoices,
                                       &m_keepFailure);
        ok = true;
    } catch (const backup::ArchiveError& e) {
        if (e.kind() == backup::ArchiveError::Kind::Replace && replaceFailure) *replaceFailure = QString::fromStdString(e.what());
    } catch (const std::exception& e) {
        if (replaceFailure) *replaceFailure = QString::fromStdString(e.what());
    }
    QApplication::restoreOverrideCursor();
    return ok;
}
