#pragma once
// TfrmNotesReminder (form frmNotesReminder): the list of notes and reminders opened from
// the main menu, filtered to notes, reminders or all, where rows are added, displayed for
// editing and deleted.
//
// Invariants: the filter is "All" when the window is made and then stays as the
// receptionist left it, also across openings and language switches; the list is read
// again on every opening and after every change made from it; a row is deleted only after
// a Yes to the question, and a refused delete is said; dates and times show as stored, with
// their leading zeros.

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class TfrmNotesRemDetail;
namespace widgets {
class QueryTableModel;
}

class TfrmNotesReminder : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNotesReminder(QWidget* parent = nullptr);
    // The detail dialog that Add and Display open.
    void setDetail(TfrmNotesRemDetail* detail) { m_detail = detail; }

    // Opens the list modally.
    int Execute();

    // The work on being shown: the list read again and its titles translated.
    void FormActivate();
    // Reads the list for the filter chosen; false (after the message) when it cannot.
    bool Reload();
    void cmbDisplayTypeChange();
    void btAddRecordClick();
    void btSelectClick();   // "&Display", also a double click on the grid
    void btDeleteClick();

    // The row under the cursor: its index and identifier (-1 and 0 when none).
    int currentRow() const;
    int currentRMID() const;
    void setCurrentRow(int row);
    widgets::QueryTableModel* list() const { return m_list; }

    QTableView* dbgPoznamky;
    QLabel* lbFilter;
    QComboBox* cmbDisplayType;
    QPushButton* btAddRecord;
    QPushButton* btDelete;
    QPushButton* btSelect;
    QPushButton* btClose;

    void done(int result) override;

private:
    void fitColumns();

    QPointer<TfrmNotesRemDetail> m_detail;
    widgets::QueryTableModel* m_list;
    int m_filter = 2;   // 0 notes, 1 reminders, 2 all
};
