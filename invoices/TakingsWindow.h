#pragma once
// TfrmTakings (form frmTakings, under Overview): the day's takings — the accounts paid from
// one day through another (today when it opens) with their invoice numbers, and the totals
// by payment form and by VAT rate in EUR and CZK. From here they are printed, saved as PDF
// or as CSV for the accountant.
//
// Invariants: the lists shown are the lists printed and exported (one Takings, read by
// reload); a database without the invoices' table shows the takings without numbers.
//
// Made once at start-up and reached through the dialog seam as "frmTakings".

#include <QDialog>

#include "invoices/Takings.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

class TfrmTakings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTakings(QWidget* parent = nullptr);

    int Execute();
    bool FormActivate();
    // Reads the period's takings; false on failure (said to the user).
    bool reload();
    const invoices::Takings& takings() const { return m_takings; }

    bool printTakings();
    bool savePdf();
    bool saveCsv();

    QDateEdit *dtFrom, *dtThru;
    QTableWidget *grAccounts, *grTotals;
    QLabel* lbSummary;
    QPushButton *btShow, *btPrint, *btPdf, *btCsv, *btClose;

private:
    void showTakings();
    invoices::Takings m_takings;
};

namespace invoices {
inline constexpr const char* kTakingsDialog = "frmTakings";
TfrmTakings* takingsDialog();
void unregisterTakingsDialogs();
}  // namespace invoices

// The takings window and the buyer dialog (TfrmBuyer.h) in the dialog seam.
void registerTakingsDialogs(QWidget* mainWindow);
