#pragma once
// The printed fee book and the printed statistics, laid out with the report facility: the
// hotel's name and the period at the top of every page, "n / N" at the bottom; the fee book's
// rows in order with the totals after the last (the sum, and the persons and nights exempt),
// the statistics' countries with their totals and the rooms, beds and days open.
//
// Invariants: the texts come from the book or the counts as given (nothing is looked up here);
// the columns share out the page's width, so the same table fills a landscape page.

#include <QList>

#include "fees/Fee.h"
#include "fees/VisitorStatistics.h"
#include "guests/HotelSettings.h"
#include "report/Report.h"

namespace fees {

// tr translates an English label (nullptr: English as it stands); countryName gives a code's
// name (nullptr: the code alone).
QList<report::Page> feeBookPages(const guests::HotelDetails& hotel, const FeeBook& book,
                                 QString (*tr)(const QString&) = nullptr);
QList<report::Page> visitorStatisticsPages(const guests::HotelDetails& hotel, const VisitorStatistics& stats,
                                           QString (*tr)(const QString&) = nullptr,
                                           QString (*countryName)(const QString&) = nullptr);

}  // namespace fees
