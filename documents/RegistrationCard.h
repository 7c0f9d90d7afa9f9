#pragma once
// The registration card's logic, apart from its windows so it is tested without a display:
// the card data read and written back to the client card, the purpose crosses, the check-in
// time, the daily rate and the page model of the one-page form.
//
// Invariants:
//  - the write-back quotes each value as the client card does (QuoteText, then the
//    apostrophe rule on the value alone, never on the folder path) and cuts it to its
//    column's width (CARDNUM 25, CARDTYPE 20, CARDEXP 10), so it cannot fail on length;
//  - a stay of 0 nights (or a negative one) has no daily rate: the rate is left blank;
//  - all printed fixed texts are the form's own bilingual texts, independent of the
//    user-interface language.

#include <QString>
#include <QTime>

#include "report/Report.h"

namespace documents {

inline constexpr int kCardNumWidth = 25;
inline constexpr int kCardTypeWidth = 20;
inline constexpr int kCardExpWidth = 10;

QString regCardClientSql(const QString& db, int bid);
QString cardWriteBackSql(const QString& db, int kid, const QString& number, const QString& type,
                         const QString& expiry);
QString regCardInfoSql(const QString& db, int bid);

// "9:05", "14:30".
QString checkInTimeText(const QTime& time);
// PRICEEUR rounded to whole (halves to even) divided by the nights, remainder dropped;
// empty for a stay without nights.
QString dailyRateText(double priceEUR, double nights);

struct PurposeCrosses {
    QString businessYes, businessNo, touristYes, touristNo;
};
PurposeCrosses purposeCrosses(bool business, bool travel);

// What the form prints; texts as the fields give them.
struct RegCardData {
    QString SURNAME, NAME, TITLE, DATEBIRTH, PLACEBIRTH, COUNTRY, PASSPORT;
    QString ADDRESS, CITY, POSTAL;
    QString PID, DATEFROM, DATETHRU;
    QString paymentWord;                  // "card" or "cash"
    QString cardNum, cardExp, cardType;   // blank for cash
    bool business = false, travel = false;
    QString userName, checkInTime;
    QString dailyRate;
};

report::Report buildRegCardReport(const RegCardData& data);

}  // namespace documents
