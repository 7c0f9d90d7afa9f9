// The interval index of the stays: queries over a date range answered through it give exactly
// the rows of the plain condition (evaluated by SQLite straight on the table file), whoever
// wrote the rows; old table files get it; the planner reads it.
#include "Core.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <random>

using enginetest::createTables;
using enginetest::emptyFolder;
using enginetest::withDb;

namespace {

constexpr int kBase = 38000;  // 14.1.2004

std::string dateText(int day) {
    int y = 0, m = 0, d = 0;
    engine::civilFromDayNumber(day, y, m, d);
    return std::to_string(d) + "." + std::to_string(m) + "." + std::to_string(y);
}

// A plain SQLite connection to a table file, as another program opens it.
struct Plain {
    sqlite3* db = nullptr;
    explicit Plain(const std::string& path) {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_busy_timeout(db, 2000);
    }
    ~Plain() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        char* err = nullptr;
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << sql << ": " << (err ? err : "");
        sqlite3_free(err);
    }
    std::vector<std::int64_t> ids(const std::string& sql, int a, int b) {
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_bind_int(st, 1, a);
        sqlite3_bind_int(st, 2, b);
        std::vector<std::int64_t> r;
        while (sqlite3_step(st) == SQLITE_ROW) r.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        std::sort(r.begin(), r.end());
        return r;
    }
    std::int64_t count(const std::string& sql) {
        const auto r = ids(sql, 0, 0);
        return r.empty() ? -1 : r.front();
    }
};

// The keys of the rows as they come, and whether they came in ascending order.
std::vector<std::int64_t> engineIds(engine::Database& db, const std::string& sql, bool* ascending = nullptr) {
    auto q = db.open(sql);
    std::vector<std::int64_t> r;
    while (q->next()) r.push_back(q->integer(0));
    if (ascending) *ascending = std::is_sorted(r.begin(), r.end());
    std::sort(r.begin(), r.end());
    return r;
}

// One condition over a window A..B, as the front office writes it and as plain SQLite reads
// it with day numbers (?1 = A, ?2 = B).
struct Shape {
    const char* name;
    const char* dialect;  // %A and %B stand for the date texts
    const char* plain;
    bool throughIndex = true;
};

const Shape kShapes[] = {
    {"board",
     "((DATEFROM<\"%A\" and DATETHRU>\"%B\") OR  (DATEFROM>=\"%A\" and DATEFROM<=\"%B\") OR  (DATETHRU>=\"%A\" and DATETHRU<=\"%B\"))",
     "((DATEFROM<?1 and DATETHRU>?2) OR (DATEFROM>=?1 and DATEFROM<=?2) OR (DATETHRU>=?1 and DATETHRU<=?2))"},
    {"board terms turned round",
     "((\"%B\">=DATETHRU and DATETHRU>=\"%A\") OR (\"%A\"<=POB.DATEFROM and \"%B\">=DATEFROM) OR (DATETHRU>\"%B\" and \"%A\">DATEFROM))",
     "((?2>=DATETHRU and DATETHRU>=?1) OR (?1<=DATEFROM and ?2>=DATEFROM) OR (DATETHRU>?2 and ?1>DATEFROM))"},
    {"between",
     "(DATEFROM BETWEEN \"%A\" AND \"%B\" OR DATETHRU BETWEEN \"%A\" AND \"%B\" OR (DATEFROM<\"%A\" AND DATETHRU>\"%B\"))",
     "(DATEFROM BETWEEN ?1 AND ?2 OR DATETHRU BETWEEN ?1 AND ?2 OR (DATEFROM<?1 AND DATETHRU>?2))"},
    {"overlap", "DATEFROM<=\"%B\" AND DATETHRU>=\"%A\"", "DATEFROM<=?2 AND DATETHRU>=?1", false},
    {"nights in a period", "DATETHRU>\"%A\"   AND DATEFROM<=\"%B\"   AND STATUS<>\"P\"", "DATETHRU>?1 AND DATEFROM<=?2 AND STATUS<>'P'",
     false},
    {"board without a card",
     "((DATEFROM<\"%A\" and DATETHRU>\"%B\") OR  (DATEFROM>=\"%A\" and DATEFROM<=\"%B\") OR  (DATETHRU>=\"%A\" and DATETHRU<=\"%B\")) AND (KID=0 or KID is null)",
     "((DATEFROM<?1 and DATETHRU>?2) OR (DATEFROM>=?1 and DATEFROM<=?2) OR (DATETHRU>=?1 and DATETHRU<=?2)) AND (KID=0 or KID is null)"},
};

