// The start-up fetch: its settings, the check whether it is due, and its hook after the
// board's first painting.
#include "rates/StartupFetch.h"

#include <QEvent>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include "engine/Engine.h"
#include "platform/Platform.h"
#include "rates/WorkingDays.h"

namespace rates {

TRateSettings ReadRateSettings(const QString& settingsFile)
{
    TRateSettings s;
    const QSettings ini(settingsFile, QSettings::IniFormat);
    const QString on = ini.value(QStringLiteral("RATES/FetchAtStart")).toString().trimmed();
    if (!on.isEmpty()) s.fetchAtStart = on != QLatin1String("0");
    const QString url = ini.value(QStringLiteral("RATES/Url")).toString().trimmed();
    if (!url.isEmpty()) s.url = url;
    return s;
}

bool StartupFetchDue(engine::Database& db, const QString& prefix, const QDateTime& now)
{
    try {
        const QDate newest = NewestEurDate(db, prefix);
        return !newest.isValid() || newest < LatestFixingDate(now);
    } catch (const engine::Error&) {
        return false;
    }
}

StartupFetch::StartupFetch(engine::Database& db, QString prefix, TRateSettings settings,
                           std::function<void(const QString&)> say, QObject* parent, TFetchLimits limits)
    : QObject(parent), m_db(db), m_prefix(std::move(prefix)), m_settings(std::move(settings)), m_say(std::move(say)),
      m_update(db, m_prefix, this, limits)
{
    connect(&m_update, &RateUpdate::finished, this, [this](const TUpdated& updated) {
        if (m_say)
            m_say(updated.ok() ? updated.message
                               : Say(QStringLiteral("The EUR rate was not fetched from the Czech National Bank: %1"),
                                     {updated.message}));
        emit finished(updated);
    });
}

void StartupFetch::armAfterFirstPaint(QWidget* painted)
{
    if (!m_settings.fetchAtStart || !painted) return;
    m_painted = painted;
    painted->installEventFilter(this);
}

bool StartupFetch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_painted && event->type() == QEvent::Paint) {
        m_painted->removeEventFilter(this);
        // After this painting has ended, from the event loop.
        QTimer::singleShot(0, this, [this] { run(); });
    }
    return QObject::eventFilter(watched, event);
}

bool StartupFetch::run()
{
    if (m_ran || !m_settings.fetchAtStart) return false;
    m_ran = true;
    if (!StartupFetchDue(m_db, m_prefix, platform::now())) return false;
    m_update.start(m_settings.url);
    return true;
}

}  // namespace rates
