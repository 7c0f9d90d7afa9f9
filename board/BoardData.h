#pragma once
// Reading the board from the tables: the rooms (grid rows) and the stays around the visible
// days. The statement texts are the board's own and are kept here in one place, so the
// window, the tests and the benchmark run exactly the same statements.
//
// Invariants:
//  - the stays of the list touch the window [first date, first date + column count];
//  - list order: stays with a client card, then stays without one (out-of-order periods
//    included), then stays whose client card no longer exists (shown with no guest name, so
//    a booked room never looks free);
//  - a failing query leaves the entries read before it and the later queries still run.

#include <QString>
#include <QStringList>
#include <QVector>

#include "board/BoardModel.h"

class TdmDataModule;

namespace board {

// D1 and D2 are DateText of the first date and of first date + column count.
QString StaysWithCardStatement(const QString& db, const QString& d1, const QString& d2);
QString StaysWithoutCardStatement(const QString& db, const QString& d1, const QString& d2);
QString StaysWithLostCardStatement(const QString& db, const QString& d1, const QString& d2);
QString RoomsStatement(const QString& db);

struct TLoadStaysResult {
    int failedQueries = 0;
    QStringList errors;  // the engine's messages, for the log of a developer
};

// Rebuilds the list for the window of days [firstDate, firstDate + columnCount].
TLoadStaysResult LoadStayList(TdmDataModule& dm, TStayList& list, int firstDate, int columnCount,
                              bool preferEUR);

// Reads the rooms in PID order (at most kMaxRooms). False when the query failed; then
// rooms is left as it was.
bool LoadRoomList(TdmDataModule& dm, QVector<TBoardRoom>& rooms);

}  // namespace board
