#pragma once
// The invoice as a printed document, Czech and English side by side: the page model (A4
// portrait) of an invoice, the hotel and the account's charges, built from plain data so it
// is tested without a display or a database.
//
// Invariants:
//  - a VAT payer's document is titled a tax document and carries the VAT recap (in CZK too
//    for an account in EUR, with the rate); a hotel that is not a VAT payer gets a receipt
//    saying so, without a recap;
//  - the charges are grouped by item type as on the account printout, and add up to the
//    total printed;
//  - a bank transfer carries the due day, the account, the variable symbol and the QR
//    payment code at kQrSideMm (at least 25 mm, what a phone reads from paper);
//  - a reprint says it is a copy; a cancelled invoice says so with the day.

#include <QList>
#include <QString>
#include <optional>

#include "guests/HotelSettings.h"
#include "invoices/InvoiceDraft.h"
#include "invoices/InvoiceStore.h"
#include "report/Report.h"

namespace invoices {

inline constexpr double kQrSideMm = 32;

struct InvoiceDocument {
    Invoice invoice;
    guests::HotelDetails hotel;
    QList<InvoiceLine> lines;
    bool copy = false;
};

// The payment form as the document names it: "Převodem / Bank transfer".
QString paymentFormText(QChar code);
// The document's title: "Faktura – daňový doklad / Invoice – tax document" or the receipt's.
QString documentTitle(bool vatPayer);
// The QR payment text of a transfer invoice of the hotel.
QString paymentText(const Invoice& invoice, const guests::HotelDetails& hotel);

report::Report buildInvoiceReport(const InvoiceDocument& document);

// The document of the account's invoice as stored (its charges read again), with the hotel's
// details of now; none when the account has no invoice. Throws engine::Error.
std::optional<InvoiceDocument> loadInvoiceDocument(engine::Database& db, const QString& prefix, int uid, bool copy);
// The hotel's details, defaults when the settings cannot be read (a folder before them).
guests::HotelDetails hotelOf(engine::Database& db, const QString& prefix);

}  // namespace invoices
