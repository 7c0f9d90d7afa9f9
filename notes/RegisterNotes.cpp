// registerNotesDialogs: the notes list, detail and reminder pop-up made once and opened by
// form name through the dialog seam.
//
// Invariants: see RegisterNotes.h.

#include "notes/RegisterNotes.h"

#include <QPointer>
#include <QVariantMap>

#include "notes/TfrmNotesRemDetail.h"
#include "notes/TfrmNotesReminder.h"
#include "notes/TfrmReminder.h"
#include "platform/DialogSeam.h"

namespace notes {

namespace {
QPointer<TfrmNotesReminder> g_list;
QPointer<TfrmNotesRemDetail> g_detail;
QPointer<TfrmReminder> g_reminder;
}  // namespace

TfrmNotesReminder* notesReminderDialog() { return g_list; }
TfrmNotesRemDetail* notesRemDetailDialog() { return g_detail; }
TfrmReminder* reminderDialog() { return g_reminder; }

void unregisterNotesDialogs()
{
    platform::unregisterDialog(platform::dialogs::NotesReminder);
    platform::unregisterDialog(platform::dialogs::Reminder);
    // The list before the detail: it holds a pointer to it.
    delete g_list.data();
    delete g_detail.data();
    delete g_reminder.data();
}

}  // namespace notes

void registerNotesDialogs(QWidget* mainWindow)
{
    using namespace notes;
    if (!g_list) {
        // In the creation order of the windows: list, detail, pop-up.
        g_list = new TfrmNotesReminder(mainWindow);
        g_detail = new TfrmNotesRemDetail(mainWindow);
        g_list->setDetail(g_detail);
        g_reminder = new TfrmReminder(mainWindow);
    }
    platform::registerDialog(platform::dialogs::NotesReminder, [](QVariantMap&) {
        TfrmNotesReminder* dialog = g_list;
        return dialog ? dialog->Execute() : platform::kRejected;
    });
    platform::registerDialog(platform::dialogs::Reminder, [](QVariantMap& args) {
        TfrmReminder* dialog = g_reminder;
        bool shown = false;
        const int result = dialog ? dialog->Execute(args.value(QStringLiteral("RMID")).toInt(),
                                                    args.value(QStringLiteral("bringForward"), true).toBool(), &shown)
                                  : platform::kRejected;
        args.insert(QStringLiteral("shown"), shown);
        return result;
    });
}
