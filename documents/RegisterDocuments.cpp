// The printed documents' windows in the dialog seam.
//
// Invariants: see RegisterDocuments.h.

#include "documents/RegisterDocuments.h"

#include <QPointer>
#include <QVariantMap>

#include "documents/TfrmPrintAccounts.h"
#include "documents/TfrmRegCard.h"
#include "documents/TqrpRegistrationCard.h"
#include "documents/TrepAccount.h"
#include "platform/DialogSeam.h"

namespace documents {

namespace {
QPointer<TrepAccount> g_repAccount;
QPointer<TfrmPrintAccounts> g_printAccounts;
QPointer<TqrpRegistrationCard> g_qrpRegistrationCard;
QPointer<TfrmRegCard> g_regCard;
}  // namespace

TrepAccount* repAccount() { return g_repAccount; }
TfrmPrintAccounts* printAccountsDialog() { return g_printAccounts; }
TqrpRegistrationCard* qrpRegistrationCard() { return g_qrpRegistrationCard; }
TfrmRegCard* regCardDialog() { return g_regCard; }

void unregisterAccountPrintout()
{
    platform::unregisterDialog(QLatin1String(kPrintAccounts));
    delete g_printAccounts.data();
    delete g_repAccount.data();
}

void unregisterRegistrationCard()
{
    platform::unregisterDialog(QLatin1String(kRegCard));
    delete g_regCard.data();
    delete g_qrpRegistrationCard.data();
}

}  // namespace documents

void registerAccountPrintout(QWidget* mainWindow)
{
    using namespace documents;
    if (!g_repAccount) g_repAccount = new TrepAccount(mainWindow);
    if (!g_printAccounts) g_printAccounts = new TfrmPrintAccounts(g_repAccount, mainWindow);
    platform::registerDialog(QLatin1String(kPrintAccounts), [](QVariantMap& args) {
        TfrmPrintAccounts* dialog = g_printAccounts;
        if (!dialog) return platform::kRejected;
        return dialog->Execute(args.value(QStringLiteral("UID")).toInt());
    });
}

void registerRegistrationCard(QWidget* mainWindow)
{
    using namespace documents;
    if (!g_qrpRegistrationCard) g_qrpRegistrationCard = new TqrpRegistrationCard(mainWindow);
    if (!g_regCard) g_regCard = new TfrmRegCard(g_qrpRegistrationCard, mainWindow);
    platform::registerDialog(QLatin1String(kRegCard), [](QVariantMap& args) {
        TfrmRegCard* dialog = g_regCard;
        if (!dialog) return platform::kRejected;
        return dialog->Execute(args.value(QStringLiteral("BID")).toInt());
    });
}
