#pragma once
// The invoices as FAKTURY.DB holds them: one row per tax document, numbered in an unbroken
// series per year ((INVYEAR, INVSEQ) is the table's key, INVNO the number as printed), the
// buyer as a snapshot, the VAT recap in three places, and the day it was cancelled.
//
// Invariants:
//  - a number is taken only inside the change that closes its account (issueInvoice runs in
//    that change and reads the year's last number there, under the change's write lock); two
//    desks that still meet on the key are told apart by the key: the later insert fails and
//    issueInNewChange makes the whole change again with the next number, so a number is
//    never given twice and a refused change gives none;
//  - the next number follows the highest number of the year ever stored, cancelled or not:
//    an invoice is never deleted, only marked cancelled (Ctrl+D on its account);
//  - a restore of an older backup keeps the invoices given since (keepAfterRestore): they
//    go back into the restored table marked cancelled, so the table itself, which every
//    restore and copy carries, keeps the series' last number;
//  - statements are composed with shell::Sql and shell::Table, texts quoted with QuoteText.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "invoices/Buyer.h"
#include "invoices/Vat.h"

namespace engine {
class Change;
class Database;
class Query;
}

namespace invoices {

inline constexpr const char* kInvoicesFile = "FAKTURY.DB";

struct Invoice {
    int year = 0, seq = 0;
    QString number;               // INVNO: prefix, year, "-", six digits
    int uid = 0;                  // the account
    QDate issued, taxDay, due;    // due only for a bank transfer
    Buyer buyer;
    QString currency = QStringLiteral("CZK");
    double rate = 0;              // CZK per EUR for an invoice in EUR
    VatRecap recap;               // lines (at most three), noVat, total
    QChar paymentForm = QLatin1Char('?');
    bool vatPayer = true;
    QDate cancelled;
    QString cancelReason;
    bool inEur() const { return currency == QLatin1String("EUR"); }
    bool isTransfer() const { return paymentForm == QLatin1Char('B'); }
};

// "2026-000123", with the hotel's prefix in front ("HV2026-000123").
QString invoiceNumber(const QString& prefix, int year, int seq);
// The number's digits as a payment's variable symbol: the last ten of them.
QString variableSymbol(const QString& number);

// Statement texts; prefix is the database folder with its trailing '/' (empty on a server).
QString lastSeqSql(const QString& prefix, int year);
QString insertInvoiceSql(const QString& prefix, const Invoice& invoice);
QString invoiceOfAccountSql(const QString& prefix, int uid);   // the one not cancelled
QString cancelInvoiceSql(const QString& prefix, int uid, const QDate& day, const QString& reason);
QString invoicesIssuedSql(const QString& prefix, const QDate& from, const QDate& thru);
QString allInvoicesSql(const QString& prefix);

// The invoice on a row of FAKTURY (a query over its columns).
Invoice readInvoice(const engine::Query& row);

// Gives the invoice the next number of its issue day's year (numberPrefix: the hotel's) and
// stores it, in the change. Throws engine::Error.
void issueInvoice(engine::Change& change, const QString& prefix, const QString& numberPrefix, Invoice& invoice);

// Makes a change over tableFiles (FAKTURY.DB among them), runs body in it and then
// issueInvoice, and commits. When the commit or the invoice's insert fails because another
// desk took the number meanwhile, the change is made again (up to five times). Throws
// engine::Error with the engine's reason (nothing written); body may throw to refuse.
void issueInNewChange(engine::Database& db, const QString& prefix, const QStringList& tableFiles,
                      const std::function<void(engine::Change&)>& body, const QString& numberPrefix,
                      Invoice& invoice);

// The invoice of an account (not cancelled), if it has one. Throws engine::Error.
std::optional<Invoice> invoiceOfAccount(engine::Database& db, const QString& prefix, int uid);

// Whether the database has the invoices' table.
bool hasInvoiceTable(engine::Database& db, const QString& prefix);

// What a restore has to keep: every invoice stored before it.
struct IssuedBefore {
    bool hadTable = false;
    QList<Invoice> invoices;
};
IssuedBefore readIssued(engine::Database& db, const QString& prefix);
// After a restore: puts back every invoice of `before` the restored table lacks, marked
// cancelled on `today` with the reason "not in the restored backup". Returns the numbers
// put back, in order. Throws engine::Error.
QStringList keepAfterRestore(engine::Database& db, const QString& prefix, const IssuedBefore& before, const QDate& today);
// The restore's note on the series (English, for the translated message): empty when no
// number was given since the backup.
QString restoreNote(const QStringList& kept);

}  // namespace invoices
