#pragma once
// The VAT recap of an invoice: the charges (amounts that include VAT) summed per rate, and
// per rate the base and the tax.
//
// Invariants: base = total ÷ (1 + rate/100) rounded to hundredths with halves to the even
// neighbour, computed on whole hundredths (no binary fraction decides a half); tax = total −
// base, so per rate base + tax is the total and the lines add up exactly to the invoice's
// total; a charge without VAT (rate −1) is never taxed and stands on the line of its own
// (noVat), a charge at 0 % is a rate of its own with no tax; at most kMaxVatRates rates fit
// one invoice (the table and the document have three places) and more are refused with a
// message naming them; for an account in EUR every tax is also given in CZK with the rate
// used (a rate not above 0 refuses the recap: a tax document states the CZK tax).

#include <QList>
#include <QString>
#include <optional>

#include "shell/Money.h"

namespace invoices {

inline constexpr int kMaxVatRates = 3;
// The rate of a charge without VAT, as the item types and the charges store it.
inline constexpr double kNoVatRate = -1;

struct Charge {
    double vatRate = 0;        // 21, 12, 0, or -1 (without VAT)
    shell::Hundredths total = 0;   // VAT included, in the invoice's currency
};

struct VatLine {
    double rate = 0;
    shell::Hundredths base = 0, tax = 0, total = 0;
    shell::Hundredths taxCzk = 0;   // the tax in CZK (equal to tax on a CZK invoice)
};

struct VatRecap {
    QList<VatLine> lines;          // by rate, highest first; rate 0 included
    shell::Hundredths noVat = 0;   // the charges without VAT (rate −1)
    shell::Hundredths total = 0;   // every charge
    QString error;                 // English (the translation key), empty when the recap is sound
    QString detail;                // what the error names (the rates), not translated
    bool ok() const { return error.isEmpty(); }
};

// base of one rate's total (halves to even, on whole hundredths).
shell::Hundredths vatBase(shell::Hundredths total, double rate);

// The recap of the charges. inEur: the charges are in EUR and czkPerEur converts each tax.
VatRecap vatRecap(const QList<Charge>& charges, bool inEur = false, double czkPerEur = 0);

// "21 %", "0 %", "12.5 %".
QString rateText(double rate);

}  // namespace invoices
