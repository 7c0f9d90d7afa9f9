#pragma once
// TfrmCloseAccount (form frmCloseAccount): closes a guest account, a row of UCTY.DB, by
// recording who pays (the payee, a client card), how (payment form and card), when and how
// much (totals in EUR and CZK); a payment date marks the account as closed.
//
// Invariants: the account row is held in edit through a table cursor from opening to
// closing, so Cancel leaves it exactly as it was; an account id without a row is said so and
// nothing is written to any row; the totals start as the sums of the account's charges and
// the one left last converts the other with the rate taken at opening, never without a
// usable rate (the receptionist is told once per opening, while the dialog is open); OK
// writes only after every check (payment form, a readable date, a non-zero EUR total) has
// passed, and nothing is told after the dialog has closed; the card typed at check-in is
// kept (only an account without one takes the client card's, "Change Payee" overwrites);
// an engine failure is told and leaves the dialog usable. The account row and its invoice
// (the next number of the year, the buyer as the dialog holds it, the charges' VAT recap in
// the chosen currency) are written in one change: a refused closing gives no number, an
// invoice that cannot be made (four VAT rates, EUR without a rate, a transfer without the
// hotel's IBAN) refuses the closing before anything is written. A database without the
// invoices' table closes as before, without an invoice.

#include <QDialog>
#include <QString>
#include <memory>

#include "invoices/Buyer.h"
#include "shell/Money.h"

class QCheckBox;

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
namespace engine {
class TableCursor;
}
namespace widgets {
class TCalcEdit;
class TDateEdit;
}

class TfrmCloseAccount : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCloseAccount(QWidget* parent = nullptr);
    ~TfrmCloseAccount() override;

    // Set by the caller before showing: the account (UCTY.UID).
    int UID = 0;

    // Opens the dialog modally; Accepted when the account was closed.
    int Execute();

    void FormActivate();
    // The decision on a request to close; true when the dialog may close.
    bool FormCloseQuery();
    void btOkClick();
    void btChangePayeeClick();
    void dbeTotalEURExit();
    void dbeTotalCZKExit();

    void btBuyerClick();

    bool loaded() const { return m_loaded; }
    // The buyer the invoice will name, and the number the last closing gave (empty: none).
    const invoices::Buyer& buyer() const { return m_buyer; }
    const QString& invoiceNumber() const { return m_invoiceNumber; }
    double rate() const { return m_rate; }

    void done(int result) override;

    QLabel* lbClientName;
    QLineEdit* edClientName;
    QLabel* lbFromThru;
    widgets::TDateEdit* dbeDateFrom;
    widgets::TDateEdit* dbeDateThru;
    QLabel* lbPaymentForm;
    QComboBox* cmbPaymForm;
    QLabel* lbPaymDate;
    widgets::TDateEdit* dbeDatePaym;
    QLabel* lbPayee;
    QLineEdit* dbePKID;
    QLineEdit* edPayeeName;
    QToolButton* btChangePayee;
    QLabel* lbCardNum;
    QLineEdit* dbeCardNum;
    QLabel* lbCardTypExp;
    QComboBox* dbcCardType;
    QLineEdit* dbeCardExp;
    QLabel* lbPrice;
    widgets::TCalcEdit* dbeTotalEUR;
    QLabel* lbEUR;
    widgets::TCalcEdit* dbeTotalCZK;
    QLabel* lbCZK;
    QCheckBox* chkInvoiceEUR;
    QPushButton* btBuyer;
    QPushButton* btOk;
    QPushButton* btCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void clearControls();
    void loadAccount();
    void showPayee(int kid, bool withCard);
    void convertTotal(bool toCzk, bool deferWarning);
    void showPendingRateWarning();
    bool writeRow();
    void takeBuyer(int kid);
    void reopenAccount();
    void closeTable();
    void warn(const QString& text);

    std::unique_ptr<engine::TableCursor> tblUcty;
    double m_rate = -1;
    bool m_cancelPending = true;
    bool m_loaded = false;
    bool m_rateWarned = false;
    bool m_rateWarningPending = false;
    invoices::Buyer m_buyer;
    QString m_invoiceNumber;
};
