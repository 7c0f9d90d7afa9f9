// The day's takings without a database: the totals by payment form and by VAT rate of a set
// of closed accounts (exact sums of hundredths, every form shown, an unknown form as Other,
// rates -1, 0 and none as one line without VAT, charges of other accounts left out).
#include <gtest/gtest.h>

#include "invoices/Takings.h"

using invoices::Amount;
using invoices::Charge;
using invoices::ClosedAccount;

namespace {

struct SumCase {
    const char* name;
    QList<ClosedAccount> accounts;
    QList<Charge> charges;
    const char* byForm;   // "code:accounts:eur:czk" per form, in list order
    const char* byRate;   // "rate:eur:czk" per rate
    Amount total;
    QList<int> order;  // the accounts' UIDs as listed
};

QString formsText(const invoices::Takings& t)
{
    QStringList parts;
    for (const invoices::FormTotal& f : t.byForm)
        parts << QStringLiteral("%1:%2:%3:%4").arg(f.code).arg(f.accounts).arg(invoices::amountText(f.amount.eur), invoices::amountText(f.amount.czk));
    return parts.join(u' ');
}

QString ratesText(const invoices::Takings& t)
{
    QStringList parts;
    for (const invoices::RateTotal& r : t.byRate)
        parts << QStringLiteral("%1:%2:%3").arg(r.rate).arg(invoices::amountText(r.amount.eur), invoices::amountText(r.amount.czk));
    return parts.join(u' ');
}

const QDate kDay(2026, 12, 10);
ClosedAccount account(int uid, int day, char form, Amount total) { return {uid, kDay.addDays(day), QLatin1Char(form), {}, total}; }

}  // namespace

TEST(Takings, TotalsByPaymentFormAndVatRateAddUpExactly)
{
    const SumCase cases[] = {
        {"nothing paid", {}, {}, "C:0:0.00:0.00 M:0:0.00:0.00 B:0:0.00:0.00 ?:0:0.00:0.00", "", {0, 0}, {}},
        {"each form once, listed by day then account",
         {account(7, 0, 'M', {12010, 300250}), account(3, 0, 'C', {5000, 125000}), account(5, -1, 'B', {1, 25}),
          account(9, 0, '?', {199, 4975})},
         {{7, 12, {12010, 300250}}, {3, 21, {5000, 125000}}, {5, 21, {1, 25}}, {9, 12, {199, 4975}}},
         "C:1:50.00:1250.00 M:1:120.10:3002.50 B:1:0.01:0.25 ?:1:1.99:49.75", "12:122.09:3052.25 21:50.01:1250.25",
         {17210, 430250}, {5, 3, 7, 9}},
        {"a code the list does not know counts as Other",
         {account(1, 0, 'X', {1000, 25000}), account(2, 0, '?', {500, 12500})}, {},
         "C:0:0.00:0.00 M:0:0.00:0.00 B:0:0.00:0.00 ?:2:15.00:375.00", "", {1500, 37500}, {1, 2}},
        {"rates -1, 0 and none are one line; another account's charges are left out",
         {account(1, 0, 'C', {3333, 83325})},
         {{1, -1, {1000, 25000}}, {1, 0, {1111, 27775}}, {1, 12, {1222, 30550}}, {2, 21, {99999, 1}}, {1, 12, {-0, 0}}},
         "C:1:33.33:833.25 M:0:0.00:0.00 B:0:0.00:0.00 ?:0:0.00:0.00", "-1:21.11:527.75 12:12.22:305.50", {3333, 83325}, {1}},
        {"a refund (negative account) lowers its form's total",
         {account(1, 0, 'M', {10000, 250000}), account(2, 0, 'M', {-2550, -63750})}, {{2, 21, {-2550, -63750}}},
         "C:0:0.00:0.00 M:2:74.50:1862.50 B:0:0.00:0.00 ?:0:0.00:0.00", "21:-25.50:-637.50", {7450, 186250}, {1, 2}},
    };
    for (const SumCase& c : cases) {
        SCOPED_TRACE(c.name);
        const invoices::Takings t = invoices::summarise(kDay, kDay, c.accounts, c.charges, true);
        EXPECT_EQ(formsText(t), QString::fromLatin1(c.byForm));
        EXPECT_EQ(ratesText(t), QString::fromLatin1(c.byRate));
        EXPECT_EQ(t.total, c.total);
        QList<int> order;
        for (const ClosedAccount& a : t.accounts) order << a.uid;
        EXPECT_EQ(order, c.order);
    }
}
