// The rooms' calendars: the export of a table of stays parsed back (by libical, apart from
// the code that wrote it) gives exactly the expected events; the synchronisation with feeds of
// the portals' kinds served on 127.0.0.1 gives exactly the expected stays, follows changes,
// removals and holds the desk took over, and refuses every bad feed without touching its
// holds. On table files and on the test server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <libical/ical.h>

#include "CalendarsFixture.h"
#include "calendars/CalendarExport.h"
#include "calendars/CalendarStore.h"
#include "calendars/CalendarSync.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using enginetest::Storage;

int day(int y, int m, int d) { return shell::NumberFromDate(QDate(y, m, d)); }
const QDateTime kNow(QDate(2027, 3, 1), QTime(10, 0));
const int kToday = day(2027, 3, 1);

// The events of a calendar file as "UID|DTSTART|DTEND|SUMMARY", sorted.
QStringList eventsOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {QStringLiteral("<no file>")};
    const QByteArray bytes = f.readAll();
    icalcomponent* root = icalparser_parse_string(bytes.constData());
    QStringList out;
    for (icalcomponent* e = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype s = icalcomponent_get_dtstart(e), t = icalcomponent_get_dtend(e);
        const bool allDay = icaltime_is_date(s) && icaltime_is_date(t) && icalcomponent_get_first_property(e, ICAL_DTSTAMP_PROPERTY);
        out << QStringList{QString::fromUtf8(icalcomponent_get_uid(e)), QString::fromLatin1(icaltime_as_ical_string(s)),
                           QString::fromLatin1(icaltime_as_ical_string(t)), QString::fromUtf8(icalcomponent_get_summary(e)),
                           allDay ? QStringLiteral("all-day") : QStringLiteral("timed")}
                   .join(QLatin1Char('|'));
    }
    icalcomponent_free(root);
    out.sort();
    return out;
}

class CalendarsTest : public ::testing::TestWithParam<Storage> {};

