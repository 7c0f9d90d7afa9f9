#pragma once
// TfrmChooseBackup: lists the archives of the database folder's "Backup" sub-folder and
// restores the chosen one. The list is rebuilt each time the dialog is shown; the most
// recent archive (last by its name's date) is preselected.

#include <QDialog>
#include <QStringList>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

namespace engine {
class Database;
}

class TfrmChooseBackup : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChooseBackup(QWidget* parent = nullptr);
    ~TfrmChooseBackup() override;

    // The database the restore replaces; set by RestoreDatabase before each showing.
    // databaseFolder: whose "Backup" sub-folder lists the archives (for a database on a server
    // the program's folder; the restore then goes to the server).
    void setDatabase(engine::Database* db, const QString& databaseFolder);
    // True when the last showing replaced the table files.
    bool restored() const { return m_restored; }

    // Work on being shown: refill the list of archives.
    void FormActivate();

    QLabel* lbFile = nullptr;
    QComboBox* cmbBackups = nullptr;
    QPushButton* btRestore = nullptr;
    QPushButton* btCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void btRestoreClick();
    // replaceFailure: the reason when the archive was sound but the table files could not be
    // replaced (a table locked by another program); empty for a damaged archive.
    bool restoreSelected(QString* replaceFailure = nullptr);
    void tellInvoiceSeries();

    engine::Database* m_db = nullptr;
    QString m_databaseFolder;  // with a trailing '/'
    bool m_restored = false;
    QStringList m_keptInvoices;   // the invoices given since the backup, kept cancelled
    QString m_keepFailure;
};

// The one instance (created at start-up by the shell, or on first use).
extern TfrmChooseBackup* frmChooseBackup;
