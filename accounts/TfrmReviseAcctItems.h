#pragma once
// TfrmReviseAcctItems (form frmReviseAcctItems): steps through the charges of one account
// (rows of UCTYPOL.DB in the order of entry) and lets the receptionist correct, delete or
// reset each one.
//
// Invariants: the charge shown is always in edit, so a step, a delete or the closing posts
// what was typed first (also an amount still being typed when Enter or Esc closes); the
// position counts the charge shown among the account's charges (1-based) and the two step
// buttons follow it; with no charge left nothing can be edited; a charge names only a room of
// the account's stays; nothing is converted at a rate that is not above 0; an engine failure
// (a table held by another program) is told and the dialog stays usable; the revision never
// touches the audit fields.

#include <QDialog>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>

#include "accounts/AccountLogic.h"

class QLabel;
class QLineEdit;
class QPushButton;
namespace engine {
class TableCursor;
}
namespace widgets {
class TCalcEdit;
}

class TfrmReviseAcctItems : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReviseAcctItems(QWidget* parent = nullptr);
    ~TfrmReviseAcctItems() override;

    // Set by the caller before showing: the account (UCTY.UID).
    int UID = 0;

    // Opens the dialog modally (it closes at once when the account has no charge).
    int Execute();

    // The work on being shown; false when the dialog must not be shown.
    bool FormActivate();
    void btPreviousClick();
    void btNextClick();
    void btDeleteClick();
    void btCancelChangesClick();
    void dbeAmntEurExit();
    void dbeAmntCzkExit();

    int position() const { return m_position.position(); }
    int count() const { return m_position.count(); }

    void done(int result) override;

    QLabel* lbRoomNumber;
    QLineEdit* dbeRoomNum;
    QLabel* lbDescr;
    QLineEdit* dbeDescr;
    QLabel* lbAmount;
    widgets::TCalcEdit* dbeAmntEur;
    QLabel* lbEUR;
    widgets::TCalcEdit* dbeAmntCzk;
    QLabel* lbCZK;
    QLabel* lbCurrencyRate;
    widgets::TCalcEdit* dbeRate;
    QLabel* lbVAT;
    widgets::TCalcEdit* dbeVat;
    QPushButton* btPrevious;
    QPushButton* btNext;
    QPushButton* btDelete;
    QPushButton* btCancelChanges;
    QPushButton* btClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void showItem();
    bool postItem();
    void updateButtons();
    void closeTable();
    void warn(const QString& text);
    void tell(const QString& lead, const std::exception& e);
    // Runs body; false (told under lead) when the engine refused.
    bool guarded(const QString& lead, const std::function<void()>& body);
    void convertAmount(bool toCzk, bool deferWarning);
    void showPendingRateWarning();

    std::unique_ptr<engine::TableCursor> tblAcctItems;
    accounts::RevisionPosition m_position{0, 0};
    QStringList m_accountRooms;   // PIDs of the account's stays
    int m_quiet = 0;
    bool m_rateWarned = false;    // for the charge shown
    bool m_rateWarningPending = false;
};
