// registerClientDialogs: the client windows made once and opened by form name through the
// dialog seam.
//
// Invariants: see RegisterClients.h.

#include "clients/RegisterClients.h"

#include <QVariantMap>

#include "platform/DialogSeam.h"
#include "clients/TfrmBrowseClientCard.h"
#include "clients/TfrmClientDetail.h"
#include "clients/TfrmFindClientCard.h"
#ifdef TAMAREL_HAVE_TABLEGRID
#include "clients/TfrmKnowsFrom.h"
#endif

namespace clients {

namespace {
ClientDialogs g_dialogs;
}

const ClientDialogs& clientDialogs() { return g_dialogs; }

void unregisterClientDialogs()
{
    for (const QString& name : {kClientDetail, kFindClientCard, kBrowseClientCard, kKnowsFrom})
        platform::unregisterDialog(name);
    // The card dialog last: the lists hold a pointer to it.
    delete g_dialogs.frmBrowseClientCard.data();
    delete g_dialogs.frmFindClientCard.data();
#ifdef TAMAREL_HAVE_TABLEGRID
    delete g_dialogs.frmKnowsFrom.data();
#endif
    delete g_dialogs.frmClientDetail.data();
    g_dialogs = ClientDialogs{};
}

}  // namespace clients

void registerClientDialogs(QWidget* mainWindow)
{
    using namespace clients;
    if (!g_dialogs.frmClientDetail) {
        g_dialogs.frmClientDetail = new TfrmClientDetail(mainWindow);
        g_dialogs.frmFindClientCard = new TfrmFindClientCard(g_dialogs.frmClientDetail, mainWindow);
        g_dialogs.frmBrowseClientCard = new TfrmBrowseClientCard(g_dialogs.frmClientDetail, mainWindow);
#ifdef TAMAREL_HAVE_TABLEGRID
        g_dialogs.frmKnowsFrom = new TfrmKnowsFrom(mainWindow);
#endif
    }

    platform::registerDialog(kClientDetail, [](QVariantMap& args) {
        TfrmClientDetail* dialog = g_dialogs.frmClientDetail;
        return dialog ? dialog->Execute(args.value(QStringLiteral("KID")).toInt()) : platform::kRejected;
    });
    platform::registerDialog(kFindClientCard, [](QVariantMap& args) {
        TfrmFindClientCard* dialog = g_dialogs.frmFindClientCard;
        if (!dialog) return platform::kRejected;
        const int result = dialog->Execute();
        args.insert(QStringLiteral("KID"), dialog->KID);
        return result;
    });
    platform::registerDialog(kBrowseClientCard, [](QVariantMap&) {
        TfrmBrowseClientCard* dialog = g_dialogs.frmBrowseClientCard;
        return dialog ? dialog->Execute() : platform::kRejected;
    });
#ifdef TAMAREL_HAVE_TABLEGRID
    platform::registerDialog(kKnowsFrom, [](QVariantMap&) {
        TfrmKnowsFrom* dialog = g_dialogs.frmKnowsFrom;
        return dialog ? dialog->Execute() : platform::kRejected;
    });
#endif
}