// Each status, no night, the window's edges, out-of-order, cancelled (deleted), names.
TEST_P(CalendarsTest, ExportHoldsExactlyTheTakenNights)
{
    CalendarsDb t(GetParam(), kNow);
    for (const auto& [pid, name] : {std::pair{"1", "One"}, {"2", "Two"}, {"3", "Three"}, {"A/1", "Annex"}}) t.room(pid, name);
    const int kid = t.client("Mr", "Novak", "Jan");
    const int end = day(2029, 3, 1);  // two years ahead
    struct Case {
        const char* what;
        const char* pid;
        int from, thru;
        const char* status;
        int kid;
        const char* bookedFor;
        const char* summaryWithNames;  // nullptr: not exported
    };
    const Case cases[] = {
        {"preliminary", "1", kToday + 4, kToday + 7, "P", 0, "Walk-in Dvorak", "Walk-in Dvorak"},
        {"definitive", "1", kToday + 9, kToday + 11, "R", kid, "", "Mr Novak Jan"},
        {"checked in", "2", kToday - 2, kToday + 3, "H", kid, "", "Mr Novak Jan"},
        {"saved without a status", "2", kToday + 19, kToday + 20, "?", 0, "Phone", "Phone"},
        {"out of order", "3", kToday, kToday + 3, "X", 0, "Painting", "Not available"},
        {"checked out", "1", kToday - 5, kToday - 1, "O", kid, "", nullptr},
        {"no night", "1", kToday + 30, kToday + 30, "P", 0, "Zero", nullptr},
        {"reaching into the window's start", "2", kToday - 40, kToday - 29, "R", kid, "", "Mr Novak Jan"},
        {"ending at the window's start", "2", kToday - 45, kToday - 30, "R", kid, "", nullptr},
        {"reaching past the window's end", "3", end - 1, end + 6, "P", 0, "Far", "Far"},
        {"beginning at the window's end", "3", end, end + 2, "P", 0, "Too far", nullptr},
        {"odd room name", "A/1", kToday + 1, kToday + 2, "P", 0, "Annex guest", "Annex guest"},
        {"cancelled", "1", kToday + 40, kToday + 42, "P", 0, "Gone", nullptr},
    };
    QHash<QString, QStringList> plain, named;
    for (const Case& c : cases) {
        const int bid = t.stay(QString::fromLatin1(c.pid), c.from, c.thru, QString::fromLatin1(c.status), c.kid, QString::fromUtf8(c.bookedFor));
        if (QLatin1String(c.what) == QLatin1String("cancelled")) t.exec(QStringLiteral("DELETE FROM \"{db}POBYTY.DB\" WHERE BID=%1").arg(bid));
        if (!c.summaryWithNames) continue;
        const QString head = QStringLiteral("stay-%1@tamarel.calendar|%2|%3|").arg(bid).arg(
                                 shell::DateFromNumber(c.from).toString(u"yyyyMMdd"), shell::DateFromNumber(c.thru).toString(u"yyyyMMdd"));
        plain[QString::fromLatin1(c.pid)] << head + QStringLiteral("Not available|all-day");
        named[QString::fromLatin1(c.pid)] << head + QString::fromUtf8(c.summaryWithNames) + QStringLiteral("|all-day");
    }
    const QStringList before = t.rows(QStringLiteral("SELECT * FROM \"{db}POBYTY.DB\""));
    QTemporaryDir out;
    const QStringList files = {"1.ics", "2.ics", "3.ics", "A_2F1.ics"};
    const auto check = [&](QHash<QString, QStringList> expected, bool names, int written) {
        const calendars::ExportSummary s = calendars::exportCalendars(t.db(), t.prefix(), out.path(), kToday, names);
        EXPECT_EQ(s.files, 4);
        EXPECT_EQ(s.written, written) << "names " << names;
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), files);
        for (const auto& [pid, file] : {std::pair{"1", "1.ics"}, {"2", "2.ics"}, {"3", "3.ics"}, {"A/1", "A_2F1.ics"}}) {
            QStringList want = expected.value(QString::fromLatin1(pid));
            want.sort();
            EXPECT_EQ(eventsOf(out.filePath(QString::fromLatin1(file))), want) << pid << " names " << names;
        }
    };
    check(plain, false, 4);
    check(plain, false, 0);  // unchanged stays: the same bytes, nothing rewritten
    check(named, true, 4);
    // A room whose last stay goes away gets an empty calendar.
    t.exec(QStringLiteral("DELETE FROM \"{db}POBYTY.DB\" WHERE PID=\"A/1\""));
    named.remove(QStringLiteral("A/1"));
    check(named, true, 1);
    // The export changes no stay.
    QStringList kept = before;
    kept.removeIf([](const QString& row) { return row.contains(QLatin1String("|A/1|")); });
    EXPECT_EQ(t.rows(QStringLiteral("SELECT * FROM \"{db}POBYTY.DB\"")), kept);
}

// Feeds of the portals' kinds: all-day events with CR LF and folded lines, local date-times
// with a time zone and UTC ones with LF, a duration, a past event, a cancelled event, an
// event the hotel's own export gave the portal.
QByteArray airbnb(const QByteArray& a1, const QByteArray& a2)
{
    QByteArray f = "BEGIN:VCALENDAR\r\nPRODID:-//Airbnb Inc//Hosting Calendar 1.0//EN\r\nCALSCALE:GREGORIAN\r\nVERSION:2.0\r\n";
    if (!a1.isEmpty())
        f += "BEGIN:VEVENT\r\nDTSTAMP:20270220T101010Z\r\n" + a1 + "UID:1418fb94e984-0c1a2b@airbnb.com\r\n"
             "DESCRIPTION:Reservation URL: https://www.airbnb.com/hosting/reservations/de\r\n tails/HMABCDEF\\nPhone: 1234\r\n"
             "SUMMARY:Reserved\r\nEND:VEVENT\r\n";
    if (!a2.isEmpty())
        f += "BEGIN:VEVENT\r\nDTSTAMP:20270220T101010Z\r\n" + a2 + "UID:1418fb94e984-77aa@airbnb.com\r\n"
             "SUMMARY:Airbnb (Not avail\r\n able)\r\nEND:VEVENT\r\n";
    f += "BEGIN:VEVENT\r\nDTSTAMP:20270220T101010Z\r\nDTSTART;VALUE=DATE:20270201\r\nDTEND;VALUE=DATE:20270203\r\n"
         "UID:past@airbnb.com\r\nSUMMARY:Reserved\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270401\r\nDTEND;VALUE=DATE:20270403\r\nUID:stay-77@tamarel.calendar\r\n"
         "SUMMARY:Not available\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    return f;
}

