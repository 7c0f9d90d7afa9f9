#pragma once
// The municipal accommodation fee: its rules as the hotel's settings give them, the fee of one
// person (pure, without a database), the fee book of a period with its CSV, and the fee of a
// stay that check-out charges to the account.
//
// The fee is due per person and night (every started day but the day of arrival) at the
// municipality's rate. A person is exempt, in this order, by the reason typed in the guest's
// row (FEEEXEMPT), by being under 18 on the day of arrival, or by a stay of more nights than
// the limit (60 by default; exactly the limit is still charged). A person without a night owes
// nothing and is not counted as exempt.
//
// Invariants: amounts are hundredths of CZK, nights x rate, exact (the rate has two decimals);
// the book lists the persons whose arrival lies in the period, of checked-in and checked-out
// stays only, in order of arrival (then of entry), each with all the nights of the stay; the
// book's totals are the sums of its rows.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "guests/Guest.h"
#include "shell/Money.h"

namespace engine { class Database; }

namespace fees {

struct FeeRules {
    shell::Hundredths rate = 0;   // per person and night; 0: no fee
    int maxNights = 0;            // a stay of more nights is not subject to the fee
    int exemptUnderAge = 0;
    bool onAccount = false;
    QStringList reasons;          // offered to the receptionist (the under-age one is applied by itself)
};
// The rules from the stored settings; a key not set (or not readable) takes the law's default.
FeeRules feeRules(const QMap<QString, QString>& settings);

enum class Exemption { None, Reason, UnderAge, OverLimit };

struct PersonFee {
    int nights = 0;
    shell::Hundredths fee = 0;
    Exemption exemption = Exemption::None;
    QString reason;   // the typed one for Exemption::Reason
};

// The age in whole years on a day, of a birth date DD.MM.YYYY; an unknown day or month ("00")
// counts as the first of the month or of January (the oldest the person can be), so that
// nobody is let off who may be of age. -1 when the text gives no year.
int ageOn(const QString& birth, const QDate& day);
PersonFee personFee(const guests::Guest& person, const FeeRules& rules);
// The program's words for an exemption (English, the translation key); the typed reason as it
// stands.
QString exemptionText(const PersonFee& fee);

// One row of the fee book.
struct FeeBookRow {
    guests::Guest person;
    PersonFee fee;
};
struct FeeBook {
    QDate from, thru;
    shell::Hundredths rate = 0;
    QList<FeeBookRow> rows;
    shell::Hundredths total = 0;
    int persons = 0, nights = 0;               // the rows and all their nights
    int exemptPersons = 0, exemptNights = 0;   // of the exempt ones
};
// Makes the rows and totals of the persons given (already in the book's order).
FeeBook makeFeeBook(const QList<guests::Guest>& persons, const FeeRules& rules, const QDate& from, const QDate& thru);
// The persons of checked-in and checked-out stays who arrived from..thru. Throws engine::Error.
QList<guests::Guest> feeBookPersons(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru);
// The whole book from the database (rules from its settings). Throws engine::Error.
FeeBook readFeeBook(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru);

// UTF-8 with a byte-order mark, ";" between fields, a header row, dates DD.MM.YYYY, amounts
// with a decimal point; a last row "total" with the sum in the fee column. tr gives the
// words of the program's exemptions (nullptr: English).
QByteArray feeBookCsv(const FeeBook& book, QString (*tr)(const QString&) = nullptr);

// "1234.50": an amount as the CSV files and the tool write it.
QString plainAmount(shell::Hundredths amount);

// The fee check-out charges for a stay's persons: the sum of their fees, with the persons and
// nights it is for (the exempt left out).
struct StayFee {
    shell::Hundredths amount = 0;
    int persons = 0, nights = 0;
};
StayFee stayFee(const QList<guests::Guest>& persons, const FeeRules& rules);

}  // namespace fees
