#pragma once
// The seam between the board (grid and main menu) and the dialogs and commands that live in
// other subsystems (reservation "frmRezervace", room detail "frmRoomDetail", out-of-order
// "frmOutOfOrders", check-in "frmCheckIn", clients, rates, check-out, ...). The board asks
// for a dialog by its form name with its arguments; whoever owns the dialog registers a
// handler that sets the dialog's public fields from the arguments and shows it modally.
//
// Invariants:
//  - with no handler registered for a name nothing opens and the answer is Rejected;
//  - a handler may write results back into the arguments (the options dialog returns the
//    changed column count as "columnCount");
//  - one handler per name: registering again replaces the previous one.

#include <QString>
#include <QVariantMap>
#include <functional>

namespace platform {

// Modal results, the QDialog values.
constexpr int kAccepted = 1;
constexpr int kRejected = 0;

using DialogHandler = std::function<int(QVariantMap& args)>;

void registerDialog(const QString& name, DialogHandler handler);
void unregisterDialog(const QString& name);
bool hasDialog(const QString& name);
// Opens the named dialog; Rejected when none is registered.
int openDialog(const QString& name, QVariantMap& args);
int openDialog(const QString& name, const QVariantMap& args = {});

// Names the board asks for. Dialogs are asked for by form name; the account commands that
// act on the stay under the cursor by their command name.
namespace dialogs {
inline const QString Reservation = QStringLiteral("frmRezervace");      // BID; PID, DATEFROM for new
inline const QString RoomDetail = QStringLiteral("frmRoomDetail");      // BID
inline const QString OutOfOrders = QStringLiteral("frmOutOfOrders");    // BID; DATEFROM, PNAME for new
inline const QString CheckIn = QStringLiteral("frmCheckIn");            // BID, KID, DATEFROM
inline const QString Options = QStringLiteral("frmOptions");            // columnCount in and out
inline const QString BrowseClients = QStringLiteral("frmBrowseClientCard");
inline const QString NotesReminder = QStringLiteral("frmNotesReminder");
inline const QString Reminder = QStringLiteral("frmReminder");          // RMID
inline const QString AccountItems = QStringLiteral("frmPolozkyUctu");
inline const QString Rooms = QStringLiteral("frmEditPokoje");
inline const QString AcctItemTypes = QStringLiteral("frmModifActPolDef");
inline const QString KnowsFrom = QStringLiteral("frmKnowsFrom");
inline const QString Rates = QStringLiteral("frmRates");
inline const QString Statistics = QStringLiteral("frmStatisticsRooms");
inline const QString Labels = QStringLiteral("frmPrintLabels");
inline const QString Backup = QStringLiteral("BackupDatabase");
inline const QString Restore = QStringLiteral("RestoreDatabase");     // Accepted when data was replaced
// Account commands on the stay under the cursor; arguments are the stay's fields
// (BID, UID, KID, PID, name, STATUS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, NUMPERS) and the
// selected row's PNAME.
inline const QString CheckOut = QStringLiteral("CheckOut");
inline const QString CloseAccount = QStringLiteral("CloseAccount");
inline const QString PrintAccount = QStringLiteral("PrintAccount");
inline const QString ReviseAccountItems = QStringLiteral("ReviseAccountItems");
inline const QString DeleteAccountInfo = QStringLiteral("DeleteAccountInfo");
// The rooms' calendars: the feeds window, reading the feeds now (menu) or when due (the
// board's minute timer), writing the export after a reload. Accepted when stays changed.
inline const QString Calendars = QStringLiteral("frmCalendars");
inline const QString SyncCalendars = QStringLiteral("SyncCalendars");
inline const QString CalendarsTimer = QStringLiteral("CalendarsTimer");
inline const QString ExportCalendars = QStringLiteral("ExportCalendars");
}  // namespace dialogs

}  // namespace platform
