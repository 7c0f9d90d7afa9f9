// The synchronisation: fetch every feed, apply each good one in a change of its own, then
// look for holds that meet other stays.
#include "calendars/CalendarSync.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <map>

#include "calendars/CalendarExport.h"
#include "engine/Engine.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace calendars {

namespace {

using Tr = std::function<QString(const QString&)>;

struct Hold {
    int id = 0;
    QString uid;
    int bid = 0;
    QString pid;
    int from = 0, thru = 0;
    QString guest;
    bool taken = false;
};

struct StayNow {
    QString pid, status, bookedFor;
    int from = 0, thru = 0, kid = 0, account = 0;
};

QString text(const engine::Query& q, const char* field) { return QString::fromStdString(q.text(field)); }
int day(const engine::Query& q, const char* field) { return q.isNull(field) ? 0 : int(q.integer(field)); }
QString date(int dayNumber) { return shell::QuoteText(shell::DateText(double(dayNumber))); }
QString nights(int from, int thru) { return shell::DateText(double(from)) + QStringLiteral(" - ") + shell::DateText(double(thru)); }

// The nights from the first to the last, or the one night.
QString lastNights(int first, int last)
{
    return first == last ? shell::DateText(double(first)) : shell::DateText(double(first)) + QStringLiteral(" - ") + shell::DateText(double(last));
}

// An event's UID as the holds table keeps it: as it stands, or its digest when it is too long.
QString uidKey(const QString& uid)
{
    if (uid.size() <= 250) return uid;
    return QStringLiteral("sha1:") + QString::fromLatin1(QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString guestText(const Feed& feed, const FeedEvent& e)
{
    const QString portal = feed.portal.simplified(), summary = e.summary.simplified();
    QString guest = portal.isEmpty() ? summary : summary.isEmpty() ? portal : portal + QStringLiteral(": ") + summary;
    if (guest.isEmpty()) guest = QStringLiteral("?");
    return guest.left(60);
}

QString audit() { return shell::Sql(u"USR=\"\", UPMJ=%1, UPMT=%2", shell::QuoteText(shell::TodayText()), shell::QuoteText(shell::NowTimeText())); }

class FeedApplier {
public:
    FeedApplier(Store& store, const Feed& feed, const SyncOptions& o, SyncReport& r, const QString& room)
        : m_store(store), m_feed(feed), m_o(o), m_out(r), m_room(room),
          m_stays(shell::Table(store.prefix(), u"POBYTY.DB")), m_holds(shell::Table(store.prefix(), u"BLOKACE.DB"))
    {
    }

    // Returns what the feed's last result says.
    QString apply(const QList<FeedEvent>& events)
    {
        const QString p = m_store.prefix();
        m_change = m_store.db().beginChange({(p + QStringLiteral("POBYTY.DB")).toStdString(), (p + QStringLiteral("BLOKACE.DB")).toStdString()});
        readHolds();
        QHash<QString, const FeedEvent*> byUid;
        for (const FeedEvent& e : events)
            if (!isOwnUid(e.uid)) byUid.insert(uidKey(e.uid), &e);
        int added = 0, moved = 0, removed = 0;
        QSet<QString> held;
        for (Hold& h : m_list) {
            held.insert(h.uid);
            const FeedEvent* e = byUid.value(h.uid);
            if (!h.taken && !asWritten(h)) {
                h.taken = true;
                run(shell::Sql(u"UPDATE %1 SET TAKEN=\"1\" WHERE HOLDID=%2", m_holds, h.id));
            }
            if (h.taken) {
                listChange(h, e);
                continue;
            }
            if (!e) {
                if (h.thru > m_o.today) {
                    run(shell::Sql(u"DELETE FROM %1 WHERE BID=%2 AND STATUS=\"P\"", m_stays, h.bid));
                    m_r.removedHolds << m_room + QStringLiteral(": ") + nights(h.from, h.thru) + QStringLiteral(" (") + h.guest + QLatin1Char(')');
                    ++removed;
                }
                run(shell::Sql(u"DELETE FROM %1 WHERE HOLDID=%2", m_holds, h.id));
                continue;
            }
            const QString guest = guestText(m_feed, *e);
            if (e->from == h.from && e->thru == h.thru && guest == h.guest) continue;
            if (e->from != h.from || e->thru != h.thru) ++moved;
            run(shell::Sql(u"UPDATE %1 SET DATEFROM=%2, DATETHRU=%3, PRTHRU=%2, BOOKEDFOR=%4, %5 WHERE BID=%6", m_stays, date(e->from),
                           date(e->thru), shell::QuoteText(guest), audit(), h.bid));
            run(shell::Sql(u"UPDATE %1 SET DATEFROM=%2, DATETHRU=%3, GUEST=%4, UPMJ=%5, UPMT=%6 WHERE HOLDID=%7", m_holds, date(e->from),
                           date(e->thru), shell::QuoteText(guest), shell::QuoteText(shell::TodayText()),
                           shell::QuoteText(shell::NowTimeText()), h.id));
        }
        for (const FeedEvent& e : events) {
            if (isOwnUid(e.uid) || held.contains(uidKey(e.uid)) || e.thru <= m_o.today) continue;
            held.insert(uidKey(e.uid));
            addHold(e);
            ++added;
        }
        m_change->commit();
        // What the feed did counts only once its change has landed.
        m_out.added += added;
        m_out.moved += moved;
        m_out.removed += removed;
        m_out.removedHolds << m_r.removedHolds;
        m_out.listedChanges << m_r.listedChanges;
        return m_o.tr(QStringLiteral("%1 events read: %2 new, %3 moved, %4 removed"))
            .arg(events.size()).arg(added).arg(moved).arg(removed);
    }

private:
    void run(const QString& sql) { m_change->execute(sql.toStdString()); }

    void readHolds()
    {
        {
            auto q = m_change->open(shell::Sql(u"SELECT HOLDID, EVUID, BID, PID, DATEFROM, DATETHRU, GUEST, TAKEN FROM %1 WHERE FEEDID=%2 ORDER BY HOLDID",
                                               m_holds, m_feed.id)
                                        .toStdString());
            while (q->next())
                m_list.append({int(q->integer("HOLDID")), text(*q, "EVUID"), int(q->integer("BID")), text(*q, "PID").trimmed(),
                               day(*q, "DATEFROM"), day(*q, "DATETHRU"), text(*q, "GUEST"), text(*q, "TAKEN") == QLatin1String("1")});
        }
        auto q = m_change->open(shell::Sql(u"SELECT P.BID, P.PID, P.DATEFROM, P.DATETHRU, P.STATUS, P.KID, P.UID, P.BOOKEDFOR "
                                           u"FROM %1 AS P, %2 AS H WHERE P.BID=H.BID AND H.FEEDID=%3",
                                           m_stays, m_holds, m_feed.id)
                                    .toStdString());
        while (q->next())
            m_now.insert(int(q->integer("BID")), {text(*q, "PID").trimmed(), text(*q, "STATUS").trimmed(), text(*q, "BOOKEDFOR"),
                                                  day(*q, "DATEFROM"), day(*q, "DATETHRU"), int(q->integer("KID")), int(q->integer("UID"))});
    }

    // Whether the hold's stay is still as the feed wrote it.
    bool asWritten(const Hold& h) const
    {
        const auto it = m_now.constFind(h.bid);
        return it != m_now.constEnd() && it->pid == h.pid && it->from == h.from && it->thru == h.thru &&
               it->status == QLatin1String("P") && it->kid == 0 && it->account == 0 && it->bookedFor == h.guest;
    }

    // A hold the desk has taken over: its event's change is listed, never applied.
    void listChange(Hold& h, const FeedEvent* e)
    {
        const QString before = m_room + QStringLiteral(": ") + nights(h.from, h.thru) + QStringLiteral(" (") + h.guest + QStringLiteral(") -> ");
        if (!e) {
            if (h.thru > m_o.today) m_r.listedChanges << before + m_o.tr(QStringLiteral("cancelled on the portal"));
            run(shell::Sql(u"DELETE FROM %1 WHERE HOLDID=%2", m_holds, h.id));
            return;
        }
        if (e->from == h.from && e->thru == h.thru) return;
        m_r.listedChanges << before + nights(e->from, e->thru);
        run(shell::Sql(u"UPDATE %1 SET DATEFROM=%2, DATETHRU=%3 WHERE HOLDID=%4", m_holds, date(e->from), date(e->thru), h.id));
    }

    void addHold(const FeedEvent& e)
    {
        const QString guest = shell::QuoteText(guestText(m_feed, e));
        const QString today = shell::QuoteText(shell::TodayText()), time = shell::QuoteText(shell::NowTimeText());
        run(shell::Sql(u"INSERT INTO %1 (KID, PID, DATEFROM, DATETHRU, STATUS, PRTHRU, NUMPERS, BUSINESS, PRICEEUR, PRICECZK, "
                       u"MAIDEUR, MAIDCZK, BOOKEDFOR, BOOKEDKNFR, DISCOUNT, UID, USR, UPMJ, UPMT) "
                       u"VALUES (0, %2, %3, %4, \"P\", %3, 1, \"0\", 0, 0, 0, 0, %5, \" \", \" \", 0, \"\", %6, %7)",
                       m_stays, shell::QuoteText(m_feed.pid), date(e.from), date(e.thru), guest, today, time));
        const qint64 bid = m_change->lastInsertKey();
        run(shell::Sql(u"INSERT INTO %1 (FEEDID, EVUID, BID, PID, DATEFROM, DATETHRU, GUEST, TAKEN, UPMJ, UPMT) "
                       u"VALUES (%2, %3, %4, %5, %6, %7, %8, \"0\", %9, %10)",
                       m_holds, m_feed.id, shell::QuoteText(uidKey(e.uid)), bid, shell::QuoteText(m_feed.pid), date(e.from),
                       date(e.thru), guest, today, time));
    }

    Store& m_store;
    const Feed& m_feed;
    const SyncOptions& m_o;
    SyncReport& m_out;
    SyncReport m_r;  // this feed's lines until its change commits
    QString m_room;
    QString m_stays, m_holds;
    std::unique_ptr<engine::Change> m_change;
    QList<Hold> m_list;
    QHash<int, StayNow> m_now;
};

// Holds of the feeds that meet other stays of their room, with the nights they share.
void findConflicts(Store& store, const QHash<QString, QString>& roomNames, const SyncOptions& o, SyncReport& r)
{
    QSet<int> holdStays;
    {
        auto q = store.db().open(shell::Sql(u"SELECT BID FROM %1 WHERE TAKEN IS NULL OR TAKEN<>\"1\"", shell::Table(store.prefix(), u"BLOKACE.DB"))
                                     .toStdString());
        while (q->next()) holdStays.insert(int(q->integer("BID")));
    }
    if (holdStays.isEmpty()) return;
    struct Stay {
        int bid, from, thru, kid;
        QString guest;
    };
    std::map<QString, QList<Stay>> byRoom;
    QList<int> kids;
    auto q = store.db().open(shell::Sql(u"SELECT BID, PID, DATEFROM, DATETHRU, STATUS, KID, BOOKEDFOR FROM %1 WHERE DATETHRU>%2 ORDER BY PID, DATEFROM, BID",
                                        shell::Table(store.prefix(), u"POBYTY.DB"), date(o.today))
                                 .toStdString());
    while (q->next()) {
        if (text(*q, "STATUS").trimmed() == QLatin1String("O") || q->isNull("DATEFROM")) continue;
        const Stay s{int(q->integer("BID")), day(*q, "DATEFROM"), day(*q, "DATETHRU"), int(q->integer("KID")), text(*q, "BOOKEDFOR").simplified()};
        if (s.thru <= s.from) continue;
        byRoom[text(*q, "PID").trimmed()].append(s);
        if (s.kid > 0) kids << s.kid;
    }
    q.reset();
    const QHash<int, QString> names = clientNames(store.db(), store.prefix(), kids);
    const auto guest = [&](const Stay& s) { return s.kid > 0 ? names.value(s.kid, s.guest) : s.guest; };
    for (const auto& [pid, stays] : byRoom) {
        for (qsizetype i = 0; i < stays.size(); ++i) {
            for (qsizetype j = i + 1; j < stays.size() && stays[j].from < stays[i].thru; ++j) {
                if (!holdStays.contains(stays[i].bid) && !holdStays.contains(stays[j].bid)) continue;
                // The feed's hold first.
                const bool swap = !holdStays.contains(stays[i].bid);
                const Stay &a = swap ? stays[j] : stays[i], &b = swap ? stays[i] : stays[j];
                const int first = std::max({a.from, b.from, o.today}), end = std::min(a.thru, b.thru);
                if (first >= end) continue;
                r.conflicts << roomNames.value(pid, pid) + QStringLiteral(": ") + lastNights(first, end - 1) + QStringLiteral(" (") + guest(a) +
                                   QStringLiteral(" / ") + guest(b) + QLatin1Char(')');
            }
        }
    }
}

}  // namespace

QString problemText(const QString& problem, const QString& detail, const Tr& tr)
{
    return tr(problem) + (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail);
}

QString SyncReport::text(const Tr& tr) const
{
    QStringList out{tr(QStringLiteral("Calendars synchronised: %1 feeds, %2 new holds, %3 moved, %4 removed."))
                        .arg(feeds).arg(added).arg(moved).arg(removed)};
    const auto section = [&](const QString& heading, const QStringList& lines) {
        if (lines.isEmpty()) return;
        out << QString() << tr(heading) << lines;
    };
    section(QStringLiteral("Holds removed because the portal no longer has their booking:"), removedHolds);
    section(QStringLiteral("Bookings changed on the portal whose holds the desk has taken over (nothing was changed):"), listedChanges);
    section(QStringLiteral("Holds that meet other stays (shown in the conflict colour):"), conflicts);
    QStringList bad;
    for (const BadFeed& b : badFeeds) bad << b.room + QStringLiteral(", ") + b.url + QStringLiteral(": ") + problemText(b.problem, b.detail, tr);
    section(QStringLiteral("Feeds that could not be read (their holds are unchanged):"), bad);
    return out.join(QLatin1Char('\n'));
}

bool syncDue(const QList<Feed>& feeds, const QDateTime& now, int intervalMinutes)
{
    for (const Feed& f : feeds) {
        if (f.lastDate <= 0) return true;
        const QDateTime last(shell::DateFromNumber(double(f.lastDate)), QTime(0, 0).addSecs(f.lastTime));
        if (last.secsTo(now) >= qint64(intervalMinutes) * 60 || last > now) return true;
    }
    return false;
}

SyncReport synchronise(Store& store, const SyncOptions& options)
{
    const QList<Feed> feeds = store.feeds();
    QStringList addresses;
    for (const Feed& f : feeds) addresses << f.url;
    const QList<Fetched> fetched = fetchFeeds(addresses, options.fetch);
    QList<FeedInput> inputs;
    for (qsizetype i = 0; i < feeds.size(); ++i) inputs.append({feeds[i], fetched[i]});
    return applyFeeds(store, inputs, options);
}

SyncReport applyFeeds(Store& store, const QList<FeedInput>& inputs, const SyncOptions& o)
{
    SyncReport r;
    QHash<QString, QString> roomNames;
    for (const auto& [pid, name] : store.rooms()) roomNames.insert(pid.trimmed(), name.isEmpty() ? pid.trimmed() : name);
    for (const FeedInput& in : inputs) {
        ++r.feeds;
        const QString room = roomNames.value(in.feed.pid.trimmed(), in.feed.pid.trimmed());
        QString problem = in.fetched.problem, detail = in.fetched.detail, result;
        if (in.fetched.ok && !roomNames.contains(in.feed.pid.trimmed())) problem = QStringLiteral("The feed's room no longer exists");
        if (in.fetched.ok && problem.isEmpty()) {
            const ParsedFeed parsed = parseFeed(in.fetched.bytes, o.zoneId);
            problem = parsed.problem;
            detail = parsed.detail;
            if (parsed.ok) {
                try {
                    result = FeedApplier(store, in.feed, o, r, room).apply(parsed.events);
                } catch (const engine::Error& e) {
                    problem = QStringLiteral("The holds cannot be written");
                    detail = QString::fromUtf8(e.what());
                }
            }
        }
        const bool ok = problem.isEmpty();
        if (!ok) {
            r.badFeeds.append({room, in.feed.url, problem, detail});
            result = problemText(problem, detail, o.tr);
        }
        try {
            store.recordResult(in.feed.id, ok, result, o.now);
        } catch (const engine::Error&) {
            // The result is only shown; the holds are what counts.
        }
    }
    findConflicts(store, roomNames, o, r);
    return r;
}

}  // namespace calendars
