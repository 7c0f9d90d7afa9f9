// The swap of a folder's table files killed at every step: whatever opens the folder next
// finds one whole generation (every file new, journals of old files gone with them), and
// leftovers of swaps whose owner is gone are cleared.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <fstream>
#include <sstream>

#include "Engine.h"
#include "TableSwap.h"
#include "TestFolder.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

void put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

std::string get(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct SwapFolder {
    fs::path root;
    SwapFolder()
    {
        root = fs::temp_directory_path() / ("swap_test_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~SwapFolder() { fs::remove_all(root); }

    // Old generation: A, B and a crash journal of B; new generation: A, B and C.
    void prepare(const fs::path& staging, const fs::path& old)
    {
        for (const auto& e : fs::directory_iterator(root)) fs::remove_all(e.path());
        put(root / "A.DB", "old A");
        put(root / "B.DB", "old B");
        put(root / "B.DB-journal", "old journal");
        put(root / "OTHER.TXT", "untouched");
        fs::create_directories(staging);
        fs::create_directories(old);
        for (const char* n : {"A.DB", "B.DB", "C.DB"}) put(staging / n, std::string("new ") + n[0]);
    }
    std::vector<std::string> listing() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(root)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

const std::vector<std::string> kNames = {"A.DB", "B.DB", "C.DB"};

#ifndef _WIN32
TEST(TableSwap, KilledAtEveryStepTheNextOpeningFinishesTheNewGeneration)
{
    SwapFolder f;
    // Steps: set aside A, place A, set aside B, its journal, place B, place C.
    for (int killAt = 0; killAt <= 6; ++killAt) {
        const fs::path staging = f.root / ".restore-999999-1", old = f.root / ".restore-old-999999-2";
        f.prepare(staging, old);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            engine::swapInFiles(staging.string(), old.string(), f.root.string(), kNames, [killAt](int step) {
                if (step == killAt) ::_exit(0);   // the program dies here: no clean-up runs
            });
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        // The killed child is gone, so its marker names a swap to finish.
        engine::recoverInterruptedSwap(f.root.string());
        // The generation file tells programs that had the old files open to let go of them.
        EXPECT_EQ(f.listing(), (std::vector<std::string>{engine::kGenerationFile, "A.DB", "B.DB", "C.DB", "OTHER.TXT"}))
            << "killed at " << killAt;
        EXPECT_EQ(get(f.root / "A.DB"), "new A") << killAt;
        EXPECT_EQ(get(f.root / "B.DB"), "new B") << killAt;
        EXPECT_EQ(get(f.root / "C.DB"), "new C") << killAt;
        EXPECT_EQ(get(f.root / "OTHER.TXT"), "untouched") << killAt;
    }
}
#endif

TEST(TableSwap, AFailedRenamePutsTheOldGenerationBack)
{
    SwapFolder f;
    const fs::path staging = f.root / ".restore-1-1", old = f.root / ".restore-old-1-2";
    f.prepare(staging, old);
    EXPECT_THROW(engine::swapInFiles(staging.string(), old.string(), f.root.string(), kNames,
                                     [](int step) { if (step == 4) throw std::runtime_error("disk full"); }),
                 std::runtime_error);
    EXPECT_EQ(get(f.root / "A.DB"), "old A");
    EXPECT_EQ(get(f.root / "B.DB"), "old B");
    EXPECT_EQ(get(f.root / "B.DB-journal"), "old journal");
    EXPECT_FALSE(fs::exists(f.root / "C.DB"));
    EXPECT_FALSE(fs::exists(f.root / engine::kSwapMarker));
}

TEST(TableSwap, LeftoversOfLiveOwnersStayAndOfGoneOwnersGo)
{
    SwapFolder f;
    const std::string live = ".restore-" + std::to_string(::getpid()) + "-1";
    for (const std::string d : {live, std::string(".restore-999999-1"), std::string(".restore-old-999999-2"),
                                std::string(".restore-notes")})
        fs::create_directories(f.root / d);
    put(f.root / "A.DB", "kept");
    EXPECT_TRUE(engine::recoverInterruptedSwap(f.root.string()));
    EXPECT_EQ(f.listing(), (std::vector<std::string>{live, ".restore-notes", "A.DB"}));
    EXPECT_FALSE(engine::recoverInterruptedSwap(f.root.string()));
}

// A new generation of POKOJE.DB (the old rows and room 998) staged beside the folder's files.
void stageNewRooms(const std::string& folder, const fs::path& staging)
{
    fs::create_directories(staging);
    fs::copy_file(folder + "POKOJE.DB", staging / "POKOJE.DB");
    engine::Database db(staging.string() + "/");
    db.execute(R"(INSERT INTO "POKOJE.DB" (PID, PNAME) VALUES ("998", "Restored"))");
}

std::string roomName(engine::Database& db, const std::string& pid)
{
    return enginetest::dump(db, R"(SELECT PNAME FROM "POKOJE.DB" WHERE PID=")" + pid + "\"");
}

// Programs that had the old files open read and write the new ones from their next statement
// on: queries, writes and table cursors alike.
TEST(TableSwap, ProgramsThatHadTheOldFilesOpenUseTheNewOnes)
{
    const std::string folder = enginetest::filledFolder();
    engine::Database reader(folder), writer(folder);
    EXPECT_EQ(roomName(reader, "998"), "");
    EXPECT_EQ(writer.execute(R"(UPDATE "POKOJE.DB" SET PNAME=PNAME WHERE PID="1")"), 1);
    auto cursor = reader.openTable("POKOJE");
    ASSERT_TRUE(cursor->first());
    const std::int64_t roomsBefore = cursor->rowCount();

    const fs::path staging = fs::path(folder) / ".staging", old = fs::path(folder) / ".old";
    stageNewRooms(folder, staging);
    fs::create_directories(old);
    engine::swapInFiles(staging.string(), old.string(), folder, {"POKOJE.DB"});

    EXPECT_EQ(roomName(reader, "998"), "Restored");
    EXPECT_EQ(writer.execute(R"(INSERT INTO "POKOJE.DB" (PID, PNAME) VALUES ("997", "Later"))"), 1);
    EXPECT_EQ(roomName(reader, "997"), "Later");
    EXPECT_EQ(cursor->rowCount(), roomsBefore + 2);
    EXPECT_TRUE(cursor->locate({{"PID", engine::Value(std::string("998"))}}));

    // A file put in place by hand (no generation change): a write that finds its file moved
    // runs again on the new one rather than failing as a read-only file.
    fs::copy_file(folder + "POKOJE.DB", folder + "copy");
    fs::rename(folder + "copy", folder + "POKOJE.DB");
    EXPECT_EQ(writer.execute(R"(INSERT INTO "POKOJE.DB" (PID, PNAME) VALUES ("996", "By hand"))"), 1);
    engine::Database fresh(folder);
    EXPECT_EQ(roomName(fresh, "996"), "By hand");
}

// A swap waits for every old table file's lock as a write waits, then fails naming the table
// with nothing moved, whether another connection writes the file or is reading it.
TEST(TableSwap, LocksHeldByAnotherProgramRefuseTheSwapWithNothingMoved)
{
    struct Holder {
        const char* what;
        std::function<std::shared_ptr<void>(engine::Database&, const std::string&)> hold;
    };
    const Holder holders[] = {
        {"a change", [](engine::Database& db, const std::string& folder) -> std::shared_ptr<void> {
             return std::shared_ptr<engine::Change>(db.beginChange({folder + "POKOJE.DB"}));
         }},
        {"an open result", [](engine::Database& db, const std::string&) -> std::shared_ptr<void> {
             std::shared_ptr<engine::Query> q(db.open(R"(SELECT PID FROM "POKOJE.DB")"));
             EXPECT_TRUE(q->next());
             return q;
         }},
    };
    for (const Holder& h : holders) {
        SCOPED_TRACE(h.what);
        const std::string folder = enginetest::filledFolder();
        const fs::path staging = fs::path(folder) / ".staging", old = fs::path(folder) / ".old";
        stageNewRooms(folder, staging);
        fs::create_directories(old);
        const std::string before = get(folder + "POKOJE.DB");
        engine::Database other(folder);
        auto held = h.hold(other, folder);
        const auto started = std::chrono::steady_clock::now();
        try {
            engine::swapInFiles(staging.string(), old.string(), folder, {"POKOJE.DB"}, {}, 400);
            ADD_FAILURE() << "swapped under another program's lock";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Table POKOJE.DB is locked by another program");
        }
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(400));
        EXPECT_EQ(get(folder + "POKOJE.DB"), before);
        EXPECT_TRUE(fs::exists(staging / "POKOJE.DB"));
        EXPECT_FALSE(fs::exists(fs::path(folder) / engine::kSwapMarker));
        EXPECT_FALSE(fs::exists(fs::path(folder) / engine::kGenerationFile));
        held.reset();
        engine::swapInFiles(staging.string(), old.string(), folder, {"POKOJE.DB"}, {}, 400);
        EXPECT_EQ(roomName(other, "998"), "Restored");
    }
}

}  // namespace
