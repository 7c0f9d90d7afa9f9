// registerStaysDialogs: the reservation dialog made once and opened by form name through the
// dialog seam.
//
// Invariants: see RegisterStays.h.

#include "stays/RegisterStays.h"

#include <QVariantMap>
#include <stdexcept>

#include "platform/DialogSeam.h"
#include "shell/ValueHelpers.h"
#include "stays/TfrmRezervace.h"

namespace stays {

namespace {
QPointer<TfrmRezervace> g_reservation;

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

void unregisterStaysDialogs()
{
    platform::unregisterDialog(QLatin1String(kReservation));
    delete g_reservation.data();
    g_reservation = nullptr;
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
