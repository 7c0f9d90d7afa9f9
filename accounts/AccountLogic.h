#pragma once
// The logic of the check-out and account commands and of the account windows, without a
// display: the statement texts, the item-type lookups of check-out, the amounts it charges,
// the totals and their conversion in the closing dialog, the stepping of the item revision
// and the filter of the account items list.
//
// Invariants: money is held as 64-bit hundredths (shell::Hundredths) and written with two
// decimals; every statement is composed in one pass by shell::Sql with its tables named by
// shell::Table, and every text value in it goes through shell::QuoteText, so a folder path or
// a text holding %1, an apostrophe or a quote is stored as it stands; a check-out charges
// exactly the stay it names (its BID), each charge at a VAT rate its item type offers.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "shell/Money.h"

namespace accounts {

// The stay under the board's cursor as the check-out needs it, read again from POBYTY by
// its BID (the board's copy may be older than the room detail's changes).
struct CheckOutStay {
    int BID = 0, UID = 0, KID = 0;
    QString PID, STATUS;
    double PRICEEUR = 0, PRICECZK = 0, MAIDEUR = 0, MAIDCZK = 0;
    int NUMPERS = 1;
};

// The two charges of a check-out, in hundredths.
struct CheckOutAmounts {
    shell::Hundredths accommodationEur = 0, accommodationCzk = 0, maidEur = 0, maidCzk = 0;
};
// Accommodation is the stay's price, times its persons when prices are per person; the maid
// service is never multiplied.
CheckOutAmounts checkOutAmounts(const CheckOutStay& stay, bool pricePerPerson);

// One look-up of an item type: a field of UCPODEF and the value sought (UPNAME matches as a
// part of the name, UPID as a whole).
struct TypeLookup {
    QString field, value;
};
// The look-ups of check-out, tried in this order until one finds exactly one type.
const QList<TypeLookup>& accommodationLookups();
const QList<TypeLookup>& maidLookups();
// The index of the accommodation look-up that names the type in Czech: then both items are
// described in Czech.
constexpr int kCzechAccommodationLookup = 1;

// The VAT rate check-out writes for a type: its first rate, or its second when the first is
// not available (-1); none when the type offers neither.
std::optional<int> checkOutTaxRate(int firstRate, int secondRate);

struct ItemDescriptions {
    QString accommodation, maid;
};
ItemDescriptions checkOutDescriptions(const QString& roomName, bool czech);

// One charge as check-out writes it.
struct AccountItem {
    int UID = 0;
    QString PID;
    int UPID = 0;
    QString DESCR;
    QString ITEMDATE;              // d.m.yyyy
    shell::Hundredths eur = 0, czk = 0;
    double taxRate = 0;
    double rate = -1;             // CZK per EUR; -1 when none is stored
    QString user, changedDate, changedTime;
};

QString moneyText(shell::Hundredths amount);   // "600.00", "-0.05"
QString rateText(double rate);                 // "25.3700", "-1.0000"

// Statement texts; prefix is the database folder path with its trailing '/' ({db}).
QString stayByBidSql(const QString& prefix, int bid);
QString checkOutStaySql(const QString& prefix, int bid, const QString& today, const QString& now);
QString insertAccountItemSql(const QString& prefix, const AccountItem& item);
QString stillCheckedInSql(const QString& prefix, int uid, int kid);
QString notCheckedOutSql(const QString& prefix, int uid);
QString openAccountSql(const QString& prefix, int uid);
QString closedAccountSql(const QString& prefix, int uid);
QString paidAccountSql(const QString& prefix, int uid);
// The closing's write of the account row: how, when and by whom it was paid, the card and the
// totals; the account's stays end today. Empty texts are stored as null.
struct AccountPayment {
    QString FORMPAYM, DATEPAYM, PKID, CARDNUM, CARDTYPE, CARDEXP;
    shell::Hundredths totalEur = 0, totalCzk = 0;
    QString today, now;
};
QString closeAccountSql(const QString& prefix, int uid, const AccountPayment& payment);
// The three deletes of an account, items first, the account row last.
QStringList deleteAccountSqls(const QString& prefix, int uid);
QString accountTotalsSql(const QString& prefix, int uid);

// The rooms list of the account items window, and the rooms of an account's stays (the only
// rooms a revised charge may name).
QString roomsSql(const QString& prefix);
QString accountRoomsSql(const QString& prefix, int uid);
// The revision's table filter: the account's charges.
QString revisionFilter(int uid);
// The exchange rates window: the list, newest first, and the insert with its update for a
// date that has its EUR rate already. date is a date box's text, rate a number for SQL.
QString ratesListSql(const QString& prefix);
QString insertRateSql(const QString& prefix, const QString& date, const QString& rate);
QString updateRateSql(const QString& prefix, const QString& date, const QString& rate);

// The closing dialog's totals: the other currency follows the one just left, converted with
// the rate taken at opening; nothing is converted without a usable rate.
std::optional<shell::Hundredths> convertedTotal(shell::Hundredths amount, double rate, bool toCzk);

// The position of the item revision among an account's charges (1-based; 0 when none).
class RevisionPosition {
public:
    RevisionPosition(int position, int count) : m_position(position), m_count(count) {}
    int position() const { return m_position; }
    int count() const { return m_count; }
    bool canGoBack() const { return m_position > 1; }
    bool canGoForward() const { return m_position < m_count; }
    bool editable() const { return m_count > 0; }
    bool back();
    bool forward();
    // After the charge shown was deleted: the cursor stands on the following one, or on the
    // new last one when the last was deleted.
    void deleted();

private:
    int m_position, m_count;
};

// The revision's conversions, unrounded; nothing with a rate that is not above 0.
std::optional<double> revisionCzk(double eur, double rate);
std::optional<double> revisionEur(double czk, double rate);
// Whether a room typed into the revision is one of the account's rooms (ids compared without
// surrounding blanks).
bool isAccountRoom(const QString& typed, const QStringList& accountRooms);

// The account items list.
QString accountItemsSql(const QString& prefix, const QString& where);
// The filter text: room (by its id), account number (only a whole number), client.
QString accountItemsFilter(const QString& pid, const QString& accountText, int kid);

// "Title Surname Name" as the closing dialog shows a client (no blank without a title).
QString clientDisplayName(const QString& title, const QString& surname, const QString& name);
// The list's client: with the country appended after ", " when there is one.
QString clientFilterName(const QString& title, const QString& surname, const QString& name,
                         const QString& country);

}  // namespace accounts
