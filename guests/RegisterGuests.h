#pragma once
// The guest book's windows, made once at start-up, and their entries in the dialog seam:
//  - "frmGuests"        the guests of a stay: "BID", and "KID" the booker's card to list
//                       first when the stay has no guest yet (after a check-in, with
//                       "afterCheckIn" true: then a database without the guest book opens
//                       nothing and says nothing); Accepted when the list was stored;
//  - "frmGuestBook"     the guest book and the police file;
//  - "frmHotelDetails"  the hotel's details; Accepted when stored.
// At start (once the board shows) the foreign guests due to be reported are recalled.
//
// Invariants: registering twice makes no second window; unregisterGuestsDialogs() removes
// the entries and deletes the windows still alive.

class QWidget;
class TfrmGuests;
class TfrmGuestBook;
class TfrmHotelDetails;

namespace guests {
inline constexpr const char* kGuestsDialog = "frmGuests";
inline constexpr const char* kGuestBookDialog = "frmGuestBook";
inline constexpr const char* kHotelDetailsDialog = "frmHotelDetails";

TfrmGuests* guestsDialog();
TfrmGuestBook* guestBookDialog();
TfrmHotelDetails* hotelDetailsDialog();
void unregisterGuestsDialogs();
}  // namespace guests

void registerGuestsDialogs(QWidget* mainWindow);
