// Benchmark of the fee book and the statistical office's counts: a year of a 50-room hotel
// (about 40,000 persons in about 9,000 stays), the whole year's fee book (the persons read
// through the engine, each person's fee and exemption, the totals) and the year's counts by
// country (arrivals, nights in the period, rooms, beds), against the baseline of one SQLite
// aggregate each over the same table files (the same joins and sums, no per-person rules), in
// the same run. The counts of both sides are compared; a difference ends the run with exit
// code 1. It prints the median of five runs of each and their ratio.
//
//   bench_fees [--small] [--persons N]
// --small: about 2,000 persons, for the smoke run under ctest.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "fees/Fee.h"
#include "fees/VisitorStatistics.h"
#include "guests/HotelSettings.h"

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double timeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

const char* const kStates[] = {"DEU", "DEU", "AUT", "POL", "GBR", "ITA", "CZE", "CZE", "CZE", "SVK", "NLD", "USA", ""};
constexpr int kRooms = 50;

// Stays back to back in every room through 2025 (1 to 3 nights, 1 to 8 persons), one in ten
// still a reservation; every seventh person leaves a night early, every sixth is a child.
void fillYear(engine::Database& db, const QString& prefix, int persons)
{
    using engine::FieldInfo;
    using engine::FieldType;
    const std::int64_t first = engine::dayNumber(2025, 1, 1), last = engine::dayNumber(2026, 1, 1);
    const std::vector<FieldInfo> stayColumns = {{"BID", FieldType::Integer, 0},  {"KID", FieldType::Integer, 0},
                                                {"PID", FieldType::Text, 3},     {"DATEFROM", FieldType::Date, 0},
                                                {"DATETHRU", FieldType::Date, 0}, {"STATUS", FieldType::Text, 1},
                                                {"NUMPERS", FieldType::Integer, 0}};
    const std::vector<FieldInfo> guestColumns = {
        {"BID", FieldType::Integer, 0},      {"KID", FieldType::Integer, 0},   {"SURNAME", FieldType::Text, 40},
        {"NAME", FieldType::Text, 30},       {"DATEBIRTH", FieldType::Text, 10}, {"CITIZEN", FieldType::Text, 3},
        {"DOCTYPE", FieldType::Text, 1},     {"DOCNUM", FieldType::Text, 30},  {"ADDRESS", FieldType::Text, 128},
        {"DATEFROM", FieldType::Date, 0},    {"DATETHRU", FieldType::Date, 0}, {"FEEEXEMPT", FieldType::Text, 40}};
    std::vector<std::vector<engine::Value>> stays, guests;
    std::vector<std::vector<engine::Value>> rooms;
    // Persons per stay chosen so the year holds about the number asked for (two nights a stay
    // on average, the rounding of each stay's count down taken back).
    const double perStay = std::max(1.0, 1.15 * persons / (kRooms * 365.0 / 2.0));
    int bid = 0, person = 0;
    for (int room = 0; room < kRooms; ++room) {
        const std::string pid = std::to_string(101 + room);
        for (std::int64_t day = first; day < last;) {
            const int nights = 1 + (bid % 3);
            const int numpers = std::max(1, int(perStay * (0.5 + (bid % 5) / 4.0) + 0.5));
            ++bid;
            stays.push_back({std::int64_t(bid), std::int64_t(0), pid, day, day + nights, std::string(bid % 10 == 0 ? "R" : "O"),
                             std::int64_t(numpers)});
            for (int p = 0; p < numpers; ++p, ++person) {
                char birth[16], doc[16];
                std::snprintf(birth, sizeof birth, "%02d.%02d.%04d", 1 + person % 28, 1 + person % 12,
                              person % 6 == 0 ? 2012 : 1950 + person % 50);
                std::snprintf(doc, sizeof doc, "X%08d", person);
                const std::int64_t thru = person % 7 == 0 && nights > 1 ? day + nights - 1 : day + nights;
                guests.push_back({std::int64_t(bid), std::int64_t(0), std::string("Guest"), std::string("Anna"),
                                  std::string(birth), std::string(kStates[person % 13]), std::string("P"), std::string(doc),
                                  std::string("Hauptstrasse 5, Passau"), day, thru,
                                  std::string(person % 50 == 0 ? "spa care" : "")});
            }
            day += nights;
        }
        rooms.push_back({pid, std::string("Room ") + pid});
    }
    auto change = db.beginChange({(prefix + QStringLiteral("POBYTY.DB")).toStdString(),
                                  (prefix + QStringLiteral("HOSTE.DB")).toStdString(),
                                  (prefix + QStringLiteral("POKOJE.DB")).toStdString()});
    change->insertRows((prefix + QStringLiteral("POBYTY.DB")).toStdString(), stayColumns, stays);
    change->insertRows((prefix + QStringLiteral("HOSTE.DB")).toStdString(), guestColumns, guests);
    change->insertRows((prefix + QStringLiteral("POKOJE.DB")).toStdString(),
                       {{"PID", FieldType::Text, 3}, {"PNAME", FieldType::Text, 30}}, rooms);
    change->commit();
    QMap<QString, QString> settings{{QStringLiteral("FEERATE"), QStringLiteral("21")}};
    for (int room = 0; room < kRooms; ++room) settings.insert(QStringLiteral("BEDS.%1").arg(101 + room), QString::number(2 + room % 3));
    guests::writeSettings(db, prefix, settings);
}

