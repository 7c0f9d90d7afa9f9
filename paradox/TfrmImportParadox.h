#pragma once
// TfrmImportParadox: moving in from Paradox files, under Settings. The user picks the folder
// of the ten Paradox tables; the import writes them into the program's database (all or
// nothing, see paradox/ParadoxImport.h), with a progress bar while rows are read, and shows
// the outcome table by table: rows, code page, fields left out, long texts, wrong values.
//
// Invariants: nothing is written unless the whole import succeeds; a failure is shown in the
// window's message and the window stays usable; the board reloads after an import.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace paradox {
struct ImportReport;
}

class TfrmImportParadox : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImportParadox(QWidget* parent = nullptr);

    // The database written into (a folder or a server URI); set before each showing.
    QString databaseLocation;
    // True when the last showing imported rows.
    bool imported() const { return m_imported; }

    // Work on being shown: the result and progress of an earlier import are cleared.
    void FormActivate();
    // The import of the chosen folder (what btImport does).
    void btImportClick();

    QLabel* lbFolder = nullptr;
    QLineEdit* edFolder = nullptr;
    QPushButton* btBrowse = nullptr;
    QCheckBox* chkReplace = nullptr;
    QCheckBox* chkCutLongTexts = nullptr;
    QLabel* lbCodePage = nullptr;
    QComboBox* cmbCodePage = nullptr;
    QPushButton* btImport = nullptr;
    QPushButton* btClose = nullptr;
    QProgressBar* pgProgress = nullptr;
    QTableWidget* grResult = nullptr;
    QLabel* lbMessage = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showReport(const paradox::ImportReport& report);
    bool m_imported = false;
};

namespace paradox {
// The dialog's name in the dialog seam; Accepted when rows were imported.
inline const QString ImportDialog = QStringLiteral("frmImportParadox");
// Creates the window once and enters it in the dialog seam (the database is the program's).
void registerImportDialog(QWidget* mainWindow);
void unregisterImportDialog();
}  // namespace paradox
