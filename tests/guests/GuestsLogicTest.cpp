// The guest book's logic without a database: the police file's bytes for a table of guests
// (the police's own sample lines among them), the last day to report, the date arguments and
// the birth dates and document numbers the guests window warns about.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

#include "guests/Countries.h"
#include "guests/Dates.h"
#include "shell/WorkingDays.h"
#include "guests/Guest.h"
#include "guests/HotelSettings.h"
#include "guests/PoliceFile.h"

using namespace guests;

namespace {

HotelDetails samplHotel()
{
    HotelDetails h;
    h.idub = QStringLiteral("123456789012");
    h.abbrev = QStringLiteral("VODPO");
    h.name = QStringLiteral("Hotel Pošta");
    h.contact = QStringLiteral("Jan Sibelius, tel: 261 197 135");
    h.district = QStringLiteral("Strakonice");
    h.municipality = QStringLiteral("Vodňany");
    h.part = QStringLiteral("Vodňany I");
    h.street = QStringLiteral("Alešova");
    h.houseNo = QStringLiteral("26");
    h.postcode = QStringLiteral("38901");
    return h;
}

const QDateTime kMade(QDate(2015, 12, 6), QTime(4, 31, 26));
// The police's sample provider line, in Windows-1250 (š 9A, ň F2).
const QByteArray kSampleA = "A|2|123456789012|VODPO|Hotel Po\x9A" "ta|Jan Sibelius, tel: 261 197 135|Strakonice|Vod\xF2"
                            "any|Vod\xF2" "any I|Ale\x9A" "ova|26||38901|2015.12.06 04:31:26||\r\n";

Guest sampleGuest()
{
    Guest g;
    g.HID = 1;
    g.SURNAME = QStringLiteral("Abdalla");
    g.NAME = QStringLiteral("Fazul");
    g.DATEBIRTH = QStringLiteral("25.02.1974");
    g.CITIZEN = QStringLiteral("XXX");
    g.ADDRESS = QStringLiteral("Kábul, Kedale 21");
    g.DOCNUM = QStringLiteral("321654");
    g.VISA = QStringLiteral("999");
    g.PURPOSE = QStringLiteral("01");
    g.DATEFROM = QDate(2015, 10, 1);
    g.DATETHRU = QDate(2015, 10, 2);
    return g;
}

}  // namespace

// A client card's country as people write it at a Czech desk becomes the police's code.
TEST(Countries, TypedCountriesBecomeTheirCodes)
{
    const struct { const char* typed; const char* code; } cases[] = {
        {"ČR", "CZE"}, {"Česká republika", "CZE"}, {"SR", "SVK"}, {"Slovensko", "SVK"}, {"Germany", "DEU"},
        {"DEU", "DEU"}, {"at", "AUT"}, {"Costa Rica", "CRI"}, {"", ""}, {"Atlantis", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guests::countryCode(QString::fromUtf8(c.typed)).toStdString(), c.code) << c.typed;
}

TEST(PoliceFile, PoliceSampleLinesComeOutByteForByte)
{
    const PoliceFile f = makePoliceFile(samplHotel(), {sampleGuest()}, kMade);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f.bytes, kSampleA + QByteArray("U|01.10.2015|02.10.2015|ABDALLA|FAZUL||25.02.1974|||XXX|K\xE1" "bul, Kedale 21|321654|999|01||\r\n"));
    EXPECT_EQ(f.written, QList<int>{1});
    EXPECT_EQ(policeFileName(samplHotel().idub, kMade), QStringLiteral("123456789012_1512060431.unl"));
}

