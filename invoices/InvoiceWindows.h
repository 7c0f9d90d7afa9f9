#pragma once
// The invoice's entry in the dialog seam: "frmInvoice" shows the invoice of the account
// "UID" in the report preview (print, save as PDF); "copy" true marks it as a copy (a
// reprint), "quiet" true says nothing of an account without one (after a closing on a
// database without the invoices' table). Accepted when there was an invoice to show; an account without one, or a table
// that cannot be read, is told and answers Rejected.

#include <QString>

class QWidget;

namespace invoices {
inline constexpr const char* kInvoiceDialog = "frmInvoice";

// Shows the account's invoice in the preview; false (told unless quiet) when there is none.
bool previewInvoice(QWidget* owner, int uid, bool copy, bool quiet = false);
void registerInvoiceDialogs(QWidget* mainWindow);
void unregisterInvoiceDialogs();
}  // namespace invoices
