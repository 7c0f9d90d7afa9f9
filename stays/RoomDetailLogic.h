#pragma once
// The occupied-room detail's logic without a display: the item types and their VAT choice,
// when a new account item may be saved, the amounts of a new item in both currencies, the
// statements (the stay's update, the account items of the room, the item insert) and the
// checks before the stay changes are stored.
//
// Invariants:
//  - conversions work in whole hundredths (shell::Hundredths); a box text is read as a number, so
//    "0.00", "0,0" and " 0 " are all zero and never count as a price;
//  - without a usable rate (none stored, -1, 0) nothing is converted: the other currency
//    keeps what it holds;
//  - statements are composed by shell::Sql with every text value through QuoteText, so
//    quotes and apostrophes in a description are stored as typed and a database folder
//    whose path holds an apostrophe or "%2" works;
//  - the stay's update names its row by BID and changes only the columns the dialog edits,
//    and of the prices only those that were changed; amounts are written as the boxes hold
//    them, never cut to hundredths.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "shell/Money.h"

namespace stays {

// One account item type as the new-item page offers it.
struct TTableUcPoDef {
    int UPID = 0;
    QString UPNAME;
    int UPTAX1 = -1, UPTAX2 = -1;   // VAT rates in percent; negative: the type has no such rate
};

QString itemTypesSql(const QString& db);
// The type's rates offered as VAT choices, first then second, those not negative.
QStringList vatChoices(const TTableUcPoDef& type);

// A number box's text as hundredths (blanks removed, comma as point, empty is 0); nothing
// when it is no number.
std::optional<shell::Hundredths> amountOf(const QString& boxText);
// Hundredths written for a statement or a box: 12.5 -> "12.50", -3 -> "-0.03".
QString amountText(shell::Hundredths amount);

// The new item may be saved: a type and a VAT rate chosen, a description, and a CZK price
// that is a number other than zero.
bool canSaveItem(bool typeChosen, const QString& description, const QString& czkText, bool vatChosen);

// EUR -> CZK and CZK -> EUR of an amount as typed (100.555 converts as itself, not as
// 100.56), in hundredths; nothing without a usable rate.
std::optional<shell::Hundredths> czkFromEur(double eur, double rate);
std::optional<shell::Hundredths> eurFromCzk(double czk, double rate);

// The rate as the item stores it: four decimals, a point ("25.1234", "-1.0000").
QString rateText(double rate);

struct AccountItem {
    int UID = 0;
    QString PID;
    int UPID = 0;
    QString DESCR;
    QString ITEMDATE;                 // d.m.yyyy
    QString EUR, CZK;                 // the amounts as the boxes hold them (blanks, comma allowed)
    QString TAXRATE;                  // the chosen VAT text
    double RATE = -1;
    QString USR, UPMJ, UPMT;
};

QString accountItemInsertSql(const QString& db, const AccountItem& item);
QString accountItemsSql(const QString& db, int uid, const QString& pid);
QString stayLoadSql(const QString& db, int bid);

// The stay's editable columns as Ok stores them. A price is written only when the dialog
// changed it, as its box holds it: an amount stored with more places (190.0125) keeps them.
struct StayChanges {
    QString DATETHRU;                                  // date box text
    int NUMPERS = 1;
    bool business = false;
    std::optional<QString> PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK;
    QString USR, UPMJ, UPMT;
};
QString stayUpdateSql(const QString& db, int bid, const StayChanges& changes);

enum class StayIssue { None, DatesInvalid, PersonsNotPositive };
// The checks before Ok stores the stay, in their order: arrival before departure, departure
// not before today, at least one person. Days are day numbers; a missing day fails the date
// check.
StayIssue stayIssue(std::optional<int> dateFrom, std::optional<int> dateThru, int today, int persons);
// The English message of an issue (the translation key).
QString stayIssueMessage(StayIssue issue);
// The warning on leaving the departure box: the same date rule.
bool departureInvalid(std::optional<int> dateFrom, std::optional<int> dateThru, int today);

}  // namespace stays
