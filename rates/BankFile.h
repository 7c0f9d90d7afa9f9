#pragma once
// The Czech National Bank's daily exchange-rate file, as the bank publishes it (UTF-8, lines
// ended by LF; CR LF is taken too):
//
//     18.07.2018 #136
//     země|měna|množství|kód|kurz
//     Austrálie|dolar|1|AUD|16,370
//     EMU|euro|1|EUR|25,855
//     Japonsko|jen|100|JPY|19,693
//
// the date of the fixing with its serial number, the header, then one line per currency: the
// country, the currency's name, the amount of units quoted, the ISO code and the rate in CZK
// for that amount with a decimal comma. The layout is this one table of fields; the parser
// takes nothing else: any other line is refused, and the message names the line.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace rates {

struct TBankRate {
    QString country, currency;
    int amount = 0;     // units the rate is quoted for (1, 100, 1000)
    QString code;       // ISO 4217
    double rate = 0;    // CZK for `amount` units, above 0
    int line = 0;       // the line of the file it came from (1 is the date line)
    double perUnit() const { return rate / amount; }
};

struct TBankFixing {
    QDate date;
    int serial = 0;
    QList<TBankRate> rates;
    const TBankRate* find(const QString& code) const;
};

// The fixing of a daily file. Throws RateError (Fault::Layout) naming the line that is not
// the bank's layout: an empty answer, a web page, a date line that does not read, a missing
// or changed header, a currency line without its five fields or with an amount, a code or a
// rate that does not read, a rate of 0 or below, a code twice, no EUR line.
TBankFixing ParseBankFile(const QByteArray& body);

}  // namespace rates
