// The registry behind openDialog: form name -> handler. One process-wide table, used only
// from the user-interface thread.
#include "platform/DialogSeam.h"

#include <QHash>

namespace platform {

namespace {
QHash<QString, DialogHandler>& registry()
{
    static QHash<QString, DialogHandler> handlers;
    return handlers;
}
}  // namespace

void registerDialog(const QString& name, DialogHandler handler)
{
    if (handler) registry().insert(name, std::move(handler));
    else registry().remove(name);
}

void unregisterDialog(const QString& name) { registry().remove(name); }

bool hasDialog(const QString& name) { return registry().contains(name); }

int openDialog(const QString& name, QVariantMap& args)
{
    const auto it = registry().constFind(name);
    if (it == registry().constEnd()) return kRejected;
    // A copy, so a handler that re-registers itself does not destroy the running function.
    const DialogHandler handler = *it;
    return handler(args);
}

int openDialog(const QString& name, const QVariantMap& args)
{
    QVariantMap copy = args;
    return openDialog(name, copy);
}

}  // namespace platform
