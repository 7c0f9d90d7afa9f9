#pragma once
// The calendars in the program: the feeds window and the three commands the board asks for
// through the dialog seam:
//  - "frmCalendars": the feeds window (Settings menu);
//  - "SyncCalendars": "Synchronise calendars" from the menu: reads every feed now and says
//    the result in one message; Accepted when the stays changed;
//  - "CalendarsTimer": the board's minute timer: reads the feeds when they are due (the
//    interval of the settings since their last reading, by any desk), never while another
//    window is modal or a reading runs; speaks only when the result needs the receptionist
//    and differs from what it said last; Accepted when the stays changed;
//  - "ExportCalendars": after every reload of the board: writes the rooms' calendars into the
//    export folder when one is set (on table files only when the stays, clients, rooms or
//    settings changed or the day did); a failure is said once until it changes.
//
// Invariants: the window exists once; a reading started while another runs does nothing.

class QWidget;
class TfrmCalendars;

namespace calendars {

void registerCalendarsDialogs(QWidget* mainWindow);
void unregisterCalendarsDialogs();
TfrmCalendars* calendarsWindow();

}  // namespace calendars
