// The guest book's windows in the dialog seam; see RegisterGuests.h.
#include "guests/RegisterGuests.h"

#include <QPointer>
#include <QTimer>
#include <QVariantMap>

#include "guests/TfrmGuestBook.h"
#include "guests/TfrmGuests.h"
#include "guests/TfrmHotelDetails.h"
#include "platform/DialogSeam.h"
#include "shell/DataModule.h"

namespace guests {

namespace {
QPointer<TfrmGuests> g_guests;
QPointer<TfrmGuestBook> g_book;
QPointer<TfrmHotelDetails> g_hotel;
}  // namespace

TfrmGuests* guestsDialog() { return g_guests; }
TfrmGuestBook* guestBookDialog() { return g_book; }
TfrmHotelDetails* hotelDetailsDialog() { return g_hotel; }

void unregisterGuestsDialogs()
{
    for (const char* name : {kGuestsDialog, kGuestBookDialog, kHotelDetailsDialog}) platform::unregisterDialog(QLatin1String(name));
    delete g_guests.data();
    delete g_book.data();
    delete g_hotel.data();
}

}  // namespace guests

void registerGuestsDialogs(QWidget* mainWindow)
{
    using namespace guests;
    if (!g_guests) g_guests = new TfrmGuests(mainWindow);
    if (!g_book) g_book = new TfrmGuestBook(mainWindow);
    if (!g_hotel) g_hotel = new TfrmHotelDetails(mainWindow);
    platform::registerDialog(QLatin1String(kGuestsDialog), [](QVariantMap& args) {
        if (!g_guests) return platform::kRejected;
        g_guests->BID = args.value(QStringLiteral("BID")).toInt();
        g_guests->KID = args.value(QStringLiteral("KID")).toInt();
        // After a check-in on a database without the guest book nothing is said: check-in
        // goes on as it always did.
        TdmDataModule* dm = dmDataModule();
        if (args.value(QStringLiteral("afterCheckIn")).toBool() && (!dm || !guestBookReady(dm->db(), dm->DbPrefix())))
            return platform::kRejected;
        return g_guests->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    });
    platform::registerDialog(QLatin1String(kGuestBookDialog), [](QVariantMap&) {
        return g_book && g_book->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    });
    platform::registerDialog(QLatin1String(kHotelDetailsDialog), [](QVariantMap&) {
        return g_hotel && g_hotel->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    });
    // The reminder waits until the board is on the screen (after the splash's first tick).
    if (mainWindow)
        QTimer::singleShot(2500, mainWindow, [mainWindow] {
            if (mainWindow->isVisible()) remindDueReports(mainWindow);
        });
}
