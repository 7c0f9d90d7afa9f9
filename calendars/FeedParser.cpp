// Reading feeds with libical: the checks of the whole text, then of every event.
#include "calendars/FeedParser.h"

#include <QDate>
#include <QSet>
#include <QTimeZone>
#include <libical/ical.h>
#include <memory>

#include "shell/ValueHelpers.h"

namespace calendars {

namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

ParsedFeed refused(const char* problem, const QString& detail = {})
{
    ParsedFeed f;
    f.problem = QString::fromLatin1(problem);
    f.detail = detail.left(120);
    return f;
}

// The first and last lines that hold something, without a byte order mark.
QByteArray firstLine(const QByteArray& bytes)
{
    QByteArray b = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    b = b.trimmed();
    const qsizetype end = b.indexOf('\n');
    return (end < 0 ? b : b.left(end)).trimmed();
}

QByteArray lastLine(const QByteArray& bytes)
{
    const QByteArray b = bytes.trimmed();
    const qsizetype start = b.lastIndexOf('\n');
    return (start < 0 ? b : b.mid(start + 1)).trimmed();
}

icaltimezone* hotelZone(const QByteArray& zoneId)
{
    const QByteArray id = zoneId.isEmpty() ? QTimeZone::systemTimeZoneId() : zoneId;
    if (icaltimezone* z = icaltimezone_get_builtin_timezone(id.constData())) return z;
    return icaltimezone_get_utc_timezone();
}

int dayOf(const icaltimetype& t) { return shell::NumberFromDate(QDate(t.year, t.month, t.day)); }

// Whether a date-time property names a zone libical does not know.
bool unknownZone(icalcomponent* event, icalproperty_kind kind, const icaltimetype& t)
{
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    if (!p) return false;
    return icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER) && !t.zone && !icaltime_is_utc(t);
}

// The day of a date, or of a date-time in the hotel's zone (floating times are the hotel's).
int localDay(icaltimetype t, icaltimezone* zone)
{
    if (icaltime_is_date(t) || (!t.zone && !icaltime_is_utc(t))) return dayOf(t);
    return dayOf(icaltime_convert_to_zone(t, zone));
}

QString propertyText(icalcomponent* event, icalproperty_kind kind)
{
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    const char* value = p ? icalproperty_get_value_as_string(p) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

}  // namespace

QString stayUid(int bid) { return QStringLiteral("stay-%1@tamarel.calendar").arg(bid); }

bool isOwnUid(const QString& uid) { return uid.endsWith(QLatin1String("@tamarel.calendar"), Qt::CaseInsensitive); }

ParsedFeed parseFeed(const QByteArray& bytes, const QByteArray& zoneId)
{
    if (bytes.size() > kMaxFeedBytes) return refused("The feed is larger than 5 MB");
    if (firstLine(bytes).compare("BEGIN:VCALENDAR", Qt::CaseInsensitive) != 0)
        return refused("The feed is not an iCalendar file", QString::fromUtf8(firstLine(bytes).left(60)));
    if (lastLine(bytes).compare("END:VCALENDAR", Qt::CaseInsensitive) != 0)
        return refused("The feed is truncated (it does not end with END:VCALENDAR)");
    icalerror_set_errors_are_fatal(0);
    std::unique_ptr<icalcomponent, ComponentFree> root(icalparser_parse_string(bytes.constData()));
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        return refused("The feed is not an iCalendar file");

    icaltimezone* zone = hotelZone(zoneId);
    ParsedFeed feed;
    QSet<QString> uids;
    for (icalcomponent* e = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
        const QString uid = propertyText(e, ICAL_UID_PROPERTY).trimmed();
        if (icalcomponent_count_errors(e) > 0) {
            icalproperty* error = icalcomponent_get_first_property(e, ICAL_XLICERROR_PROPERTY);
            return refused("An event of the feed cannot be read",
                           uid + QStringLiteral(": ") + QString::fromUtf8(error ? icalproperty_get_xlicerror(error) : ""));
        }
        if (uid.isEmpty()) return refused("An event of the feed has no UID");
        if (uids.contains(uid)) return refused("The feed gives the same event UID twice", uid);
        uids.insert(uid);
        if (icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY) || icalcomponent_get_first_property(e, ICAL_RDATE_PROPERTY) ||
            icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY))
            return refused("The feed holds a recurring event", uid);
        if (!icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY)) return refused("An event of the feed has no dates", uid);
        const icaltimetype start = icalcomponent_get_dtstart(e);
        if (icaltime_is_null_time(start)) return refused("An event of the feed has no dates", uid);
        icaltimetype end = icalcomponent_get_dtend(e);  // from DTEND or DURATION
        if (unknownZone(e, ICAL_DTSTART_PROPERTY, start) || unknownZone(e, ICAL_DTEND_PROPERTY, end))
            return refused("An event of the feed names an unknown time zone", uid);
        const int from = localDay(start, zone);
        int thru = from;
        if (icaltime_is_null_time(end)) thru = icaltime_is_date(start) ? from + 1 : from;  // a day, or a moment
        else thru = localDay(end, zone);
        if (!icaltime_is_null_time(end) && icaltime_compare(end, start) < 0)
            return refused("An event of the feed ends before it begins", uid);
        if (icalcomponent_get_status(e) == ICAL_STATUS_CANCELLED || thru <= from) continue;
        feed.events.append({uid, from, thru, propertyText(e, ICAL_SUMMARY_PROPERTY).simplified()});
    }
    feed.ok = true;
    return feed;
}

}  // namespace calendars
