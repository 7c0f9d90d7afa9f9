#pragma once
// The day's takings: the accounts closed (paid) from one day through another, each with the
// number of its invoice, and what came in by each payment form and at each VAT rate, in
// both currencies. The window, its printout, its CSV and `tamarel-db takings` all show what
// readTakings gives; the grouping itself (summarise) needs no database.
//
// Sources: UCTY.DB rows with FORMPAYM set, by DATEPAYM (the account's TOTALEUR and TOTALCZK);
// their charges in UCTYPOL.DB (AMNTEUR, AMNTCZK by TAXRATE); the payer's card in KARTY.DB
// (PKID, else KID); FAKTURY.DB for the invoice numbers when the database has it.
//
// Invariants: sums are taken in whole hundredths, so every total is the exact sum of its
// lines; the totals by payment form add up to the grand total; every payment form of the
// list is shown (zero when nothing came in by it) and a code the list does not know counts
// as "Other"; charges at rate -1, 0 or none are one line "without VAT".

#include <QByteArray>
#include <QChar>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "invoices/Vat.h"
#include "shell/Money.h"

namespace engine { class Database; }

namespace invoices {

struct Amount {
    shell::Hundredths eur = 0, czk = 0;
    Amount& operator+=(const Amount& a)
    {
        eur += a.eur;
        czk += a.czk;
        return *this;
    }
    bool operator==(const Amount&) const = default;
};

struct ClosedAccount {
    int uid = 0;
    QDate paid;
    QChar form;             // the payment form's code as stored
    QString payer;          // "Surname Name" of the payer's card
    Amount total;           // the account's TOTALEUR, TOTALCZK
    QString invoiceNo;      // empty: no invoice (or the database keeps none)
    bool cancelled = false; // the invoice shown is cancelled (the account has no other)
};

struct TakingsCharge {
    int uid = 0;
    double taxRate = kNoVatRate;
    Amount amount;
};

struct FormTotal {
    QChar code;
    QString name;    // English, the translation key
    int accounts = 0;
    Amount amount;
};

struct RateTotal {
    double rate = kNoVatRate;   // kNoVatRate for the charges without VAT
    Amount amount;
};

struct Takings {
    QDate from, thru;
    bool invoicesKept = false;   // the database has the invoices' table
    QList<ClosedAccount> accounts;   // by day of payment, then account
    QList<FormTotal> byForm;         // in the payment forms' list order
    QList<RateTotal> byRate;         // ascending, "without VAT" first
    Amount total;
};

// The totals of the accounts (charges of other accounts are left out).
Takings summarise(const QDate& from, const QDate& thru, QList<ClosedAccount> accounts, const QList<TakingsCharge>& charges,
                  bool invoicesKept);
// The takings read from the database; throws engine::Error.
Takings readTakings(engine::Database& db, const QString& prefix, const QDate& from, const QDate& thru);
// Whether the database has the invoices' table (a folder made before it has not).
bool invoicesKept(engine::Database& db, const QString& prefix);

// "1234.50": a decimal point, two places, no thousands separator.
QString amountText(shell::Hundredths h);
// "21 %", or "without VAT" (English; tr translates that text).
QString takingsRateText(double rate, QString (*tr)(const QString&) = nullptr);

// UTF-8 with a byte-order mark, ";" between fields, a header row, dates DD.MM.YYYY: a row
// per account, then the totals by payment form, by VAT rate and the grand total (rows whose
// payer is "Total"). tr translates the English words (nullptr: English).
QByteArray takingsCsv(const Takings& t, QString (*tr)(const QString&) = nullptr);
// The takings as lines of text for the database tool.
QStringList takingsLines(const Takings& t);

// `tamarel-db takings FOLDER|URI FROM THRU [--csv FILE]` once the database is open: rest is
// FROM THRU [--csv FILE]. Writes through out and err; returns the exit code (2: a wrong call).
int takingsCommand(engine::Database& db, const QString& prefix, const QStringList& rest,
                   void (*out)(const QString&), void (*err)(const QString&));

}  // namespace invoices
