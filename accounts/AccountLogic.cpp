// The account commands' and windows' logic: statement texts, check-out amounts and
// descriptions, totals conversion, revision stepping and the items list filter.
//
// Invariants: see AccountLogic.h.

#include "accounts/AccountLogic.h"

#include <cstdlib>

#include "shell/ValueHelpers.h"

namespace accounts {

namespace {
QString table(const QString& prefix, const char* file)
{
    return QStringLiteral("\"%1%2\"").arg(prefix, QLatin1String(file));
}
}  // namespace

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

ItemDescriptions checkOutDescriptions(const QString& roomName, bool czech)
{
    const QString separator = QStringLiteral(" - ");
    if (czech) return {QStringLiteral("Ubytování") + separator + roomName, QStringLiteral("Pokojová služba") + separator + roomName};
    return {QStringLiteral("Accomodation") + separator + roomName, QStringLiteral("Maid service") + separator + roomName};
}

QString moneyText(shell::Hundredths amount)
{
    const shell::Hundredths whole = std::llabs(amount) / 100, cents = std::llabs(amount) % 100;
    return QStringLiteral("%1%2.%3")
        .arg(amount < 0 ? QStringLiteral("-") : QString())
        .arg(whole)
        .arg(cents, 2, 10, QLatin1Char('0'));
}

QString rateText(double rate) { return QString::number(rate, 'f', 4); }

QString stayByBidSql(const QString& prefix, int bid)
{
    return QStringLiteral("SELECT * FROM %1 WHERE BID=%2").arg(table(prefix, "POBYTY.DB")).arg(bid);
}

QString checkOutStaySql(const QString& prefix, int bid, const QString& today, const QString& now)
{
    return QStringLiteral("UPDATE %1 SET STATUS=\"O\", DATEOUT=%2, TIMEOU=%3 WHERE (BID=%4) AND (STATUS=\"H\")")
        .arg(table(prefix, "POBYTY.DB"), shell::QuoteText(today), shell::QuoteText(now))
        .arg(bid);
}

QString insertAccountItemSql(const QString& prefix, const AccountItem& item)
{
    return QStringLiteral("INSERT INTO %1 (UID,PID,UPID,DESCR,ITEMDATE,AMNTEUR,AMNTCZK,TAXRATE,RATE,USR,UPMJ,UPMT) "
                          "VALUES (%2, %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13)")
        .arg(table(prefix, "UCTYPOL.DB"))
        .arg(item.UID)
        .arg(shell::QuoteText(item.PID))
        .arg(item.UPID)
        .arg(shell::QuoteText(item.DESCR), shell::QuoteText(item.ITEMDATE), moneyText(item.eur), moneyText(item.czk),
             QString::number(item.taxRate, 'g', 15), rateText(item.rate), shell::QuoteText(item.user),
             shell::QuoteText(item.changedDate), shell::QuoteText(item.changedTime));
}

QString stillCheckedInSql(const QString& prefix, int uid, int kid)
{
    return QStringLiteral("SELECT * from %1 WHERE UID=%2 and (KID=%3) AND (STATUS=\"H\")")
        .arg(table(prefix, "POBYTY.DB"))
        .arg(uid)
        .arg(kid);
}

QString notCheckedOutSql(const QString& prefix, int uid)
{
    return QStringLiteral("SELECT * FROM %1 WHERE UID=%2 and STATUS<>\"O\"").arg(table(prefix, "POBYTY.DB")).arg(uid);
}

QString openAccountSql(const QString& prefix, int uid)
{
    return QStringLiteral("SELECT * FROM %1 WHERE UID=%2 and DATEPAYM is null").arg(table(prefix, "UCTY.DB")).arg(uid);
}

QString closedAccountSql(const QString& prefix, int uid)
{
    return QStringLiteral("SELECT * FROM %1 WHERE UID=%2 and DATEPAYM is not null").arg(table(prefix, "UCTY.DB")).arg(uid);
}

QString paidAccountSql(const QString& prefix, int uid)
{
    return QStringLiteral("SELECT * from %1 WHERE UID=%2 and FORMPAYM is not null").arg(table(prefix, "UCTY.DB")).arg(uid);
}

QStringList deleteAccountSqls(const QString& prefix, int uid)
{
    QStringList sqls;
    for (const char* file : {"UCTYPOL.DB", "POBYTY.DB", "UCTY.DB"})
        sqls << QStringLiteral("DELETE FROM %1 WHERE UID=%2").arg(table(prefix, file)).arg(uid);
    return sqls;
}

QString accountTotalsSql(const QString& prefix, int uid)
{
    return QStringLiteral("SELECT SUM(AMNTEUR) AS TOTEUR, SUM(AMNTCZK) AS TOTCZK FROM %1 WHERE UID=%2")
        .arg(table(prefix, "UCTYPOL.DB"))
        .arg(uid);
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

double revisionCzk(double eur, double rate) { return eur * rate; }

std::optional<double> revisionEur(double czk, double rate)
{
    if (rate == 0) return std::nullopt;
    return czk / rate;
}

QString accountItemsSql(const QString& prefix, const QString& where)
{
    return QStringLiteral("SELECT UID,NAME,SURNAME,PNAME,DESCR,TAXRATE,ITEMDATE,AMNTEUR,AMNTCZK,RATE,POLID,"
                          "SURNAME+\" \"+NAME AS SNNAME FROM %1 AS U, %2 AS P, %3 AS MU, %4 AS K  "
                          "WHERE U.PID = P.PID AND U.UID=MU.UID AND MU.KID=K.KID %5 ORDER BY POLID")
        .arg(table(prefix, "UCTYPOL.DB"), table(prefix, "POKOJE.DB"), table(prefix, "UCTY.DB"),
             table(prefix, "KARTY.DB"), where);
}

QString accountItemsFilter(const QString& pid, const QString& accountText, int kid)
{
    QString filter;
    if (!pid.isEmpty()) filter += QStringLiteral(" AND U.PID=%1").arg(shell::QuoteText(pid));
    bool isNumber = false;
    const int uid = accountText.trimmed().toInt(&isNumber);
    if (isNumber) filter += QStringLiteral(" AND U.UID=%1").arg(uid);
    if (kid > 0) filter += QStringLiteral(" AND MU.KID=%1").arg(kid);
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
