// Storing the fetched EUR rate: insert, keep or replace the one row of its date.
#include "rates/RateStore.h"

#include <cmath>

#include "engine/Engine.h"
#include "rates/RateFault.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace rates {

namespace {
const QString kEur = QStringLiteral("EUR");

bool sameRate(double a, double b) { return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b)); }
}  // namespace

QString RateText(double rate)
{
    QString text = QString::number(rate, 'f', 9);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

QString TStored::message() const
{
    const QString day = shell::DateText(date);
    switch (outcome) {
    case Added: return Say(QStringLiteral("The EUR rate of %1 stored: %2"), {day, RateText(rate)});
    case Unchanged: return Say(QStringLiteral("The EUR rate of %1 is stored already: %2"), {day, RateText(rate)});
    case Replaced:
        return Say(QStringLiteral("The EUR rate of %1 replaced: %2 instead of %3"), {day, RateText(rate), RateText(previous)});
    }
    return {};
}

QString TStored::row() const
{
    return shell::DateText(date) + QLatin1Char('\t') + kEur + QLatin1Char('\t') + RateText(rate);
}

TStored StoreEurRate(engine::Database& db, const QString& prefix, const QDate& date, double rate)
{
    const QString file = prefix + QStringLiteral("KURZY.DB");
    const QString table = shell::Table(prefix, u"KURZY.DB");
    const QString day = shell::QuoteText(shell::DateText(date));
    TStored stored{TStored::Added, date, rate, 0};
    try {
        const auto change = db.beginChange({file.toStdString()});
        {
            const auto q = change->open(
                shell::Sql(u"SELECT CRR FROM %1 WHERE RDATE=%2 and CRCD=%3", table, day, shell::QuoteText(kEur)).toStdString());
            if (q->next()) {
                stored.previous = q->number(0);
                stored.outcome = sameRate(stored.previous, rate) ? TStored::Unchanged : TStored::Replaced;
            }
        }
        if (stored.outcome == TStored::Unchanged) return stored;  // the change ends unused
        if (stored.outcome == TStored::Replaced)
            change->execute(shell::Sql(u"UPDATE %1 SET CRR=%2 WHERE RDATE=%3 and CRCD=%4", table, RateText(rate), day,
                                       shell::QuoteText(kEur))
                                .toStdString());
        else
            change->execute(shell::Sql(u"INSERT INTO %1 (RDATE, CRCD, CRR) VALUES (%2, %3, %4)", table, day,
                                       shell::QuoteText(kEur), RateText(rate))
                                .toStdString());
        change->commit();
    } catch (const engine::Error& e) {
        throw RateError(Fault::Store, Say(QStringLiteral("The rate cannot be stored: %1"), {QString::fromUtf8(e.what())}));
    }
    return stored;
}

QDate NewestEurDate(engine::Database& db, const QString& prefix)
{
    const auto q = db.open(
        shell::Sql(u"SELECT max(RDATE) FROM %1 WHERE CRCD=%2", shell::Table(prefix, u"KURZY.DB"), shell::QuoteText(kEur))
            .toStdString());
    if (!q->next() || q->isNull(0)) return {};
    return shell::DateFromNumber(q->number(0));
}

}  // namespace rates
