// registerConfirmationDialogs: the confirmation made once and opened by form name.
//
// Invariants: see RegisterConfirmation.h.

#include "documents/RegisterConfirmation.h"

#include <QPointer>
#include <QVariantMap>

#include "documents/TfrmConfirmation.h"
#include "documents/TrepConfirmation.h"
#include "platform/DialogSeam.h"

namespace documents {

namespace {
QPointer<TrepConfirmation> g_report;
QPointer<TfrmConfirmation> g_dialog;
}  // namespace

TrepConfirmation* confirmationReport() { return g_report; }
TfrmConfirmation* confirmationDialog() { return g_dialog; }

void unregisterConfirmationDialogs()
{
    platform::unregisterDialog(kConfirmation);
    delete g_dialog.data();
    delete g_report.data();
    g_dialog = nullptr;
    g_report = nullptr;
}

}  // namespace documents

void registerConfirmationDialogs(QWidget* mainWindow)
{
    using namespace documents;
    if (!g_report) {
        g_report = new TrepConfirmation(mainWindow);
        g_report->owner = mainWindow;
    }
    if (!g_dialog) g_dialog = new TfrmConfirmation(g_report, mainWindow);
    platform::registerDialog(kConfirmation, [](QVariantMap& args) {
        TfrmConfirmation* dialog = g_dialog;
        if (!dialog) return platform::kRejected;
        dialog->BID = args.value(QStringLiteral("BID")).toInt();
        return dialog->Execute();
    });
}
