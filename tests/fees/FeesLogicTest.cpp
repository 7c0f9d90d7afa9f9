// The accommodation fee and the statistical office's counts without a database: the fee of
// a person with each exemption, the book's rows, totals and CSV, the counts of guests
// crossing a month's edge, and the period arguments.
#include <gtest/gtest.h>

#include "fees/Fee.h"
#include "fees/VisitorStatistics.h"

using namespace fees;

namespace {

QDate d(const char* text) { return QDate::fromString(QString::fromLatin1(text), QStringLiteral("d.M.yyyy")); }

guests::Guest person(const char* from, const char* thru, const char* birth, const char* exempt = "")
{
    guests::Guest g;
    g.SURNAME = QStringLiteral("Nov\u00E1k");
    g.NAME = QStringLiteral("Jan");
    g.DATEFROM = d(from);
    g.DATETHRU = d(thru);
    g.DATEBIRTH = QString::fromLatin1(birth);
    g.FEEEXEMPT = QString::fromUtf8(exempt);
    return g;
}

FeeRules rules21() { return feeRules({{"FEERATE", "21.5"}}); }

struct FeeCase {
    const char* name;
    guests::Guest guest;
    int nights;
    shell::Hundredths fee;
    Exemption exemption;
};

}  // namespace

TEST(FeeRules, UnsetKeysTakeTheLawsDefaultsAndBadValuesNoFee)
{
    const FeeRules none = feeRules({});
    EXPECT_EQ(none.rate, 0);
    EXPECT_EQ(none.maxNights, 60);
    EXPECT_EQ(none.exemptUnderAge, 18);
    EXPECT_FALSE(none.onAccount);
    EXPECT_EQ(none.reasons.size(), 4);
    const FeeRules set = feeRules({{"FEERATE", "50"}, {"FEEDAYS", "30"}, {"FEEONACCOUNT", "1"}, {"FEEREASONS", "spa; ;duty"}});
    EXPECT_EQ(set.rate, 5000);
    EXPECT_EQ(set.maxNights, 30);
    EXPECT_TRUE(set.onAccount);
    EXPECT_EQ(set.reasons, (QStringList{"spa", "duty"}));
    EXPECT_EQ(feeRules({{"FEERATE", "51"}}).rate, 0);   // above the law's ceiling: not a rate
    EXPECT_EQ(feeRules({{"FEERATE", "abc"}}).rate, 0);
}

TEST(PersonFee, EachExemptionAndEveryNightCounted)
{
    const FeeCase cases[] = {
        {"adult, two nights", person("10.3.2026", "12.3.2026", "01.01.1980"), 2, 4300, Exemption::None},
        {"17 on the day of arrival", person("10.3.2026", "12.3.2026", "11.03.2008"), 2, 0, Exemption::UnderAge},
        {"18 on the day of arrival", person("10.3.2026", "12.3.2026", "10.03.2008"), 2, 4300, Exemption::None},
        {"turns 18 during the stay", person("10.3.2026", "12.3.2026", "11.03.2008"), 2, 0, Exemption::UnderAge},
        {"unknown day: the first of the month", person("10.3.2026", "12.3.2026", "00.03.2008"), 2, 4300, Exemption::None},
        {"unknown month: January", person("10.3.2026", "12.3.2026", "00.00.2008"), 2, 4300, Exemption::None},
        {"unknown month, one year younger", person("10.3.2026", "12.3.2026", "00.00.2009"), 2, 0, Exemption::UnderAge},
        {"no birth date: charged", person("10.3.2026", "12.3.2026", ""), 2, 4300, Exemption::None},
        {"typed reason", person("10.3.2026", "12.3.2026", "01.01.1980", "spa care"), 2, 0, Exemption::Reason},
        {"typed reason wins over age", person("10.3.2026", "12.3.2026", "01.01.2015", "spa care"), 2, 0, Exemption::Reason},
        {"exactly 60 nights", person("1.1.2026", "2.3.2026", "01.01.1980"), 60, 129000, Exemption::None},
        {"61 nights", person("1.1.2026", "3.3.2026", "01.01.1980"), 61, 0, Exemption::OverLimit},
        {"left before the stay's end", person("10.3.2026", "11.3.2026", "01.01.1980"), 1, 2150, Exemption::None},
        {"zero nights", person("10.3.2026", "10.3.2026", "01.01.1980"), 0, 0, Exemption::None},
        {"zero nights, a child", person("10.3.2026", "10.3.2026", "01.01.2020"), 0, 0, Exemption::None},
        {"departure before arrival", person("12.3.2026", "10.3.2026", "01.01.1980"), 0, 0, Exemption::None},
    };
    for (const FeeCase& c : cases) {
        const PersonFee f = personFee(c.guest, rules21());
        EXPECT_EQ(f.nights, c.nights) << c.name;
        EXPECT_EQ(f.fee, c.fee) << c.name;
        EXPECT_EQ(int(f.exemption), int(c.exemption)) << c.name;
    }
}