QByteArray booking(const QList<QByteArray>& events)
{
    QByteArray f = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Booking.com//Availability Calendar//EN\n";
    for (const QByteArray& e : events) f += "BEGIN:VEVENT\nDTSTAMP:20270221T080000Z\n" + e + "END:VEVENT\n";
    return f + "END:VCALENDAR\n";
}

const QByteArray kB1 = "UID:b1@booking.com\nDTSTART;TZID=Europe/Prague:20270310T150000\nDTEND;TZID=Europe/Prague:20270313T100000\n"
                       "SUMMARY:CLOSED - Not available\n";
// 23:00 UTC on the 14th is midnight of the 15th in Prague: one night, the 15th.
const QByteArray kB2 = "UID:b2@booking.com\nDTSTART:20270314T230000Z\nDTEND:20270316T090000Z\nSUMMARY:Closed\n";
const QByteArray kB3 = "UID:b3@booking.com\nDTSTART;VALUE=DATE:20270325\nDTEND;VALUE=DATE:20270327\nSUMMARY:Closed\n";
const QByteArray kB4 = "UID:b4@booking.com\nDTSTART;VALUE=DATE:20270401\nDTEND;VALUE=DATE:20270402\nSUMMARY:Closed\n";
const QByteArray kCancelled = "UID:bx@booking.com\nSTATUS:CANCELLED\nDTSTART;VALUE=DATE:20270305\nDTEND;VALUE=DATE:20270306\nSUMMARY:Closed\n";
const QByteArray kVrbo = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//HomeAway//EN\nBEGIN:VEVENT\nUID:v1-3391@vrbo.com\n"
                         "DTSTART;VALUE=DATE:20270402\nDURATION:P3D\nSUMMARY:Reserved - Guest\n\t Name\nEND:VEVENT\nEND:VCALENDAR\n";

