// Value helpers with the clock fixed through the platform seam: the texts statements are
// composed of must come out exactly as the tables and boxes expect them.
#include <gtest/gtest.h>

#include <QDateTime>
#include <stdexcept>

#include "platform/Platform.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

using namespace shell;

namespace {

struct FixedClock {
    explicit FixedClock(const QDateTime& moment)
    {
        platform::seams().now = [moment] { return moment; };
    }
    ~FixedClock() { platform::seams().now = nullptr; }
};

}  // namespace

TEST(ValueHelpers, ClockTextsHaveNoLeadingZeros)
{
    FixedClock clock(QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7)));
    EXPECT_EQ(TodayText(), "5.3.2004");
    EXPECT_EQ(NowTimeText(), "9:5:7");
    EXPECT_EQ(TodayNumber(), 38051);
    EXPECT_NEAR(NowDateTime(), 38051 + (9 * 3600 + 5 * 60 + 7) / 86400.0, 1e-9);
}

TEST(ValueHelpers, ClockAtMidnightAndLateEvening)
{
    FixedClock clock(QDateTime(QDate(2004, 11, 15), QTime(23, 59, 0)));
    EXPECT_EQ(TodayText(), "15.11.2004");
    EXPECT_EQ(NowTimeText(), "23:59:0");
}

