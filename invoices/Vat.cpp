// The VAT recap; see Vat.h.
#include "invoices/Vat.h"

#include <QMap>
#include <QStringList>
#include <cmath>
#include <cstdlib>

namespace invoices {

namespace {
// n ÷ d rounded to the nearest whole number, halves to the even neighbour (d > 0).
std::int64_t divideHalfEven(std::int64_t n, std::int64_t d)
{
    std::int64_t q = n / d, r = n % d;
    if (r < 0) {
        r += d;
        --q;
    }
    if (2 * r > d || (2 * r == d && (q % 2 != 0))) ++q;
    return q;
}

// A rate in hundredths of a percent: 21 -> 2100, 12.5 -> 1250.
std::int64_t basisPoints(double rate) { return std::llround(rate * 100); }
}  // namespace

shell::Hundredths vatBase(shell::Hundredths total, double rate)
{
    if (basisPoints(rate) <= 0) return total;
    return divideHalfEven(total * 10000, 10000 + basisPoints(rate));
}

VatRecap vatRecap(const QList<Charge>& charges, bool inEur, double czkPerEur)
{
    VatRecap recap;
    QMap<std::int64_t, shell::Hundredths> perRate;   // basis points to total
    for (const Charge& c : charges) {
        recap.total += c.total;
        if (basisPoints(c.vatRate) < 0) recap.noVat += c.total;
        else perRate[basisPoints(c.vatRate)] += c.total;
    }
    if (perRate.size() > kMaxVatRates) {
        QStringList rates;
        for (auto it = perRate.begin(); it != perRate.end(); ++it) rates << rateText(double(it.key()) / 100);
        recap.error = QStringLiteral("An invoice holds at most three VAT rates; this account has more:");
        recap.detail = rates.join(QStringLiteral(", "));
        return recap;
    }
    if (inEur && !shell::usableRate(czkPerEur)) {
        recap.error = QStringLiteral("An invoice in EUR states its tax in CZK too: the exchange rate is missing or not above 0.");
        return recap;
    }
    for (auto it = perRate.end(); it != perRate.begin();) {
        --it;
        VatLine line;
        line.rate = double(it.key()) / 100;
        line.total = it.value();
        line.base = vatBase(line.total, line.rate);
        line.tax = line.total - line.base;
        line.taxCzk = inEur ? shell::hundredthsHalfEven(shell::fromHundredths(line.tax) * czkPerEur) : line.tax;
        recap.lines.append(line);
    }
    return recap;
}

QString rateText(double rate)
{
    return QString::number(rate, 'g', 6) + QStringLiteral(" %");
}

}  // namespace invoices
