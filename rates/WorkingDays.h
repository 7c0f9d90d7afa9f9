#pragma once
// The Czech working day: Monday to Friday, except the public holidays. The public holidays
// are one table of fixed days (day, month, first year the law names it) plus Good Friday and
// Easter Monday, so a change of the law is one row here.
//
// The Czech National Bank fixes its exchange rates on working days and publishes them at
// 14:30; LatestFixingDate tells which day's fixing is the newest one published at a moment.

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace rates {

// Easter Sunday of a Gregorian year.
QDate EasterSunday(int year);
bool IsCzechPublicHoliday(const QDate& day);
bool IsCzechWorkingDay(const QDate& day);
// The latest working day before `day` (never `day` itself).
QDate PreviousCzechWorkingDay(const QDate& day);

// When the bank publishes the day's fixing.
inline const QTime kFixingPublished{14, 30};
// The day of the newest fixing published at `now`: today after 14:30 on a working day,
// otherwise the last working day before today.
QDate LatestFixingDate(const QDateTime& now);

}  // namespace rates