TEST(ValueHelpers, DayNumbersRoundTrip)
{
    EXPECT_EQ(NumberFromDate(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(NumberFromDate(QDate(2004, 3, 5)), 38051);
    EXPECT_EQ(DateFromNumber(38051.75), QDate(2004, 3, 5));   // the time of day is dropped
    EXPECT_EQ(DateText(38051.0), "5.3.2004");
    EXPECT_EQ(DateText(QDate(2004, 11, 15)), "15.11.2004");
    EXPECT_EQ(DaysBetween(38051, 38054), 3);
    EXPECT_EQ(DaysBetween(38054, 38051), -3);
    EXPECT_EQ(DaysBetween(38051.9, 38052.1), 0);
}

TEST(ValueHelpers, WeekendIsSaturdayAndSunday)
{
    // 6.3.2004 was a Saturday.
    EXPECT_FALSE(IsWeekend(NumberFromDate(QDate(2004, 3, 5))));
    EXPECT_TRUE(IsWeekend(NumberFromDate(QDate(2004, 3, 6))));
    EXPECT_TRUE(IsWeekend(NumberFromDate(QDate(2004, 3, 7)) + 0.5));
    EXPECT_FALSE(IsWeekend(NumberFromDate(QDate(2004, 3, 8))));
}

TEST(ValueHelpers, ParseDayMonthYear)
{
    const struct { const char* text; QDate date; } cases[] = {
        {"5.3.04", QDate(2004, 3, 5)},
        {"05.03.2004", QDate(2004, 3, 5)},
        {"5.3.2004", QDate(2004, 3, 5)},
        {" 5. 3. 2004", QDate(2004, 3, 5)},
        {"29/2/2004", QDate(2004, 2, 29)},
        {"1.1.99", QDate(2099, 1, 1)},
        {"31.12.1999", QDate(1999, 12, 31)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDayMonthYear(c.text), NumberFromDate(c.date)) << c.text;
}

TEST(ValueHelpers, ParseDayMonthYearRefusesNonDates)
{
    for (const char* text : {"", "  .  .    ", "31.2.2004", "5.3.", "x5.3.2004", "5.13.2004", "0.1.2004"})
        EXPECT_THROW(ParseDayMonthYear(text), std::invalid_argument) << text;
}

TEST(ValueHelpers, DateForSql)
{
    EXPECT_EQ(DateForSql("  .  .    "), "null");
    EXPECT_EQ(DateForSql(""), "null");
    EXPECT_EQ(DateForSql("05.03.2004"), "\"05.03.2004\"");
    // A stray quote cannot end the literal early.
    EXPECT_EQ(DateForSql("5\".3"), "\"5\"\".3\"");
}

TEST(ValueHelpers, NumberForSql)
{
    const struct { const char* box; const char* sql; } cases[] = {
        {"1 234,50", "1234.50"}, {"", "0"}, {"   ", "0"}, {"12,", "12."},
        {"150", "150"}, {"-3,5", "-3.5"}, {"1,234,5", "1.234.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberForSql(c.box), c.sql) << c.box;
    EXPECT_EQ(NumberForSql(QString("1") + QChar(QChar::Nbsp) + "000"), "1000");
}

TEST(ValueHelpers, FixedRealRightAligns)
{
    EXPECT_EQ(FixedReal(1234.5, 2), "     1234.50");
    EXPECT_EQ(FixedReal(25.1, 4), "     25.1000");
    EXPECT_EQ(FixedReal(-1, 4), "     -1.0000");
    EXPECT_EQ(FixedReal(0.0416666666666667, 10), "0.0416666667");
    EXPECT_EQ(FixedReal(12345678901.5, 2), "12345678901.50");   // not cut
    EXPECT_EQ(FixedRealWide(1234.5, 2), QString(13, ' ') + "1234.50");
    EXPECT_EQ(FixedRealWide(38051.5, 10).size(), 20);
}

TEST(ValueHelpers, DigitsToInt)
{
    const struct { const char* text; int value; } cases[] = {
        {"12a3", 12}, {"Id: 42.", 42}, {"", 0}, {"abc", 0}, {"15 min", 15},
        {"-7", 7}, {"0030", 30}, {"99999999999999", 2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(DigitsToInt(c.text), c.value) << c.text;
}

TEST(ValueHelpers, EscapeApostrophesOnlyAfterDoubleQuote)
{
    const struct { const char* in; const char* out; } cases[] = {
        {R"(UPDATE "x" SET SURNAME="O'Brien")", R"(UPDATE "x" SET SURNAME="O"+''''+"Brien")"},
        {R"(SELECT * FROM "x" WHERE a="D'Angelo" OR b="l'a")",
         R"(SELECT * FROM "x" WHERE a="D"+''''+"Angelo" OR b="l"+''''+"a")"},
        {"SELECT * FROM x WHERE typ='N'", "SELECT * FROM x WHERE typ='N'"},
        {R"(SELECT * FROM x WHERE typ='N' AND a="O'B")", R"(SELECT * FROM x WHERE typ='N' AND a="O'B")"},
        {"no quotes at all", "no quotes at all"},
    };
    for (const auto& c : cases) {
        QString s = c.in;
        EscapeApostrophes(s);
        EXPECT_EQ(s, c.out) << c.in;
    }
}

TEST(ValueHelpers, QuoteTextDoublesInnerQuotes)
{
    EXPECT_EQ(QuoteText("Room 5"), "\"Room 5\"");
    EXPECT_EQ(QuoteText(""), "\"\"");
    EXPECT_EQ(QuoteText("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuoteText("Dvořák"), "\"Dvořák\"");
}

// What a part brings in is never read as a place: folders and texts with %N, quotes and
// Czech letters come out as they went in, and the places not given stay as written.
TEST(StatementTest, ComposesInOnePass)
{
    using shell::Sql;
    struct Case { QString got, want; };
    const QString folder = QStringLiteral("/srv/Recepce%2 d'Or/");
    const Case cases[] = {
        {Sql(u"SELECT * FROM %1 WHERE BID=%2", shell::Table(folder, u"POBYTY.DB"), 7),
         QStringLiteral("SELECT * FROM \"/srv/Recepce%2 d'Or/POBYTY.DB\" WHERE BID=7")},
        {Sql(u"UPDATE T SET A=%1, B=%2", shell::QuoteText(QStringLiteral("Order 20%2 more")), 5),
         QStringLiteral("UPDATE T SET A=\"Order 20%2 more\", B=5")},
        {Sql(u"%2%1", QStringLiteral("%2"), QStringLiteral("%1")), QStringLiteral("%1%2")},
        {Sql(u"A=%1 %3 50% %", shell::QuoteText(QStringLiteral("Přání \"VIP\""))),
         QStringLiteral("A=\"Přání \"\"VIP\"\"\" %3 50% %")},
        {Sql(u"%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11),
         QStringLiteral("1,2,3,4,5,6,7,8,9,10,11")},
        {Sql(u"%12", 1), QStringLiteral("12")},
        {Sql(u"x=%1", 2.5), QStringLiteral("x=2.5")},
        {shell::Table(QStringLiteral("/a\"b/"), u"KARTY.DB"), QStringLiteral("\"/a\"\"b/KARTY.DB\"")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got.toStdString(), c.want.toStdString());
}
