// The working-day rule and the date arguments; see Dates.h.
#include "guests/Dates.h"

#include <QRegularExpression>

#include "shell/WorkingDays.h"

namespace guests {

QDate lastDayToReport(const QDate& arrival)
{
    QDate day = arrival;
    for (int counted = 0; counted < kReportWorkingDays;) {
        day = day.addDays(1);
        if (shell::IsCzechWorkingDay(day)) ++counted;
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
