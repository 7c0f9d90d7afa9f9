#pragma once
// The synchronisation of the board with the portals' feeds: every event of a feed is a hold,
// a preliminary reservation of the feed's room for the event's nights, its guest text the
// portal's name and the event's summary, held until its arrival day; the holds are kept with
// their feed and event UID in BLOKACE.DB.
//
// Invariants:
//  - a feed that cannot be fetched or read changes nothing of its holds; it is named in the
//    report and the other feeds go on;
//  - a good feed's holds change in one change over the stays and the holds: all of them or,
//    on a failure, none;
//  - a hold stays the feed's while its stay is as the feed wrote it (room, dates, status "P",
//    no client card, no account, guest text). Once the receptionist has changed it (a client
//    card attached, made definitive, checked in, moved, renamed, deleted) it is the desk's:
//    no feed changes or removes it again, and a later change of its event is listed instead;
//  - an event gone from its feed removes its hold (the portal's cancellation), unless its
//    nights are over (portals drop past bookings from their feeds); events of past nights
//    make no hold; events the hotel's own export gave the portal are not bookings;
//  - after the feeds, every hold of a feed that meets another stay in its room is reported
//    with the nights they share (the board draws those nights in its conflict colour).

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "calendars/CalendarStore.h"
#include "calendars/FeedFetch.h"
#include "calendars/FeedParser.h"

namespace engine { class Database; }

namespace calendars {

struct SyncReport {
    int feeds = 0, added = 0, moved = 0, removed = 0;
    // Each a line: the room, the nights, the guest text; problems with their feed.
    QStringList removedHolds;      // "Room 1: 5.3.2027 - 8.3.2027 (Airbnb: Reserved)"
    QStringList listedChanges;     // events of holds the desk took over
    QStringList conflicts;         // "Room 1: nights 5.3.2027 - 6.3.2027 (A / B)"
    struct BadFeed {
        QString room, url, problem, detail;
    };
    QList<BadFeed> badFeeds;
    bool somethingToSay() const { return !removedHolds.isEmpty() || !listedChanges.isEmpty() || !conflicts.isEmpty() || !badFeeds.isEmpty(); }
    // The one message: counts, then each list under its heading; tr translates the English
    // headings and problems (the identity for the tool).
    QString text(const std::function<QString(const QString&)>& tr) const;
};

struct SyncOptions {
    FetchOptions fetch;
    QByteArray zoneId;             // the hotel's time zone; empty for the system's
    int today = 0;                 // day number
    QDateTime now;
    std::function<QString(const QString&)> tr = [](const QString& s) { return s; };
};

// A feed's fetched bytes as read, or why not.
struct FeedInput {
    Feed feed;
    Fetched fetched;
};

// Fetches every feed of the store, then applies them.
SyncReport synchronise(Store& store, const SyncOptions& options);
// Applies fetched feeds (the work beyond fetching).
SyncReport applyFeeds(Store& store, const QList<FeedInput>& inputs, const SyncOptions& options);
// Whether the feeds are due: one of them was never read, or not for intervalMinutes.
bool syncDue(const QList<Feed>& feeds, const QDateTime& now, int intervalMinutes);
// The text of a bad feed's problem (translated problem and its detail).
QString problemText(const QString& problem, const QString& detail, const std::function<QString(const QString&)>& tr);

}  // namespace calendars
