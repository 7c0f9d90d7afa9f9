#pragma once
// TfrmBuyer (form frmBuyer): the buyer of an invoice — name, address, IČO and DIČ — with
// "Fill from ARES", which asks the register of businesses for the typed IČO in the
// background. The window never waits for the register: every box stays editable, the
// answer fills the name, address and DIČ when it comes, and what went wrong (no answer in
// time, an error, a number the register does not know) is said in the window itself.
//
// Invariants: an answer is used only while the IČO box still holds the number asked for;
// closing the window drops a lookup still running; Ok keeps what the boxes hold only once
// the IČO and DIČ are empty or valid.
//
// The window is made once at start-up and reached through the dialog seam as "frmBuyer"
// (arguments and results: "name", "address", "ico", "dic"); invoices::editBuyer (Buyer.h)
// opens it.

#include <QDialog>

#include "invoices/Ares.h"
#include "invoices/Buyer.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class TfrmBuyer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBuyer(QWidget* parent = nullptr);

    int Execute(invoices::Buyer& buyer);
    void FormActivate(const invoices::Buyer& buyer);
    // Reads the boxes (trimmed); Ok's checks are in check().
    invoices::Buyer buyer() const;
    // Empty when Ok may close the window, else the English reason (the box gets the focus).
    QString check();
    // Starts the lookup of the typed IČO; false (and said) when it is not valid.
    bool fillFromAres();
    invoices::AresLookup& lookup() { return *m_lookup; }

    QLineEdit *edName, *edAddress, *edIco, *edDic;
    QLabel* lbAresState;
    QPushButton *btAres, *btOk, *btCancel;

protected:
    void done(int result) override;

private:
    void onAnswer(const invoices::AresAnswer& answer);
    void say(const QString& text, bool fault);

    invoices::AresLookup* m_lookup;
};

namespace invoices {
inline constexpr const char* kBuyerDialog = "frmBuyer";
TfrmBuyer* buyerDialog();
void unregisterBuyerDialog();
}  // namespace invoices

void registerBuyerDialog(QWidget* mainWindow);
