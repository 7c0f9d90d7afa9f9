#pragma once
// The day of the Czech National Bank's newest fixing: the bank fixes its rates on Czech
// working days (shell/WorkingDays.h) and publishes them at 14:30.

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "shell/WorkingDays.h"

namespace rates {

using shell::EasterSunday;
using shell::IsCzechPublicHoliday;
using shell::IsCzechWorkingDay;
using shell::PreviousCzechWorkingDay;

// When the bank publishes the day's fixing.
inline const QTime kFixingPublished{14, 30};
// The day of the newest fixing published at `now`: today after 14:30 on a working day,
// otherwise the last working day before today.
QDate LatestFixingDate(const QDateTime& now);

}  // namespace rates
