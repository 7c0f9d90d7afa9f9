#pragma once
// The buyer of an invoice: a snapshot of the name, address and identification printed on the
// document, taken from the payer's client card (or typed, or filled from the business
// register) before the invoice is issued; later edits of the card never change it.

#include <QString>

class QWidget;

namespace invoices {

struct Buyer {
    QString name;      // a person's or a company's name, at most 100 characters
    QString address;   // on one line, at most 200 characters
    QString ico;       // the company's identification number: eight digits, or empty
    QString dic;       // the VAT number ("CZ" and 8 to 10 digits), or empty
};

// The buyer dialog: edits the buyer in place, with "Fill from ARES" for a typed IČO.
// True when the user confirmed (the buyer then holds the edited values).
bool editBuyer(QWidget* owner, Buyer& buyer);

}  // namespace invoices