std::string replaced(std::string s, const std::string& a, const std::string& b) {
    for (size_t at; (at = s.find("%A")) != std::string::npos;) s.replace(at, 2, a);
    for (size_t at; (at = s.find("%B")) != std::string::npos;) s.replace(at, 2, b);
    return s;
}

// Every shape over windows before, inside, across and after the stays (one day, inverted,
// everything): the engine's rows are the plain condition's.
void expectSameRows(engine::Database& db, const std::string& folder, const char* phase) {
    Plain plain(folder + "POBYTY.DB");
    const std::pair<int, int> windows[] = {
        {kBase - 400, kBase - 300}, {kBase, kBase + 21}, {kBase + 100, kBase + 100}, {kBase + 150, kBase + 171},
        {kBase + 60, kBase + 40},   {kBase - 5000, kBase + 9000}, {kBase + 5000, kBase + 5021}, {kBase + 199, kBase + 230}};
    for (const Shape& shape : kShapes) {
        for (const auto& [a, b] : windows) {
            const std::string sql = withDb("SELECT BID FROM \"{db}POBYTY.DB\" AS POB WHERE ", folder) +
                                    replaced(shape.dialect, dateText(a), dateText(b));
            const auto expected = plain.ids(std::string("SELECT BID FROM POBYTY WHERE ") + shape.plain, a, b);
            bool ascending = false;
            EXPECT_EQ(engineIds(db, sql, &ascending), expected) << phase << ", " << shape.name << ", " << dateText(a) << ".." << dateText(b);
            // Through the index the stays come in the order they were booked, whatever the tree.
            if (shape.throughIndex) EXPECT_TRUE(ascending) << phase << ", " << shape.name;
        }
    }
}

std::string insertStay(int kid, const std::string& from, const std::string& thru, char status) {
    return "INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS) VALUES (" + std::to_string(kid) +
           ", \"1\", " + from + ", " + thru + ", \"" + std::string(1, status) + "\")";
}

TEST(IntervalIndex, RtreeModuleIsInTheSqliteWeRunOn) {
    EXPECT_TRUE(sqlite3_compileoption_used("ENABLE_RTREE")) << "the interval index needs SQLite's R*Tree module";
}

// Random stays through the engine: zero-night, ordinary, very long, open-ended (no departure),
// no arrival, and a departure before the arrival.
void addRandomStays(engine::Database& db, const std::string& folder) {
    std::mt19937 random(15);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int i = 0; i < 300; ++i) {
        const int from = kBase + pick(-30, 220);
        const int kind = pick(0, 9);
        std::string thru = "\"" + dateText(from + pick(1, 14)) + "\"";
        if (kind == 0) thru = "\"" + dateText(from) + "\"";
        if (kind == 1) thru = "\"" + dateText(from + pick(300, 4000)) + "\"";
        if (kind == 2) thru = "NULL";
        if (kind == 3) thru = "\"" + dateText(from - pick(1, 5)) + "\"";
        const std::string fromText = kind == 4 ? std::string("NULL") : "\"" + dateText(from) + "\"";
        db.execute(withDb(insertStay(pick(0, 2), fromText, thru, "PRHOX"[pick(0, 4)]), folder));
    }
}

