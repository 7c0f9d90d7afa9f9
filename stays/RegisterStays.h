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
// The check-in, out-of-order and room detail dialogs, made once after the client windows
// (registerStayDetailDialogs), are opened by form name too:
//  - "frmCheckIn"      "BID", "KID" and "DATEFROM" (the stay's first day, a day number or a
//                      date text); Accepted after a completed check-in;
//  - "frmOutOfOrders"  "BID" (0 or missing: a new period) and, for a new one, "DATEFROM" (the
//                      day) and the room as "PID" or else "PNAME"; Accepted after Ok or Delete;
//  - "frmRoomDetail"   "BID"; Accepted when the stay's changes were stored.
//
// Invariants: registering twice creates no second window; the window is a child of the main
// window and goes with it; unregisterStaysDialogs() removes the seam entry and deletes the
// window if it is still alive.

#include <QPointer>

class QWidget;
class TfrmRezervace;
class TfrmCheckIn;
class TfrmOutOfOrders;
class TfrmRoomDetail;

namespace stays {

inline constexpr const char* kReservation = "frmRezervace";

// The windows made by the registrations (null before them or after they died).
TfrmRezervace* reservationDialog();
TfrmCheckIn* checkInDialog();
TfrmOutOfOrders* outOfOrdersDialog();
TfrmRoomDetail* roomDetailDialog();
// Removes every stays dialog from the seam and deletes the windows still alive.
void unregisterStaysDialogs();

}  // namespace stays

void registerStaysDialogs(QWidget* mainWindow);
// Check-in, out-of-order periods and the room detail, in that order.
void registerStayDetailDialogs(QWidget* mainWindow);
