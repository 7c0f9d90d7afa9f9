#pragma once
// TClientCardList: what the client picker (frmFindClientCard) and the client register
// (frmBrowseClientCard) share: the read-only grid of client cards, the filter panel with its
// cumulative filter, search, clear, add and the button states. The two windows differ only
// in their main button, their close result, what clearing the filter shows and delete.
//
// Invariants: the accumulated filter is empty or " WHERE " followed by conditions joined by
// " and ", and the list statement always carries exactly that filter; the main button (and
// delete) are enabled only while the list is open and has a row; the filter is cleared every
// time a caller opens the window.

#include <QDialog>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QHBoxLayout;
class TfrmClientDetail;

namespace widgets { class QueryTableModel; }

class TClientCardList : public QDialog {
    Q_OBJECT
public:
    // detail: the client card dialog that Add (and Display) open.
    TClientCardList(const char* formName, const char* caption, TfrmClientDetail* detail, QWidget* parent);

    // The work on being shown: filter cleared, list closed, filter choices refilled.
    virtual void FormActivate();

    void btSearchClick();
    void btClearFilterClick();
    void btAddRecordClick();
    virtual void btSelectClick() = 0;
    // Close and reopen the list with its current statement (failures are silent).
    void refresh();
    void updateButtons();

    const QString& filter() const { return m_filter; }
    widgets::QueryTableModel* list() const { return m_list; }
    // The row under the cursor, -1 when none.
    int currentRow() const;
    void setCurrentRow(int row);
    // The KID of the current row; 0 when it cannot be read.
    int currentKID() const;

    void done(int result) override;

    QFrame* pnlFilter;
    QLabel* lbFilterBy;
    QComboBox* cmbFilterBy;
    QComboBox* cmbFilterOperation;
    QLineEdit* edFilterValue;
    QPushButton* btSearch;
    QPushButton* btClearFilter;
    QTableView* dbgClients;
    QPushButton* btSelect;
    QPushButton* btAddRecord;
    QPushButton* btClose;

protected:
    // The message when the chosen filter title matches no grid column.
    virtual QString internalErrorText() const = 0;
    // Whether clearing the filter lists every card (the register) or leaves the list closed.
    virtual bool listAllOnClear() const = 0;
    // Buttons that act on a row besides the main button.
    virtual void enableRowButtons(bool enabled) { (void)enabled; }
    // Room for the window's own buttons, between Add and Close.
    QHBoxLayout* buttonRow() const { return m_buttons; }

    TfrmClientDetail* m_detail;
    QString m_filter;

private:
    // The list could not be read (a locked table): the user is told.
    void cannotLoad();
    void placeControls();
    void fitColumns();
    QString listStatement() const;

    widgets::QueryTableModel* m_list;
    QHBoxLayout* m_buttons;
};