TEST(IntervalIndex, GivesThePlainConditionsRowsWhoeverWrites) {
    const std::string folder = emptyFolder();
    engine::Database db(folder);
    db.setSyncWrites(false);
    createTables(db, folder);
    addRandomStays(db, folder);
    expectSameRows(db, folder, "engine inserts");

    db.execute(withDb("UPDATE \"{db}POBYTY.DB\" SET DATETHRU=DATETHRU+40 WHERE BID<60 AND DATETHRU IS NOT NULL", folder));
    db.execute(withDb("UPDATE \"{db}POBYTY.DB\" SET DATEFROM=\"1.1.2003\", DATETHRU=\"2.1.2003\" WHERE BID>=60 AND BID<80", folder));
    db.execute(withDb("UPDATE \"{db}POBYTY.DB\" SET DATETHRU=NULL WHERE BID>=80 AND BID<90", folder));
    db.execute(withDb("DELETE FROM \"{db}POBYTY.DB\" WHERE BID>=100 AND BID<140", folder));
    db.execute(withDb("UPDATE \"{db}POBYTY.DB\" SET STATUS=\"H\" WHERE BID>=140 AND BID<150", folder));
    expectSameRows(db, folder, "engine updates and deletes");

    {
        // Another program: empty and text dates, a fraction of a day, a key changed, a row
        // replaced (no delete trigger fires for it), rows moved and deleted.
        Plain other(folder + "POBYTY.DB");
        const std::string d = std::to_string(kBase + 10);
        other.exec("INSERT INTO POBYTY (KID, DATEFROM, DATETHRU) VALUES (0, " + d + ", ''), (0, '', " + d +
                   "), (1, " + d + ", '2004-03-01'), (2, NULL, NULL), (0, " + d + ".5, " + d + ".25), (0, '', '')");
        other.exec("INSERT OR REPLACE INTO POBYTY (BID, KID, DATEFROM, DATETHRU) VALUES (200, 0, " + std::to_string(kBase + 160) +
                   ", " + std::to_string(kBase + 165) + ")");
        other.exec("UPDATE POBYTY SET BID=BID+1000 WHERE BID>=150 AND BID<160");
        other.exec("UPDATE POBYTY SET DATEFROM=DATEFROM-90, DATETHRU=DATETHRU-90 WHERE BID>=160 AND BID<200");
        other.exec("UPDATE POBYTY SET DATETHRU='' WHERE BID>=210 AND BID<215");
        other.exec("DELETE FROM POBYTY WHERE BID>=220 AND BID<250");
    }
    expectSameRows(db, folder, "plain SQLite writes");
}

// On a server the stays' GiST index answers the same shapes: the rows are those of the same
// condition put so that no bound is read from it (NOT NOT), before and after changes.
TEST(IntervalIndexOnServer, GivesThePlainConditionsRows) {
    const enginetest::TestDb t = enginetest::filledDb(enginetest::Storage::Server);
    engine::Database db(t.location);
    db.execute("DELETE FROM \"POBYTY.DB\"");
    addRandomStays(db, "");
    const std::pair<int, int> windows[] = {{kBase - 400, kBase - 300}, {kBase, kBase + 21}, {kBase + 100, kBase + 100},
                                           {kBase + 60, kBase + 40},   {kBase - 5000, kBase + 9000}, {kBase + 199, kBase + 230}};
    for (const char* phase : {"inserts", "updates and deletes"}) {
        for (const Shape& shape : kShapes) {
            for (const auto& [a, b] : windows) {
                const std::string cond = replaced(shape.dialect, dateText(a), dateText(b));
                const std::string sql = "SELECT BID FROM \"POBYTY.DB\" AS POB WHERE ";
                EXPECT_EQ(engineIds(db, sql + cond), engineIds(db, sql + "NOT (NOT (" + cond + "))"))
                    << phase << ", " << shape.name << ", " << dateText(a) << ".." << dateText(b);
            }
        }
        db.execute("UPDATE \"POBYTY.DB\" SET DATETHRU=DATETHRU+40 WHERE BID<60 AND DATETHRU IS NOT NULL");
        db.execute("UPDATE \"POBYTY.DB\" SET DATETHRU=NULL WHERE BID>=80 AND BID<90");
        db.execute("DELETE FROM \"POBYTY.DB\" WHERE BID>=100 AND BID<140");
    }
}

