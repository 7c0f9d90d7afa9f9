// The Czech working days and public holidays; see WorkingDays.h.
#include "shell/WorkingDays.h"

namespace shell {

namespace {
struct FixedHoliday {
    int day, month;
    int since;  // first year the law names the day
};
// The public holidays on fixed dates (New Year and Restoration Day, Labour Day, Liberation
// Day, Cyril and Methodius, Jan Hus, Statehood Day, Independence Day, Freedom and Democracy
// Day, Christmas Eve, Christmas Day, St Stephen's Day).
constexpr FixedHoliday kFixedHolidays[] = {
    {1, 1, 1993},  {1, 5, 1993},   {8, 5, 1993},   {5, 7, 1993},   {6, 7, 1993},   {28, 9, 2000},
    {28, 10, 1993}, {17, 11, 2000}, {24, 12, 1993}, {25, 12, 1993}, {26, 12, 1993},
};
// Good Friday has been a public holiday since 2016; Easter Monday always.
constexpr int kGoodFridaySince = 2016;
}  // namespace

QDate EasterSunday(int year)
{
    // The anonymous Gregorian computus (Meeus/Jones/Butcher).
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(year, month, day);
}

bool IsCzechPublicHoliday(const QDate& day)
{
    for (const FixedHoliday& h : kFixedHolidays)
        if (day.day() == h.day && day.month() == h.month && day.year() >= h.since) return true;
    const QDate easter = EasterSunday(day.year());
    return day == easter.addDays(1) || (day == easter.addDays(-2) && day.year() >= kGoodFridaySince);
}

bool IsCzechWorkingDay(const QDate& day)
{
    return day.isValid() && day.dayOfWeek() <= 5 && !IsCzechPublicHoliday(day);
}

QDate PreviousCzechWorkingDay(const QDate& day)
{
    QDate d = day.addDays(-1);
    while (!IsCzechWorkingDay(d)) d = d.addDays(-1);
    return d;
}

}  // namespace shell
