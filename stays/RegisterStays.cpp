// registerStaysDialogs and registerStayDetailDialogs: the reservation, check-in,
// out-of-order and room detail dialogs made once and opened by form name through the dialog
// seam.
//
// Invariants: see RegisterStays.h.

#include "stays/RegisterStays.h"

#include <QVariantMap>
#include <stdexcept>

#include "platform/DialogSeam.h"
#include "shell/ValueHelpers.h"
#include "stays/TfrmCheckIn.h"
#include "stays/TfrmOutOfOrders.h"
#include "stays/TfrmRezervace.h"
#include "stays/TfrmRoomDetail.h"

namespace stays {

namespace {
QPointer<TfrmRezervace> g_reservation;
QPointer<TfrmCheckIn> g_checkIn;
QPointer<TfrmOutOfOrders> g_outOfOrders;
QPointer<TfrmRoomDetail> g_roomDetail;

int intArg(const QVariantMap& args, const char* name) { return args.value(QLatin1String(name)).toInt(); }

// The board passes the night as a day number; a date text is accepted as well.
int presetDay(const QVariant& value)
{
    if (!value.isValid()) return 0;
    bool isNumber = false;
    const int day = value.toInt(&isNumber);
    if (isNumber) return day;
    try {
        return shell::ParseDayMonthYear(value.toString());
    } catch (const std::exception&) {
        return 0;
    }
}
}  // namespace

TfrmRezervace* reservationDialog() { return g_reservation; }
TfrmCheckIn* checkInDialog() { return g_checkIn; }
TfrmOutOfOrders* outOfOrdersDialog() { return g_outOfOrders; }
TfrmRoomDetail* roomDetailDialog() { return g_roomDetail; }

void unregisterStaysDialogs()
{
    platform::unregisterDialog(QLatin1String(kReservation));
    platform::unregisterDialog(platform::dialogs::CheckIn);
    platform::unregisterDialog(platform::dialogs::OutOfOrders);
    platform::unregisterDialog(platform::dialogs::RoomDetail);
    delete g_roomDetail.data();
    delete g_outOfOrders.data();
    delete g_checkIn.data();
    delete g_reservation.data();
    g_reservation = nullptr;
    g_checkIn = nullptr;
    g_outOfOrders = nullptr;
    g_roomDetail = nullptr;
}

}  // namespace stays

void registerStaysDialogs(QWidget* mainWindow)
{
    using namespace stays;
    if (!g_reservation) g_reservation = new TfrmRezervace(mainWindow);
    platform::registerDialog(QLatin1String(kReservation), [](QVariantMap& args) {
        TfrmRezervace* dialog = g_reservation;
        if (!dialog) return platform::kRejected;
        dialog->BID = args.value(QStringLiteral("BID")).toInt();
        dialog->PresetPID = dialog->BID > 0 ? QString() : args.value(QStringLiteral("PID")).toString();
        dialog->PresetDay = dialog->BID > 0 ? 0 : presetDay(args.value(QStringLiteral("DATEFROM")));
        const int result = dialog->Execute();
        args.insert(QStringLiteral("BID"), dialog->BID);
        return result;
    });
}

void registerStayDetailDialogs(QWidget* mainWindow)
{
    using namespace stays;
    if (!g_checkIn) g_checkIn = new TfrmCheckIn(mainWindow);
    if (!g_outOfOrders) g_outOfOrders = new TfrmOutOfOrders(mainWindow);
    if (!g_roomDetail) g_roomDetail = new TfrmRoomDetail(mainWindow);
    platform::registerDialog(platform::dialogs::CheckIn, [](QVariantMap& args) {
        TfrmCheckIn* dialog = g_checkIn;
        if (!dialog) return platform::kRejected;
        dialog->BID = intArg(args, "BID");
        dialog->KID = intArg(args, "KID");
        dialog->DATEFROM = presetDay(args.value(QStringLiteral("DATEFROM")));
        return dialog->Execute();
    });
    platform::registerDialog(platform::dialogs::OutOfOrders, [](QVariantMap& args) {
        TfrmOutOfOrders* dialog = g_outOfOrders;
        if (!dialog) return platform::kRejected;
        dialog->BID = intArg(args, "BID");
        const bool fresh = dialog->BID == 0;
        dialog->PresetDay = fresh ? presetDay(args.value(QStringLiteral("DATEFROM"))) : 0;
        dialog->PresetPID = fresh ? args.value(QStringLiteral("PID")).toString() : QString();
        dialog->PresetName = fresh ? args.value(QStringLiteral("PNAME")).toString() : QString();
        return dialog->Execute();
    });
    platform::registerDialog(platform::dialogs::RoomDetail, [](QVariantMap& args) {
        TfrmRoomDetail* dialog = g_roomDetail;
        if (!dialog) return platform::kRejected;
        dialog->BID = intArg(args, "BID");
        return dialog->Execute();
    });
}
