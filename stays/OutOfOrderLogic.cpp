// The out-of-order dialog's logic. See OutOfOrderLogic.h for the invariants.

#include "stays/OutOfOrderLogic.h"

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
    return QStringLiteral("INSERT INTO \"%1POBYTY.DB\" (PID, DATEFROM, DATETHRU, BOOKEDFOR, STATUS, KID, UID, USR, UPMJ, "
                          "UPMT) VALUES (")
               .arg(db)
        + QuoteText(r.PID) + QStringLiteral(", ") + shell::DateForSql(r.DATEFROM) + QStringLiteral(", ")
        + shell::DateForSql(r.DATETHRU) + QStringLiteral(", ") + QuoteText(r.BOOKEDFOR)
        + QStringLiteral(", \"X\", 0, 0, ") + QuoteText(r.USR) + QStringLiteral(", ") + QuoteText(r.UPMJ)
        + QStringLiteral(", ") + QuoteText(r.UPMT) + QStringLiteral(")");
}

QString outOfOrderUpdateSql(const QString& db, int bid, const OutOfOrderRow& r)
{
    using shell::QuoteText;
    return QStringLiteral("UPDATE \"%1POBYTY.DB\" SET PID=").arg(db) + QuoteText(r.PID) + QStringLiteral(", DATEFROM=")
        + shell::DateForSql(r.DATEFROM) + QStringLiteral(", DATETHRU=") + shell::DateForSql(r.DATETHRU)
        + QStringLiteral(", BOOKEDFOR=") + QuoteText(r.BOOKEDFOR)
        + QStringLiteral(", STATUS=\"X\", KID=0, UID=0, USR=") + QuoteText(r.USR) + QStringLiteral(", UPMJ=")
        + QuoteText(r.UPMJ) + QStringLiteral(", UPMT=") + QuoteText(r.UPMT) + QStringLiteral(" WHERE BID=")
        + QString::number(bid) + QStringLiteral(" AND STATUS=\"X\"");
}

QString outOfOrderDeleteSql(const QString& db, int bid)
{
    return QStringLiteral("DELETE FROM \"%1POBYTY.DB\" WHERE BID=%2 AND STATUS=\"X\"").arg(db).arg(bid);
}

QString outOfOrderLoadSql(const QString& db, int bid)
{
    return QStringLiteral("SELECT * FROM \"%1POBYTY.DB\" WHERE BID=%2 AND STATUS=\"X\"").arg(db).arg(bid);
}

}  // namespace stays
