// The fee's charge at check-out; see FeeCharge.h.
#include "fees/FeeCharge.h"

#include "engine/Engine.h"
#include "guests/HotelSettings.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace fees {

std::optional<CheckOutFee> checkOutFee(engine::Database& db, const QString& prefix, int bid, const QString& roomName,
                                       bool czech)
{
    if (!guests::guestBookReady(db, prefix)) return std::nullopt;
    const FeeRules rules = feeRules(guests::readSettings(db, prefix));
    if (!rules.onAccount || rules.rate <= 0) return std::nullopt;
    const StayFee fee = stayFee(guests::stayGuests(db, prefix, bid), rules);
    if (fee.amount <= 0) return std::nullopt;
    const QString name = QString::fromUtf8(czech ? kFeeTypeCzech : kFeeTypeEnglish);
    return CheckOutFee{fee, roomName.isEmpty() ? name : name + QStringLiteral(" - ") + roomName};
}

int feeItemType(engine::Change& change, const QString& prefix, bool czech)
{
    const QString table = shell::Table(prefix, u"UCPODEF.DB");
    {
        auto q = change.open(shell::Sql(u"SELECT UPID FROM %1 WHERE UPNAME=%2 OR UPNAME=%3 ORDER BY UPID", table,
                                        shell::QuoteText(QString::fromUtf8(kFeeTypeEnglish)),
                                        shell::QuoteText(QString::fromUtf8(kFeeTypeCzech)))
                                .toStdString());
        if (q->next()) return int(q->integer(0));
    }
    int upid = 1;
    {
        auto q = change.open(shell::Sql(u"SELECT MAX(UPID) AS M FROM %1", table).toStdString());
        if (q->next() && !q->isNull(0)) upid = int(q->integer(0)) + 1;
    }
    change.execute(shell::Sql(u"INSERT INTO %1 (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (%2, %3, 0, -1)", table, upid,
                              shell::QuoteText(QString::fromUtf8(czech ? kFeeTypeCzech : kFeeTypeEnglish)))
                       .toStdString());
    return upid;
}

}  // namespace fees
