#pragma once
// The day's takings on paper, laid out with the report facility: the hotel's name and the
// period on every page, a line per closed account (day, account, invoice, payer, payment
// form, EUR, CZK), then the totals by payment form, by VAT rate and the grand total, and
// "n / N" at the foot of every page.
//
// Invariants: the lines are the Takings' as given (nothing is read here), so the paper shows
// what the window and the CSV show.

#include <QList>
#include <QString>

#include "invoices/Takings.h"
#include "report/Report.h"

namespace invoices {

// tr translates an English label (nullptr: English as it stands).
QList<report::Page> takingsPages(const QString& hotelName, const Takings& t, QString (*tr)(const QString&) = nullptr);

}  // namespace invoices
