// The account commands' and windows' logic: statement texts, check-out amounts and
// descriptions, totals conversion, revision stepping and the items list filter.
//
// Invariants: see AccountLogic.h.

#include "accounts/AccountLogic.h"

#include <cstdlib>

#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace accounts {

using shell::Sql;
using shell::Table;

CheckOutAmounts checkOutAmounts(const CheckOutStay& stay, bool pricePerPerson)
{
    const double factor = pricePerPerson ? stay.NUMPERS : 1;
    CheckOutAmounts a;
    a.accommodationEur = shell::hundredthsHalfEven(stay.PRICEEUR * factor);
    a.accommodationCzk = shell::hundredthsHalfEven(stay.PRICECZK * factor);
    a.maidEur = shell::hundredthsHalfEven(stay.MAIDEUR);
    a.maidCzk = shell::hundredthsHalfEven(stay.MAIDCZK);
    return a;
}

const QList<TypeLookup>& accommodationLookups()
{
    static const QList<TypeLookup> lookups = {
        {QStringLiteral("UPNAME"), QStringLiteral("Accomodation")},
        {QStringLiteral("UPNAME"), QStringLiteral("Ubytování")},
        {QStringLiteral("UPNAME"), QStringLiteral("comodat")},
        {QStringLiteral("UPID"), QStringLiteral("1")},
    };
    return lookups;
}

const QList<TypeLookup>& maidLookups()
{
    static const QList<TypeLookup> lookups = {
        {QStringLiteral("UPNAME"), QStringLiteral("Maid service")},
        {QStringLiteral("UPNAME"), QStringLiteral("aid serv")},
        {QStringLiteral("UPNAME"), QStringLiteral("Maid Service")},
        {QStringLiteral("UPNAME"), QStringLiteral("Pokojová služba")},
    };
    return lookups;
}

std::optional<int> checkOutTaxRate(int firstRate, int secondRate)
{
    if (firstRate >= 0) return firstRate;
    if (secondRate >= 0) return secondRate;
    return std::nullopt;
}

ItemDescriptions checkOutDescriptions(const QString& roomName, bool czech)
{
    const QString separator = QStringLiteral(" - ");
    if (czech) return {QStringLiteral("Ubytování") + separator + roomName, QStringLiteral("Pokojová služba") + separator + roomName};
    return {QStringLiteral("Accomodation") + separator + roomName, QStringLiteral("Maid service") + separator + roomName};
}

QString moneyText(shell::Hundredths amount)
{
    const shell::Hundredths whole = std::llabs(amount) / 100, cents = std::llabs(amount) % 100;
    return (amount < 0 ? QStringLiteral("-") : QString()) + QString::number(whole) + QLatin1Char('.')
        + QString::number(cents).rightJustified(2, QLatin1Char('0'));
}

QString rateText(double rate) { return QString::number(rate, 'f', 4); }

QString stayByBidSql(const QString& prefix, int bid)
{
    return Sql(u"SELECT * FROM %1 WHERE BID=%2", Table(prefix, u"POBYTY.DB"), bid);
}

QString checkOutStaySql(const QString& prefix, int bid, const QString& today, const QString& now)
{
    return Sql(u"UPDATE %1 SET STATUS=\"O\", DATEOUT=%2, TIMEOU=%3 WHERE (BID=%4) AND (STATUS=\"H\")",
               Table(prefix, u"POBYTY.DB"), shell::QuoteText(today), shell::QuoteText(now), bid);
}

QString insertAccountItemSql(const QString& prefix, const AccountItem& item)
{
    return Sql(u"INSERT INTO %1 (UID,PID,UPID,DESCR,ITEMDATE,AMNTEUR,AMNTCZK,TAXRATE,RATE,USR,UPMJ,UPMT) "
               u"VALUES (%2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13)",
               Table(prefix, u"UCTYPOL.DB"), item.UID, shell::QuoteText(item.PID), item.UPID,
               shell::QuoteText(item.DESCR), shell::QuoteText(item.ITEMDATE), moneyText(item.eur), moneyText(item.czk),
               QString::number(item.taxRate, 'g', 15), rateText(item.rate), shell::QuoteText(item.user),
               shell::QuoteText(item.changedDate), shell::QuoteText(item.changedTime));
}

QString stillCheckedInSql(const QString& prefix, int uid, int kid)
{
    return Sql(u"SELECT * from %1 WHERE UID=%2 and (KID=%3) AND (STATUS=\"H\")", Table(prefix, u"POBYTY.DB"), uid, kid);
}

QString notCheckedOutSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT * FROM %1 WHERE UID=%2 and STATUS<>\"O\"", Table(prefix, u"POBYTY.DB"), uid);
}

QString openAccountSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT * FROM %1 WHERE UID=%2 and DATEPAYM is null", Table(prefix, u"UCTY.DB"), uid);
}

QString closedAccountSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT * FROM %1 WHERE UID=%2 and DATEPAYM is not null", Table(prefix, u"UCTY.DB"), uid);
}

QString paidAccountSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT * from %1 WHERE UID=%2 and FORMPAYM is not null", Table(prefix, u"UCTY.DB"), uid);
}

QString closeAccountSql(const QString& prefix, int uid, const AccountPayment& p)
{
    auto text = [](const QString& v) { return v.isEmpty() ? QStringLiteral("NULL") : shell::QuoteText(v); };
    return Sql(u"UPDATE %1 SET FORMPAYM=%2, DATEPAYM=%3, PKID=%4, CARDNUM=%5, CARDTYPE=%6, CARDEXP=%7, TOTALEUR=%8, "
               u"TOTALCZK=%9, UTHRU=%10, RECEPCE=NULL, USR=NULL, UPMJ=%10, UPMT=%11 WHERE UID=%12",
               Table(prefix, u"UCTY.DB"), text(p.FORMPAYM), text(p.DATEPAYM),
               p.PKID.trimmed().isEmpty() ? QStringLiteral("NULL") : QString::number(p.PKID.trimmed().toInt()),
               text(p.CARDNUM), text(p.CARDTYPE), text(p.CARDEXP), moneyText(p.totalEur), moneyText(p.totalCzk),
               shell::QuoteText(p.today), shell::QuoteText(p.now), uid);
}

