#pragma once
// The export of every room's calendar: the nights that are not free, as the portals read
// them, one iCalendar file (RFC 5545) per room written with libical.
//
// Invariants:
//  - a stay is in its room's file when its nights meet the window from 30 days back to two
//    years ahead and it holds the room: preliminary, definitive and checked-in stays,
//    reservations without a status, out-of-order periods and any other code (a code the
//    program does not know blocks the room rather than sell it twice); a checked-out stay
//    has left the room, a deleted one is gone; a stay of no night is not in it;
//  - each stay is one all-day event: DTSTART its arrival, DTEND its departure (exclusive),
//    whole even when it reaches past the window's edges; its UID (stayUid) lasts as long as
//    the stay; DTSTAMP is the stay's last change (its audit date and time), so an unchanged
//    database exports the same bytes;
//  - the summary is "Not available", or the guest's name when names are turned on (never the
//    reason of an out-of-order period);
//  - a file is replaced whole (QSaveFile), and only when its bytes change; every room has a
//    file, an empty calendar when nothing holds it.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace engine { class Database; }

namespace calendars {

struct ExportEvent {
    int bid = 0;
    QString pid;
    int from = 0, thru = 0;   // day numbers; thru exclusive
    QString summary;
    QDateTime stamp;          // UTC
};

// The events of every room for the day `today` (a day number), in room and arrival order.
QList<ExportEvent> exportEvents(engine::Database& db, const QString& prefix, int today, bool names);
// The display names ("Mr Novak Jan") of the client cards.
QHash<int, QString> clientNames(engine::Database& db, const QString& prefix, const QList<int>& kids);
// One room's calendar text.
QByteArray roomCalendar(const QString& pid, const QString& roomName, const QList<ExportEvent>& events);
// The file name of a room's calendar: its PID with characters outside A-Z, a-z, 0-9 and '-'
// written as _XX (their UTF-8 bytes), then ".ics" ("101.ics", "A_2F1.ics" for "A/1").
QString exportFileName(const QString& pid);

struct ExportSummary {
    int files = 0;     // rooms
    int written = 0;   // files whose bytes changed
    int events = 0;
};
// Writes every room's file into folder (made when missing). Throws std::runtime_error naming
// the file that cannot be written, engine::Error when the stays cannot be read.
ExportSummary exportCalendars(engine::Database& db, const QString& prefix, const QString& folder, int today, bool names);

}  // namespace calendars
