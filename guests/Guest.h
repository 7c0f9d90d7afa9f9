#pragma once
// One row of the guest book (HOSTE.DB): what the book says of one person on one stay, and
// the reading and writing of those rows.
//
// A guest taken from a client card gets copies of the card's name, birth date, document and
// address (KID keeps the link only for the record): editing or deleting the card never
// changes the book.
//
// Invariants: the rows of one stay are stored together in one change (saveStayGuests) or not
// at all; REPORTED is set only by markReported, in one change for all the persons of a file.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace engine { class Database; }
struct TTableClients;

namespace guests {

inline constexpr const char* kGuestsFile = "HOSTE.DB";
inline constexpr const char* kCzech = "CZE";
inline constexpr const char* kDefaultPurpose = "10";

struct Guest {
    int HID = 0;   // 0: not stored yet
    int BID = 0;
    int KID = 0;   // the client card it was taken from, 0 when none
    QString SURNAME, NAME;
    QString DATEBIRTH;   // DD.MM.YYYY, "00" for an unknown day or month
    QString CITIZEN;     // ISO 3166-1 alpha-3 or one of the police's additions
    QString DOCTYPE;     // "P" passport, "I" identity card, "O" other
    QString DOCNUM, VISA, ADDRESS;
    QString PURPOSE = QString::fromLatin1(kDefaultPurpose);
    QDate DATEFROM, DATETHRU;
    QString FEEEXEMPT;
    QDate REPORTED;
    QString NOTE;

    bool isForeign() const { return CITIZEN.trimmed().toUpper() != QLatin1String(kCzech); }
    QString fullName() const;   // "Novák Jan"
};

// Whether the database has the guest book's tables (a database made before them has not).
bool guestBookReady(engine::Database& db, const QString& prefix);

// A guest made from a client card, for a stay's days: names, birth date, passport and
// address copied; citizenship from the card's country when it names a state the list knows
// (countryToCode answers a code or empty).
Guest guestFromClient(const TTableClients& card, int bid, const QDate& from, const QDate& thru,
                      QString (*countryToCode)(const QString& country) = nullptr);
// DD.MM.YYYY of a client card's birth date text (5.3.1970 -> 05.03.1970); empty when none.
QString birthDateText(const QString& cardDate);

// The persons of a stay in the order they were entered.
QList<Guest> stayGuests(engine::Database& db, const QString& prefix, int bid);
// A client card to make of a listed person who has none: the person's place in the list and
// the country written on the card (the citizenship's name in the window's language).
struct NewCard {
    int index = 0;
    QString country;
};
// Stores the stay's list as it now stands: rows with HID 0 inserted, others updated, the
// stay's stored rows missing from the list deleted, and the client cards asked for made (the
// person then keeps the new card's KID); all in one change. The guests' HIDs are filled in.
// Throws engine::Error (nothing stored).
void saveStayGuests(engine::Database& db, const QString& prefix, int bid, QList<Guest>& guests,
                    const QString& upmj, const QString& upmt, const QList<NewCard>& cards = {});

// The book: persons whose arrival lies from..thru, in order of arrival (then entry).
struct BookQuery {
    QDate from, thru;
    bool foreignOnly = false;
    bool unreportedOnly = false;
};
QList<Guest> bookGuests(engine::Database& db, const QString& prefix, const BookQuery& query);
// Sets REPORTED of those persons to the day, in one change. Throws engine::Error.
void markReported(engine::Database& db, const QString& prefix, const QList<int>& hids, const QDate& day);

// A warning of the guests window: an English pattern (the translation key) with its places
// %1, %2 ... for the parts; parts marked translatable are English words (field names).
struct StayWarning {
    QString pattern;
    QStringList parts;
    bool translateParts = false;
    // The text with the parts put in, each through tr (the translation) when translatable;
    // the list of several field names is joined with ", ".
    QString text(QString (*tr)(const QString&) = nullptr) const;
};
// The warnings of a stay's list: number of persons unlike the stay's, a foreign guest
// lacking a field the police require, a document number that is not plausible, a birth date
// that does not read.
QList<StayWarning> stayWarnings(const QList<Guest>& guests, int stayPersons);
// The police's required fields the guest lacks ("surname", "first name", "birth year",
// "citizenship", "document number", "from", "to"), in that order.
QStringList missingPoliceFields(const Guest& guest);
// Whether a document number looks like one: 4 to 30 letters and digits (blanks and "-"
// between them allowed).
bool plausibleDocumentNumber(const QString& number);
// Whether DATEBIRTH reads as DD.MM.YYYY with "00" allowed for day and month.
bool validBirthDate(const QString& text);

}  // namespace guests