// Each case: a change to the sample guest, then either the U line expected or the field
// the file is refused for (nothing written).
TEST(PoliceFile, GuestCases)
{
    struct Case {
        const char* what;
        void (*change)(Guest&);
        QByteArray line;        // expected U line; empty: the guest is not written
        const char* refusedField;  // the field named when refused, nullptr when written or skipped
        bool missing;
    };
    const Case cases[] = {
        {"a Czech citizen is not reported", [](Guest& g) { g.CITIZEN = QStringLiteral("CZE"); }, {}, nullptr, false},
        {"unknown birth day and month", [](Guest& g) { g.DATEBIRTH = QStringLiteral("00.00.1974"); },
         "U|01.10.2015|02.10.2015|ABDALLA|FAZUL||00.00.1974|||XXX|K\xE1" "bul, Kedale 21|321654|999|01||\r\n", nullptr, false},
        {"Czech letters in capitals", [](Guest& g) { g.SURNAME = QStringLiteral("Žluťoučký"); g.NAME = QStringLiteral("Čeněk"); g.CITIZEN = QStringLiteral("svk"); },
         "U|01.10.2015|02.10.2015|\x8ELU\x8DOU\xC8K\xDD|\xC8" "EN\xCCK||25.02.1974|||SVK|K\xE1" "bul, Kedale 21|321654|999|01||\r\n", nullptr, false},
        {"empty optional fields, blanks at the right dropped, default purpose",
         [](Guest& g) { g.ADDRESS.clear(); g.VISA = QStringLiteral("   "); g.PURPOSE.clear(); g.NAME = QStringLiteral("Fazul  "); },
         "U|01.10.2015|02.10.2015|ABDALLA|FAZUL||25.02.1974|||XXX||321654||10||\r\n", nullptr, false},
        {"a stay across the period's edges keeps its own days", [](Guest& g) { g.DATETHRU = QDate(2016, 1, 3); },
         "U|01.10.2015|03.01.2016|ABDALLA|FAZUL||25.02.1974|||XXX|K\xE1" "bul, Kedale 21|321654|999|01||\r\n", nullptr, false},
        {"a name with |", [](Guest& g) { g.SURNAME = QStringLiteral("Abd|alla"); }, {}, "surname", false},
        {"a note with a line break", [](Guest& g) { g.NOTE = QStringLiteral("late\r\narrival"); }, {}, "note", false},
        {"a letter Windows-1250 lacks", [](Guest& g) { g.NAME = QStringLiteral("Фазул"); }, {}, "first name", false},
        {"missing document", [](Guest& g) { g.DOCNUM.clear(); }, {}, "document number", true},
        {"too short a document", [](Guest& g) { g.DOCNUM = QStringLiteral("12"); }, {}, "document number", false},
        {"missing birth year", [](Guest& g) { g.DATEBIRTH.clear(); }, {}, "birth year", true},
        {"an impossible birth date", [](Guest& g) { g.DATEBIRTH = QStringLiteral("31.02.1974"); }, {}, "birth year", false},
        {"an address over 128", [](Guest& g) { g.ADDRESS = QString(129, QLatin1Char('a')); }, {}, "address", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Guest g = sampleGuest();
        c.change(g);
        const PoliceFile f = makePoliceFile(samplHotel(), {g}, kMade);
        if (c.refusedField) {
            ASSERT_EQ(f.problems.size(), 1);
            EXPECT_EQ(f.problems[0].field, QLatin1String(c.refusedField));
            EXPECT_EQ(f.problems[0].HID, 1);
            EXPECT_EQ(f.problems[0].missing, c.missing);
            EXPECT_TRUE(f.bytes.isEmpty());
            EXPECT_TRUE(f.written.isEmpty());
        } else {
            ASSERT_TRUE(f.ok());
            EXPECT_EQ(f.bytes, kSampleA + c.line);
            EXPECT_EQ(f.written.size(), c.line.isEmpty() ? 0 : 1);
        }
    }
}

TEST(PoliceFile, IncompleteGuestsAreLeftOutOnlyByChoiceAndRefusalsNever)
{
    Guest complete = sampleGuest();
    Guest noDocument = sampleGuest();
    noDocument.HID = 2;
    noDocument.DOCNUM.clear();
    noDocument.CITIZEN.clear();   // no citizenship counts as foreign: the police must hear of it
    EXPECT_EQ(makePoliceFile(samplHotel(), {complete, noDocument}, kMade).problems.size(), 2);

    QList<PoliceProblem> omitted;
    const PoliceFile f = makePoliceFile(samplHotel(), {complete, noDocument}, kMade, true, &omitted);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f.written, QList<int>{1});
    ASSERT_EQ(omitted.size(), 2);
    EXPECT_EQ(omitted[0].field, QStringLiteral("citizenship"));
    EXPECT_EQ(omitted[1].field, QStringLiteral("document number"));

    Guest withBar = noDocument;
    withBar.NAME = QStringLiteral("a|b");
    EXPECT_FALSE(makePoliceFile(samplHotel(), {complete, withBar}, kMade, true, &omitted).ok());

    HotelDetails noIdub = samplHotel();
    noIdub.idub.clear();
    const PoliceFile refused = makePoliceFile(noIdub, {complete}, kMade);
    ASSERT_EQ(refused.problems.size(), 1);
    EXPECT_EQ(refused.problems[0].field, QStringLiteral("IDUB"));
    EXPECT_TRUE(refused.problems[0].guest.isEmpty());
}

