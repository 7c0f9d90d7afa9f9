// Table files: locks between programs, the attach LRU, releasing and read locks.
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>

using enginetest::dump;
using enginetest::emptyFolder;
using enginetest::filledFolder;
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

TEST(Locks, AReadLockOfOneDatabaseHoldsOffTheWritesOfAnother) {
    const std::string folder = filledFolder();
    engine::Database reader(folder), writer(folder);
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
