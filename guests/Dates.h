#pragma once
// The dates of the guest book: the last day to report a foreign guest to the police (three
// working days after the day of arrival; Saturdays, Sundays and Czech public holidays do
// not count) and the date arguments of the database tool's guest commands.
//
// Invariants: the public holidays are one table (czechHolidays) plus Easter, computed for
// any year; a day is a working day exactly when it is none of them.

#include <QDate>
#include <QString>

namespace guests {

// Easter Sunday of a Gregorian year.
QDate easterSunday(int year);
// Whether the day is a Czech public holiday (fixed days, Good Friday from 2016, Easter Monday).
bool isCzechHoliday(const QDate& day);
bool isWorkingDay(const QDate& day);
// The last day on which the police may still be told of a guest who arrived that day.
QDate lastDayToReport(const QDate& arrival);
inline constexpr int kReportWorkingDays = 3;

// "5.3.2004", "05.03.2004" or "2004-03-05"; an invalid date otherwise.
QDate parseDateArgument(const QString& text);

}  // namespace guests
