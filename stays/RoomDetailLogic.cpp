// The occupied-room detail's logic. See RoomDetailLogic.h for the invariants.

#include "stays/RoomDetailLogic.h"

#include <cmath>

#include "shell/ValueHelpers.h"

namespace stays {

QString itemTypesSql(const QString& db)
{
    return QStringLiteral("SELECT * FROM \"%1UCPODEF.DB\" ORDER BY UPNAME").arg(db);
}

QStringList vatChoices(const TTableUcPoDef& type)
{
    QStringList out;
    for (int rate : {type.UPTAX1, type.UPTAX2})
        if (rate >= 0) out << QString::number(rate);
    return out;
}

std::optional<shell::Hundredths> amountOf(const QString& boxText)
{
    const QString text = shell::NumberForSql(boxText);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return shell::hundredthsHalfEven(value);
}

QString amountText(shell::Hundredths amount)
{
    const shell::Hundredths whole = amount / 100, part = amount % 100;
    const QString sign = amount < 0 ? QStringLiteral("-") : QString();
    return sign + QString::number(whole < 0 ? -whole : whole) + QLatin1Char('.')
        + QString::number(part < 0 ? -part : part).rightJustified(2, QLatin1Char('0'));
}

bool canSaveItem(bool typeChosen, const QString& description, const QString& czkText, bool vatChosen)
{
    const auto czk = amountOf(czkText);
    return typeChosen && !description.isEmpty() && czk && *czk != 0 && vatChosen;
}

std::optional<shell::Hundredths> czkFromEur(shell::Hundredths eur, double rate)
{
    const auto czk = shell::eurToCzk(shell::fromHundredths(eur), rate);
    if (!czk) return std::nullopt;
    return shell::hundredthsHalfEven(*czk);
}

std::optional<shell::Hundredths> eurFromCzk(shell::Hundredths czk, double rate)
{
    const auto eur = shell::czkToEur(shell::fromHundredths(czk), rate);
    if (!eur) return std::nullopt;
    return shell::hundredthsHalfEven(*eur);
}

QString rateText(double rate) { return QString::number(rate, 'f', 4); }

QString accountItemInsertSql(const QString& db, const AccountItem& i)
{
    using shell::QuoteText;
    return QStringLiteral("INSERT INTO \"%1UCTYPOL.DB\" (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, "
                          "RATE, USR, UPMJ, UPMT) VALUES (")
               .arg(db)
        + QString::number(i.UID) + QStringLiteral(", ") + QuoteText(i.PID) + QStringLiteral(", ")
        + QString::number(i.UPID) + QStringLiteral(", ") + QuoteText(i.DESCR) + QStringLiteral(", ")
        + QuoteText(i.ITEMDATE) + QStringLiteral(", ") + amountText(i.EUR) + QStringLiteral(", ") + amountText(i.CZK)
        + QStringLiteral(", ") + shell::NumberForSql(i.TAXRATE) + QStringLiteral(", ") + rateText(i.RATE)
        + QStringLiteral(", ") + QuoteText(i.USR) + QStringLiteral(", ") + QuoteText(i.UPMJ) + QStringLiteral(", ")
        + QuoteText(i.UPMT) + QStringLiteral(")");
}

QString accountItemsSql(const QString& db, int uid, const QString& pid)
{
    return QStringLiteral("SELECT * FROM \"%1UCTYPOL.DB\" WHERE UID=%2 AND PID=%3 ORDER BY POLID")
        .arg(db)
        .arg(uid)
        .arg(shell::QuoteText(pid));
}

QString stayLoadSql(const QString& db, int bid)
{
    return QStringLiteral("SELECT * FROM \"%1POBYTY.DB\" WHERE BID=%2").arg(db).arg(bid);
}

QString stayUpdateSql(const QString& db, int bid, const StayChanges& c)
{
    using shell::QuoteText;
    return QStringLiteral("UPDATE \"%1POBYTY.DB\" SET DATETHRU=").arg(db) + shell::DateForSql(c.DATETHRU)
        + QStringLiteral(", NUMPERS=") + QString::number(c.NUMPERS) + QStringLiteral(", BUSINESS=")
        + QuoteText(c.business ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral(", PRICEEUR=")
        + amountText(c.PRICEEUR) + QStringLiteral(", PRICECZK=") + amountText(c.PRICECZK)
        + QStringLiteral(", MAIDEUR=") + amountText(c.MAIDEUR) + QStringLiteral(", MAIDCZK=") + amountText(c.MAIDCZK)
        + QStringLiteral(", USR=") + QuoteText(c.USR) + QStringLiteral(", UPMJ=") + QuoteText(c.UPMJ)
        + QStringLiteral(", UPMT=") + QuoteText(c.UPMT) + QStringLiteral(" WHERE BID=") + QString::number(bid);
}

bool departureInvalid(std::optional<int> dateFrom, std::optional<int> dateThru, int today)
{
    return !dateFrom || !dateThru || *dateFrom >= *dateThru || *dateThru < today;
}

StayIssue stayIssue(std::optional<int> dateFrom, std::optional<int> dateThru, int today, int persons)
{
    if (departureInvalid(dateFrom, dateThru, today)) return StayIssue::DatesInvalid;
    if (persons <= 0) return StayIssue::PersonsNotPositive;
    return StayIssue::None;
}

QString stayIssueMessage(StayIssue issue)
{
    switch (issue) {
    case StayIssue::DatesInvalid:
        return QStringLiteral("Date invalid\r\n\r\n(must be greater then Date From and greater or equal to today");
    case StayIssue::PersonsNotPositive: return QStringLiteral("Number of persons must be grater then zero.");
    case StayIssue::None: break;
    }
    return {};
}

}  // namespace stays
