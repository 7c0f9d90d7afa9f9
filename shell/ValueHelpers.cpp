// The value helpers: dates, times and numbers to and from the texts that statements and
// boxes use. Every reading of the clock goes through platform::now(), so a test that fixes
// the clock fixes every text made here.
//
// Invariants: day 0 is 30.12.1899; texts written here carry no leading zeros; quoted values
// always leave QuoteText with every inner double quote doubled.

#include "shell/ValueHelpers.h"

#include <QDateTime>
#include <QTime>
#include <climits>
#include <cmath>
#include <stdexcept>

#include "platform/Platform.h"

namespace shell {

namespace {

// 30.12.1899 as a Julian day. A plain number, not a QDate object, so that day numbers are
// right even while other files' static objects are being initialised.
constexpr qint64 kDayZeroJulian = 2415019;

QString plainDate(const QDate& date)
{
    if (!date.isValid()) return {};
    return QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year());
}

// Reads the run of digits starting at pos; pos ends on the first non-digit.
int readDigitRun(const QString& text, qsizetype& pos)
{
    qint64 value = 0;
    while (pos < text.size() && text.at(pos).isDigit() && text.at(pos).unicode() < 128) {
        value = std::min<qint64>(value * 10 + (text.at(pos).unicode() - '0'), INT_MAX);
        ++pos;
    }
    return static_cast<int>(value);
}

bool isAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

}  // namespace

QDate DateFromNumber(double dayNumber)
{
    return QDate::fromJulianDay(kDayZeroJulian + static_cast<qint64>(std::floor(dayNumber)));
}

int NumberFromDate(const QDate& date)
{
    return static_cast<int>(date.toJulianDay() - kDayZeroJulian);
}

QString TodayText() { return plainDate(platform::now().date()); }

QString DateText(double dayNumber) { return plainDate(DateFromNumber(dayNumber)); }

QString DateText(const QDate& date) { return plainDate(date); }

QString NowTimeText()
{
    const QTime t = platform::now().time();
    return QStringLiteral("%1:%2:%3").arg(t.hour()).arg(t.minute()).arg(t.second());
}

int TodayNumber() { return NumberFromDate(platform::now().date()); }

double NowDateTime()
{
    const QDateTime moment = platform::now();
    return NumberFromDate(moment.date()) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

int DaysBetween(double first, double second)
{
    // Day numbers made from texts are exact; a difference that is a whole number up to
    // floating noise must not lose a day to truncation.
    const double d = second - first;
    const double r = std::round(d);
    if (std::fabs(d - r) < 1e-9) return static_cast<int>(r);
    return static_cast<int>(std::trunc(d));
}

bool IsWeekend(double dayNumber)
{
    return DateFromNumber(dayNumber).dayOfWeek() >= Qt::Saturday;
}

int ParseDayMonthYear(const QString& text)
{
    QString t = text;
    t.remove(QLatin1Char(' '));
    qsizetype pos = 0;
    const int day = readDigitRun(t, pos);
    ++pos;
    const int month = pos <= t.size() ? readDigitRun(t, pos) : 0;
    ++pos;
    int year = pos < t.size() ? DigitsToInt(t.mid(pos, 4)) : 0;
    if (pos < t.size() && year < 100) year += 2000;
    const QDate date(year, month, day);
    if (!date.isValid() || pos >= t.size())
        throw std::invalid_argument("not a date: " + text.toStdString());
    return NumberFromDate(date);
}

QString DateForSql(const QString& dateBoxText)
{
    QString bare = dateBoxText;
    bare.remove(QLatin1Char(' '));
    if (bare.isEmpty() || bare == QLatin1String("..")) return QStringLiteral("null");
    return QuoteText(dateBoxText);
}

QString NumberForSql(const QString& numberBoxText)
{
    QString t = numberBoxText;
    t.remove(QLatin1Char(' '));
    t.remove(QChar(QChar::Nbsp));   // the locale's group separator in number boxes
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t.isEmpty() ? QStringLiteral("0") : t;
}

QString FixedReal(double value, int decimals)
{
    return QString::number(value, 'f', decimals).rightJustified(12, QLatin1Char(' '));
}

QString FixedRealWide(double value, int decimals)
{
    return QString::number(value, 'f', decimals).rightJustified(20, QLatin1Char(' '));
}

int DigitsToInt(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && !isAsciiDigit(text.at(first))) ++first;
    qsizetype pos = first;
    return readDigitRun(text, pos);
}

void EscapeApostrophes(QString& statement)
{
    for (const QChar c : statement) {
        if (c == QLatin1Char('\'')) return;
        if (c == QLatin1Char('"')) {
            statement.replace(QLatin1Char('\''), QStringLiteral("\"+''''+\""));
            return;
        }
    }
}

QString QuoteText(const QString& value)
{
    QString inner = value;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

}  // namespace shell
