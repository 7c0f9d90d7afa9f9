// registerLabelsDialogs: the label report and its print dialog made once and opened by name.
//
// Invariants: see RegisterLabels.h.

#include "documents/RegisterLabels.h"

#include <QPointer>
#include <QVariantMap>

#include "documents/TfrmClientLabels.h"
#include "documents/TfrmPrintLabels.h"
#include "platform/DialogSeam.h"

namespace documents {

namespace {
QPointer<TfrmClientLabels> g_labels;
QPointer<TfrmPrintLabels> g_dialog;
}  // namespace

TfrmClientLabels* clientLabels() { return g_labels; }
TfrmPrintLabels* printLabelsDialog() { return g_dialog; }

void unregisterLabelsDialogs()
{
    platform::unregisterDialog(platform::dialogs::Labels);
    delete g_dialog.data();
    delete g_labels.data();
    g_dialog = nullptr;
    g_labels = nullptr;
}

}  // namespace documents

void registerLabelsDialogs(QWidget* mainWindow)
{
    using namespace documents;
    if (!g_labels) g_labels = new TfrmClientLabels(mainWindow);
    if (!g_dialog) g_dialog = new TfrmPrintLabels(g_labels, mainWindow);
    platform::registerDialog(platform::dialogs::Labels, [](QVariantMap&) {
        TfrmPrintLabels* dialog = g_dialog;
        return dialog ? dialog->Execute() : platform::kRejected;
    });
}
