// Room usage statistics: statement texts, night counting per room and state, slice reading.
//
// Invariants: see RoomUsage.h.

#include "stats/RoomUsage.h"

#include <algorithm>

#include "engine/Engine.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace stats {

namespace {

// The first three characters of a UTF-8 text (a room identifier has at most three).
std::string cutToThree(const std::string& text)
{
    std::size_t at = 0;
    for (int characters = 0; at < text.size() && characters < 3; ++characters) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return text.substr(0, at);
}

}  // namespace

QString RoomsStatement(const QString& db)
{
    return shell::Sql(u"SELECT PID FROM %1 ORDER BY PID", shell::Table(db, u"POKOJE.DB"));
}

QString StaysStatement(const QString& db, int start, int today)
{
    // Three blanks before each AND, as the statement has always been written.
    return shell::Sql(u"SELECT PID, DATEFROM, DATETHRU, STATUS FROM %1 WHERE DATETHRU>%2   "
                      u"AND DATEFROM<=%3   AND STATUS<>\"P\"",
                      shell::Table(db, u"POBYTY.DB"), shell::QuoteText(shell::DateText(double(start))),
                      shell::QuoteText(shell::DateText(double(today))));
}

int NightsInPeriod(int arrival, int departure, int start, int today)
{
    return std::max(0, std::min(departure, today) - std::max(arrival, start));
}

TRoomUsage::TRoomUsage(int periodDays, int today) : m_days(std::max(0, periodDays)), m_today(today) {}

int TRoomUsage::length() const { return openPeriod() ? m_longestSpan : m_days; }

double TRoomUsage::percent(int nights) const
{
    const int l = length();
    return l > 0 ? double(nights) * 100.0 / double(l) : 0.0;
}

int TRoomUsage::barFor(const std::string& pid)
{
    const std::string key = cutToThree(pid);
    const auto found = m_index.find(key);
    if (found != m_index.end()) return found->second;
    const int bar = int(m_bars.size());
    m_bars.append(TRoomsDef{QString::fromStdString(key)});
    m_index.emplace(key, bar);
    return bar;
}

int TRoomUsage::addRoom(const QString& pid) { return barFor(pid.toStdString()); }

int TRoomUsage::addStay(const QString& pid, int arrival, int departure, QChar status)
{
    return addStay(pid.toStdString(), arrival, departure, status.unicode() < 0x80 ? char(status.unicode()) : '?');
}

int TRoomUsage::addStay(const std::string& pid, int arrival, int departure, char status)
{
    ++m_stays;
    // Every stay of the statement arrived by today, so the span is never negative.
    m_longestSpan = std::max(m_longestSpan, m_today - arrival);
    const int nights = NightsInPeriod(arrival, departure, start(), m_today);
    if (nights <= 0) return -1;
    const int bar = barFor(pid);
    TRoomsDef& def = m_bars[bar];
    (status == 'X' ? def.outOfOrder : def.used) += nights;
    return bar;
}

TStayReader::TStayReader(std::unique_ptr<engine::Query> query) : m_query(std::move(query))
{
    m_pid = m_query->fieldIndex("PID");
    m_from = m_query->fieldIndex("DATEFROM");
    m_thru = m_query->fieldIndex("DATETHRU");
    m_status = m_query->fieldIndex("STATUS");
    if (m_pid < 0 || m_from < 0 || m_thru < 0 || m_status < 0)
        throw engine::Error("the stays statement lacks PID, DATEFROM, DATETHRU or STATUS");
}

TStayReader::~TStayReader() = default;

bool TStayReader::read(TRoomUsage& usage, int maxRows, QVector<bool>* changed)
{
    for (int i = 0; i < maxRows && !m_atEnd; ++i) {
        if (!m_query->next()) {
            m_atEnd = true;
            break;
        }
        const std::string status = m_query->text(m_status);
        const int bar = usage.addStay(m_query->text(m_pid), int(m_query->integer(m_from)),
                                      int(m_query->integer(m_thru)), status.empty() ? ' ' : status.front());
        if (bar >= 0 && changed) {
            if (changed->size() <= bar) changed->resize(usage.bars().size());
            (*changed)[bar] = true;
        }
    }
    return !m_atEnd;
}

std::int64_t TStayReader::rowsRead() const { return m_query->rowsRead(); }

std::int64_t TStayReader::rowCount() { return m_query->rowCount(); }

TRoomUsage CountRoomUsage(engine::Database& db, const QString& dbPrefix, int periodDays, int today)
{
    TRoomUsage usage(periodDays, today);
    auto rooms = db.open(RoomsStatement(dbPrefix).toStdString());
    while (rooms->next()) usage.addRoom(QString::fromStdString(rooms->text(0)));
    TStayReader reader(db.open(StaysStatement(dbPrefix, usage.start(), usage.today()).toStdString()));
    while (reader.read(usage, 1 << 16)) {
    }
    return usage;
}

}  // namespace stats
