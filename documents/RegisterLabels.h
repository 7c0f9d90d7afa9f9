#pragma once
// The address label report and its print dialog, made once for the whole run, and the
// dialog's entry in the dialog seam, so the main menu's "Labels" opens it by form name.
//
// Name platform::dialogs::Labels ("frmPrintLabels"), no arguments; Accepted after Ok.
//
// Invariants: registering twice creates no second window; the windows are children of the
// main window and go with it; unregisterLabelsDialogs() removes the seam entry and deletes
// the windows still alive.

class QWidget;
class TfrmClientLabels;
class TfrmPrintLabels;

namespace documents {

TfrmClientLabels* clientLabels();
TfrmPrintLabels* printLabelsDialog();
void unregisterLabelsDialogs();

}  // namespace documents

void registerLabelsDialogs(QWidget* mainWindow);