// The baseline: raw SQLite over the same table files.
struct Aggregate {
    long long persons = 0, nights = 0, arrivals = 0, periodNights = 0, countries = 0;
};
long long single(sqlite3* db, const char* sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
        std::exit(1);
    }
    long long v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int persons = 40000;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--small")) persons = 2000;
        else if (args[i] == QLatin1String("--persons") && i + 1 < args.size()) persons = args[++i].toInt();
        else {
            std::fprintf(stderr, "usage: bench_fees [--small] [--persons N]\n");
            return 2;
        }
    }
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/DB");
    engine::Database db(data::databaseLocation(folder).toStdString());
    data::createTables(db, folder);
    const QString prefix = data::folderPrefix(folder);
    db.setSyncWrites(false);
    fillYear(db, prefix, persons);
    db.setSyncWrites(true);
    db.releaseTables();

    const QDate from(2025, 1, 1), thru(2025, 12, 31);
    const long long start = engine::dayNumber(2025, 1, 1), end = engine::dayNumber(2026, 1, 1);
    sqlite3* raw = nullptr;
    sqlite3_open_v2((prefix + QStringLiteral("HOSTE.DB")).toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const std::string attach = "ATTACH '" + (prefix + QStringLiteral("POBYTY.DB")).toStdString() + "' AS S";
    sqlite3_exec(raw, attach.c_str(), nullptr, nullptr, nullptr);
    const std::string join = "FROM HOSTE H JOIN S.POBYTY P ON P.BID=H.BID WHERE P.STATUS IN ('H','O') ";
    const std::string inYear = "AND H.DATEFROM>=" + std::to_string(start) + " AND H.DATEFROM<" + std::to_string(end);
    const std::string touching = "AND H.DATEFROM<" + std::to_string(end) + " AND H.DATETHRU>" + std::to_string(start);
    const std::string personsSql = "SELECT COUNT(*) " + join + inYear;
    const std::string nightsSql = "SELECT SUM(MAX(0, H.DATETHRU-H.DATEFROM)) " + join + inYear;
    const std::string periodSql = "SELECT SUM(MAX(0, MIN(H.DATETHRU," + std::to_string(end) + ")-MAX(H.DATEFROM," +
                                  std::to_string(start) + "))) " + join + touching;
    const std::string countriesSql = "SELECT COUNT(DISTINCT CASE WHEN TRIM(H.CITIZEN)='' OR H.CITIZEN IS NULL THEN 'XXX' "
                                     "ELSE UPPER(H.CITIZEN) END) " + join + touching;

    fees::FeeBook book;
    fees::VisitorStatistics stats;
    Aggregate a;
    std::vector<double> bookMs, statsMs, bookBaseMs, statsBaseMs;
    for (int run = 0; run < 5; ++run) {
        bookMs.push_back(timeMs([&] { book = fees::readFeeBook(db, prefix, from, thru); }));
        statsMs.push_back(timeMs([&] { stats = fees::readVisitorStatistics(db, prefix, from, thru); }));
        bookBaseMs.push_back(timeMs([&] {
            a.persons = single(raw, personsSql.c_str());
            a.nights = single(raw, nightsSql.c_str());
        }));
        statsBaseMs.push_back(timeMs([&] {
            a.arrivals = single(raw, personsSql.c_str());
            a.periodNights = single(raw, periodSql.c_str());
            a.countries = single(raw, countriesSql.c_str());
        }));
    }
    sqlite3_close(raw);
    const bool same = book.persons == a.persons && book.nights == a.nights && stats.arrivals == a.arrivals &&
                      stats.nights == a.periodNights && stats.countries.size() == a.countries;
    const double b = median(bookMs), bb = median(bookBaseMs), s = median(statsMs), sb = median(statsBaseMs);
    std::printf("a year of %d rooms: %d persons in the fee book, %d nights, %s CZK, %d exempt\n", kRooms, book.persons,
                book.nights, qPrintable(fees::plainAmount(book.total)), book.exemptPersons);
    std::printf("  statistics: %d arrivals, %lld nights, %d countries, %d beds\n", stats.arrivals,
                static_cast<long long>(stats.nights), int(stats.countries.size()), stats.beds);
    std::printf("  SQLite aggregate: %lld persons, %lld nights; %lld arrivals, %lld nights, %lld countries: %s\n", a.persons,
                a.nights, a.arrivals, a.periodNights, a.countries, same ? "the same" : "DIFFERENT");
    std::printf("  fee book:   %8.1f ms   baseline %8.1f ms   ratio %.2f   (limit 1000 ms: %s)\n", b, bb, b / bb,
                b <= 1000 ? "met" : "NOT met");
    std::printf("  statistics: %8.1f ms   baseline %8.1f ms   ratio %.2f   (limit 1000 ms: %s)\n", s, sb, s / sb,
                s <= 1000 ? "met" : "NOT met");
    return same ? 0 : 1;
}
