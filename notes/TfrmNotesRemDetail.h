#pragma once
// TfrmNotesRemDetail (form frmNotesRemDetail): one note or reminder, a row of POZNAMKY.DB,
// shown for adding (RMID 0) or editing.
//
// Invariants: the controls are reset each time the dialog is opened; the date and time are
// enabled exactly for a reminder; only "O&k" saves, and the dialog closes with Accepted only
// after exactly one row was written; the due moment written is the one of the time field as
// it stands when saving, read again then (a time typed and saved with the keyboard counts).

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace widgets {
class TDateEdit;
}

class TfrmNotesRemDetail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNotesRemDetail(QWidget* parent = nullptr);

    // Set by the caller before showing: the row (0 = a new one).
    int RMID = 0;

    // Opens the dialog modally for the row; Accepted when a row was saved.
    int Execute(int rmid);

    // The work on being shown: controls emptied, the row loaded. False when the dialog
    // closes at once (row missing or unreadable).
    bool FormActivate();
    // The type rule: date and time enabled and the caption for the chosen type.
    void cmbTypeChange();
    // Normalises the time field; false (after the time message) when it is no time.
    bool edTimeExit();
    void btOkClick();
    // The decision on a request to close; true when the dialog may close.
    bool FormCloseQuery();

    void done(int result) override;

    QLabel* lbTyp;
    QComboBox* cmbType;
    QLabel* lbText;
    QPlainTextEdit* memTxt;
    QLabel* lbDateTime;
    widgets::TDateEdit* edDate;
    QLineEdit* edTime;
    QPushButton* btOk;
    QPushButton* btCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool save();
    // The time box normalised, without a message, when it holds a valid time.
    void showTimeIfValid();
    int warn(const QString& text, const QString& caption);

    double m_timeOfDay = 0;
    bool m_saving = false;   // the closing flag: true once "O&k" asked for saving
};
