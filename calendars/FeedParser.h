#pragma once
// Reading a portal's feed: the iCalendar text (RFC 5545) a portal publishes for one unit, read
// with libical into the events that hold nights of the room: each with its UID, its first
// night (arrival) and its departure day (exclusive), and its summary.
//
// Invariants: a feed is read whole or refused whole: any event that cannot be placed on
// nights (no start, an end before its start, a recurrence, a UID given twice, an unknown time
// zone) refuses the feed, so a feed never half-applies. Folded lines and CR LF or LF line ends
// read the same. Dates with times are placed by the hotel's local time (the time zone given,
// the system's by default): an arrival at 15:00 on the 5th and a departure at 10:00 on the 8th
// hold the nights of the 5th, 6th and 7th. Cancelled events (STATUS:CANCELLED) and events
// holding no night are left out as if absent.

#include <QByteArray>
#include <QList>
#include <QString>

namespace calendars {

struct FeedEvent {
    QString uid;
    int from = 0;   // day number of the arrival (the first night)
    int thru = 0;   // day number of the departure, exclusive
    QString summary;
};

struct ParsedFeed {
    bool ok = false;
    QString problem;      // English, a message key ("The feed is not an iCalendar file")
    QString detail;       // what it concerns (an event's UID, a line), as read
    QList<FeedEvent> events;
};

// A feed larger than this is refused before it is read.
constexpr qint64 kMaxFeedBytes = 5 * 1024 * 1024;

// zoneId: the hotel's time zone ("Europe/Prague"); empty for the system's.
ParsedFeed parseFeed(const QByteArray& bytes, const QByteArray& zoneId = {});

// The UID the export gives a stay, and whether an event's UID is one of them (a portal that
// passes the hotel's own calendar back is not read as a booking).
QString stayUid(int bid);
bool isOwnUid(const QString& uid);

}  // namespace calendars
