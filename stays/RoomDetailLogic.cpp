// The occupied-room detail's logic. See RoomDetailLogic.h for the invariants.

#include "stays/RoomDetailLogic.h"

#include <cmath>

#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace stays {

QString itemTypesSql(const QString& db)
{
    return shell::Sql(u"SELECT * FROM %1 ORDER BY UPNAME", shell::Table(db, u"UCPODEF.DB"));
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

std::optional<shell::Hundredths> czkFromEur(double eur, double rate)
{
    const auto czk = shell::eurToCzk(eur, rate);
    if (!czk) return std::nullopt;
    return shell::hundredthsHalfEven(*czk);
}

std::optional<shell::Hundredths> eurFromCzk(double czk, double rate)
{
    const auto eur = shell::czkToEur(czk, rate);
    if (!eur) return std::nullopt;
    return shell::hundredthsHalfEven(*eur);
}

QString rateText(double rate) { return QString::number(rate, 'f', 4); }

QString accountItemInsertSql(const QString& db, const AccountItem& i)
{
    using shell::QuoteText;
    return shell::Sql(u"INSERT INTO %1 (UID, PID, UPID, DESCR, ITEMDATE, AMNTEUR, AMNTCZK, TAXRATE, RATE, USR, UPMJ, "
                      u"UPMT) VALUES (%2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13)",
                      shell::Table(db, u"UCTYPOL.DB"), i.UID, QuoteText(i.PID), i.UPID, QuoteText(i.DESCR),
                      QuoteText(i.ITEMDATE), shell::NumberForSql(i.EUR), shell::NumberForSql(i.CZK),
                      shell::NumberForSql(i.TAXRATE), rateText(i.RATE), QuoteText(i.USR), QuoteText(i.UPMJ),
                      QuoteText(i.UPMT));
}

QString accountItemsSql(const QString& db, int uid, const QString& pid)
{
    return shell::Sql(u"SELECT * FROM %1 WHERE UID=%2 AND PID=%3 ORDER BY POLID", shell::Table(db, u"UCTYPOL.DB"), uid,
                      shell::QuoteText(pid));
}

QString stayLoadSql(const QString& db, int bid)
{
    return shell::Sql(u"SELECT * FROM %1 WHERE BID=%2", shell::Table(db, u"POBYTY.DB"), bid);
}

QString stayUpdateSql(const QString& db, int bid, const StayChanges& c)
{
    using shell::QuoteText;
    QString prices;
    const std::pair<const char*, const std::optional<QString>*> columns[] = {
        {"PRICEEUR", &c.PRICEEUR}, {"PRICECZK", &c.PRICECZK}, {"MAIDEUR", &c.MAIDEUR}, {"MAIDCZK", &c.MAIDCZK}};
    for (const auto& [name, value] : columns)
        if (*value) prices += shell::Sql(u", %1=%2", name, shell::NumberForSql(**value));
    return shell::Sql(u"UPDATE %1 SET DATETHRU=%2, NUMPERS=%3, BUSINESS=%4%5, USR=%6, UPMJ=%7, UPMT=%8 WHERE BID=%9",
                      shell::Table(db, u"POBYTY.DB"), shell::DateForSql(c.DATETHRU), c.NUMPERS,
                      QuoteText(c.business ? QStringLiteral("1") : QStringLiteral("0")), prices, QuoteText(c.USR),
                      QuoteText(c.UPMJ), QuoteText(c.UPMT), bid);
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
