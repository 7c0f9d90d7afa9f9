// Table files: locks between programs, the attach LRU, releasing and read locks.
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <thread>

using enginetest::dump;
using enginetest::emptyFolder;
using enginetest::filledDb;
using enginetest::filledFolder;
using enginetest::Storage;
using enginetest::storageName;
using enginetest::TestDb;
using enginetest::withDb;

namespace {

TEST(Locks, AWriteBlockedByAnotherProgramFailsWithinTheTimeout) {
    const std::string folder = filledFolder();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((folder + "POBYTY.DB").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    engine::Database db(folder);
    db.setLockTimeoutMs(300);
    const auto start = std::chrono::steady_clock::now();
    try {
        db.execute(withDb(R"(UPDATE "{db}POBYTY.DB" SET NUMPERS=9 WHERE BID=1)", folder));
        FAIL() << "write went through a held lock";
    } catch (const engine::Error& e) {
        EXPECT_NE(std::string(e.what()).find("POBYTY.DB is locked by another program"), std::string::npos) << e.what();
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::seconds(3));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(db.execute(withDb(R"(UPDATE "{db}POBYTY.DB" SET NUMPERS=9 WHERE BID=1)", folder)), 1);
}

class ReadLock : public ::testing::TestWithParam<Storage> {};

INSTANTIATE_TEST_SUITE_P(Storages, ReadLock, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return storageName(info.param); });

TEST_P(ReadLock, OfOneDatabaseHoldsOffTheWritesOfAnother) {
    const TestDb t = filledDb(GetParam());
    const std::string& folder = t.prefix;
    engine::Database reader(t.location), writer(t.location);
    writer.setLockTimeoutMs(200);
    bool ran = false;
    reader.withReadLock(folder + "KARTY.DB", [&] {
        ran = true;
        EXPECT_THROW(writer.execute(withDb(R"(DELETE FROM "{db}KARTY.DB" WHERE KID=4)", folder)), engine::Error);
        EXPECT_EQ(writer.execute(withDb(R"(DELETE FROM "{db}POZNAMKY.DB" WHERE RMID=1)", folder)), 1)
            << "other tables stay writable";
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(writer.execute(withDb(R"(DELETE FROM "{db}KARTY.DB" WHERE KID=4)", folder)), 1);
}

TEST(Attach, MoreThanTenTablesInOneSession) {
    const std::string folder = emptyFolder();
    engine::Database db(folder);
    for (int i = 1; i <= 14; ++i) {
        const std::string t = "\"" + folder + "T" + std::to_string(i) + ".DB\"";
        db.execute("CREATE TABLE " + t + " (ID AUTOINC, V INTEGER)");
        db.execute("INSERT INTO " + t + " (V) VALUES (" + std::to_string(i) + ")");
    }
    // Round after round, every table is reached again through the LRU.
    for (int round = 0; round < 2; ++round)
        for (int i = 1; i <= 14; ++i)
            EXPECT_EQ(dump(db, "SELECT V FROM T" + std::to_string(i)), std::to_string(i));
    // A cursor keeps working after its file was let go and attached again.
    auto cursor = db.openTable("T1");
    for (int i = 2; i <= 14; ++i) dump(db, "SELECT V FROM T" + std::to_string(i));
    EXPECT_EQ(cursor->text(1), "1");
    cursor->edit();
    cursor->setValue(1, std::int64_t{100});
    cursor->post();
    EXPECT_EQ(dump(db, "SELECT V FROM T1"), "100");
    // Open results hold their files; the eleventh at once is refused, not a crash.
    std::vector<std::unique_ptr<engine::Query>> open;
    for (int i = 1; i <= 10; ++i) {
        open.push_back(db.open("SELECT V FROM T" + std::to_string(i)));
        ASSERT_TRUE(open.back()->next());
    }
    EXPECT_THROW(db.open("SELECT V FROM T11"), engine::Error);
    EXPECT_EQ(open.front()->text(0), "100") << "open results still read their rows";
    EXPECT_THROW(db.releaseTables(), engine::Error) << "results still open";
    open.clear();
    EXPECT_EQ(dump(db, "SELECT V FROM T11"), "11");
    db.releaseTables();
    EXPECT_EQ(dump(db, "SELECT V FROM T12"), "12");
}

TEST(Attach, ReleasedTablesCanBeReplaced) {
    const std::string folder = filledFolder();
    const std::string copy = filledFolder();
    engine::Database db(folder);
    db.execute(withDb(R"(DELETE FROM "{db}POKOJE.DB" WHERE PID="1")", copy));
    EXPECT_EQ(dump(db, "SELECT count(*) AS N FROM POKOJE"), "3");
    db.releaseTables();
    std::filesystem::copy_file(copy + "POKOJE.DB", folder + "POKOJE.DB", std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(dump(db, "SELECT count(*) AS N FROM POKOJE"), "2");
}

TEST(Attach, NotATableFile) {
    const std::string folder = emptyFolder();
    {
        std::FILE* f = std::fopen((folder + "JUNK.DB").c_str(), "w");
        std::fputs("this is not a table file at all, just text that is long enough to be read", f);
        std::fclose(f);
    }
    engine::Database db(folder);
    try {
        db.open("SELECT * FROM JUNK");
        FAIL();
    } catch (const engine::Error& e) {
        EXPECT_NE(std::string(e.what()).find("JUNK.DB"), std::string::npos) << e.what();
    }
    EXPECT_THROW(db.execute("DROP TABLE JUNK"), engine::Error);
    EXPECT_TRUE(std::filesystem::exists(folder + "JUNK.DB")) << "DROP TABLE deletes only table files";
}

}  // namespace

namespace {

// What a number, date or time column cannot hold is refused with the column's name, whether
// it is written as a literal, computed by the statement or handed to a table cursor; what
// it can hold is stored as the user meant it. On files and on the test server.
class StoredValues : public ::testing::TestWithParam<Storage> {};

INSTANTIATE_TEST_SUITE_P(Storages, StoredValues, ::testing::Values(Storage::Files, Storage::Server),
                         [](const auto& info) { return storageName(info.param); });

TEST_P(StoredValues, WhatAColumnCannotHoldIsRefusedNamingIt) {
    const TestDb t = filledDb(GetParam());
    const std::string& folder = t.prefix;
    engine::Database db(t.location);
    const std::string stay = withDb(R"(SELECT NUMPERS, PRICEEUR, DATEOUT, TIMEOU FROM "{db}POBYTY.DB" WHERE BID=1)", folder);
    const std::string before = dump(db, stay);
    struct Refused {
        const char* set;  // UPDATE POBYTY SET ... WHERE BID=1
        const char* message;
    };
    const Refused refused[] = {
        {R"(PRICEEUR="NaN")", R"("NaN" is not a number (column PRICEEUR))"},
        {R"(PRICEEUR="nan")", "(column PRICEEUR)"},
        {R"(PRICEEUR="inf")", "(column PRICEEUR)"},
        {R"(PRICEEUR="Infinity")", "(column PRICEEUR)"},
        {R"(PRICEEUR="-inf")", "(column PRICEEUR)"},
        {"PRICEEUR=1/0", "Division by zero (column PRICEEUR)"},
        {"PRICEEUR=PRICECZK/(NUMPERS-2)", "Division by zero (column PRICEEUR)"},
        {"PRICEEUR=1e308*10", "infinite value is not a number (column PRICEEUR)"},
        {R"(PRICEEUR="1,000")", R"("1,000" is not a number (column PRICEEUR))"},
        {"PRICEEUR=1e999", R"("1e999" is not a number (column PRICEEUR))"},
        {"PRICEEUR=-1e999", R"("-1e999" is not a number (column PRICEEUR))"},
        {"PRICEEUR=+1e999", R"("1e999" is not a number (column PRICEEUR))"},
        {"PRICEEUR=PRICECZK*-1e999", R"("-1e999" is not a number (column PRICECZK))"},
        {"NUMPERS=-2.7", R"("-2.7" is not a whole number (column NUMPERS))"},
        {"TIMEOU=-(5)", "-5 is no time of day (0 to 86399 seconds) (column TIMEOU)"},
        {R"(PRICEEUR="12,500")", "(column PRICEEUR)"},
        {R"(PRICEEUR="1,000.5")", "(column PRICEEUR)"},
        {R"(PRICEEUR="1,2,3")", "(column PRICEEUR)"},
        {"DATEOUT=2958466", "no day between 1.1.0001 and 31.12.9999 (column DATEOUT)"},
        {"DATEOUT=-693594", "(column DATEOUT)"},
        {"DATEOUT=38052.5", "not a whole number (column DATEOUT)"},
        {"DATEOUT=DATEFROM+0.5", "38051.5 is not a whole number (column DATEOUT)"},
        {"TIMEOU=86400", "no time of day (0 to 86399 seconds) (column TIMEOU)"},
        {"TIMEOU=-1", "(column TIMEOU)"},
        {"TIMEOU=TIMEIN+36000", "(column TIMEOU)"},
        {"NUMPERS=2.7", R"("2.7" is not a whole number (column NUMPERS))"},
        {R"(NUMPERS="2,7")", "not a whole number (column NUMPERS)"},
        {"NUMPERS=PRICEEUR/7", "is not a whole number (column NUMPERS)"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.set);
        try {
            db.execute(withDb(std::string(R"(UPDATE "{db}POBYTY.DB" SET )") + r.set + " WHERE BID=1", folder));
            ADD_FAILURE() << "stored: " << dump(db, stay);
        } catch (const engine::Error& e) {
            EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(dump(db, stay), before);
    }
    for (const char* insert : {R"(INSERT INTO "{db}POBYTY.DB" (NUMPERS) VALUES (2.5))",
                               R"(INSERT INTO "{db}UCTYPOL.DB" (UID, AMNTEUR) SELECT UID, TOTALEUR/0 FROM "{db}UCTY.DB")"}) {
        SCOPED_TRACE(insert);
        EXPECT_THROW(db.execute(withDb(insert, folder)), engine::Error);
    }

    struct Stored {
        const char* set;
        const char* column;
        const char* shown;
    };
    const Stored stored[] = {
        {R"(PRICEEUR="1,5")", "PRICEEUR", "1.5"},
        {R"(PRICEEUR="0,125")", "PRICEEUR", "0.125"},
        {R"(PRICEEUR=" 1000 ")", "PRICEEUR", "1000"},
        {"PRICEEUR=PRICEEUR/4", "PRICEEUR", "250"},
        {"NUMPERS=3.0", "NUMPERS", "3"},
        {R"(NUMPERS="4")", "NUMPERS", "4"},
        {"DATEOUT=38052", "DATEOUT", "6.3.2004"},
        {"DATEOUT=DATEFROM+3", "DATEOUT", "8.3.2004"},
        {"TIMEOU=86399", "TIMEOU", "23:59:59"},
        {"PRICEEUR=-12.5", "PRICEEUR", "-12.5"},
        {"NUMPERS=-(-3)", "NUMPERS", "3"},
        {"PRICEEUR=PRICECZK*-0+7", "PRICEEUR", "7"},
    };
    for (const auto& s : stored) {
        SCOPED_TRACE(s.set);
        EXPECT_EQ(db.execute(withDb(std::string(R"(UPDATE "{db}POBYTY.DB" SET )") + s.set + " WHERE BID=1", folder)), 1);
        EXPECT_EQ(dump(db, withDb(R"(SELECT )" + std::string(s.column) + R"( FROM "{db}POBYTY.DB" WHERE BID=1)", folder)), s.shown);
    }

    auto cursor = db.openTable(folder + "POBYTY.DB");
    ASSERT_TRUE(cursor->locate({{"BID", engine::Value(std::int64_t{1})}}));
    EXPECT_FALSE(cursor->locate({{"NUMPERS", engine::Value(2.5)}})) << "no row holds a fraction of a person";
    cursor->edit();
    const auto field = [&](const char* name) { return cursor->fieldIndex(name); };
    EXPECT_THROW(cursor->setValue(field("NUMPERS"), 2.7), engine::Error);
    EXPECT_THROW(cursor->setText(field("NUMPERS"), "2,7"), engine::Error);
    EXPECT_THROW(cursor->setText(field("PRICEEUR"), "inf"), engine::Error);
    EXPECT_THROW(cursor->setText(field("PRICEEUR"), "1,000"), engine::Error);
    EXPECT_THROW(cursor->setValue(field("DATEOUT"), engine::Value(std::int64_t{3000000})), engine::Error);
    EXPECT_THROW(cursor->setValue(field("TIMEOU"), engine::Value(std::int64_t{86400})), engine::Error);
    cursor->setText(field("PRICEEUR"), "99,5");
    cursor->setValue(field("NUMPERS"), 2.0);
    cursor->post();
    EXPECT_EQ(dump(db, withDb(R"(SELECT NUMPERS, PRICEEUR FROM "{db}POBYTY.DB" WHERE BID=1)", folder)), "2,99.5");
}

// A write that meets another program's locks at two steps (its write lock, then its commit
// while a reader holds the file) waits the lock timeout once in all, not once per step.
TEST(Locks, AWriteWaitsTheLockTimeoutInTotal) {
    const std::string folder = filledFolder();
    const std::string file = folder + "POBYTY.DB";
    sqlite3* writer = nullptr;
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_open(file.c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM POBYTY", nullptr, nullptr, nullptr), SQLITE_OK);
    // The other program's write lock goes after 300 ms; its reader stays.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    });
    engine::Database db(folder);
    db.setLockTimeoutMs(500);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(db.execute(withDb(R"(UPDATE "{db}POBYTY.DB" SET NUMPERS=5 WHERE BID=1)", folder)), engine::Error);
    const auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::milliseconds(700)) << "each step waited the whole timeout";
    sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    sqlite3_close(writer);
    EXPECT_EQ(dump(db, withDb(R"(SELECT NUMPERS FROM "{db}POBYTY.DB" WHERE BID=1)", folder)), "2");
}

}  // namespace
