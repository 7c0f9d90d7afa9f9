#pragma once
// The check-in dialog's logic without a display: the statement texts (the client's rooms of
// the day, the new account row, the stays' update) and the check-in itself as one composed
// change.
//
// Invariants:
//  - every room the list ticks is checked in onto the one new account, in the same change as
//    the account row: a refused insert changes nothing, and an update that fails or misses a
//    ticked room takes the new account row back with it (the change is never committed);
//  - the list offers only the client's stays of that day that have no account yet, so each
//    ticked room names one stay the update can take;
//  - the account id written into the stays is the key of the row just stored, never a
//    looked-up maximum, which may belong to another guest;
//  - rooms are named by their ids, kept with each list entry, so two rooms of the same name
//    cannot be mistaken for each other;
//  - statements are composed by shell::Sql with every text value through QuoteText, so quotes
//    and apostrophes in card data are stored as typed and a database folder whose path holds
//    an apostrophe or "%2" works.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>

namespace stays {

// Table files a check-in writes: the account and the stays.
inline QStringList checkInTables() { return {QStringLiteral("UCTY.DB"), QStringLiteral("POBYTY.DB")}; }

// The client's rooms starting that day without an account yet (PID, PNAME), ordered by name.
QString checkInRoomsSql(const QString& db, int kid, const QString& dayText);

// TITLE, SURNAME and NAME separated by blanks, leading blanks removed.
QString clientFullName(const QString& title, const QString& surname, const QString& name);

struct AccountRow {
    int KID = 0;
    QString UFROM;                        // d.m.yyyy
    QString CARDNUM, CARDTYPE, CARDEXP;
    QString USR, UPMJ, UPMT;              // user, date d.m.yyyy, time h:m:s
};

QString accountInsertSql(const QString& db, const AccountRow& row);

// Sets the checked-in state on the client's stays of that day (dayText, d.m.yyyy) in the
// ticked rooms that have no account yet. An empty room list selects no stay.
QString checkInUpdateSql(const QString& db, std::int64_t uid, int kid, const QString& dayText, const QStringList& pids,
                         const QString& date, const QString& time);

enum class CheckInFailure {
    None,
    NoRoomTicked,       // "No room selected for check in!"
    AccountNotStored,   // the engine refused the account row; its message is kept
    StaysNotUpdated,    // the update failed or missed a ticked room; nothing was kept
    NotCommitted,       // the change could not begin or commit; nothing was changed
};

struct CheckInOutcome {
    CheckInFailure failure = CheckInFailure::None;
    QString engineMessage;
    std::int64_t UID = 0;
};

// Runs the check-in in a composed change made by begin() (an object with execute(sql) giving
// the rows changed, lastInsertKey() and commit(); destroyed without commit it takes back all
// it ran). Statement failures are exceptions derived from std::exception.
template <class Begin>
CheckInOutcome runCheckIn(Begin begin, const QString& db, const QString& dayText, const AccountRow& account,
                          const QStringList& pids, const QString& date, const QString& time)
{
    CheckInOutcome out;
    if (pids.isEmpty()) {
        out.failure = CheckInFailure::NoRoomTicked;
        return out;
    }
    try {
        auto change = begin();
        try {
            change.execute(accountInsertSql(db, account));
        } catch (const std::exception& e) {
            out.failure = CheckInFailure::AccountNotStored;
            out.engineMessage = QString::fromUtf8(e.what());
            return out;
        }
        const std::int64_t uid = change.lastInsertKey();
        if (uid <= 0) {
            out.failure = CheckInFailure::AccountNotStored;
            return out;
        }
        try {
            const auto changed = change.execute(checkInUpdateSql(db, uid, account.KID, dayText, pids, date, time));
            if (changed < pids.size()) {
                out.failure = CheckInFailure::StaysNotUpdated;
                return out;
            }
        } catch (const std::exception& e) {
            out.failure = CheckInFailure::StaysNotUpdated;
            out.engineMessage = QString::fromUtf8(e.what());
            return out;
        }
        change.commit();
        out.UID = uid;
    } catch (const std::exception& e) {
        // The change could not begin or commit: nothing of it landed.
        out.failure = CheckInFailure::NotCommitted;
        out.engineMessage = QString::fromUtf8(e.what());
        out.UID = 0;
    }
    return out;
}

}  // namespace stays