struct SyncSetup {
    CalendarsDb t;
    FeedServer server;
    QTemporaryDir dir;
    int deskStay = 0, kid = 0;
    calendars::SyncOptions o;
    explicit SyncSetup(Storage s) : t(s, kNow)
    {
        for (const auto& [pid, name] : {std::pair{"1", "One"}, {"2", "Two"}, {"3", "Three"}}) t.room(pid, name);
        kid = t.client("Mrs", "Svobodova", "Eva");
        deskStay = t.stay(QStringLiteral("1"), day(2027, 3, 6), day(2027, 3, 7), QStringLiteral("R"), kid, QString());
        server.feed(QStringLiteral("/airbnb.ics"), airbnb("DTSTART;VALUE=DATE:20270305\r\nDTEND;VALUE=DATE:20270308\r\n",
                                                          "DTSTART;VALUE=DATE:20270320\r\nDTEND;VALUE=DATE:20270322\r\n"));
        server.feed(QStringLiteral("/booking.ics"), booking({kB1, kB2, kCancelled}));
        QFile vrbo(dir.filePath(QStringLiteral("vrbo.ics")));
        vrbo.open(QIODevice::WriteOnly);
        vrbo.write(kVrbo);
        vrbo.close();
        calendars::Store store(t.db(), t.prefix());
        store.addFeed(QStringLiteral("1"), server.url(QStringLiteral("/airbnb.ics")), QStringLiteral("Airbnb"));
        store.addFeed(QStringLiteral("2"), server.url(QStringLiteral("/booking.ics")), QStringLiteral("Booking"));
        store.addFeed(QStringLiteral("3"), dir.filePath(QStringLiteral("vrbo.ics")), QStringLiteral("Vrbo"));
        o.today = kToday;
        o.now = kNow;
        o.zoneId = "Europe/Prague";
        o.fetch.timeoutMs = 1500;
    }
    calendars::SyncReport sync()
    {
        calendars::Store store(t.db(), t.prefix());
        return calendars::synchronise(store, o);
    }
    QStringList stays()
    {
        return t.rows(QStringLiteral("SELECT PID, DATEFROM, DATETHRU, STATUS, PRTHRU, KID, BOOKEDFOR FROM \"{db}POBYTY.DB\""));
    }
    int bidOf(const QString& uid)
    {
        return t.rows(QStringLiteral("SELECT BID FROM \"{db}BLOKACE.DB\" WHERE EVUID=\"%1\"").arg(uid)).value(0).toInt();
    }
};

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

TEST_P(CalendarsTest, FeedsBecomeHoldsAndFollowThePortals)
{
    SyncSetup s(GetParam());
    const QStringList clients = s.t.rows(QStringLiteral("SELECT * FROM \"{db}KARTY.DB\"")),
                      rooms = s.t.rows(QStringLiteral("SELECT * FROM \"{db}POKOJE.DB\""));
    const QString desk = QStringLiteral("1|6.3.2027|7.3.2027|R||%1|").arg(s.kid);

    calendars::SyncReport r = s.sync();
    EXPECT_TRUE(r.badFeeds.isEmpty()) << r.text(s.o.tr).toStdString();
    EXPECT_EQ(r.added, 5);
    EXPECT_EQ(s.stays(), sorted({desk, "1|5.3.2027|8.3.2027|P|5.3.2027|0|Airbnb: Reserved",
                                 "1|20.3.2027|22.3.2027|P|20.3.2027|0|Airbnb: Airbnb (Not available)",
                                 "2|10.3.2027|13.3.2027|P|10.3.2027|0|Booking: CLOSED - Not available",
                                 "2|15.3.2027|16.3.2027|P|15.3.2027|0|Booking: Closed",
                                 "3|2.4.2027|5.4.2027|P|2.4.2027|0|Vrbo: Reserved - Guest Name"}));
    EXPECT_EQ(r.conflicts, QStringList{"One: 6.3.2027 (Airbnb: Reserved / Mrs Svobodova Eva)"});
    // Read again unchanged: nothing moves.
    r = s.sync();
    EXPECT_EQ(r.added + r.moved + r.removed, 0);

    // The desk takes two holds over: one gets a client card and is made definitive, one moves.
    const int taken = s.bidOf(QStringLiteral("1418fb94e984-77aa@airbnb.com")), moved = s.bidOf(QStringLiteral("b2@booking.com"));
    s.t.exec(QStringLiteral("UPDATE \"{db}POBYTY.DB\" SET KID=%1, STATUS=\"R\" WHERE BID=%2").arg(s.kid).arg(taken));
    s.t.exec(QStringLiteral("UPDATE \"{db}POBYTY.DB\" SET DATEFROM=\"17.3.2027\", DATETHRU=\"18.3.2027\" WHERE BID=%1").arg(moved));
    // The portals: one booking moves, one changes under the desk's hold, one is cancelled, one
    // cancelled whose hold the desk moved, one new.
    s.server.feed(QStringLiteral("/airbnb.ics"), airbnb("DTSTART;VALUE=DATE:20270306\r\nDTEND;VALUE=DATE:20270309\r\n",
                                                        "DTSTART;VALUE=DATE:20270321\r\nDTEND;VALUE=DATE:20270323\r\n"));
    s.server.feed(QStringLiteral("/booking.ics"), booking({kB3}));
    r = s.sync();
    EXPECT_TRUE(r.badFeeds.isEmpty()) << r.text(s.o.tr).toStdString();
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.moved, 1);
    EXPECT_EQ(r.removed, 1);
    EXPECT_EQ(r.removedHolds, QStringList{"Two: 10.3.2027 - 13.3.2027 (Booking: CLOSED - Not available)"});
    EXPECT_EQ(sorted(r.listedChanges),
              sorted({"One: 20.3.2027 - 22.3.2027 (Airbnb: Airbnb (Not available)) -> 21.3.2027 - 23.3.2027",
                      "Two: 15.3.2027 - 16.3.2027 (Booking: Closed) -> cancelled on the portal"}));
    // (The desk's changes keep the "held until" day the feed wrote.)
    const QStringList expected = sorted({desk, "1|6.3.2027|9.3.2027|P|6.3.2027|0|Airbnb: Reserved",
                                         QStringLiteral("1|20.3.2027|22.3.2027|R|20.3.2027|%1|Airbnb: Airbnb (Not available)").arg(s.kid),
                                         "2|17.3.2027|18.3.2027|P|15.3.2027|0|Booking: Closed",
                                         "2|25.3.2027|27.3.2027|P|25.3.2027|0|Booking: Closed",
                                         "3|2.4.2027|5.4.2027|P|2.4.2027|0|Vrbo: Reserved - Guest Name"});
    EXPECT_EQ(s.stays(), expected);
    EXPECT_EQ(sorted(r.conflicts), sorted({"One: 6.3.2027 (Airbnb: Reserved / Mrs Svobodova Eva)"}));
    // The listed change is said once; the taken-over holds are never touched again.
    r = s.sync();
    EXPECT_TRUE(r.listedChanges.isEmpty());
    EXPECT_EQ(r.added + r.moved + r.removed, 0);
    EXPECT_EQ(s.stays(), expected);
    EXPECT_EQ(s.t.rows(QStringLiteral("SELECT * FROM \"{db}KARTY.DB\"")), clients);
    EXPECT_EQ(s.t.rows(QStringLiteral("SELECT * FROM \"{db}POKOJE.DB\"")), rooms);
}

