// The fee windows' shared helpers; see FeeWindows.h.
#include "fees/FeeWindows.h"

#include <QSaveFile>

#include "guests/GuestWindows.h"
#include "shell/DataModule.h"

namespace fees {

guests::HotelDetails storedHotel()
{
    TdmDataModule* dm = dmDataModule();
    try {
        if (dm) return guests::hotelDetails(guests::readSettings(dm->db(), dm->DbPrefix()));
    } catch (const std::exception&) {
    }
    return {};
}

bool writeFileOrSay(QWidget* owner, const QString& caption, const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return true;
    guests::warnUser(owner, caption, QStringLiteral("The file cannot be written:"), path + QStringLiteral("\r\n") + f.errorString());
    return false;
}

}  // namespace fees
