// The shared checks and messages of the guest book's windows; see GuestWindows.h.
#include "guests/GuestWindows.h"

#include "guests/Guest.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"

namespace guests {

void warnUser(QWidget* owner, const QString& caption, const QString& message, const QString& detail)
{
    QString text = TranslateMessage(message);
    if (!detail.isEmpty()) text += QStringLiteral("\r\n\r\n") + detail;
    platform::messageBox(owner, text, TranslateMessage(caption), platform::Icon::Warning, platform::Buttons::Ok);
}

bool guestBookReadyOrSay(QWidget* owner, TdmDataModule* dm, const QString& caption)
{
    if (dm && guestBookReady(dm->db(), dm->DbPrefix())) return true;
    const QString where = dm ? (dm->DbPrefix().isEmpty() ? QString::fromStdString(dm->db().workingFolder()) : dm->DbPrefix())
                             : QString();
    warnUser(owner, caption,
             QStringLiteral("The guest book is not set up in this database. The rest of the program works as before; "
                            "to add the guest book, close the program and run:"),
             QStringLiteral("tamarel-db upgrade ") + where);
    return false;
}

}  // namespace guests