// Every feed that cannot be read leaves its holds as they are and is named once; the other
// feeds go on.
TEST_P(CalendarsTest, BadFeedsChangeNothingOfTheirHolds)
{
    SyncSetup s(GetParam());
    s.o.fetch.timeoutMs = 700;
    ASSERT_TRUE(s.sync().badFeeds.isEmpty());
    const QByteArray good = airbnb("DTSTART;VALUE=DATE:20270305\r\nDTEND;VALUE=DATE:20270308\r\n", {});
    const auto event = [](const QByteArray& lines) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:ok@x\r\nDTSTART;VALUE=DATE:20270305\r\nDTEND;VALUE=DATE:20270306\r\n"
               "END:VEVENT\r\nBEGIN:VEVENT\r\n" + lines + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    };
    struct Case {
        const char* what;
        FeedServer::Answer answer;
        const char* problem;
    };
    const Case cases[] = {
        {"no answer", {200, {}, {}, true}, "The portal did not answer in time"},
        {"not found", {404, "gone"}, "The portal answered with an HTTP error: 404 Error"},
        {"server error", {500, "oops"}, "The portal answered with an HTTP error: 500 Error"},
        {"redirect loop", {302, {}, "/airbnb.ics"}, "The feed's address redirects too often"},
        {"web page", {200, "<!DOCTYPE html><html><body>Log in</body></html>"}, "The feed is not an iCalendar file: <!DOCTYPE html><html><body>Log in</body></html>"},
        {"empty answer", {200, ""}, "The feed is not an iCalendar file"},
        {"truncated", {200, good.left(good.size() / 2)}, "The feed is truncated (it does not end with END:VCALENDAR)"},
        {"larger than 5 MB", {200, "BEGIN:VCALENDAR\r\n" + QByteArray(6 * 1024 * 1024, 'x') + "\r\nEND:VCALENDAR\r\n"}, "The feed is larger than 5 MB"},
        {"event without dates", {200, event("UID:nodates@x\r\nSUMMARY:Reserved\r\n")}, "An event of the feed has no dates: nodates@x"},
        {"end before start", {200, event("UID:back@x\r\nDTSTART;VALUE=DATE:20270310\r\nDTEND;VALUE=DATE:20270308\r\n")},
         "An event of the feed ends before it begins: back@x"},
        {"same UID twice", {200, event("UID:ok@x\r\nDTSTART;VALUE=DATE:20270310\r\nDTEND;VALUE=DATE:20270312\r\n")},
         "The feed gives the same event UID twice: ok@x"},
        {"recurring", {200, event("UID:weekly@x\r\nDTSTART;VALUE=DATE:20270310\r\nDTEND;VALUE=DATE:20270311\r\nRRULE:FREQ=WEEKLY;COUNT=4\r\n")},
         "The feed holds a recurring event: weekly@x"},
        {"unknown time zone", {200, event("UID:mars@x\r\nDTSTART;TZID=Mars/Olympus:20270310T150000\r\nDTEND;TZID=Mars/Olympus:20270312T100000\r\n")},
         "An event of the feed names an unknown time zone: mars@x"},
    };
    const QString holds = QStringLiteral("SELECT * FROM \"{db}BLOKACE.DB\"");
    int next = 4;  // the other feed gains a booking on every reading
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QStringList stays = s.stays(), heldBefore = s.t.rows(holds);
        s.server.set(QStringLiteral("/airbnb.ics"), c.answer);
        s.server.feed(QStringLiteral("/booking.ics"),
                      booking({kB1, kB2, "UID:n" + QByteArray::number(next) + "@booking.com\nDTSTART;VALUE=DATE:202705" +
                                             QByteArray::number(10 + next) + "\nDTEND;VALUE=DATE:202705" + QByteArray::number(11 + next) +
                                             "\nSUMMARY:Closed\n"}));
        const calendars::SyncReport r = s.sync();
        ASSERT_EQ(r.badFeeds.size(), 1) << r.text(s.o.tr).toStdString();
        EXPECT_EQ(r.badFeeds[0].room, QStringLiteral("One"));
        EXPECT_EQ(calendars::problemText(r.badFeeds[0].problem, r.badFeeds[0].detail, s.o.tr), QString::fromUtf8(c.problem));
        EXPECT_TRUE(r.text(s.o.tr).contains(QString::fromUtf8(c.problem)));
        // Room One exactly as before; room Two's feed went on (its previous extra booking
        // cancelled, the new one held).
        QStringList one = s.stays().filter(QRegularExpression(QStringLiteral("^1\\|")));
        EXPECT_EQ(one, stays.filter(QRegularExpression(QStringLiteral("^1\\|"))));
        EXPECT_EQ(s.t.rows(QStringLiteral("SELECT * FROM \"{db}BLOKACE.DB\" WHERE FEEDID=1")),
                  heldBefore.filter(QRegularExpression(QStringLiteral("^\\d+\\|1\\|"))));
        EXPECT_EQ(r.added, 1);
        EXPECT_EQ(s.t.rows(QStringLiteral("SELECT LASTOK, LASTRESULT FROM \"{db}KALENDARE.DB\" WHERE FEEDID=1")),
                  QStringList{QStringLiteral("0|") + QString::fromUtf8(c.problem)});
        ++next;
    }
}

INSTANTIATE_TEST_SUITE_P(Storages, CalendarsTest, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return enginetest::storageName(info.param); });

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
