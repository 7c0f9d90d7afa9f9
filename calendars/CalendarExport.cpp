// The rooms' calendars: which stays, their events, the files.
#include "calendars/CalendarExport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QTimeZone>
#include <libical/ical.h>
#include <stdexcept>

#include "calendars/FeedParser.h"
#include "engine/Engine.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace calendars {

namespace {

QString text(const engine::Query& q, const char* field) { return QString::fromStdString(q.text(field)); }

icaltimetype dateOf(int dayNumber)
{
    const QDate d = shell::DateFromNumber(dayNumber);
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    return t;
}

// The audit moment of the row in local time, as UTC; the arrival's midnight when the row has
// none.
QDateTime stampOf(const engine::Query& q, int from)
{
    if (!q.isNull("UPMJ")) {
        const QDate day = shell::DateFromNumber(double(q.integer("UPMJ")));
        const int seconds = q.isNull("UPMT") ? 0 : int(q.number("UPMT") * 86400.0 + 0.5);
        return QDateTime(day, QTime(0, 0).addSecs(seconds)).toUTC();
    }
    return QDateTime(shell::DateFromNumber(from), QTime(0, 0), QTimeZone::utc());
}

}  // namespace

QHash<int, QString> clientNames(engine::Database& db, const QString& prefix, const QList<int>& kids)
{
    QHash<int, QString> names;
    for (qsizetype i = 0; i < kids.size(); i += 500) {
        QStringList list;
        for (int kid : kids.mid(i, 500)) list << QString::number(kid);
        auto q = db.open(shell::Sql(u"SELECT KID, TITLE, SURNAME, NAME FROM %1 WHERE KID IN (%2)", shell::Table(prefix, u"KARTY.DB"),
                                    list.join(QLatin1Char(',')))
                             .toStdString());
        while (q->next())
            names.insert(int(q->integer("KID")),
                         QStringList{text(*q, "TITLE"), text(*q, "SURNAME"), text(*q, "NAME")}.join(QLatin1Char(' ')).simplified());
    }
    return names;
}

QList<ExportEvent> exportEvents(engine::Database& db, const QString& prefix, int today, bool names)
{
    const int first = today - 30;
    const int end = shell::NumberFromDate(shell::DateFromNumber(today).addYears(2));
    auto q = db.open(shell::Sql(u"SELECT BID, PID, DATEFROM, DATETHRU, STATUS, KID, BOOKEDFOR, UPMJ, UPMT FROM %1 "
                                u"WHERE DATEFROM<%2 AND DATETHRU>%3 ORDER BY PID, DATEFROM, BID",
                                shell::Table(prefix, u"POBYTY.DB"), shell::QuoteText(shell::DateText(double(end))),
                                shell::QuoteText(shell::DateText(double(first))))
                         .toStdString());
    QList<ExportEvent> events;
    QHash<int, int> kidOf;  // event index -> client card
    while (q->next()) {
        if (q->isNull("DATEFROM") || q->isNull("DATETHRU")) continue;
        const QString status = text(*q, "STATUS").trimmed();
        if (status == QLatin1String("O")) continue;
        ExportEvent e;
        e.bid = int(q->integer("BID"));
        e.pid = text(*q, "PID");
        e.from = int(q->integer("DATEFROM"));
        e.thru = int(q->integer("DATETHRU"));
        if (e.thru <= e.from) continue;
        e.stamp = stampOf(*q, e.from);
        e.summary = QStringLiteral("Not available");
        if (names && status != QLatin1String("X")) {
            const int kid = int(q->integer("KID"));
            if (kid > 0) kidOf.insert(int(events.size()), kid);
            else if (const QString guest = text(*q, "BOOKEDFOR").simplified(); !guest.isEmpty()) e.summary = guest;
        }
        events << e;
    }
    if (!kidOf.isEmpty()) {
        QList<int> kids = kidOf.values();
        std::sort(kids.begin(), kids.end());
        kids.erase(std::unique(kids.begin(), kids.end()), kids.end());
        const QHash<int, QString> found = clientNames(db, prefix, kids);
        for (auto it = kidOf.cbegin(); it != kidOf.cend(); ++it)
            if (const QString name = found.value(it.value()); !name.isEmpty()) events[it.key()].summary = name;
    }
    return events;
}

QByteArray roomCalendar(const QString& pid, const QString& roomName, const QList<ExportEvent>& events)
{
    icalcomponent* calendar = icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                                  icalproperty_new_prodid("-//Tamarel//Room calendars//EN"),
                                                  icalproperty_new_calscale("GREGORIAN"), nullptr);
    const QByteArray name = (roomName.isEmpty() ? pid : roomName).toUtf8();
    icalproperty* calName = icalproperty_new_x(name.constData());
    icalproperty_set_x_name(calName, "X-WR-CALNAME");
    icalcomponent_add_property(calendar, calName);
    for (const ExportEvent& e : events) {
        icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(event, icalproperty_new_uid(stayUid(e.bid).toUtf8().constData()));
        icalcomponent_add_property(
            event, icalproperty_new_dtstamp(icaltime_from_timet_with_zone(e.stamp.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone())));
        icalcomponent_add_property(event, icalproperty_new_dtstart(dateOf(e.from)));
        icalcomponent_add_property(event, icalproperty_new_dtend(dateOf(e.thru)));
        icalcomponent_add_property(event, icalproperty_new_summary(e.summary.toUtf8().constData()));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_OPAQUE));
        icalcomponent_add_component(calendar, event);
    }
    char* text = icalcomponent_as_ical_string_r(calendar);
    const QByteArray bytes(text);
    icalmemory_free_buffer(text);
    icalcomponent_free(calendar);
    return bytes;
}

QString exportFileName(const QString& pid)
{
    QString name;
    for (const char c : pid.trimmed().toUtf8()) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        name += plain ? QString(QLatin1Char(c)) : QStringLiteral("_%1").arg(uchar(c), 2, 16, QLatin1Char('0')).toUpper();
    }
    return (name.isEmpty() ? QStringLiteral("_") : name) + QStringLiteral(".ics");
}

ExportSummary exportCalendars(engine::Database& db, const QString& prefix, const QString& folder, int today, bool names)
{
    const QList<ExportEvent> events = exportEvents(db, prefix, today, names);
    QHash<QString, QList<ExportEvent>> byRoom;
    for (const ExportEvent& e : events) byRoom[e.pid.trimmed()].append(e);
    ExportSummary summary;
    summary.events = int(events.size());
    if (!QDir().mkpath(folder)) throw std::runtime_error("cannot create the folder " + folder.toStdString());
    auto rooms = db.open(shell::Sql(u"SELECT PID, PNAME FROM %1 ORDER BY PID", shell::Table(prefix, u"POKOJE.DB")).toStdString());
    while (rooms->next()) {
        const QString pid = text(*rooms, "PID").trimmed();
        const QByteArray bytes = roomCalendar(pid, text(*rooms, "PNAME"), byRoom.value(pid));
        const QString path = QDir(folder).filePath(exportFileName(pid));
        ++summary.files;
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) continue;
        existing.close();
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
        ++summary.written;
    }
    return summary;
}

}  // namespace calendars
