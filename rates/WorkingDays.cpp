// The day of the bank's newest fixing; see WorkingDays.h.
#include "rates/WorkingDays.h"

namespace rates {

QDate LatestFixingDate(const QDateTime& now)
{
    const QDate today = now.date();
    if (IsCzechWorkingDay(today) && now.time() >= kFixingPublished) return today;
    return PreviousCzechWorkingDay(today);
}

}  // namespace rates