TEST(IntervalIndex, AnOldTableFileGetsItWhenNoOtherProgramHoldsIt) {
    const std::string folder = emptyFolder();
    {
        engine::Database db(folder);
        createTables(db, folder);
        db.execute(withDb(insertStay(1, "\"20.1.2004\"", "\"25.1.2004\"", 'H'), folder));
        db.execute(withDb(insertStay(0, "\"1.1.2000\"", "\"1.1.2010\"", 'X'), folder));
    }
    const std::string path = folder + "POBYTY.DB";
    const std::string objects = "SELECT count(*) FROM sqlite_master WHERE name LIKE 'POBYTY\\_interval%' ESCAPE '\\'";
    {
        // The file as it was before the index: no R*Tree, no triggers.
        Plain old(path);
        EXPECT_EQ(old.count(objects), 7);  // the index, its three shadow tables, three triggers
        old.exec("DROP TRIGGER POBYTY_interval_insert; DROP TRIGGER POBYTY_interval_update; "
                 "DROP TRIGGER POBYTY_interval_delete; DROP TABLE POBYTY_interval");
        EXPECT_EQ(old.count(objects), 0);
        old.exec("INSERT INTO POBYTY (KID, DATEFROM, DATETHRU) VALUES (0, 38005, 38030)");
    }
    const std::string board = withDb(
        "SELECT BID FROM \"{db}POBYTY.DB\" WHERE ((DATEFROM<\"22.1.2004\" and DATETHRU>\"23.1.2004\") OR  "
        "(DATEFROM>=\"22.1.2004\" and DATEFROM<=\"23.1.2004\") OR  (DATETHRU>=\"22.1.2004\" and DATETHRU<=\"23.1.2004\"))",
        folder);
    const std::vector<std::int64_t> all{1, 2, 3};
    {
        // Another program reads the file: the index cannot be made now; the rows are right.
        Plain reader(path);
        reader.exec("BEGIN; SELECT count(*) FROM POBYTY");
        engine::Database db(folder);
        db.setLockTimeoutMs(100);
        EXPECT_EQ(engineIds(db, board), all);
        EXPECT_EQ(reader.count(objects), 0);
        reader.exec("COMMIT");
    }
    {
        engine::Database db(folder);
        EXPECT_EQ(engineIds(db, board), all);
    }
    Plain after(path);
    EXPECT_EQ(after.count(objects), 7);
    EXPECT_EQ(after.count("SELECT count(*) FROM POBYTY_interval"), 3);
    EXPECT_EQ(after.count("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='POBYTY' AND sql LIKE 'CREATE TABLE%'"), 1);
    EXPECT_EQ(after.count("SELECT count(*) FROM POBYTY WHERE DATEFROM<=38030"), 3);
    EXPECT_EQ(after.count("SELECT count(*) FROM pragma_integrity_check WHERE integrity_check='ok'"), 1);
    after.exec("INSERT INTO POBYTY (KID, DATEFROM, DATETHRU) VALUES (0, 38015, 38016)");
    EXPECT_EQ(after.count("SELECT count(*) FROM POBYTY_interval"), 4);
}

