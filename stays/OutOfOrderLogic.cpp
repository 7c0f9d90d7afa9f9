// The out-of-order dialog's logic. See OutOfOrderLogic.h for the invariants.

#include "stays/OutOfOrderLogic.h"

#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace stays {

OutOfOrderIssue outOfOrderIssue(bool roomChosen, std::optional<int> dateFrom, std::optional<int> dateThru)
{
    if (!roomChosen) return OutOfOrderIssue::NoRoom;
    if (!dateFrom || !dateThru) return OutOfOrderIssue::DatesMissing;
    if (*dateThru <= *dateFrom) return OutOfOrderIssue::DatesInOrder;
    return OutOfOrderIssue::None;
}

QString outOfOrderIssueMessage(OutOfOrderIssue issue)
{
    switch (issue) {
    case OutOfOrderIssue::NoRoom: return QStringLiteral("No room selected");
    case OutOfOrderIssue::DatesMissing: return QStringLiteral("Dates from and thru must be selected");
    case OutOfOrderIssue::DatesInOrder: return QStringLiteral("Date From must be less then Date Thru");
    case OutOfOrderIssue::None: break;
    }
    return {};
}

QString outOfOrderInsertSql(const QString& db, const OutOfOrderRow& r)
{
    using shell::QuoteText;
    return shell::Sql(u"INSERT INTO %1 (PID, DATEFROM, DATETHRU, BOOKEDFOR, STATUS, KID, UID, USR, UPMJ, UPMT) VALUES "
                      u"(%2, %3, %4, %5, \"X\", 0, 0, %6, %7, %8)",
                      shell::Table(db, u"POBYTY.DB"), QuoteText(r.PID), shell::DateForSql(r.DATEFROM),
                      shell::DateForSql(r.DATETHRU), QuoteText(r.BOOKEDFOR), QuoteText(r.USR), QuoteText(r.UPMJ),
                      QuoteText(r.UPMT));
}

QString outOfOrderUpdateSql(const QString& db, int bid, const OutOfOrderRow& r)
{
    using shell::QuoteText;
    return shell::Sql(u"UPDATE %1 SET PID=%2, DATEFROM=%3, DATETHRU=%4, BOOKEDFOR=%5, STATUS=\"X\", KID=0, UID=0, "
                      u"USR=%6, UPMJ=%7, UPMT=%8 WHERE BID=%9 AND STATUS=\"X\"",
                      shell::Table(db, u"POBYTY.DB"), QuoteText(r.PID), shell::DateForSql(r.DATEFROM),
                      shell::DateForSql(r.DATETHRU), QuoteText(r.BOOKEDFOR), QuoteText(r.USR), QuoteText(r.UPMJ),
                      QuoteText(r.UPMT), bid);
}

QString outOfOrderDeleteSql(const QString& db, int bid)
{
    return shell::Sql(u"DELETE FROM %1 WHERE BID=%2 AND STATUS=\"X\"", shell::Table(db, u"POBYTY.DB"), bid);
}

QString outOfOrderLoadSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT * FROM %1 WHERE BID=%2 AND STATUS=\"X\"", shell::Table(db, u"POBYTY.DB"), bid);
}

QString outOfOrderRoomsSql(const QString& db)
{
    return shell::Sql(u"SELECT PID,PNAME FROM %1 ORDER BY PID", shell::Table(db, u"POKOJE.DB"));
}

}  // namespace stays
