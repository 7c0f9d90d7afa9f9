#pragma once
// The account windows and commands, made once for the whole run and entered in the dialog
// seam: the account items list "frmPolozkyUctu", the closing dialog "frmCloseAccount"
// ("UID"), the item revision "frmReviseAcctItems" ("UID"), and the board's check-out and
// account commands (see AccountCommands.h).
//
// Invariants: each window exists at most once and is a child of the main window; the three
// windows are made by three calls, so start-up keeps its fixed order of creation;
// unregisterAccountDialogs() removes every entry and deletes the windows still alive.

class QWidget;
class TfrmCloseAccount;
class TfrmPolozkyUctu;
class TfrmReviseAcctItems;

namespace accounts {

void registerAccountItemsDialog(QWidget* mainWindow);     // frmPolozkyUctu
void registerCloseAccountDialog(QWidget* mainWindow);     // frmCloseAccount and the commands
void registerReviseItemsDialog(QWidget* mainWindow);      // frmReviseAcctItems
void unregisterAccountDialogs();

TfrmPolozkyUctu* accountItemsDialog();
TfrmCloseAccount* closeAccountDialog();
TfrmReviseAcctItems* reviseItemsDialog();

}  // namespace accounts
