#pragma once
// The Czech working day: Monday to Friday, except the public holidays. The public holidays
// are one table of fixed days (day, month, first year the law names it) plus Good Friday and
// Easter Monday, so a change of the law is one row here. The bank's fixings and the police's
// reporting period both count in these days.

#include <QDate>

namespace shell {

// Easter Sunday of a Gregorian year.
QDate EasterSunday(int year);
bool IsCzechPublicHoliday(const QDate& day);
bool IsCzechWorkingDay(const QDate& day);
// The latest working day before `day` (never `day` itself).
QDate PreviousCzechWorkingDay(const QDate& day);

}  // namespace shell
