// The fee windows in the dialog seam; see RegisterFees.h.
#include "fees/RegisterFees.h"

#include <QPointer>
#include <QVariantMap>

#include "fees/TfrmFeeBook.h"
#include "fees/TfrmVisitorStatistics.h"
#include "platform/DialogSeam.h"

namespace fees {

namespace {
QPointer<TfrmFeeBook> g_book;
QPointer<TfrmVisitorStatistics> g_stats;
}  // namespace

TfrmFeeBook* feeBookDialog() { return g_book; }
TfrmVisitorStatistics* visitorStatisticsDialog() { return g_stats; }

void unregisterFeesDialogs()
{
    for (const char* name : {kFeeBookDialog, kVisitorStatisticsDialog}) platform::unregisterDialog(QLatin1String(name));
    delete g_book.data();
    delete g_stats.data();
}

}  // namespace fees

void registerFeesDialogs(QWidget* mainWindow)
{
    using namespace fees;
    if (!g_book) g_book = new TfrmFeeBook(mainWindow);
    if (!g_stats) g_stats = new TfrmVisitorStatistics(mainWindow);
    platform::registerDialog(QLatin1String(kFeeBookDialog), [](QVariantMap&) {
        return g_book && g_book->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    });
    platform::registerDialog(QLatin1String(kVisitorStatisticsDialog), [](QVariantMap&) {
        return g_stats && g_stats->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    });
}
