// The working-day rule and the date arguments; see Dates.h.
#include "guests/Dates.h"

#include <QRegularExpression>

namespace guests {

namespace {
// The fixed public holidays (day, month) of the Czech Republic.
struct FixedHoliday {
    int day, month;
};
constexpr FixedHoliday kFixedHolidays[] = {{1, 1},   {1, 5},   {8, 5},   {5, 7},   {6, 7},  {28, 9},
                                           {28, 10}, {17, 11}, {24, 12}, {25, 12}, {26, 12}};
constexpr int kGoodFridaySince = 2016;
}  // namespace

QDate easterSunday(int year)
{
    // The anonymous Gregorian algorithm (Meeus/Jones/Butcher).
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(year, month, day);
}

bool isCzechHoliday(const QDate& day)
{
    for (const FixedHoliday& h : kFixedHolidays)
        if (day.day() == h.day && day.month() == h.month) return true;
    const QDate easter = easterSunday(day.year());
    if (day == easter.addDays(1)) return true;
    return day.year() >= kGoodFridaySince && day == easter.addDays(-2);
}

bool isWorkingDay(const QDate& day) { return day.dayOfWeek() < 6 && !isCzechHoliday(day); }

QDate lastDayToReport(const QDate& arrival)
{
    QDate day = arrival;
    for (int counted = 0; counted < kReportWorkingDays;) {
        day = day.addDays(1);
        if (isWorkingDay(day)) ++counted;
    }
    return day;
}

QDate parseDateArgument(const QString& text)
{
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QString t = text.trimmed();
    if (const auto m = dotted.match(t); m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (const auto m = iso.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return {};
}

}  // namespace guests
