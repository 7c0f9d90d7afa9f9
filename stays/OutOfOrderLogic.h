#pragma once
// The out-of-order dialog's logic without a display: the checks before a period is stored
// and the statements that store, change and delete it.
//
// Invariants: a period is a stay row with status "X", no client (KID 0) and no account
// (UID 0); its room is named by id, kept with the room list's entries, never looked up by a
// name that two rooms may share; changes and deletes name their row by BID alone; statements
// are composed by shell::Sql with every text value through QuoteText, so a reason with quotes,
// apostrophes or "%1" is stored and offered again as typed, in any database folder.

#include <QString>
#include <optional>

namespace stays {

enum class OutOfOrderIssue { None, NoRoom, DatesMissing, DatesInOrder };

// The checks in their order; days are day numbers, nothing for an empty box.
OutOfOrderIssue outOfOrderIssue(bool roomChosen, std::optional<int> dateFrom, std::optional<int> dateThru);
QString outOfOrderIssueMessage(OutOfOrderIssue issue);

struct OutOfOrderRow {
    QString PID;
    QString DATEFROM, DATETHRU;     // date box texts
    QString BOOKEDFOR;              // the reason
    QString USR, UPMJ, UPMT;
};

QString outOfOrderInsertSql(const QString& db, const OutOfOrderRow& row);
QString outOfOrderUpdateSql(const QString& db, int bid, const OutOfOrderRow& row);
QString outOfOrderDeleteSql(const QString& db, int bid);
// The stored period of that BID (only a status "X" row is one).
QString outOfOrderLoadSql(const QString& db, int bid);
// The rooms the dialog offers (PID, PNAME), ordered by PID.
QString outOfOrderRoomsSql(const QString& db);

}  // namespace stays
