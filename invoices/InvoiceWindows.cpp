// The invoice's preview through the dialog seam; see InvoiceWindows.h.
#include "invoices/InvoiceWindows.h"

#include <QPointer>
#include <QVariantMap>

#include "engine/Engine.h"
#include "invoices/InvoiceDocument.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "report/PreviewWindow.h"
#include "shell/DataModule.h"

namespace invoices {

namespace {
const QString kCaption = QStringLiteral("Invoice");
QPointer<QWidget> g_owner;
}  // namespace

bool previewInvoice(QWidget* owner, int uid, bool copy, bool quiet)
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    std::optional<InvoiceDocument> document;
    try {
        document = loadInvoiceDocument(dm->db(), dm->DbPrefix(), uid, copy);
    } catch (const std::exception& e) {
        platform::messageBox(owner, TranslateMessage(QStringLiteral("The invoice cannot be read.")) + QStringLiteral("\r\n\r\n")
                                        + QString::fromUtf8(e.what()),
                             TranslateMessage(kCaption), platform::Icon::Warning, platform::Buttons::Ok);
        return false;
    }
    if (!document) {
        if (quiet) return false;
        LangMessageBox(owner, QStringLiteral("This account has no invoice."), kCaption, platform::Icon::Warning,
                       platform::Buttons::Ok);
        return false;
    }
    report::preview(owner, buildInvoiceReport(*document));
    return true;
}

void registerInvoiceDialogs(QWidget* mainWindow)
{
    g_owner = mainWindow;
    platform::registerDialog(QLatin1String(kInvoiceDialog), [](QVariantMap& args) {
        return previewInvoice(g_owner, args.value(QStringLiteral("UID")).toInt(), args.value(QStringLiteral("copy")).toBool(),
                              args.value(QStringLiteral("quiet")).toBool())
                   ? platform::kAccepted
                   : platform::kRejected;
    });
}

void unregisterInvoiceDialogs() { platform::unregisterDialog(QLatin1String(kInvoiceDialog)); }

}  // namespace invoices
