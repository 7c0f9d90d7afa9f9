#pragma once
// TfrmReminder (form frmReminder): the pop-up of a due reminder over every other window.
// The receptionist postpones it by some minutes (the text of the memo edited there is saved
// with it) or removes it; either closes the window once the table took it, and a refusal is
// said with the window still open.
//
// Invariants: the window shows only when its row was read (a missing or unreadable row
// closes it before it appears); it brings the main window forward only when it does show,
// and only when its caller asks; it has no close box and Esc does not close it, so it ends
// only through "Postpone" or "Remove"; the splash window is gone before it shows.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace widgets {
class TDateEdit;
}

class TfrmReminder : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReminder(QWidget* parent = nullptr);

    // The reminder shown and its due moment.
    int RMID = 0;
    double DueMoment = 0;

    // Reads the reminder and, when it can be shown, brings the main window forward (when
    // bringForward) and shows the window modally. shown tells whether it appeared.
    int Execute(int rmid, bool bringForward, bool* shown = nullptr);

    // The work on being shown: fields emptied, the row read. False when the window closes
    // at once (row missing or unreadable).
    bool FormActivate();
    void btPostponeClick();
    void btRemoveClick();

    void reject() override;   // Esc: the window stays

    QLabel* lbText;
    QPlainTextEdit* memTxt;
    QLabel* lbDateTime;
    widgets::TDateEdit* edDate;
    QLineEdit* edTime;
    QLabel* lbPostpone;
    QComboBox* cmbPostponeBy;
    QLabel* lbMinutes;
    QPushButton* btPostpone;
    QPushButton* btRemove;
};
