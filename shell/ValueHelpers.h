#pragma once
// The value helpers every window composes statement texts with: dates, times and numbers
// to and from the texts the statements and the boxes use. The clock is read through the
// platform seam, so tests fix it.
//
// Invariants: day numbers count from 30.12.1899 (day 0); date texts written by the program
// have no leading zeros (5.3.2004); every text value spliced into a statement goes through
// QuoteText, so a double quote inside a value is stored intact.

#include <QDate>
#include <QString>

namespace shell {

QString TodayText();                       // 5.3.2004
QString DateText(double dayNumber);        // 5.3.2004
QString DateText(const QDate& date);
QString NowTimeText();                     // 9:5:7
int TodayNumber();
double NowDateTime();                      // day number with the time as fraction
int DaysBetween(double first, double second);
bool IsWeekend(double dayNumber);
// Throws std::invalid_argument on a text that gives no valid date.
int ParseDayMonthYear(const QString& text);
QString DateForSql(const QString& dateBoxText);   // "t" or null (for "  .  .    " and "")
QString NumberForSql(const QString& numberBoxText);
QString FixedReal(double value, int decimals);      // right-aligned in 12 characters
QString FixedRealWide(double value, int decimals);  // right-aligned in 20 characters
int DigitsToInt(const QString& text);
void EscapeApostrophes(QString& statement);
// A text value between double quotes with every double quote inside doubled.
QString QuoteText(const QString& value);

QDate DateFromNumber(double dayNumber);
int NumberFromDate(const QDate& date);

}  // namespace shell
