// The swap of a folder's table files killed at every step: whatever opens the folder next
// finds one whole generation (every file new, journals of old files gone with them), and
// leftovers of swaps whose owner is gone are cleared.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TableSwap.h"

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
        EXPECT_EQ(f.listing(), (std::vector<std::string>{"A.DB", "B.DB", "C.DB", "OTHER.TXT"})) << "killed at " << killAt;
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

}  // namespace
