#pragma once
// The day's EUR rate into KURZY.DB. Only EUR is ever written: the shared rate lookup takes
// the newest RDATE whatever its currency, so a second currency would leave it with no single
// rate.
//
// Invariants: one change under the table's write lock; a row for the date with the same rate
// is left alone, one with another rate is replaced (and the old rate told), a missing one is
// added; no other row of KURZY.DB is touched.

#include <QDate>
#include <QString>

namespace engine { class Database; }

namespace rates {

struct TStored {
    enum Outcome { Added, Unchanged, Replaced };
    Outcome outcome = Added;
    QDate date;
    double rate = 0;
    double previous = 0;  // the rate replaced (Replaced only)
    // "The EUR rate of 18.7.2018 stored: 25.855" and the like, in the language in use.
    QString message() const;
    // The row as the table holds it: "18.7.2018\tEUR\t25.855".
    QString row() const;
};

// The rate's text as it goes into the statement and the messages: up to nine decimals,
// no trailing zeros ("25.855", "0.15123").
QString RateText(double rate);

// prefix: the {db} of the statements (the folder with its '/', empty on a server).
// Throws RateError (Fault::Store) with the engine's message when the table refuses.
TStored StoreEurRate(engine::Database& db, const QString& prefix, const QDate& date, double rate);

// The newest RDATE of an EUR rate; an invalid date when there is none. Throws engine::Error.
QDate NewestEurDate(engine::Database& db, const QString& prefix);

}  // namespace rates