TEST(FeeBook, RowsTotalsAndCsv)
{
    const QList<guests::Guest> persons = {
        person("1.3.2026", "4.3.2026", "01.01.1980"),
        person("1.3.2026", "4.3.2026", "05.05.2015"),
        person("2.3.2026", "3.3.2026", "01.01.1970", "on duty"),
        person("5.3.2026", "7.5.2026", "01.01.1970"),
    };
    const FeeBook book = makeFeeBook(persons, rules21(), d("1.3.2026"), d("31.3.2026"));
    EXPECT_EQ(book.total, 3 * 2150);
    EXPECT_EQ(book.persons, 4);
    EXPECT_EQ(book.nights, 3 + 3 + 1 + 63);
    EXPECT_EQ(book.exemptPersons, 3);
    EXPECT_EQ(book.exemptNights, 3 + 1 + 63);
    const QByteArray csv = feeBookCsv(book);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7);   // header, four persons, total, nothing after the last line end
    EXPECT_EQ(lines[0], QStringLiteral("arrival;departure;surname;name;address;birth;doctype;docnum;nights;rate;fee;exemption"));
    EXPECT_EQ(lines[1], QStringLiteral("01.03.2026;04.03.2026;Nov\u00E1k;Jan;;01.01.1980;;;3;21.50;64.50;"));
    EXPECT_EQ(lines[2], QStringLiteral("01.03.2026;04.03.2026;Nov\u00E1k;Jan;;05.05.2015;;;3;21.50;0.00;under 18 on arrival"));
    EXPECT_EQ(lines[3], QStringLiteral("02.03.2026;03.03.2026;Nov\u00E1k;Jan;;01.01.1970;;;1;21.50;0.00;on duty"));
    EXPECT_EQ(lines[4], QStringLiteral("05.03.2026;07.05.2026;Nov\u00E1k;Jan;;01.01.1970;;;63;21.50;0.00;stay over the limit of nights"));
    EXPECT_EQ(lines[5], QStringLiteral("total;;;;;;;;70;;64.50;"));
    // A field holding the separator or a quote is quoted.
    guests::Guest odd = person("1.3.2026", "2.3.2026", "01.01.1980");
    odd.ADDRESS = QStringLiteral("Main St; \"B\"");
    EXPECT_TRUE(feeBookCsv(makeFeeBook({odd}, rules21(), {}, {})).contains(";\"Main St; \"\"B\"\"\";"));
    EXPECT_EQ(stayFee(persons, rules21()).amount, 3 * 2150);
    EXPECT_EQ(stayFee(persons, rules21()).persons, 1);
}

TEST(VisitorStatistics, GuestsCrossingTheMonthsEdge)
{
    const QList<StayingGuest> guests = {
        {"DEU", d("30.3.2026"), d("2.4.2026")},   // 2 nights in March, 1 in April, arrives in March
        {"deu", d("31.3.2026"), d("1.4.2026")},   // 1 night in March
        {"CZE", d("28.2.2026"), d("3.3.2026")},   // arrived in February: 2 March nights, no arrival
        {"", d("15.3.2026"), d("16.3.2026")},     // no citizenship
        {"AUT", d("31.3.2026"), d("31.3.2026")},  // arrives, no night
        {"POL", d("1.4.2026"), d("3.4.2026")},    // April only
        {"SVK", d("1.2.2026"), d("1.3.2026")},    // leaves on the first: no March night
    };
    struct Case {
        const char* period;
        QString csv;
        int days;
    } const cases[] = {
        {"3.2026", "country;arrivals;nights\r\nAUT;1;0\r\nCZE;0;2\r\nDEU;2;3\r\nXXX;1;1\r\ntotal;4;6\r\n", 31},
        {"2026-04", "country;arrivals;nights\r\nDEU;0;1\r\nPOL;1;2\r\ntotal;1;3\r\n", 30},
        {"Q1.2026", "country;arrivals;nights\r\nAUT;1;0\r\nCZE;1;3\r\nDEU;2;3\r\nSVK;1;28\r\nXXX;1;1\r\ntotal;6;35\r\n", 90},
    };
    for (const Case& c : cases) {
        const auto p = parseStatPeriod(QString::fromLatin1(c.period));
        ASSERT_TRUE(p) << c.period;
        const VisitorStatistics s = countVisitors(guests, p->from, p->thru);
        EXPECT_EQ(visitorStatisticsCsv(s), QByteArray("\xEF\xBB\xBF") + c.csv.toUtf8()) << c.period;
        EXPECT_EQ(s.daysOpen, c.days) << c.period;
    }
}

TEST(VisitorStatistics, PeriodArgumentsAndBeds)
{
    const struct {
        const char* text;
        const char* from;
        const char* thru;
    } good[] = {{"3.2026", "1.3.2026", "31.3.2026"},  {"02.2028", "1.2.2028", "29.2.2028"}, {"2026-12", "1.12.2026", "31.12.2026"},
                {"Q1.2026", "1.1.2026", "31.3.2026"}, {"q4.2026", "1.10.2026", "31.12.2026"}};
    for (const auto& c : good) {
        const auto p = parseStatPeriod(QString::fromLatin1(c.text));
        ASSERT_TRUE(p) << c.text;
        EXPECT_EQ(p->from, d(c.from)) << c.text;
        EXPECT_EQ(p->thru, d(c.thru)) << c.text;
    }
    for (const char* bad : {"13.2026", "0.2026", "Q5.2026", "Q0.2026", "2026", "3/2026", "", "2026-3-1"})
        EXPECT_FALSE(parseStatPeriod(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(bedsOfRooms({"101", "102 ", "103"}, {{"BEDS.101", "2"}, {"BEDS.102", "3"}, {"BEDS.999", "7"}}), 5);
}
