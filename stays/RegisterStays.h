#pragma once
// The reservation dialog, made once for the whole run, and its entry in the dialog seam, so
// the board opens it by form name.
//
// Arguments of platform::openDialog("frmRezervace", args):
//  - "BID"       the stay to open (int; 0 or missing: a new reservation);
//  - "PID"       for a new one from a board cell: the room id of the cell's row;
//  - "DATEFROM"  with it: the cell's night, a day number (a date text such as 5.3.2004 is
//                read too).
// Accepted when the dialog closed through Ok after a successful save; "BID" is written back
// with the stay the dialog ended on (the new id after an insert).
//
// Invariants: registering twice creates no second window; the window is a child of the main
// window and goes with it; unregisterStaysDialogs() removes the seam entry and deletes the
// window if it is still alive.

#include <QPointer>

class QWidget;
class TfrmRezervace;

namespace stays {

inline constexpr const char* kReservation = "frmRezervace";

// The window made by registerStaysDialogs (null before it or after it died).
TfrmRezervace* reservationDialog();
void unregisterStaysDialogs();

}  // namespace stays

void registerStaysDialogs(QWidget* mainWindow);
