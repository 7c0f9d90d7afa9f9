#pragma once
// The occupancy board's logic without a display: the stay list (`TRoomsUsage` entries),
// which stay a night cell shows and whether it is a conflict, the guest display name and
// price text of an entry, the name shortening rule and the colours and texts of every cell.
// The window only paints what this file decides.
//
// Invariants:
//  - a stay occupies the nights DATEFROM .. DATETHRU-1 of its room;
//  - for a cell, the first occupying entry in list order is the cell's stay; every further
//    occupying entry makes the conflict name (the last one wins), so list order is meaning;
//  - PID is at most 3 characters, the display name at most 30, the price text at most 20;
//  - the per-room index only speeds up the lookup: it keeps list order within a room.

#include <QColor>
#include <QHash>
#include <QString>
#include <QVector>
#include <functional>

struct TRoomsUsage {
    int BID = 0;
    int UID = 0;
    int KID = 0;              // 0 for stays without client card
    QString PID;              // up to 3 characters
    QString name;             // guest display name, or BOOKEDFOR (the reason of an "X")
    int DATEFROM = 0;         // arrival (day number)
    int DATETHRU = 0;         // departure (day number)
    QChar STATUS;
    QString priceText;        // second line of the cell, up to 20 characters
    double PRICEEUR = 0, PRICECZK = 0, MAIDEUR = 0, MAIDCZK = 0;
    int NUMPERS = 0;

    bool occupies(int day) const { return DATEFROM <= day && day <= DATETHRU - 1; }
};

// One grid row: a room.
struct TBoardRoom {
    QString PID;    // up to 3 characters
    QString PNAME;  // up to 30 characters
    int PCOLOR = 0; // Windows colour value 0x00BBGGRR
};

namespace board {

constexpr int kMaxPidLength = 3;
constexpr int kMaxNameLength = 30;
constexpr int kMaxPriceTextLength = 20;
constexpr int kMaxRooms = 1000;

// "Mr Novak Jan": title and surname, then the first name when both together stay short.
QString GuestDisplayName(const QString& title, const QString& surname, const QString& name);

// The cell's second line: "150 + 30 EUR", "150 EUR", "3750 Kč". Amount texts are the
// engine's general number format (as the query delivers them).
QString PriceText(bool preferEUR, const QString& priceEurText, double maidEur,
                  const QString& maidEurText, const QString& priceCzkText, double maidCzk,
                  const QString& maidCzkText);

// Black text on light backgrounds, white on dark ones.
QColor ContrastColor(const QColor& background);

// Shortens a guest name to fit a column: only names longer than 20 characters are cut,
// "..." marks the cut. measure gives a text's width in pixels.
QString ShortenName(const QString& text, int columnWidth,
                    const std::function<int(const QString&)>& measure);

// The stays around the visible days, in the order the queries delivered them.
class TStayList {
public:
    void clear();
    void append(TRoomsUsage entry);
    int size() const { return int(m_entries.size()); }
    const QVector<TRoomsUsage>& entries() const { return m_entries; }
    TRoomsUsage& operator[](int i) { return m_entries[i]; }

    // Every entry of the room occupying the night, in list order.
    QVector<const TRoomsUsage*> staysAt(const QString& pid, int day) const;
    // The first of them, or nullptr.
    const TRoomsUsage* stayAt(const QString& pid, int day) const;
    // Calls fn(entry) for each of them in list order, without building a list (painting).
    template <typename Fn>
    void forEachStayAt(const QString& pid, int day, Fn&& fn) const
    {
        const auto it = m_byRoom.constFind(pid);
        if (it == m_byRoom.constEnd()) return;
        for (int index : *it) {
            const TRoomsUsage& entry = m_entries.at(index);
            if (entry.occupies(day)) fn(entry);
        }
    }

private:
    QVector<TRoomsUsage> m_entries;
    QHash<QString, QVector<int>> m_byRoom;  // PID -> entry indices in list order
};

// The board's colours, from the options.
struct TBoardColors {
    QColor Default = Qt::white;
    QColor PreliminaryR = Qt::white;
    QColor DefinitiveR = Qt::yellow;
    QColor CheckedIn = QColor(0, 128, 0);
    QColor CheckedOut = Qt::blue;
    QColor NotAvailable = Qt::red;
    QColor Conflict = Qt::red;
};
TBoardColors ColorsFromOptions();

// What a night cell shows.
struct TCellView {
    bool empty = true;
    QColor background;
    QColor textColor;
    bool oneLine = false;   // out-of-order periods show only their reason
    QString upper;          // the guest name (to be shortened to the column by the painter)
    QString lower;          // conflict name, else the price text
    const TRoomsUsage* stay = nullptr;
    bool conflict = false;
};

// invalidStatusText: the translated "Invalid Status!" shown for unknown status codes.
TCellView NightCell(const TStayList& stays, const QString& pid, int day, const TBoardColors& colors,
                    const QString& invalidStatusText);

// The colour of a status code; unknown codes (and "!") are the conflict colour.
QColor StatusColor(QChar status, const TBoardColors& colors, bool* known = nullptr);

}  // namespace board
