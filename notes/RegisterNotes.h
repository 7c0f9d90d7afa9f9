#pragma once
// The notes and reminders windows, made once for the whole run, and their entries in the
// dialog seam, so the board opens them by form name.
//
// Arguments of platform::openDialog:
//  - "frmNotesReminder": none; the list, modal.
//  - "frmReminder": "RMID" the reminder to show; "bringForward" (bool, default true) whether
//    the main window is brought forward when the pop-up shows. Written back: "shown", true
//    when the pop-up appeared (false when its row was missing or unreadable).
//
// Invariants: registering twice creates no second window; the windows are children of the
// main window and go with it; unregisterNotesDialogs() removes the seam entries and deletes
// the windows that are still alive.

class QWidget;
class TfrmNotesReminder;
class TfrmNotesRemDetail;
class TfrmReminder;

namespace notes {

TfrmNotesReminder* notesReminderDialog();
TfrmNotesRemDetail* notesRemDetailDialog();
TfrmReminder* reminderDialog();
void unregisterNotesDialogs();

}  // namespace notes

// Creates the list, the detail and the pop-up in that order.
void registerNotesDialogs(QWidget* mainWindow);
