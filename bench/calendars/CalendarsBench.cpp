// bench_calendars [--small] [--dir DIR]: the synchronisation of 50 rooms, each reading one
// feed of 200 bookings (10,000 events), on table files. The feeds are fetched once (local
// files); what is timed is the work beyond fetching: reading the feeds and writing the holds
// (the first reading: every hold new), reading them again unchanged, and again with every
// tenth booking moved. The baseline, in the same run, is libical parsing the same bytes and
// reading each event's UID, dates and summary, nothing more. Process CPU time; wall time
// beside it. --small: 5 rooms of 20 events, for ctest's smoke run.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <libical/ical.h>

#include "calendars/CalendarStore.h"
#include "calendars/CalendarSync.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "shell/ValueHelpers.h"

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double wallSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// A portal's feed for one room: two-night bookings three days apart from tomorrow; `shift`
// moves every tenth by a day.
QByteArray feed(int room, int events, int today, bool shift)
{
    QByteArray f = "BEGIN:VCALENDAR\r\nPRODID:-//Portal//Bench//EN\r\nVERSION:2.0\r\n";
    for (int i = 0; i < events; ++i) {
        const int from = today + 1 + 3 * i + (shift && i % 10 == 0 ? 1 : 0);
        const auto date = [](int d) { return shell::DateFromNumber(d).toString(u"yyyyMMdd").toLatin1(); };
        f += "BEGIN:VEVENT\r\nDTSTAMP:20270220T101010Z\r\nDTSTART;VALUE=DATE:" + date(from) + "\r\nDTEND;VALUE=DATE:" + date(from + 2) +
             "\r\nUID:" + QByteArray::number(room) + "-" + QByteArray::number(i) + "-a81c33f0@portal.example\r\nSUMMARY:Reserved\r\n"
             "DESCRIPTION:Reservation URL: https://portal.example/hosting/reservations/details/HM" + QByteArray::number(i) +
             "\\nPhone Number (Last 4 Digits): 1234\r\nEND:VEVENT\r\n";
    }
    return f + "END:VCALENDAR\r\n";
}

// libical alone: the events' UIDs, dates and summaries.
int parseAlone(const QList<QByteArray>& feeds)
{
    int events = 0;
    for (const QByteArray& bytes : feeds) {
        icalcomponent* root = icalparser_parse_string(bytes.constData());
        for (icalcomponent* e = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
            const icaltimetype s = icalcomponent_get_dtstart(e), t = icalcomponent_get_dtend(e);
            events += icalcomponent_get_uid(e) && icalcomponent_get_summary(e) && s.year > 0 && t.year > 0;
        }
        icalcomponent_free(root);
    }
    return events;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool small = args.contains(QStringLiteral("--small"));
    const int rooms = small ? 5 : 50, events = small ? 20 : 200;
    QTemporaryDir temp;
    const int at = int(args.indexOf(QStringLiteral("--dir")));
    const QString folder = (at > 0 && at + 1 < args.size() ? args[at + 1] : temp.path()) + QStringLiteral("/db");
    QDir(folder).removeRecursively();
    engine::Database db(data::databaseLocation(folder).toStdString());
    data::createTables(db, folder);
    const QString prefix = data::folderPrefix(folder);
    const int today = shell::TodayNumber();
    calendars::Store store(db, prefix);
    QList<calendars::FeedInput> inputs, shifted;
    QList<QByteArray> bytes, shiftedBytes;
    for (int r = 1; r <= rooms; ++r) {
        const QString pid = QString::number(100 + r);
        db.execute(("INSERT INTO \"" + prefix + "POKOJE.DB\" (PID, PNAME) VALUES (\"" + pid + "\", \"Room " + pid + "\")").toStdString());
        const QString path = temp.filePath(pid + QStringLiteral(".ics"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(feed(r, events, today, false));
        f.close();
        store.addFeed(pid, path, QStringLiteral("Portal"));
    }
    // Fetched once, outside the timing.
    const QList<calendars::Feed> feeds = store.feeds();
    QStringList addresses;
    for (const calendars::Feed& f : feeds) addresses << f.url;
    const QList<calendars::Fetched> fetched = calendars::fetchFeeds(addresses);
    for (qsizetype i = 0; i < feeds.size(); ++i) {
        inputs.append({feeds[i], fetched[i]});
        bytes << fetched[i].bytes;
        calendars::Fetched moved = fetched[i];
        moved.bytes = feed(int(i) + 1, events, today, true);
        shifted.append({feeds[i], moved});
        shiftedBytes << moved.bytes;
    }
    calendars::SyncOptions o;
    o.today = today;
    o.now = QDateTime::currentDateTime();

    double cpu = cpuSeconds(), wall = wallSeconds();
    const int parsed = parseAlone(bytes);
    const double baseCpu = cpuSeconds() - cpu, baseWall = wallSeconds() - wall;
    std::printf("libical alone: %d events of %d feeds parsed in %.3f s CPU (%.3f s wall)\n", parsed, int(bytes.size()), baseCpu, baseWall);

    struct Round {
        const char* what;
        const QList<calendars::FeedInput>* inputs;
    };
    const Round rounds[] = {{"first reading (every hold new)", &inputs}, {"read again unchanged", &inputs}, {"every tenth booking moved", &shifted}};
    int failures = 0;
    double worst = 0;
    for (const Round& round : rounds) {
        cpu = cpuSeconds();
        wall = wallSeconds();
        const calendars::SyncReport r = calendars::applyFeeds(store, *round.inputs, o);
        const double c = cpuSeconds() - cpu, w = wallSeconds() - wall;
        worst = std::max(worst, c);
        failures += int(r.badFeeds.size());
        std::printf("synchronisation, %s: %d new, %d moved, %d removed in %.3f s CPU (%.3f s wall) -> ratio %.2f CPU against libical alone\n",
                    round.what, r.added, r.moved, r.removed, c, w, c / std::max(baseCpu, 1e-6));
    }
    std::printf("%d rooms x %d events: the worst reading took %.3f s CPU beyond fetching (goal: at most 2 s for 50 x 200)\n", rooms,
                events, worst);
    return failures == 0 && parsed == rooms * events ? 0 : 1;
}
