#pragma once
// The Czech banks' QR payment: the short payment descriptor every Czech banking app reads
// from paper, and its QR code (libqrencode).
//
// Invariants: the fields are written in the order of spdFields(), the one table of them,
// each cut to its limit before "*" inside it is written as %2A, so no value breaks the
// text's fields; a field without a value is left out; the amount has a decimal point and two
// places; the code image has a quiet zone of four modules and is black on white.

#include <QDate>
#include <QImage>
#include <QList>
#include <QString>

#include "shell/Money.h"

namespace invoices {

struct SpdPayment {
    QString iban;
    shell::Hundredths amount = 0;
    QString currency;   // CZK or EUR
    QString variableSymbol;
    QDate due;
    QString message;
};

struct SpdField {
    const char* key;                     // "ACC"
    int maxLength;                       // the value's limit, 0 for none
    QString (*value)(const SpdPayment&);
};
const QList<SpdField>& spdFields();

// "SPD*1.0*ACC:CZ65...*AM:1234.50*CC:CZK*X-VS:2026000123*DT:20261224*MSG:Hotel 2026-000123"
QString spdText(const SpdPayment& payment);

// The QR code of a text (byte mode, error correction M), modulePixels per module; a null
// image when the text does not fit a code.
QImage qrImage(const QString& text, int modulePixels = 8);

}  // namespace invoices
