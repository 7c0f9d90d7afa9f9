// The fetch followed by the store, and its waiting form for the tool.
#include "rates/RateUpdate.h"

#include <QEventLoop>

namespace rates {

RateUpdate::RateUpdate(engine::Database& db, QString prefix, QObject* parent, TFetchLimits limits)
    : QObject(parent), m_db(db), m_prefix(std::move(prefix)), m_fetch(this, limits)
{
    connect(&m_fetch, &BankFetch::finished, this, &RateUpdate::onFetched);
}

void RateUpdate::start(const QString& address, const QDate& day)
{
    if (running()) return;
    m_starting = true;
    m_fetch.start(DailyFileUrl(address, day));
}

void RateUpdate::onFetched(const TFetched& fetched)
{
    m_starting = false;
    TUpdated updated;
    if (fetched.fault != Fault::None) {
        updated.fault = fetched.fault;
        updated.message = fetched.message;
    } else {
        const TBankRate* eur = fetched.fixing.find(QStringLiteral("EUR"));
        try {
            updated.stored = StoreEurRate(m_db, m_prefix, fetched.fixing.date, eur->perUnit());
            updated.message = updated.stored.message();
        } catch (const RateError& e) {
            updated.fault = e.fault();
            updated.message = e.message();
        }
    }
    emit finished(updated);
}

TUpdated UpdateNow(engine::Database& db, const QString& prefix, const QString& address, const QDate& day, TFetchLimits limits)
{
    RateUpdate update(db, prefix, nullptr, limits);
    TUpdated result;
    QEventLoop loop;
    QObject::connect(&update, &RateUpdate::finished, &loop, [&](const TUpdated& u) {
        result = u;
        loop.quit();
    });
    update.start(address, day);
    loop.exec();
    return result;
}

}  // namespace rates
