// registerCalendarsDialogs: the feeds window and the synchronisation and export commands in
// the dialog seam.
#include "calendars/RegisterCalendars.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QPointer>
#include <QVariantMap>
#include <exception>

#include "calendars/CalendarExport.h"
#include "calendars/CalendarSync.h"
#include "calendars/TfrmCalendars.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace calendars {

namespace {
QPointer<TfrmCalendars> g_window;
QPointer<QWidget> g_owner;
bool g_reading = false;
QString g_lastSaid;         // the timer's last message
QString g_exportSeen;       // what the last export was made from
QString g_exportProblem;    // the last export failure said

const QString kCaption = QStringLiteral("Calendars");

// Reads every feed; 1 when stays changed, -1 when a reading was already running.
int readFeeds(bool fromTimer)
{
    TdmDataModule* dm = dmDataModule();
    if (!dm || g_reading) return -1;
    g_reading = true;
    SyncReport report;
    QString failure;
    try {
        Store store(dm->db(), dm->DbPrefix());
        QList<Feed> feeds;
        int interval = 30;
        try {
            feeds = store.feeds();
            interval = store.settings().intervalMinutes;
        } catch (const std::exception&) {
            // A database without the calendar tables (not upgraded yet) has no feeds: the
            // timer keeps quiet, the menu command says why.
            if (fromTimer) feeds.clear();
            else throw;
        }
        if (fromTimer && (feeds.isEmpty() || !syncDue(feeds, platform::now(), interval))) {
            g_reading = false;
            return 0;
        }
        SyncOptions o;
        o.today = shell::TodayNumber();
        o.now = platform::now();
        o.tr = [](const QString& s) { return TranslateMessage(s); };
        if (!fromTimer) QApplication::setOverrideCursor(Qt::WaitCursor);
        report = synchronise(store, o);
        if (!fromTimer) QApplication::restoreOverrideCursor();
    } catch (const std::exception& e) {
        if (!fromTimer) QApplication::restoreOverrideCursor();
        failure = TranslateMessage(QStringLiteral("The calendars cannot be synchronised:")) + QStringLiteral("\r\n") + QString::fromUtf8(e.what());
    }
    g_reading = false;
    const QString text = failure.isEmpty() ? report.text([](const QString& s) { return TranslateMessage(s); }) : failure;
    const bool attention = !failure.isEmpty() || report.somethingToSay();
    if (!fromTimer || (attention && text != g_lastSaid)) {
        LangMessageBox(g_owner, text, kCaption, attention ? platform::Icon::Warning : platform::Icon::Information, platform::Buttons::Ok);
        if (fromTimer) g_lastSaid = text;
    }
    return report.added + report.moved + report.removed > 0 ? 1 : 0;
}

// What an export is made from: on table files the files it reads and the day; on a server
// nothing is known of other desks' changes here, so every reload exports.
QString exportSource(TdmDataModule& dm, const Settings& s)
{
    if (dm.onServer()) return {};
    QString seen = s.exportFolder + QLatin1Char('|') + QString::number(s.names) + QLatin1Char('|') + QString::number(shell::TodayNumber());
    for (const char* file : {"POBYTY.DB", "KARTY.DB", "POKOJE.DB", "KALENDARE.DB"}) {
        const QFileInfo info(dm.DbPrefix() + QLatin1String(file));
        seen += QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':') + QString::number(info.size());
    }
    return seen;
}

int exportNow()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return platform::kRejected;
    Settings s;
    try {
        s = Store(dm->db(), dm->DbPrefix()).settings();
    } catch (const std::exception&) {
        return platform::kRejected;  // no calendar tables yet: nothing is exported
    }
    if (s.exportFolder.isEmpty()) return platform::kRejected;
    try {
        const QString seen = exportSource(*dm, s);
        if (!seen.isEmpty() && seen == g_exportSeen) return platform::kAccepted;
        exportCalendars(dm->db(), dm->DbPrefix(), s.exportFolder, shell::TodayNumber(), s.names);
        g_exportSeen = seen;
        g_exportProblem.clear();
        return platform::kAccepted;
    } catch (const std::exception& e) {
        const QString problem = QString::fromUtf8(e.what());
        if (problem != g_exportProblem) {
            g_exportProblem = problem;
            LangMessageBox(g_owner, TranslateMessage(QStringLiteral("The rooms' calendars cannot be exported:")) + QStringLiteral("\r\n") + problem,
                           kCaption, platform::Icon::Warning, platform::Buttons::Ok);
        }
        return platform::kRejected;
    }
}
}  // namespace

TfrmCalendars* calendarsWindow() { return g_window; }

void registerCalendarsDialogs(QWidget* mainWindow)
{
    g_owner = mainWindow;
    if (!g_window) g_window = new TfrmCalendars(mainWindow);
    platform::registerDialog(platform::dialogs::Calendars, [](QVariantMap&) {
        if (!g_window) return platform::kRejected;
        const int result = g_window->Execute() == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
        g_exportSeen.clear();  // the settings may have changed
        return result;
    });
    platform::registerDialog(platform::dialogs::SyncCalendars,
                             [](QVariantMap&) { return readFeeds(false) > 0 ? platform::kAccepted : platform::kRejected; });
    platform::registerDialog(platform::dialogs::CalendarsTimer, [](QVariantMap&) {
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return platform::kRejected;
        return readFeeds(true) > 0 ? platform::kAccepted : platform::kRejected;
    });
    platform::registerDialog(platform::dialogs::ExportCalendars, [](QVariantMap&) { return exportNow(); });
}

void unregisterCalendarsDialogs()
{
    platform::unregisterDialog(platform::dialogs::Calendars);
    platform::unregisterDialog(platform::dialogs::SyncCalendars);
    platform::unregisterDialog(platform::dialogs::CalendarsTimer);
    platform::unregisterDialog(platform::dialogs::ExportCalendars);
    delete g_window.data();
    g_window = nullptr;
    g_exportSeen.clear();
    g_exportProblem.clear();
    g_lastSaid.clear();
}

}  // namespace calendars
