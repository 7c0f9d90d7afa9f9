// CREATE TABLE never leaves a table file without its table: an empty file (what a crash of
// an in-place creation left) counts as no table, and a creation killed at any moment leaves
// either no file or the whole table.
#include "Engine.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using enginetest::ChildSteps;
using enginetest::runAndKill;
using enginetest::emptyFolder;

void makeEmptyFile(const std::string& path) { std::ofstream(path, std::ios::binary | std::ios::trunc); }

std::string errorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const engine::Error& e) {
        return e.what();
    }
    return {};
}

std::string filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string all;
    for (const auto& n : names) all += (all.empty() ? "" : " ") + n;
    return all;
}

TEST(CreateTable, AnEmptyTableFileCountsAsNoTable) {
    struct Case {
        const char* statement;
        const char* error;      // empty: the statement succeeds
        const char* filesAfter; // the folder's files afterwards
    };
    const Case cases[] = {
        {R"(SELECT * FROM "ROOMS.DB")", "Table file not found", "ROOMS.DB"},
        {R"(INSERT INTO "ROOMS.DB" (PID) VALUES (1))", "Table file not found", "ROOMS.DB"},
        {R"(DELETE FROM ROOMS)", "Table file not found", "ROOMS.DB"},
        {R"(DROP TABLE "ROOMS.DB")", "", ""},
        {R"(CREATE TABLE "ROOMS.DB" (PID INTEGER, PNAME CHAR(10), PRIMARY KEY (PID)))", "", "ROOMS.DB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        const std::string folder = emptyFolder();
        makeEmptyFile(folder + "ROOMS.DB");
        engine::Database db(folder);
        const std::string error = errorOf([&] { db.execute(c.statement); });
        if (*c.error) EXPECT_NE(error.find(c.error), std::string::npos) << error;
        else EXPECT_EQ(error, "");
        EXPECT_EQ(filesIn(folder), c.filesAfter);
    }
    // The table created over the empty file is a whole table.
    const std::string folder = emptyFolder();
    makeEmptyFile(folder + "ROOMS.DB");
    engine::Database db(folder);
    EXPECT_NE(errorOf([&] { db.openTable("ROOMS"); }).find("Table file not found"), std::string::npos);
    db.execute(R"(CREATE TABLE "ROOMS.DB" (PID INTEGER, PNAME CHAR(10), PRIMARY KEY (PID)))");
    db.execute(R"(INSERT INTO "ROOMS.DB" (PID, PNAME) VALUES (7, "Attic"))");
    EXPECT_EQ(enginetest::dump(db, R"(SELECT PID, PNAME FROM "ROOMS.DB")"), "7,Attic");
    EXPECT_NE(errorOf([&] { db.execute(R"(CREATE TABLE "ROOMS.DB" (PID INTEGER))"); }).find("already exists"),
              std::string::npos);
}

// A child creates tables T1, T2, ... in a loop, waiting for the disk as every creation
// does, and is killed at a random moment. Every table file it left must hold its table,
// drop, and be created again; the hidden file of the creation it was in goes at the next
// opening of the folder.
[[noreturn]] void createTablesUntilKilled(const std::string& folder, ChildSteps& steps) {
    try {
        engine::Database db(folder);
        for (int n = 1;; ++n) {
            db.execute("CREATE TABLE \"T" + std::to_string(n) + ".DB\" (A INTEGER, B CHAR(20), C DATE, PRIMARY KEY (A))");
            steps.done();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child: %s\n", e.what());
    }
    _exit(3);
}

TEST(CreateTable, KilledInTheMiddleLeavesNoBrokenTableFile) {
    const std::string folder = emptyFolder();
    const int trials = std::getenv("TAMAREL_KILL_TRIALS") ? std::max(1, std::atoi(std::getenv("TAMAREL_KILL_TRIALS"))) : 30;
    std::mt19937 random(11122026);
    std::uniform_int_distribution<int> delayUs(0, 30000);
    int broken = 0, created = 0;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        // Some trials let the child finish a creation or two before the random moment.
        const int status = runAndKill([&](ChildSteps& steps) { createTablesUntilKilled(folder, steps); }, trial % 3,
                                      delayUs(random));
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself, status " << status;

        engine::Database db(folder);
        std::vector<std::string> tables;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (name.front() == '.') ADD_FAILURE() << "left behind after opening the folder: " << name;
            else if (name.size() > 3 && name.substr(name.size() - 3) == ".DB") tables.push_back(name);
        }
        created += static_cast<int>(tables.size());
        bool whole = true;
        for (const auto& t : tables) {
            const std::string error = errorOf([&] {
                db.execute("INSERT INTO \"" + t + "\" (A, B) VALUES (1, \"x\")");
                db.execute("DROP TABLE \"" + t + "\"");
            });
            if (!error.empty()) {
                whole = false;
                ADD_FAILURE() << t << ": " << error;
            }
            // Created again whatever the crash left (an empty file counts as none).
            EXPECT_EQ(errorOf([&] { db.execute("CREATE TABLE \"" + t + "\" (A INTEGER)"); }), "") << t;
            std::error_code ec;
            fs::remove(folder + t, ec);
            fs::remove(folder + t + "-journal", ec);
        }
        if (!whole) ++broken;
    }
    EXPECT_GT(created, 0) << "no kill came after a whole creation";
    std::fprintf(stderr, "%d kill trials of CREATE TABLE: %d tables created, %d trials left a broken table file\n", trials,
                 created, broken);
}

}  // namespace
