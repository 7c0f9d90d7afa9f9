// The check-in dialog's statements. See CheckInLogic.h for the invariants.

#include "stays/CheckInLogic.h"

#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace stays {

QString checkInRoomsSql(const QString& db, int kid, const QString& dayText)
{
    return QStringLiteral("SELECT PID,PNAME FROM \"%1POBYTY.DB\" AS POB, \"%1POKOJE.DB\" AS POK  WHERE POB.PID=POK.PID  "
                          "AND KID=%2  AND DATEFROM=%3  ORDER BY PNAME")
        .arg(db)
        .arg(kid)
        .arg(shell::QuoteText(dayText));
}

QString clientFullName(const QString& title, const QString& surname, const QString& name)
{
    return shell::TrimLeft(title + QLatin1Char(' ') + surname + QLatin1Char(' ') + name);
}

QString accountInsertSql(const QString& db, const AccountRow& r)
{
    using shell::QuoteText;
    return QStringLiteral("INSERT INTO \"%1UCTY.DB\" (KID, UFROM, CARDNUM, CARDTYPE, CARDEXP, USR, UPMJ, UPMT) VALUES (")
               .arg(db)
        + QString::number(r.KID) + QStringLiteral(", ") + shell::DateForSql(r.UFROM) + QStringLiteral(", ")
        + QuoteText(r.CARDNUM) + QStringLiteral(", ") + QuoteText(r.CARDTYPE) + QStringLiteral(", ")
        + QuoteText(r.CARDEXP) + QStringLiteral(", ") + QuoteText(r.USR) + QStringLiteral(", ") + QuoteText(r.UPMJ)
        + QStringLiteral(", ") + QuoteText(r.UPMT) + QStringLiteral(")");
}

QString checkInUpdateSql(const QString& db, std::int64_t uid, int kid, int bid, const QStringList& pids,
                         const QString& date, const QString& time)
{
    QStringList rooms;
    for (const QString& pid : pids) rooms << QStringLiteral("PID=") + shell::QuoteText(pid);
    // No ticked room selects no stay (an empty condition would be a syntax error).
    const QString condition = rooms.isEmpty() ? QStringLiteral("1=0") : rooms.join(QStringLiteral(" OR "));
    return QStringLiteral("UPDATE \"%1POBYTY.DB\" SET UID=%2, STATUS=\"H\", DATEIN=%3, TIMEIN=%4 WHERE (UID is null "
                          "OR UID=0) and (KID=%5) and (BID=%6) AND (%7)")
        .arg(db)
        .arg(uid)
        .arg(shell::QuoteText(date), shell::QuoteText(time))
        .arg(kid)
        .arg(bid)
        .arg(condition);
}

}  // namespace stays
