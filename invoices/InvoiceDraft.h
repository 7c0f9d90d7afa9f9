#pragma once
// What an invoice is made of before it has its number: the account's charges, the buyer
// taken from the payer's client card and the day of the taxable supply, read from the
// tables; and the draft made of them at closing.
//
// Invariants: the charges are every row of the account's items (of all its rooms), kept
// apart by item type, description and VAT rate; a charge whose item type was deleted keeps
// its line (without a type name); the draft's recap is made of the charges in the invoice's
// currency, so its total is the sum of the charges' amounts the printout shows.

#include <QDate>
#include <QList>
#include <QString>

#include "invoices/InvoiceStore.h"

namespace engine {
class Database;
}
namespace guests {
struct HotelDetails;
}

namespace invoices {

struct InvoiceLine {
    int upid = 0;
    QString typeName;   // the item type's name, empty when the type is gone
    QString descr;
    double vatRate = 0;
    shell::Hundredths eur = 0, czk = 0;
    shell::Hundredths amount(bool inEur) const { return inEur ? eur : czk; }
};

// The charges of the account in item type order. Throws engine::Error.
QList<InvoiceLine> accountCharges(engine::Database& db, const QString& prefix, int uid);
// The buyer as the client card shows it (name with its title, address on one line). Throws
// engine::Error; an unknown card gives an empty buyer.
Buyer buyerFromCard(engine::Database& db, const QString& prefix, int kid);
// The account's last check-out (the latest end of its stays); invalid when it has none.
QDate lastCheckOut(engine::Database& db, const QString& prefix, int uid);

// The invoice of a closing: recap of the lines in the chosen currency (error set when it is
// refused), the due day for a transfer.
Invoice draftInvoice(const QList<InvoiceLine>& lines, const guests::HotelDetails& hotel, int uid, const Buyer& buyer,
                     QChar paymentForm, bool inEur, double czkPerEur, const QDate& issued, const QDate& taxDay);

}  // namespace invoices
