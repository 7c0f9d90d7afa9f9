// The calendar tables: feeds, the settings row and the feeds' last results.
#include "calendars/CalendarStore.h"

#include <QUrl>

#include "engine/Engine.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace calendars {

namespace {
QString text(const engine::Query& q, const char* field) { return QString::fromStdString(q.text(field)); }
QString quoted(const QString& s) { return shell::QuoteText(s); }
QString audit()
{
    return shell::Sql(u"USR=\"\", UPMJ=%1, UPMT=%2", quoted(shell::TodayText()), quoted(shell::NowTimeText()));
}
}  // namespace

Settings Store::settings()
{
    Settings s;
    auto q = m_db.open(shell::Sql(u"SELECT EXPORTDIR, INTERVALMIN, NAMES FROM %1 WHERE PID=\"\" OR PID IS NULL ORDER BY FEEDID",
                                  shell::Table(m_prefix, u"KALENDARE.DB"))
                           .toStdString());
    if (!q->next()) return s;
    s.exportFolder = text(*q, "EXPORTDIR");
    if (const int minutes = int(q->integer("INTERVALMIN")); minutes > 0) s.intervalMinutes = minutes;
    s.names = text(*q, "NAMES") == QLatin1String("1");
    return s;
}

void Store::saveSettings(const Settings& s)
{
    const QString table = shell::Table(m_prefix, u"KALENDARE.DB");
    const QString values = shell::Sql(u"EXPORTDIR=%1, INTERVALMIN=%2, NAMES=%3, %4", quoted(s.exportFolder),
                                      std::max(1, s.intervalMinutes), quoted(s.names ? QStringLiteral("1") : QStringLiteral("0")), audit());
    if (m_db.execute(shell::Sql(u"UPDATE %1 SET %2 WHERE PID=\"\" OR PID IS NULL", table, values).toStdString()) > 0)
        return;
    m_db.execute(shell::Sql(u"INSERT INTO %1 (PID, EXPORTDIR, INTERVALMIN, NAMES, USR, UPMJ, UPMT) "
                            u"VALUES (\"\", %2, %3, %4, \"\", %5, %6)",
                            table, quoted(s.exportFolder), std::max(1, s.intervalMinutes),
                            quoted(s.names ? QStringLiteral("1") : QStringLiteral("0")), quoted(shell::TodayText()), quoted(shell::NowTimeText()))
                     .toStdString());
}

QList<Feed> Store::feeds()
{
    QList<Feed> feeds;
    auto q = m_db.open(shell::Sql(u"SELECT FEEDID, PID, URL, PORTAL, LASTDATE, LASTTIME, LASTOK, LASTRESULT FROM %1 "
                                  u"WHERE PID<>\"\" ORDER BY PID, FEEDID",
                                  shell::Table(m_prefix, u"KALENDARE.DB"))
                           .toStdString());
    while (q->next()) {
        Feed f;
        f.id = int(q->integer("FEEDID"));
        f.pid = text(*q, "PID");
        f.url = text(*q, "URL");
        f.portal = text(*q, "PORTAL");
        f.lastDate = q->isNull("LASTDATE") ? 0 : int(q->integer("LASTDATE"));
        f.lastTime = q->isNull("LASTTIME") ? 0 : int(q->integer("LASTTIME"));
        f.lastOk = text(*q, "LASTOK") == QLatin1String("1");
        f.lastResult = text(*q, "LASTRESULT");
        feeds << f;
    }
    return feeds;
}

int Store::addFeed(const QString& pid, const QString& url, const QString& portal)
{
    auto change = m_db.beginChange({(m_prefix + QStringLiteral("KALENDARE.DB")).toStdString()});
    change->execute(shell::Sql(u"INSERT INTO %1 (PID, URL, PORTAL, USR, UPMJ, UPMT) VALUES (%2, %3, %4, \"\", %5, %6)",
                               shell::Table(m_prefix, u"KALENDARE.DB"), quoted(pid), quoted(url.trimmed()),
                               quoted(portal.trimmed()), quoted(shell::TodayText()), quoted(shell::NowTimeText()))
                        .toStdString());
    const int id = int(change->lastInsertKey());
    change->commit();
    return id;
}

void Store::removeFeed(int feedId)
{
    auto change = m_db.beginChange({(m_prefix + QStringLiteral("KALENDARE.DB")).toStdString(), (m_prefix + QStringLiteral("BLOKACE.DB")).toStdString()});
    change->execute(shell::Sql(u"DELETE FROM %1 WHERE FEEDID=%2", shell::Table(m_prefix, u"BLOKACE.DB"), feedId).toStdString());
    change->execute(shell::Sql(u"DELETE FROM %1 WHERE FEEDID=%2 AND PID<>\"\"", shell::Table(m_prefix, u"KALENDARE.DB"), feedId)
                        .toStdString());
    change->commit();
}

void Store::recordResult(int feedId, bool ok, const QString& result, const QDateTime& when)
{
    m_db.execute(shell::Sql(u"UPDATE %1 SET LASTDATE=%2, LASTTIME=%3, LASTOK=%4, LASTRESULT=%5 WHERE FEEDID=%6",
                            shell::Table(m_prefix, u"KALENDARE.DB"), quoted(shell::DateText(when.date())),
                            quoted(when.time().toString(u"H:m:s")), quoted(ok ? QStringLiteral("1") : QStringLiteral("0")),
                            quoted(result.left(250)), feedId)
                     .toStdString());
}

QList<std::pair<QString, QString>> Store::rooms()
{
    QList<std::pair<QString, QString>> rooms;
    auto q = m_db.open(shell::Sql(u"SELECT PID, PNAME FROM %1 ORDER BY PID", shell::Table(m_prefix, u"POKOJE.DB")).toStdString());
    while (q->next()) rooms.append({text(*q, "PID"), text(*q, "PNAME")});
    return rooms;
}

QString addressProblem(const QString& address)
{
    const QString a = address.trimmed();
    if (a.isEmpty()) return QStringLiteral("The feed's address is empty.");
    if (a.size() > 250) return QStringLiteral("The feed's address is longer than 250 characters.");
    if (a.startsWith(QLatin1Char('/'))) return {};
    const QUrl url(a, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("file")) ||
        (scheme != QLatin1String("file") && url.host().isEmpty()))
        return QStringLiteral("The feed's address must begin with http://, https:// or file:// (or be a full file path).");
    return {};
}

}  // namespace calendars
