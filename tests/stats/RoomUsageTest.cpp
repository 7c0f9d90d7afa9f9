// Room usage counting on fixed stays, through the real statements on a temporary database:
// nights per room and state across the edges of the period, out-of-order nights apart from
// used ones, preliminary reservations left out, rooms no longer in the room table, empty
// periods and the open period "all the data".
#include <QDate>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "shell/ValueHelpers.h"
#include "stats/RoomUsage.h"

namespace {

struct Stay {
    const char* pid;
    int from, thru;   // days relative to today
    const char* status;
};

enum Period { Week = 0, TwoWeeks = 1, AllTheData = 6 };

const int kToday = shell::NumberFromDate(QDate(2004, 3, 15));

// The bars as "PID:used/out-of-order=usage%/not-available%", then L.
QString describe(const stats::TRoomUsage& usage)
{
    QStringList out;
    for (int i = 0; i < usage.bars().size(); ++i) {
        const stats::TRoomsDef& bar = usage.bars()[i];
        out << QStringLiteral("%1:%2/%3=%4/%5")
                   .arg(bar.PID)
                   .arg(bar.used)
                   .arg(bar.outOfOrder)
                   .arg(usage.usagePercent(i), 0, 'g', 4)
                   .arg(usage.outOfOrderPercent(i), 0, 'g', 4);
    }
    out << QStringLiteral("L%1").arg(usage.length());
    return out.join(' ');
}

// One hotel of every edge: rooms 101-105 and a stay in room 999, which is not in the table.
const std::vector<const char*> kRooms = {"101", "102", "103", "104", "105"};
const std::vector<Stay> kEdges = {
    {"101", -10, -3, "O"},   // 4 nights in the week (the 7th to the 4th day before today)
    {"102", -30, 5, "H"},    // every night of every period since it arrived
    {"103", -7, 0, "X"},     // out of order the whole week
    {"104", 0, 3, "H"},      // arrives today: no night yet
    {"104", -5, -1, "P"},    // preliminary: never counted
    {"105", -20, -7, "O"},   // leaves on the week's first day
    {"105", -8, -6, "?"},    // unknown state: one night in the week, counted as used
    {"105", -2, -1, "R"},    // a definitive reservation in the past
    {"999", -3, -1, "O"},    // a room removed from the table: a bar of its own at the end
    {"101", -1, 10, "X"},    // out of order from yesterday on, stacked on the used nights
};

struct Case {
    const char* name;
    std::vector<const char*> rooms;
    std::vector<Stay> stays;
    Period period;
    const char* expected;
};

const Case kCases[] = {
    {"edges of the week", kRooms, kEdges, Week,
     "101:4/1=57.14/14.29 102:7/0=100/0 103:0/7=0/100 104:0/0=0/0 105:2/0=28.57/0 999:2/0=28.57/0 L7"},
    {"edges of two weeks", kRooms, kEdges, TwoWeeks,
     "101:7/1=50/7.143 102:14/0=100/0 103:0/7=0/50 104:0/0=0/0 105:10/0=71.43/0 999:2/0=14.29/0 L14"},
    {"all the data: L from the earliest arrival", kRooms, kEdges, AllTheData,
     "101:7/1=23.33/3.333 102:30/0=100/0 103:0/7=0/23.33 104:0/0=0/0 105:16/0=53.33/0 999:2/0=6.667/0 L30"},
    {"a room occupied every night for 400 days", {"101", "102"},
     {{"101", -400, -200, "O"}, {"101", -200, 3, "H"}, {"102", -100, -90, "O"}}, AllTheData,
     "101:400/0=100/0 102:10/0=2.5/0 L400"},
    {"stays outside the week only", {"101"}, {{"101", 1, 5, "R"}, {"101", -100, -7, "O"}}, Week,
     "101:0/0=0/0 L7"},
    {"no stays in a week", {"101", "102"}, {}, Week, "101:0/0=0/0 102:0/0=0/0 L7"},
    {"no stays at all: zero days", {"101", "102"}, {}, AllTheData, "101:0/0=0/0 102:0/0=0/0 L0"},
    {"only stays arriving today: zero days", {"101"}, {{"101", 0, 2, "H"}}, AllTheData, "101:0/0=0/0 L0"},
    {"no rooms, stays only", {}, {{"7", -3, -1, "O"}, {"12", -2, 0, "X"}}, Week, "7:2/0=28.57/0 12:0/2=0/28.57 L7"},
    {"no rooms, no stays", {}, {}, AllTheData, "L0"},
};

class RoomUsageTest : public ::testing::TestWithParam<Case> {};

TEST_P(RoomUsageTest, CountsNightsPerRoomAndState)
{
    const Case& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString db = data::folderPrefix(dir.path());
    engine::Database database(db.toStdString());
    data::createTables(database, dir.path());
    for (const char* pid : c.rooms)
        database.execute(QStringLiteral("INSERT INTO \"%1POKOJE.DB\" (PID, PNAME) VALUES (\"%2\", \"Room %2\")")
                             .arg(db, QLatin1String(pid))
                             .toStdString());
    for (const Stay& s : c.stays)
        database.execute(QStringLiteral("INSERT INTO \"%1POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, UID) "
                                        "VALUES (0, \"%2\", \"%3\", \"%4\", \"%5\", 0)")
                             .arg(db, QLatin1String(s.pid), shell::DateText(double(kToday + s.from)),
                                  shell::DateText(double(kToday + s.thru)), QLatin1String(s.status))
                             .toStdString());
    const stats::TRoomUsage usage =
        stats::CountRoomUsage(database, db, stats::TStatForPeriods[std::size_t(c.period)].days, kToday);
    EXPECT_EQ(describe(usage).toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Stays, RoomUsageTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

}  // namespace
