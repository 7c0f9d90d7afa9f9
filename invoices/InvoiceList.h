#pragma once
// The accountant's list of a month's invoices as CSV: one line per invoice (cancelled ones
// too, with their day, so the series shows no gap), the buyer's identification, per VAT rate
// the base and the tax (and the tax in CZK), the charges without VAT and the total.
//
// Invariants: the rate columns are those of the month's invoices, highest first, so every
// amount has its column; fields holding the separator, a quote or a line break are quoted
// with the quote doubled; amounts have a decimal point and two places.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "invoices/InvoiceStore.h"

namespace engine {
class Database;
}

namespace invoices {

struct Month {
    int year = 0, month = 0;
};
// "2026-12", "12/2026" or "12.2026"; none for anything else.
std::optional<Month> parseMonth(const QString& text);

QList<Invoice> invoicesOfMonth(engine::Database& db, const QString& prefix, const Month& month);
QString invoiceListCsv(const QList<Invoice>& invoices);

// The database tool's "invoices FOLDER|URI MONTH --csv FILE" after its location: the month's
// list written to FILE (replaced whole, or left as it was on a failure). code 0 written, 1 a
// failure (message says it), 2 a wrong call.
struct CommandResult {
    int code = 0;
    QString message;
};
CommandResult invoicesCommand(engine::Database& db, const QString& prefix, const QStringList& rest);

}  // namespace invoices
