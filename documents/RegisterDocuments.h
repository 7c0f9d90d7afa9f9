#pragma once
// The printed documents' windows, made once for the run, and their entries in the dialog
// seam, so the board, the account commands and the reservation dialog open them by name.
//
// Arguments of platform::openDialog("frmPrintAccounts", args):
//  - "UID"  the account whose stays (rooms) are offered for printing (int).
// Arguments of platform::openDialog("frmRegCard", args):
//  - "BID"  the stay whose registration card is printed (int).
// Both answer with the dialog's modal result.
//
// Invariants: registering twice creates no second window; the windows are children of the
// main window and go with it; the unregister functions remove the seam entries and delete
// the windows still alive. Start-up makes the account printout (repAccount, then
// frmPrintAccounts) after the closing dialog and the registration card (qrpRegistrationCard,
// then frmRegCard) last.

class QWidget;
class TfrmPrintAccounts;
class TfrmRegCard;
class TqrpRegistrationCard;
class TrepAccount;

namespace documents {

inline constexpr const char* kPrintAccounts = "frmPrintAccounts";
inline constexpr const char* kRegCard = "frmRegCard";

TrepAccount* repAccount();
TfrmPrintAccounts* printAccountsDialog();
TqrpRegistrationCard* qrpRegistrationCard();
TfrmRegCard* regCardDialog();

void unregisterAccountPrintout();
void unregisterRegistrationCard();

}  // namespace documents

void registerAccountPrintout(QWidget* mainWindow);
void registerRegistrationCard(QWidget* mainWindow);
