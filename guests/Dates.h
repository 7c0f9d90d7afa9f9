#pragma once
// The dates of the guest book: the last day to report a foreign guest to the police (three
// working days after the day of arrival; Saturdays, Sundays and Czech public holidays do
// not count) and the date arguments of the database tool's guest commands.
//
// Invariants: working days are shell::IsCzechWorkingDay's, the one rule of public holidays.

#include <QDate>
#include <QString>

namespace guests {

// The last day on which the police may still be told of a guest who arrived that day.
QDate lastDayToReport(const QDate& arrival);
inline constexpr int kReportWorkingDays = 3;

// "5.3.2004", "05.03.2004" or "2004-03-05"; an invalid date otherwise.
QDate parseDateArgument(const QString& text);

}  // namespace guests
