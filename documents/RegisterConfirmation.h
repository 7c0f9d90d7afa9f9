#pragma once
// The confirmation report and dialog, made once for the whole run, and the dialog's entry in
// the dialog seam, so the reservation dialog opens it by form name.
//
// Arguments of platform::openDialog("frmConfirmation", args): "BID", the stay (int).
// Accepted after Preview or Print; nothing is written back.
//
// Invariants: registering twice creates no second window; the windows are children of the
// main window and go with it; unregisterConfirmationDialogs() removes the seam entry and
// deletes the windows still alive.

#include <QString>

class QWidget;
class TfrmConfirmation;
class TrepConfirmation;

namespace documents {

inline const QString kConfirmation = QStringLiteral("frmConfirmation");

TrepConfirmation* confirmationReport();
TfrmConfirmation* confirmationDialog();
void unregisterConfirmationDialogs();

}  // namespace documents

void registerConfirmationDialogs(QWidget* mainWindow);
