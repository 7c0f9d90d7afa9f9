#pragma once
// The room usage statistics window, made once for the whole run, and its entry in the dialog
// seam, so the main menu's "Rooms usage" opens it by form name ("frmStatisticsRooms"; no
// arguments, Rejected when it is closed).
//
// Invariants: registering twice creates no second window; the window is a child of the main
// window and goes with it; unregisterStatsDialogs() removes the seam entry and deletes the
// window if it is still alive.

class QWidget;
class TfrmStatisticsRooms;

namespace stats {

// The window made by registerStatsDialogs (null before it or after it died).
TfrmStatisticsRooms* statisticsDialog();
void unregisterStatsDialogs();

}  // namespace stats

void registerStatsDialogs(QWidget* mainWindow);
