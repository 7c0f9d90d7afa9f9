// The check-in dialog's statements. See CheckInLogic.h for the invariants.

#include "stays/CheckInLogic.h"

#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace stays {

QString checkInRoomsSql(const QString& db, int kid, const QString& dayText)
{
    return shell::Sql(u"SELECT PID,PNAME FROM %1 AS POB, %2 AS POK  WHERE POB.PID=POK.PID  AND KID=%3  AND DATEFROM=%4  "
                      u"AND (UID is null OR UID=0)  ORDER BY PNAME",
                      shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"POKOJE.DB"), kid, shell::QuoteText(dayText));
}

QString clientFullName(const QString& title, const QString& surname, const QString& name)
{
    return shell::TrimLeft(title + QLatin1Char(' ') + surname + QLatin1Char(' ') + name);
}

QString accountInsertSql(const QString& db, const AccountRow& r)
{
    using shell::QuoteText;
    return shell::Sql(u"INSERT INTO %1 (KID, UFROM, CARDNUM, CARDTYPE, CARDEXP, USR, UPMJ, UPMT) VALUES (%2, %3, %4, %5, "
                      u"%6, %7, %8, %9)",
                      shell::Table(db, u"UCTY.DB"), r.KID, shell::DateForSql(r.UFROM), QuoteText(r.CARDNUM),
                      QuoteText(r.CARDTYPE), QuoteText(r.CARDEXP), QuoteText(r.USR), QuoteText(r.UPMJ),
                      QuoteText(r.UPMT));
}

QString checkInUpdateSql(const QString& db, std::int64_t uid, int kid, const QString& dayText, const QStringList& pids,
                         const QString& date, const QString& time)
{
    QStringList rooms;
    for (const QString& pid : pids) rooms << QStringLiteral("PID=") + shell::QuoteText(pid);
    // No ticked room selects no stay (an empty condition would be a syntax error).
    const QString condition = rooms.isEmpty() ? QStringLiteral("1=0") : rooms.join(QStringLiteral(" OR "));
    return shell::Sql(u"UPDATE %1 SET UID=%2, STATUS=\"H\", DATEIN=%3, TIMEIN=%4 WHERE (UID is null OR UID=0) and "
                      u"(KID=%5) and (DATEFROM=%6) AND (%7)",
                      shell::Table(db, u"POBYTY.DB"), static_cast<qlonglong>(uid), shell::QuoteText(date),
                      shell::QuoteText(time), kid, shell::QuoteText(dayText), condition);
}

}  // namespace stays
