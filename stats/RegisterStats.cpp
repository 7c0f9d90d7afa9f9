// registerStatsDialogs: the statistics window made once and opened by form name through the
// dialog seam.
//
// Invariants: see RegisterStats.h.

#include "stats/RegisterStats.h"

#include <QPointer>
#include <QVariantMap>

#include "platform/DialogSeam.h"
#include "stats/TfrmStatisticsRooms.h"

namespace stats {

namespace {
QPointer<TfrmStatisticsRooms> g_statistics;
}  // namespace

TfrmStatisticsRooms* statisticsDialog() { return g_statistics; }

void unregisterStatsDialogs()
{
    platform::unregisterDialog(platform::dialogs::Statistics);
    delete g_statistics.data();
    g_statistics = nullptr;
}

}  // namespace stats

void registerStatsDialogs(QWidget* mainWindow)
{
    using namespace stats;
    if (!g_statistics) g_statistics = new TfrmStatisticsRooms(mainWindow);
    platform::registerDialog(platform::dialogs::Statistics, [](QVariantMap&) {
        TfrmStatisticsRooms* dialog = g_statistics;
        return dialog ? dialog->Execute() : platform::kRejected;
    });
}
