#pragma once
// The account printout's logic, apart from its windows so it is tested without a display:
// the statement texts of the stay list and the report, the stay list's lines, and the page
// model of one room's printout built from plain rows.
//
// Invariants:
//  - the printed texts are the fixed Czech texts of the bill; only the payment form name
//    follows the user-interface language (the caller passes it translated);
//  - every charge counted in the total is on a line: charges whose item type was deleted
//    print under the heading "Ostatní", so the lines add up to the total;
//  - the header shows the chosen stay; the charges are kept per room of the account, so
//    when the room stands on it more than once the bill says its charges cover those stays;
//  - no printed character is cut: a long description wraps, an amount shrinks to its box;
//  - a printout without lines has no page (nothing to preview or print);
//  - statements are composed with shell::Sql and shell::Table; text values are quoted with
//    QuoteText.

#include <QList>
#include <QString>
#include <QStringList>

#include "report/Report.h"

namespace documents {

// One stay offered for printing.
struct TStaysData {
    int account = 0;       // the account identifier given by the caller
    int stayAccount = 0;   // UID of the stay row
    int stay = 0;          // BID of the stay row
    QString period;        // DATEFROM - DATETHRU
    QString room;          // PID
    QString roomName;      // PNAME
};

QString loadStaysSql(const QString& db, int uid);
// The drop-down line: the room name alone when the account has one stay, else with the period.
QString stayLine(const TStaysData& stay, bool onlyStay);

// " WHERE UID={id} and PID="{pid}"": the charges of one room of the account.
QString accountFilter(int uid, const QString& pid);
// The header of the stay bid (every stay of the room on the account when bid is 0).
QString headerInfoSql(const QString& db, int uid, const QString& pid, int bid = 0);
// The periods of every stay of the room on the account.
QString roomStaysSql(const QString& db, int uid, const QString& pid);
// The bill's note when the room stands on the account more than once (periods in order);
// empty for one stay.
QString sharedChargesText(const QStringList& periods);
QString accountItemsSql(const QString& db, int uid, const QString& pid);
// The charges of the room whose item type no longer exists, grouped like the item lines.
QString orphanItemsSql(const QString& db, int uid, const QString& pid);
QString totalAccountSql(const QString& db, int uid, const QString& pid);

struct AccountHeader {
    QString PID, PNAME, PPRICE, MAIDPRICE, DATEFROM, DATETHRU;
    QString paymentForm;   // the payment form's name, already translated
    QString DATEPAYM, TITLE, SURNAME, NAME, PASSPORT, COUNTRY;
    QString sharedCharges;   // sharedChargesText of the room's stays
};

struct AccountLine {
    int UPID = 0;
    QString UPNAME;    // empty for a charge whose item type was deleted
    QString DESCR;
    QString TAXRATE;   // the field text (21, 15, 0)
    double amountEUR = 0;
    double amountCZK = 0;
};

struct AccountPrintData {
    AccountHeader header;
    QList<AccountLine> lines;
    double totalEUR = 0;
    double totalCZK = 0;
    bool inEUR = true;
};

// The item lines and the charges without item type, in item type order (a type's lines stay
// together under one heading; the charges without type come in their UPID's place).
QList<AccountLine> mergeLines(QList<AccountLine> typed, const QList<AccountLine>& untyped);

QString titleText(const AccountHeader& h);    // Účet - Pokoj č. 12 Modrý
QString priceText(const AccountHeader& h);    // 55 EURO/pokoj/noc + 5 EURO/služby/den
QString guestText(const AccountHeader& h);    // Ing. Novák Jan

report::Report buildAccountReport(const AccountPrintData& data);

}  // namespace documents