QStringList deleteAccountSqls(const QString& prefix, int uid)
{
    QStringList sqls;
    for (QStringView file : {u"UCTYPOL.DB", u"POBYTY.DB", u"UCTY.DB"})
        sqls << Sql(u"DELETE FROM %1 WHERE UID=%2", Table(prefix, file), uid);
    return sqls;
}

QString accountTotalsSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT SUM(AMNTEUR) AS TOTEUR, SUM(AMNTCZK) AS TOTCZK FROM %1 WHERE UID=%2",
               Table(prefix, u"UCTYPOL.DB"), uid);
}

QString roomsSql(const QString& prefix)
{
    return Sql(u"SELECT PID,PNAME FROM %1 ORDER BY PID", Table(prefix, u"POKOJE.DB"));
}

QString accountRoomsSql(const QString& prefix, int uid)
{
    return Sql(u"SELECT DISTINCT(PID) FROM %1 WHERE UID=%2 ORDER BY PID", Table(prefix, u"POBYTY.DB"), uid);
}

QString revisionFilter(int uid) { return Sql(u" UID=%1", uid); }

QString ratesListSql(const QString& prefix)
{
    return Sql(u"SELECT * FROM %1 ORDER BY RDATE DESC, CRCD", Table(prefix, u"KURZY.DB"));
}

QString insertRateSql(const QString& prefix, const QString& date, const QString& rate)
{
    return Sql(u"INSERT INTO %1 (RDATE, CRCD, CRR) VALUES (%2, \"EUR\", %3)", Table(prefix, u"KURZY.DB"),
               shell::QuoteText(date), rate);
}

QString updateRateSql(const QString& prefix, const QString& date, const QString& rate)
{
    return Sql(u"UPDATE %1 SET CRR=%2 WHERE RDATE=%3 and CRCD=\"EUR\"", Table(prefix, u"KURZY.DB"), rate,
               shell::QuoteText(date));
}

std::optional<shell::Hundredths> convertedTotal(shell::Hundredths amount, double rate, bool toCzk)
{
    const double value = shell::fromHundredths(amount);
    const std::optional<double> converted = toCzk ? shell::eurToCzk(value, rate) : shell::czkToEur(value, rate);
    if (!converted) return std::nullopt;
    return shell::hundredthsHalfEven(*converted);
}

bool RevisionPosition::back()
{
    if (!canGoBack()) return false;
    --m_position;
    return true;
}

bool RevisionPosition::forward()
{
    if (!canGoForward()) return false;
    ++m_position;
    return true;
}

void RevisionPosition::deleted()
{
    if (m_count <= 0) return;
    if (m_position == m_count) --m_position;
    --m_count;
}

std::optional<double> revisionCzk(double eur, double rate)
{
    if (!(rate > 0)) return std::nullopt;
    return eur * rate;
}

std::optional<double> revisionEur(double czk, double rate)
{
    if (!(rate > 0)) return std::nullopt;
    return czk / rate;
}

bool isAccountRoom(const QString& typed, const QStringList& accountRooms)
{
    const QString room = typed.trimmed();
    if (room.isEmpty()) return false;
    for (const QString& pid : accountRooms)
        if (pid.trimmed() == room) return true;
    return false;
}

QString accountItemsSql(const QString& prefix, const QString& where)
{
    return Sql(u"SELECT UID,NAME,SURNAME,PNAME,DESCR,TAXRATE,ITEMDATE,AMNTEUR,AMNTCZK,RATE,POLID,"
               u"SURNAME+\" \"+NAME AS SNNAME FROM %1 AS U, %2 AS P, %3 AS MU, %4 AS K  "
               u"WHERE U.PID = P.PID AND U.UID=MU.UID AND MU.KID=K.KID %5 ORDER BY POLID",
               Table(prefix, u"UCTYPOL.DB"), Table(prefix, u"POKOJE.DB"), Table(prefix, u"UCTY.DB"),
               Table(prefix, u"KARTY.DB"), where);
}

QString accountItemsFilter(const QString& pid, const QString& accountText, int kid)
{
    QString filter;
    if (!pid.isEmpty()) filter += Sql(u" AND U.PID=%1", shell::QuoteText(pid));
    bool isNumber = false;
    const int uid = accountText.trimmed().toInt(&isNumber);
    if (isNumber) filter += Sql(u" AND U.UID=%1", uid);
    if (kid > 0) filter += Sql(u" AND MU.KID=%1", kid);
    return filter;
}

QString clientDisplayName(const QString& title, const QString& surname, const QString& name)
{
    QString titled = title + QLatin1Char(' ');
    while (!titled.isEmpty() && titled.front().isSpace()) titled.remove(0, 1);
    return titled + surname + QLatin1Char(' ') + name;
}

QString clientFilterName(const QString& title, const QString& surname, const QString& name, const QString& country)
{
    QString shown = title.isEmpty() ? surname + QLatin1Char(' ') + name
                                    : title + QLatin1Char(' ') + surname + QLatin1Char(' ') + name;
    if (!country.isEmpty()) {
        while (!shown.isEmpty() && shown.back().isSpace()) shown.chop(1);
        shown += QStringLiteral(", ") + country;
    }
    return shown;
}

}  // namespace accounts
