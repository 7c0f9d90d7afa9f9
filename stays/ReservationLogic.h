#pragma once
// The reservation dialog's logic without a display: the save checks in their order, the
// statement texts of the insert and the update, the client's display line and the status codes.
//
// Invariants: a conversion without a usable rate (none stored, -1, or any rate not above 0)
// converts nothing, it never produces amounts of the wrong sign; statements are composed by
// shell::Sql, every text value through QuoteText and then EscapeApostrophes (the value alone,
// never the table reference), so quotes and apostrophes in names are stored as typed in any
// database folder, one whose path holds an apostrophe or "%2" too; the checks are reported one at a
// time in the order the receptionist is asked them, so the dialog's questions cannot be
// reordered by accident.

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

#include "shell/Money.h"

namespace stays {

// The money helpers live with the shared lookups; the dialog's code names them here.
using shell::eurToCzk;
using shell::czkToEur;
using shell::hundredthsHalfEven;
using shell::roundHalfEven;
using shell::usableRate;

// What the dialog shows, as the save checks and the statements read it.
struct ReservationInput {
    bool clientInDatabase = false;
    QString kidText;           // edKID
    QString clientName;        // edClientNameReadOnly
    QString bookedFor;         // edBookedFor
    bool knowsFromChosen = false;
    QString knowsFromItem;     // the chosen cmbKnowsFrom item ("A - Agency")
    QString dateFrom, dateThru, bookThru;   // date box texts, "  .  .    " when empty
    int nights = 0;            // edNights (0 for an empty box)
    QString roomName;          // empty when no room is selected
    int statusIndex = 0;       // cmbStatus: 0 Preliminary, 1 Definitive, -1 none
    double priceEur = 0, priceCzk = 0, maidEur = 0, maidCzk = 0;
    int persons = 1;
};

enum class SaveStep {
    ClientChosen = 2,    // "Client not chosen"
    SurnameGiven,        // "Insert at least surname of the client"
    KnowsFromGiven,      // question: "\"Knows from\" is empty. Ignore?"
    DatesInOrder,        // "Dates of stay not specified correctly"
    NightsPositive,      // the same message
    RoomChosen,          // "Room not specified"
    NoZeroAmount,        // question: "Zero amount specified. Is it correct?"
    BookThruGiven,       // definitive: "\"Book thru\" date not specified"; preliminary: fill it
    PersonsPositive,     // "Invalid number of persons"
    Done
};

enum class IssueKind { None, Refuse, Ask, FillBookThru };

struct SaveIssue {
    SaveStep step = SaveStep::Done;
    IssueKind kind = IssueKind::None;
    QString message;   // English key; empty for None and FillBookThru
};

// The first issue at or after `from` (checks 2 to 8; the date boxes check their own text
// first). After a question answered Yes or a filled "book thru", ask again from the next step.
SaveIssue nextSaveIssue(const ReservationInput& in, SaveStep from = SaveStep::ClientChosen);
SaveStep nextStep(SaveStep step);

// "P", "R", or "?" when the status list has no valid selection.
QChar statusCode(int statusIndex);
bool isDefinitive(int statusIndex);
// The first character of the chosen referral item, a blank when none is chosen.
QChar knowsFromCode(bool chosen, const QString& item);
// KID as written: the digits of edKID, 0 for none.
int kidValue(const QString& kidText);

// The row the statements write.
struct ReservationRow {
    int KID = 0;
    QString PID, dateFrom, dateThru;
    QChar status = QLatin1Char('P');
    QString bookThru;
    int persons = 1;
    bool business = false;
    QString priceEur, priceCzk, maidEur, maidCzk;   // number box texts
    QString bookedFor;
    QChar knowsFrom = QLatin1Char(' ');
    QString user, date, time;                       // USR, UPMJ, UPMT
};

// The statements as run: each text value quoted and passed through EscapeApostrophes.
QString reservationInsertSql(const QString& db, const ReservationRow& row);
QString reservationUpdateSql(const QString& db, int bid, const ReservationRow& row);
QString reservationLoadSql(const QString& db, int bid);
QString lastBidSql(const QString& db);

// "Mr Novak Jan, Czech Republic": title (when given), surname and name, then the country.
QString clientDisplayName(const QString& title, const QString& surname, const QString& name,
                          const QString& country);

}  // namespace stays
