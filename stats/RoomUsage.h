#pragma once
// Room usage statistics without a display: the period choices, the two statement texts, and
// the counting of nights per room and state that the statistics window draws as stacked bars.
//
// A stay occupies the nights from its arrival to the day before its departure; a period of N
// days ending today covers the nights S = today - N .. today - 1 (today's night is not yet
// over). Out-of-order periods (status "X") count as nights not available, every other state
// as used nights; preliminary reservations are left out by the stays statement itself.
//
// Invariants:
//  - bars keep the order they were made in: the rooms of the room table first, then every
//    room identifier met only in the stays, in the order of the stays; there is no limit on
//    their number;
//  - a room identifier is cut to 3 characters, both for the room table and for the stays, so
//    a stay always lands on its room's bar;
//  - percentages are nights x 100 / L, and 0 whenever L is not above 0 (no stays, zero days):
//    an empty period gives an empty chart, never a division by zero;
//  - L is N for the fixed periods; for "all the data" it is the largest today - arrival of
//    every stay counted so far, so once the last stay is read it is that of the whole period.

#include <QChar>
#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace engine {
class Database;
class Query;
}

namespace stats {

struct TStatForPeriod {
    const char* name;   // English, shown through TranslateMessage
    int days;
};

// The period choices in list order; the first ("week") is the one each opening starts with.
inline constexpr std::array<TStatForPeriod, 7> TStatForPeriods = {{
    {"week", 7},
    {"two weeks", 14},
    {"month", 30},
    {"three months", 91},
    {"six months", 182},
    {"year", 365},
    {"all the data", 10000},
}};

// A number of days above this marks the open period "all the data".
inline constexpr int kOpenPeriodAbove = 1000;
inline bool IsOpenPeriod(int days) { return days > kOpenPeriodAbove; }

// One bar: a room and its nights in the period.
struct TRoomsDef {
    QString PID;
    int used = 0;          // nights of every counted state but "X"
    int outOfOrder = 0;    // nights of "X"
};

// Statement texts; db is the database folder with its trailing separator.
QString RoomsStatement(const QString& db);
QString StaysStatement(const QString& db, int start, int today);

// The nights d with arrival <= d < departure and start <= d < today.
int NightsInPeriod(int arrival, int departure, int start, int today);

class TRoomUsage {
public:
    TRoomUsage() = default;
    TRoomUsage(int periodDays, int today);

    int periodDays() const { return m_days; }
    int today() const { return m_today; }
    int start() const { return m_today - m_days; }
    bool openPeriod() const { return IsOpenPeriod(m_days); }
    // L, the number of nights a bar of 100 percent stands for.
    int length() const;

    // A bar with zero counts for a room of the room table (none twice); returns its index.
    int addRoom(const QString& pid);
    // Counts one stay of the stays statement; returns the index of the bar it changed, or -1
    // when the stay has no night in the period. A bar is appended for an unknown room.
    int addStay(const QString& pid, int arrival, int departure, QChar status);
    // The same for the fields as the engine delivers them (no text conversion per row).
    int addStay(const std::string& pid, int arrival, int departure, char status);

    const QVector<TRoomsDef>& bars() const { return m_bars; }
    double outOfOrderPercent(int bar) const { return percent(m_bars.at(bar).outOfOrder); }
    double usagePercent(int bar) const { return percent(m_bars.at(bar).used); }
    std::int64_t staysCounted() const { return m_stays; }

private:
    double percent(int nights) const;
    int barFor(const std::string& pid);

    int m_days = 0;
    int m_today = 0;
    int m_longestSpan = 0;   // largest today - arrival met so far
    std::int64_t m_stays = 0;
    QVector<TRoomsDef> m_bars;
    std::unordered_map<std::string, int> m_index;   // PID (cut to 3 characters, UTF-8) -> bar
};

// Reads the rows of an open stays statement into a TRoomUsage, a slice at a time, so a
// window can draw between slices. Throws engine::Error when a row cannot be read.
class TStayReader {
public:
    explicit TStayReader(std::unique_ptr<engine::Query> query);
    ~TStayReader();
    TStayReader(const TStayReader&) = delete;
    TStayReader& operator=(const TStayReader&) = delete;

    // Reads at most maxRows rows; the bars they changed are marked in changed (grown to the
    // bar count). Returns false once the result is exhausted.
    bool read(TRoomUsage& usage, int maxRows, QVector<bool>* changed = nullptr);
    bool atEnd() const { return m_atEnd; }
    std::int64_t rowsRead() const;
    // All rows of the statement (the engine counts them without moving this result).
    std::int64_t rowCount();

private:
    std::unique_ptr<engine::Query> m_query;
    int m_pid = -1, m_from = -1, m_thru = -1, m_status = -1;
    bool m_atEnd = false;
};

// The whole count at once: rooms, then every stay of the period (benchmarks, tests). Throws
// engine::Error when a statement fails.
TRoomUsage CountRoomUsage(engine::Database& db, const QString& dbPrefix, int periodDays, int today);

}  // namespace stats