TEST(WorkingDays, LastDayToReport)
{
    struct Case {
        QDate arrival, last;
        const char* what;
    };
    const Case cases[] = {
        {QDate(2026, 12, 7), QDate(2026, 12, 10), "Monday: Thursday"},
        {QDate(2026, 12, 11), QDate(2026, 12, 16), "Friday: over the weekend"},
        {QDate(2026, 12, 12), QDate(2026, 12, 16), "Saturday: three working days from Monday"},
        {QDate(2026, 12, 23), QDate(2026, 12, 30), "Christmas Eve and both Christmas days"},
        {QDate(2026, 4, 2), QDate(2026, 4, 9), "Good Friday and Easter Monday 2026"},
        {QDate(2015, 4, 2), QDate(2015, 4, 8), "Good Friday was a working day before 2016"},
        {QDate(2025, 4, 17), QDate(2025, 4, 24), "Easter 2025 (20 April)"},
        {QDate(2026, 10, 27), QDate(2026, 11, 2), "28 October (Wednesday)"},
        {QDate(2026, 4, 30), QDate(2026, 5, 6), "1 May (Friday)"},
        {QDate(2026, 5, 7), QDate(2026, 5, 13), "8 May (Friday)"},
        {QDate(2026, 7, 3), QDate(2026, 7, 9), "5 July (Sunday) and 6 July (Monday)"},
    };
    for (const Case& c : cases) EXPECT_EQ(lastDayToReport(c.arrival), c.last) << c.what;
    EXPECT_EQ(shell::EasterSunday(2024), QDate(2024, 3, 31));
    EXPECT_EQ(shell::EasterSunday(2019), QDate(2019, 4, 21));
    EXPECT_EQ(shell::EasterSunday(2038), QDate(2038, 4, 25));
}

TEST(Dates, ArgumentsAndBirthDates)
{
    for (const char* t : {"5.3.2026", "05.03.2026", "2026-03-05", " 5.03.2026 "})
        EXPECT_EQ(parseDateArgument(QString::fromLatin1(t)), QDate(2026, 3, 5)) << t;
    for (const char* t : {"31.2.2026", "2026-3-5", "5.3.26", "", "5/3/2026"})
        EXPECT_FALSE(parseDateArgument(QString::fromLatin1(t)).isValid()) << t;

    for (const char* t : {"25.02.1974", "00.02.1974", "00.00.1974", "29.02.2000"}) EXPECT_TRUE(validBirthDate(QString::fromLatin1(t))) << t;
    for (const char* t : {"25.2.1974", "12.00.1974", "29.02.1999", "32.01.1974", "25.02.74"})
        EXPECT_FALSE(validBirthDate(QString::fromLatin1(t))) << t;
    for (const char* t : {"321654", "AB 123456", "X-1234"}) EXPECT_TRUE(plausibleDocumentNumber(QString::fromLatin1(t))) << t;
    for (const char* t : {"123", "--1234", "12.345.6", "1234 "}) EXPECT_FALSE(plausibleDocumentNumber(QString::fromLatin1(t))) << t;
}

TEST(Guests, WarningsOfAStay)
{
    Guest czech;
    czech.SURNAME = QStringLiteral("Novák");
    czech.NAME = QStringLiteral("Jan");
    czech.CITIZEN = QStringLiteral("CZE");
    Guest foreign = sampleGuest();
    foreign.DOCNUM = QStringLiteral("1");
    foreign.DATEBIRTH.clear();
    const QList<StayWarning> w = stayWarnings({czech, foreign}, 3);
    ASSERT_EQ(w.size(), 3);
    EXPECT_EQ(w[0].text(), QStringLiteral("The stay is for 3 persons and 2 are listed."));
    EXPECT_EQ(w[1].text(), QStringLiteral("Abdalla Fazul: the police need birth year."));
    EXPECT_EQ(w[2].text(), QStringLiteral("Abdalla Fazul: the document number 1 is not plausible."));
    EXPECT_TRUE(stayWarnings({czech}, 1).isEmpty());   // a Czech citizen needs no document
    Guest unnamed;   // just added: named by its place in the list
    const QList<StayWarning> u = stayWarnings({czech, unnamed}, 2);
    ASSERT_EQ(u.size(), 1);
    EXPECT_EQ(u[0].text(), QStringLiteral("#2: the police need surname, first name, birth year, citizenship, document number, from, to."));
}

TEST(HotelSettings, Checks)
{
    EXPECT_TRUE(checkSetting(QStringLiteral("IDUB"), QStringLiteral("123456789012")).isEmpty());
    EXPECT_FALSE(checkSetting(QStringLiteral("IDUB"), QStringLiteral("12345678901")).isEmpty());
    EXPECT_FALSE(checkSetting(QStringLiteral("ABBREV"), QStringLiteral("VODP")).isEmpty());
    EXPECT_TRUE(checkSetting(QStringLiteral("houseno"), QStringLiteral("E123")).isEmpty());
    EXPECT_FALSE(checkSetting(QStringLiteral("HOUSENO"), QStringLiteral("12345")).isEmpty());
    EXPECT_FALSE(checkSetting(QStringLiteral("NAME"), QString(36, QLatin1Char('x'))).isEmpty());
    EXPECT_FALSE(checkSetting(QStringLiteral("CONTACT"), QStringLiteral("a|b")).isEmpty());
    EXPECT_FALSE(checkSetting(QStringLiteral("NOSUCH"), QStringLiteral("x")).isEmpty());
    EXPECT_TRUE(checkSetting(QStringLiteral("IDUB"), QString()).isEmpty());   // empty removes it
    EXPECT_EQ(hotelAddressLine(samplHotel()), QStringLiteral("Alešova 26, 38901 Vodňany"));
}