// The planner reads the index for alternatives of ranges of days that bound both columns (the
// board's window, in any of its shapes), and not for other conditions.
TEST(IntervalIndex, PlannerReadsItForRangesOfDaysOnly) {
    const std::string folder = enginetest::filledFolder();
    engine::Database db(folder);
    const struct {
        const char* sql;
        bool usesIndex;
    } cases[] = {
        {"SELECT BID,UID,POB.KID,PID,DATEFROM,DATETHRU,STATUS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,NAME,SURNAME,TITLE,NUMPERS  FROM "
         "\"{db}POBYTY.DB\" AS POB, \"{db}KARTY.DB\" AS KAR WHERE ((DATEFROM<\"1.3.2004\" and DATETHRU>\"23.3.2004\") OR  "
         "(DATEFROM>=\"1.3.2004\" and DATEFROM<=\"23.3.2004\") OR  (DATETHRU>=\"1.3.2004\" and DATETHRU<=\"23.3.2004\")) AND "
         "(POB.KID=KAR.KID)",
         true},
        {"SELECT BID FROM \"{db}POBYTY.DB\" AS POB WHERE ((DATEFROM<\"1.3.2004\" and DATETHRU>\"23.3.2004\") OR  "
         "(DATEFROM>=\"1.3.2004\" and DATEFROM<=\"23.3.2004\") OR  (DATETHRU>=\"1.3.2004\" and DATETHRU<=\"23.3.2004\")) AND "
         "(KID<>0) AND (KID NOT IN (SELECT KID FROM \"{db}KARTY.DB\"))",
         true},
        {"SELECT BID FROM \"{db}POBYTY.DB\" WHERE DATEFROM BETWEEN \"1.3.2004\" AND \"5.3.2004\" OR DATETHRU BETWEEN "
         "\"1.3.2004\" AND \"5.3.2004\" OR (DATEFROM<\"1.3.2004\" AND DATETHRU>\"5.3.2004\")",
         true},
        {"SELECT PID, DATEFROM FROM \"{db}POBYTY.DB\" WHERE DATETHRU>\"1.3.2004\" AND DATEFROM<=\"5.3.2004\"", false},
        {"SELECT SURNAME, BID FROM \"{db}KARTY.DB\" AS KAR LEFT JOIN \"{db}POBYTY.DB\" AS POB ON POB.KID=KAR.KID WHERE "
         "((DATEFROM<\"1.3.2004\" and DATETHRU>\"5.3.2004\") OR (DATEFROM>=\"1.3.2004\" and DATEFROM<=\"5.3.2004\") OR "
         "(DATETHRU>=\"1.3.2004\" and DATETHRU<=\"5.3.2004\"))",
         true},
        {"SELECT BID FROM \"{db}POBYTY.DB\" WHERE DATEFROM>=\"1.3.2004\" AND DATEFROM<=\"5.3.2004\"", false},
        {"SELECT BID FROM \"{db}POBYTY.DB\" WHERE DATEFROM<\"1.3.2004\" OR DATETHRU>\"5.3.2004\"", false},
        {"SELECT BID FROM \"{db}POBYTY.DB\" WHERE NOT (DATEFROM<=\"5.3.2004\" AND DATETHRU>=\"1.3.2004\")", false},
        {"SELECT BID FROM \"{db}POBYTY.DB\" WHERE DATEFROM<=DATETHRU AND DATETHRU>=\"1.3.2004\"", false},
    };
    auto& core = *db.impl().core;
    for (const auto& c : cases) {
        engine::detail::Core::Prepared p;
        engine::sql::Statement ddl;
        ASSERT_TRUE(core.prepare(withDb(c.sql, folder), p, ddl));
        std::string plan;
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(core.db(), ("EXPLAIN QUERY PLAN " + p.entry->tr.sql).c_str(), -1, &st, nullptr), SQLITE_OK);
        while (sqlite3_step(st) == SQLITE_ROW) plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + "\n";
        sqlite3_finalize(st);
        core.release(p.entry, p.stmt, false);
        // Index 2 of the R*Tree with both constraints: lo <= (B0) and hi >= (D1).
        EXPECT_EQ(plan.find("VIRTUAL TABLE INDEX 2:B0D1") != std::string::npos, c.usesIndex) << c.sql << "\n" << plan;
        EXPECT_NO_THROW(enginetest::dump(db, withDb(c.sql, folder))) << c.sql;
    }
}

}  // namespace
