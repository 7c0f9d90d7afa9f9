// Reads the board's rooms and stays through the data module. Dates are read as day numbers
// straight from the engine; a stay with an empty date makes its query fail, as an unreadable
// date text would.
#include "board/BoardData.h"

#include <stdexcept>

#include "shell/DataModule.h"
#include "shell/Money.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace board {

namespace {

QString window(const QString& d1, const QString& d2)
{
    return shell::Sql(u"((DATEFROM<%1 and DATETHRU>%2) OR  (DATEFROM>=%1 and DATEFROM<=%2) OR  (DATETHRU>=%1 and DATETHRU<=%2))",
                      shell::QuoteText(d1), shell::QuoteText(d2));
}

struct Columns {
    int BID, UID, KID, PID, DATEFROM, DATETHRU, STATUS, PRICEEUR, PRICECZK, MAIDEUR, MAIDCZK, NUMPERS;
    int NAME = -1, SURNAME = -1, TITLE = -1, BOOKEDFOR = -1;

    explicit Columns(const engine::Query& q)
    {
        BID = need(q, "BID");
        UID = need(q, "UID");
        KID = q.fieldIndex("KID");
        PID = need(q, "PID");
        DATEFROM = need(q, "DATEFROM");
        DATETHRU = need(q, "DATETHRU");
        STATUS = need(q, "STATUS");
        PRICEEUR = need(q, "PRICEEUR");
        PRICECZK = need(q, "PRICECZK");
        MAIDEUR = need(q, "MAIDEUR");
        MAIDCZK = need(q, "MAIDCZK");
        NUMPERS = need(q, "NUMPERS");
        NAME = q.fieldIndex("NAME");
        SURNAME = q.fieldIndex("SURNAME");
        TITLE = q.fieldIndex("TITLE");
        BOOKEDFOR = q.fieldIndex("BOOKEDFOR");
    }
    static int need(const engine::Query& q, const char* name)
    {
        const int i = q.fieldIndex(name);
        if (i < 0) throw engine::Error(std::string("The stay query has no field ") + name);
        return i;
    }
};

int dayOf(const engine::Query& q, int field)
{
    if (q.isNull(field)) throw engine::Error("A stay has an empty date");
    return int(q.integer(field));
}

QString text(const engine::Query& q, int field) { return QString::fromStdString(q.text(field)); }

enum class NameFrom { Card, BookedFor, Nothing };

// The first character of a short text field (the status letter), without a QString of the
// whole field.
QChar firstChar(const engine::Query& q, int field)
{
    const std::string t = q.text(field);
    if (t.empty()) return QChar(' ');
    if (static_cast<unsigned char>(t[0]) < 0x80) return QChar(QLatin1Char(t[0]));
    const QString s = QString::fromStdString(t);
    return s.isEmpty() ? QChar(' ') : s.at(0);
}

void readRows(engine::Query& q, TStayList& list, bool preferEUR, NameFrom nameFrom)
{
    const Columns c(q);
    if (nameFrom != NameFrom::BookedFor && c.KID < 0) throw engine::Error("The stay query has no field KID");
    // Only the shown currency's texts are read: turning a price into its text is the dearest
    // part of a row.
    const int priceField = preferEUR ? c.PRICEEUR : c.PRICECZK;
    const int maidField = preferEUR ? c.MAIDEUR : c.MAIDCZK;
    const QString none;
    while (q.next()) {
        TRoomsUsage e;
        e.BID = int(q.integer(c.BID));
        e.UID = int(q.integer(c.UID));
        e.NUMPERS = int(q.integer(c.NUMPERS));
        e.PID = text(q, c.PID).left(kMaxPidLength);
        switch (nameFrom) {
        case NameFrom::Card:
            e.KID = int(q.integer(c.KID));
            e.name = GuestDisplayName(text(q, c.TITLE), text(q, c.SURNAME), text(q, c.NAME));
            break;
        case NameFrom::BookedFor:
            e.KID = 0;
            e.name = text(q, c.BOOKEDFOR).left(kMaxNameLength);
            break;
        case NameFrom::Nothing:
            e.KID = int(q.integer(c.KID));
            break;
        }
        e.DATEFROM = dayOf(q, c.DATEFROM);
        e.DATETHRU = dayOf(q, c.DATETHRU);
        e.STATUS = firstChar(q, c.STATUS);
        e.PRICEEUR = q.number(c.PRICEEUR);
        e.PRICECZK = q.number(c.PRICECZK);
        e.MAIDEUR = q.number(c.MAIDEUR);
        e.MAIDCZK = q.number(c.MAIDCZK);
        const double maid = preferEUR ? e.MAIDEUR : e.MAIDCZK;
        const QString price = text(q, priceField);
        const QString maidText = shell::roundHalfEven(maid) != 0 ? text(q, maidField) : none;
        e.priceText = preferEUR ? PriceText(true, price, e.MAIDEUR, maidText, none, e.MAIDCZK, none)
                                : PriceText(false, none, e.MAIDEUR, none, price, e.MAIDCZK, maidText);
        list.append(std::move(e));
    }
}

}  // namespace

