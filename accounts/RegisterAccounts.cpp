// The account windows' and commands' entries in the dialog seam.
//
// Invariants: see RegisterAccounts.h.

#include "accounts/RegisterAccounts.h"

#include <QPointer>
#include <QVariantMap>

#include "accounts/AccountCommands.h"
#include "accounts/TfrmCloseAccount.h"
#include "accounts/TfrmPolozkyUctu.h"
#include "accounts/TfrmReviseAcctItems.h"
#include "platform/DialogSeam.h"

namespace accounts {

namespace {
QPointer<TfrmPolozkyUctu> g_items;
QPointer<TfrmCloseAccount> g_close;
QPointer<TfrmReviseAcctItems> g_revise;

int uidOf(const QVariantMap& args) { return args.value(QStringLiteral("UID")).toInt(); }
}  // namespace

void registerAccountItemsDialog(QWidget* mainWindow)
{
    if (!g_items) g_items = new TfrmPolozkyUctu(mainWindow);
    platform::registerDialog(platform::dialogs::AccountItems, [](QVariantMap&) {
        return g_items ? g_items->Execute() : platform::kRejected;
    });
}

void registerCloseAccountDialog(QWidget* mainWindow)
{
    if (!g_close) g_close = new TfrmCloseAccount(mainWindow);
    platform::registerDialog(kCloseAccount, [](QVariantMap& args) {
        if (!g_close) return platform::kRejected;
        g_close->UID = uidOf(args);
        return g_close->Execute();
    });
    registerAccountCommands();
}

void registerReviseItemsDialog(QWidget* mainWindow)
{
    if (!g_revise) g_revise = new TfrmReviseAcctItems(mainWindow);
    platform::registerDialog(kReviseAcctItems, [](QVariantMap& args) {
        if (!g_revise) return platform::kRejected;
        g_revise->UID = uidOf(args);
        return g_revise->Execute();
    });
}

void unregisterAccountDialogs()
{
    unregisterAccountCommands();
    for (const QString& name : {platform::dialogs::AccountItems, kCloseAccount, kReviseAcctItems})
        platform::unregisterDialog(name);
    delete g_revise.data();
    delete g_close.data();
    delete g_items.data();
}

TfrmPolozkyUctu* accountItemsDialog() { return g_items; }
TfrmCloseAccount* closeAccountDialog() { return g_close; }
TfrmReviseAcctItems* reviseItemsDialog() { return g_revise; }

}  // namespace accounts
