// The fast match finder against the plain scan: whole compressed files must be identical,
// byte for byte, on every kind of data a backup meets.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>

#include "ReferenceCoder.h"
#include "StreamTestUtil.h"

using namespace streamtest;

namespace {

void expectSameAsReference(const Bytes& data, const std::string& what)
{
    TempDir dir;
    std::vector<Bytes> writes;
    for (std::size_t i = 0; i < data.size(); i += 10000)
        writes.emplace_back(data.begin() + static_cast<long>(i),
                            data.begin() + static_cast<long>(std::min(data.size(), i + 10000)));
    const Bytes fast = compressWithStream(dir.file("f"), writes);
    const Bytes slow = ref::compressWrites(writes);
    ASSERT_EQ(fast.size(), slow.size()) << what;
    EXPECT_TRUE(fast == slow) << what;
    EXPECT_EQ(decompressFile(dir.file("f")), data) << what;
}

// A table file as the engine keeps them: one SQLite database with one table of rows.
Bytes tableFile(int rowCount, int pageSize)
{
    TempDir dir;
    const std::string path = dir.file("POBYTY.DB");
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, ("PRAGMA page_size=" + std::to_string(pageSize)).c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE POBYTY (BID INTEGER PRIMARY KEY AUTOINCREMENT, PID TEXT, KID INTEGER, "
                 "DATEFROM INTEGER, DATETHRU INTEGER, STATUS TEXT, PRICE REAL, NOTE TEXT)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    std::mt19937 rng(42);
    for (int i = 0; i < rowCount; ++i) {
        const std::string sql = "INSERT INTO POBYTY (PID, KID, DATEFROM, DATETHRU, STATUS, PRICE, NOTE) VALUES ('" +
                                std::to_string(100 + rng() % 40) + "', " + std::to_string(rng() % 900) + ", " +
                                std::to_string(38000 + i / 3) + ", " + std::to_string(38002 + i / 3 + rng() % 9) +
                                ", '" + "PRHOX"[rng() % 5] + "', " + std::to_string(1200 + rng() % 3000) +
                                ".5, 'guest note " + std::to_string(rng() % 50) + "')";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readFile(path);
}

}  // namespace

TEST(MatchFinder, SmallInputsOfEveryKind)
{
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        const auto n = static_cast<std::size_t>(seed * 37 % 3000);
        expectSameAsReference(randomBytes(n, seed), "random " + std::to_string(seed));
        expectSameAsReference(randomBytes(n, seed, 2 + seed % 5), "small alphabet " + std::to_string(seed));
        expectSameAsReference(runs(n, seed, 1 + seed * 3), "runs " + std::to_string(seed));
        expectSameAsReference(text(n, seed), "text " + std::to_string(seed));
        expectSameAsReference(rows(n, seed), "rows " + std::to_string(seed));
    }
}

TEST(MatchFinder, RunsOfEveryLengthAroundTheThresholds)
{
    // Runs of one value with lengths near 4, 6, 255 and 1022, separated by other runs, so
    // earlier runs are both shorter and longer than the current one.
    for (int base : {3, 5, 6, 7, 250, 256, 1020, 1023}) {
        Bytes data;
        for (int k = 0; k < 12; ++k) {
            data.insert(data.end(), static_cast<std::size_t>(std::max(1, base + (k * 7) % 9 - 4)), 0);
            data.insert(data.end(), static_cast<std::size_t>(1 + k % 3), static_cast<std::uint8_t>(1 + k % 2));
        }
        expectSameAsReference(data, "runs near " + std::to_string(base));
    }
    expectSameAsReference(runs(20000, 77, 600, 2), "long runs");
    expectSameAsReference(runs(20000, 78, 12, 2), "short runs");
}

TEST(MatchFinder, WindowEdgesAndBlockBoundaries)
{
    // Repeats placed exactly 31999, 32000 and p bytes back (only the first is reachable;
    // position 0 is never a candidate), in one block and across block boundaries.
    Bytes data = randomBytes(40000, 5);
    for (int i = 0; i < 50; ++i) {
        data[33000 + i] = data[33000 - 31999 + i];
        data[35000 + i] = data[35000 - 32000 + i];
        data[100 + i] = data[i];
        data[36000 + i] = data[36000 - 300 + i] ^ (i == 5 ? 1 : 0);  // 5 bytes at distance 300
    }
    expectSameAsReference(data, "window edges");
    for (std::size_t n : {63999u, 64000u, 64001u}) expectSameAsReference(text(n, 11), "block size " + std::to_string(n));
}

// Random pieces, copies of earlier stretches (some slightly changed), runs and patterns,
// so candidates of every length and distance compete. KIV_DIFF_ITERATIONS runs more.
TEST(MatchFinder, MixedRepeats)
{
    const char* env = std::getenv("KIV_DIFF_ITERATIONS");
    const int iterations = env ? std::atoi(env) : 60;
    for (int it = 0; it < iterations; ++it) {
        std::mt19937 rng(static_cast<std::uint32_t>(1000 + it));
        const std::size_t n = 1 + rng() % (it % 10 == 9 ? 40000 : 6000);
        const int alphabet = 2 + static_cast<int>(rng() % 254);
        Bytes d;
        while (d.size() < n) {
            switch (rng() % 5) {
            case 0:
                for (int k = static_cast<int>(rng() % 40); k >= 0; --k) d.push_back(static_cast<std::uint8_t>(rng() % alphabet));
                break;
            case 1:
            case 2:
                if (!d.empty()) {
                    const std::size_t dist = 1 + rng() % std::min<std::size_t>(d.size(), rng() % 2 ? 300 : 33000);
                    const std::size_t len = 1 + rng() % (rng() % 4 ? 30 : 1500);
                    for (std::size_t k = 0; k < len; ++k) {
                        std::uint8_t b = d[d.size() - dist];
                        if (rng() % 200 == 0) b ^= 1;
                        d.push_back(b);
                    }
                }
                break;
            case 3:
                d.insert(d.end(), 1 + rng() % (rng() % 3 ? 12 : 2000), static_cast<std::uint8_t>(rng() % 3));
                break;
            default: {
                const std::size_t period = 1 + rng() % 5, len = rng() % 200;
                const std::size_t start = d.size();
                for (std::size_t k = 0; k < len; ++k)
                    d.push_back(k < period ? static_cast<std::uint8_t>(rng() % alphabet) : d[start + k - period]);
            }
            }
        }
        d.resize(n);
        expectSameAsReference(d, "mixed " + std::to_string(it));
        if (HasFailure()) return;
    }
}

TEST(MatchFinder, TableFiles)
{
    expectSameAsReference(tableFile(300, 1024), "table file 1k pages");
    expectSameAsReference(tableFile(500, 4096), "table file 4k pages");
}