QString StaysWithCardStatement(const QString& db, const QString& d1, const QString& d2)
{
    return shell::Sql(u"SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,NUMPERS  FROM %1 AS POB, %2 AS KAR WHERE %3 AND (POB.KID=KAR.KID)",
                      shell::Table(db, u"POBYTY.DB"), shell::Table(db, u"KARTY.DB"), window(d1, d2));
}

QString StaysWithoutCardStatement(const QString& db, const QString& d1, const QString& d2)
{
    return shell::Sql(u"SELECT BID,UID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,NUMPERS FROM %1 AS POB WHERE %2 AND (KID=0 or KID is null)",
                      shell::Table(db, u"POBYTY.DB"), window(d1, d2));
}

QString StaysWithLostCardStatement(const QString& db, const QString& d1, const QString& d2)
{
    return shell::Sql(u"SELECT BID,UID,KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NUMPERS FROM %1 AS POB WHERE %2 AND (KID<>0) AND (KID NOT IN (SELECT KID FROM %3))",
                      shell::Table(db, u"POBYTY.DB"), window(d1, d2), shell::Table(db, u"KARTY.DB"));
}

QString RoomsStatement(const QString& db)
{
    return shell::Sql(u"SELECT PID, PNAME, PCOLOR FROM %1 ORDER BY PID", shell::Table(db, u"POKOJE.DB"));
}

TLoadStaysResult LoadStayList(TdmDataModule& dm, TStayList& list, int firstDate, int columnCount,
                              bool preferEUR)
{
    list.clear();
    const QString d1 = shell::DateText(double(firstDate));
    const QString d2 = shell::DateText(double(firstDate + columnCount));
    const QString db = dm.DbPrefix();
    const struct {
        QString sql;
        NameFrom name;
    } queries[] = {
        {StaysWithCardStatement(db, d1, d2), NameFrom::Card},
        {StaysWithoutCardStatement(db, d1, d2), NameFrom::BookedFor},
        {StaysWithLostCardStatement(db, d1, d2), NameFrom::Nothing},
    };
    TLoadStaysResult result;
    for (const auto& query : queries) {
        try {
            auto q = dm.Open(query.sql);
            readRows(*q, list, preferEUR, query.name);
        } catch (const std::exception& e) {
            ++result.failedQueries;
            result.errors << QString::fromUtf8(e.what());
        }
    }
    return result;
}

bool LoadRoomList(TdmDataModule& dm, QVector<TBoardRoom>& rooms)
{
    try {
        auto q = dm.Open(RoomsStatement(dm.DbPrefix()));
        const int pid = q->fieldIndex("PID"), pname = q->fieldIndex("PNAME"),
                  pcolor = q->fieldIndex("PCOLOR");
        QVector<TBoardRoom> read;
        while (q->next() && read.size() < kMaxRooms) {
            TBoardRoom room;
            room.PID = text(*q, pid).left(kMaxPidLength);
            room.PNAME = text(*q, pname).left(kMaxNameLength);
            room.PCOLOR = int(q->integer(pcolor));
            read.append(room);
        }
        rooms = std::move(read);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace board
