// Archives without windows: what a backup writes, what a restore accepts, and that a restore
// either replaces every table file or leaves the folder exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "ReferenceCoder.h"
#include "StreamTestUtil.h"
#include "backup/Archive.h"
#include "engine/TableSwap.h"

namespace fs = std::filesystem;
using namespace streamtest;
using backup::ArchiveError;

namespace {

// Everything under a folder, hidden files and sub-folders included, so leftovers show.
std::map<std::string, Bytes> snapshot(const fs::path& folder)
{
    std::map<std::string, Bytes> out;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(e.path(), folder).string();
        if (rel == engine::kGenerationFile) continue;   // tells programs left open that files changed
        out[rel] = e.is_regular_file() ? readFile(e.path().string()) : Bytes{'/'};
    }
    return out;
}

struct Fixture {
    TempDir tmp;
    fs::path db = fs::path(tmp.file("DB"));
    fs::path other = fs::path(tmp.file("other"));
    std::string archive = tmp.file("a.tmb");
    Fixture()
    {
        fs::create_directories(db / "Backup");
        fs::create_directories(other);
    }
    void put(const fs::path& folder, const std::string& name, const Bytes& data) { writeFile((folder / name).string(), data); }
};

Bytes le32(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

Bytes nameField(const std::string& name)
{
    Bytes f(15, 0);
    std::copy_n(name.begin(), std::min<std::size_t>(15, name.size()), f.begin());
    return f;
}

// An archive written entry by entry through the stream, for archives a backup would not make.
void writeRawArchive(const std::string& path, const std::vector<std::pair<Bytes, Bytes>>& entries)
{
    kiv::TKivCompressStream s(path, kiv::TKivCompressStream::Mode::Create);
    for (const auto& [name, data] : entries) {
        s.Write(name.data(), static_cast<std::int32_t>(name.size()));
        s.Write(data.data(), static_cast<std::int32_t>(data.size()));
    }
    s.close();
}

}  // namespace

TEST(Archive, EntriesAreWrittenAsNameSizeAndPiecesOfTenThousand)
{
    Fixture f;
    const Bytes big = rows(25000, 1);
    f.put(f.db, "POBYTY.DB", big);
    f.put(f.db, "EMPTY.DB", {});
    f.put(f.db, ".hidden", {1, 2, 3});
    backup::writeArchive(f.db.string(), f.archive, {});

    // The same bytes as the plain writer makes for these Write calls, in name order.
    std::vector<Bytes> writes = {nameField("EMPTY.DB"), le32(0), nameField("POBYTY.DB"), le32(25000)};
    for (std::size_t at = 0; at < big.size(); at += 10000)
        writes.emplace_back(big.begin() + static_cast<long>(at), big.begin() + static_cast<long>(std::min(big.size(), at + 10000)));
    EXPECT_EQ(readFile(f.archive), ref::compressWrites(writes));
}

TEST(Archive, RestoredFolderHoldsTheSameFiles)
{
    Fixture f;
    const std::map<std::string, Bytes> files = {{"POBYTY.DB", rows(150000, 2)},
                                                {"KLIENTI.DB", randomBytes(70001, 3)},
                                                {"EMPTY.DB", {}},
                                                {"ABCDEFGHIJKLMNO", text(100, 4)},
                                                {"notes.txt", Bytes(64000, 'x')}};
    for (const auto& [name, data] : files) f.put(f.db, name, data);
    f.put(f.db, "LONGNAMEOFTABLE1.DB", text(50, 5));  // 19 characters: comes back as its first 15
    backup::writeArchive(f.db.string(), f.archive, {});

    const auto names = backup::restoreArchive(f.archive, f.other.string(), {}, {});
    auto expected = files;
    expected["LONGNAMEOFTABLE"] = text(50, 5);
    EXPECT_EQ(snapshot(f.other), expected);
    EXPECT_EQ(names.size(), expected.size());
}

TEST(Archive, EmptyFolderGivesEmptyArchiveThatReplacesNothing)
{
    Fixture f;
    fs::remove_all(f.db / "Backup");
    int progressCalls = 0;
    backup::WriteOptions o;
    o.progress = [&](int) { ++progressCalls; };
    backup::writeArchive(f.db.string(), f.archive, o);
    EXPECT_EQ(fs::file_size(f.archive), 0u);
    EXPECT_EQ(progressCalls, 0);
    f.put(f.other, "POKOJE.DB", {9});
    const auto before = snapshot(f.other);
    EXPECT_TRUE(backup::restoreArchive(f.archive, f.other.string(), {}, {}).empty());
    EXPECT_EQ(snapshot(f.other), before);
}

TEST(Archive, RestoreReplacesOnlyTheArchivedFilesAndReleasesFirst)
{
    Fixture f;
    f.put(f.db, "POBYTY.DB", {1, 2, 3});
    backup::writeArchive(f.db.string(), f.archive, {});
    f.put(f.other, "POBYTY.DB", {7, 7});
    f.put(f.other, "KLIENTI.DB", {8});
    bool released = false;
    backup::restoreArchive(f.archive, f.other.string(), {}, [&] {
        released = true;
        EXPECT_EQ(readFile((f.other / "POBYTY.DB").string()), (Bytes{7, 7}));  // not yet replaced
    });
    EXPECT_TRUE(released);
    EXPECT_EQ(snapshot(f.other), (std::map<std::string, Bytes>{{"POBYTY.DB", {1, 2, 3}}, {"KLIENTI.DB", {8}}}));
}

TEST(Archive, ProgressCountsFilesAndTheArchiveIsNotPartOfItself)
{
    Fixture f;
    for (int i = 0; i < 3; ++i) f.put(f.db, "T" + std::to_string(i) + ".DB", text(10, static_cast<std::uint32_t>(i)));
    std::vector<int> progress;
    backup::WriteOptions o;
    o.progress = [&](int p) { progress.push_back(p); };
    const std::string inside = (f.db / "inside.tmb").string();
    backup::writeArchive(f.db.string(), inside, o);
    EXPECT_EQ(progress, (std::vector<int>{33, 66, 100}));
    backup::restoreArchive(inside, f.other.string(), {}, {});
    EXPECT_EQ(snapshot(f.other).size(), 3u);
}

TEST(Archive, FailedBackupLeavesNoArchive)
{
    Fixture f;
    for (int i = 0; i < 4; ++i) f.put(f.db, "T" + std::to_string(i) + ".DB", randomBytes(30000, static_cast<std::uint32_t>(i)));
    for (int failAt = 0; failAt < 4; ++failAt) {
        int n = 0;
        backup::WriteOptions o;
        o.guard = [&](const std::string&, const std::function<void()>& copy) {
            if (n++ == failAt) throw std::runtime_error("lock timeout");
            copy();
        };
        try {
            backup::writeArchive(f.db.string(), f.archive, o);
            ADD_FAILURE() << "no failure at " << failAt;
        } catch (const ArchiveError& e) {
            EXPECT_EQ(e.kind(), ArchiveError::Kind::Write);
        }
        EXPECT_FALSE(fs::exists(f.archive)) << failAt;
    }
    // A file that cannot be opened (a link to nothing) fails the same way.
    fs::create_symlink(f.db / "missing", f.db / "GONE.DB");
    EXPECT_THROW(backup::writeArchive(f.db.string(), f.archive, {}), ArchiveError);
    EXPECT_FALSE(fs::exists(f.archive));
    try {
        backup::writeArchive(f.db.string(), f.tmp.file("no/such/folder/a.tmb"), {});
        ADD_FAILURE();
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.kind(), ArchiveError::Kind::Create);
    }
}

TEST(Archive, TruncatedArchivesChangeNothing)
{
    Fixture f;
    f.put(f.db, "POBYTY.DB", rows(90000, 1));
    f.put(f.db, "KLIENTI.DB", text(30000, 2));
    f.put(f.db, "ZERO.DB", {});
    backup::writeArchive(f.db.string(), f.archive, {});
    const Bytes full = readFile(f.archive);
    f.put(f.other, "POBYTY.DB", {1});
    f.put(f.other, "KLIENTI.DB", {2});
    const auto before = snapshot(f.other);
    const std::string cut = f.tmp.file("cut.tmb");
    for (std::size_t size = 1; size < full.size(); size += size < 64 || full.size() - size < 64 ? 1 : 211) {
        writeFile(cut, Bytes(full.begin(), full.begin() + static_cast<long>(size)));
        EXPECT_THROW(backup::restoreArchive(cut, f.other.string(), {}, {}), ArchiveError) << size;
        ASSERT_EQ(snapshot(f.other), before) << size;
    }
}

TEST(Archive, AnArchiveCutAfterAWholeEntryIsStillRefused)
{
    // A's entry fills the first block exactly, so the cut falls between two entries and
    // between two blocks: only the missing end marker tells.
    Fixture f;
    f.put(f.db, "A.DB", text(64000 - 19, 1));
    f.put(f.db, "B.DB", text(100, 2));
    backup::writeArchive(f.db.string(), f.archive, {});
    const Bytes full = readFile(f.archive);
    const auto blocks = ref::listBlocks(full);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(blocks[0].plainSize, 64000);
    writeFile(f.archive, Bytes(full.begin(), full.begin() + 7 + blocks[0].packedSize));
    const auto before = snapshot(f.other);
    EXPECT_THROW(backup::restoreArchive(f.archive, f.other.string(), {}, {}), ArchiveError);
    EXPECT_EQ(snapshot(f.other), before);
}

TEST(Archive, EntriesThatCannotBeTrustedAreRefused)
{
    struct Case {
        const char* what;
        std::vector<std::pair<Bytes, Bytes>> entries;
    };
    auto entry = [](const std::string& name, std::int32_t size, const Bytes& data) {
        Bytes head = nameField(name);
        const Bytes s = le32(static_cast<std::uint32_t>(size));
        head.insert(head.end(), s.begin(), s.end());
        return std::pair<Bytes, Bytes>{head, data};
    };
    const std::vector<Case> cases = {
        {"parent folder", {entry("../EVIL.DB", 1, {1})}},
        {"sub-folder", {entry("a/EVIL.DB", 1, {1})}},
        {"backslash", {entry("a\\EVIL.DB", 1, {1})}},
        {"dot dot", {entry("..", 1, {1})}},
        {"hidden", {entry(".restore-old", 1, {1})}},
        {"negative size", {entry("POBYTY.DB", -5, {})}},
        {"data shorter than its size", {entry("POBYTY.DB", 10, {1, 2, 3})}},
        {"good then bad", {entry("POBYTY.DB", 1, {1}), entry("../x", 1, {1})}},
        {"name cut short", {{Bytes{'P', 'O', 'B'}, {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        f.put(f.other, "POBYTY.DB", {42});
        writeRawArchive(f.archive, c.entries);
        const auto withArchive = snapshot(f.tmp.file(""));
        EXPECT_THROW(backup::restoreArchive(f.archive, f.other.string(), {}, {}), ArchiveError);
        EXPECT_EQ(snapshot(f.tmp.file("")), withArchive);
    }
}

TEST(Archive, ZeroNameEndsTheArchiveAndLaterDuplicatesWin)
{
    Fixture f;
    Bytes a = nameField("A.DB"), one = le32(1), b = nameField("A.DB");
    writeRawArchive(f.archive, {{a, one}, {{5}, {}}, {b, one}, {{6}, {}}, {Bytes(15, 0), {}}, {nameField("B.DB"), one}});
    EXPECT_EQ(backup::restoreArchive(f.archive, f.other.string(), {}, {}), std::vector<std::string>{"A.DB"});
    EXPECT_EQ(snapshot(f.other), (std::map<std::string, Bytes>{{"A.DB", {6}}}));
}

TEST(Archive, AFailureAtAnyReplaceStepPutsTheOldFilesBack)
{
    Fixture f;
    f.put(f.db, "A.DB", {1});
    f.put(f.db, "B.DB", {2});
    f.put(f.db, "C.DB", {3});
    backup::writeArchive(f.db.string(), f.archive, {});
    f.put(f.other, "A.DB", {10});
    f.put(f.other, "C.DB", {30});
    f.put(f.other, "C.DB-journal", {31});  // left by a crash: goes with the old C.DB
    f.put(f.other, "D.DB", {40});
    const auto before = snapshot(f.other);
    // A and C exist (two renames each), C's journal is set aside (one), B is new (one).
    for (int failAt = 0; failAt < 6; ++failAt) {
        EXPECT_THROW(backup::restoreArchive(f.archive, f.other.string(), {}, {},
                                            [&](int step) {
                                                if (step == failAt) throw std::runtime_error("disk gone");
                                            }),
                     ArchiveError);
        ASSERT_EQ(snapshot(f.other), before) << failAt;
    }
    // A folder in the way of a table file is found before anything moves.
    fs::create_directory(f.other / "B.DB");
    const auto withFolder = snapshot(f.other);
    EXPECT_THROW(backup::restoreArchive(f.archive, f.other.string(), {}, {}), ArchiveError);
    EXPECT_EQ(snapshot(f.other), withFolder);
    fs::remove(f.other / "B.DB");
    backup::restoreArchive(f.archive, f.other.string(), {}, {});
    EXPECT_EQ(snapshot(f.other),
              (std::map<std::string, Bytes>{{"A.DB", {1}}, {"B.DB", {2}}, {"C.DB", {3}}, {"D.DB", {40}}}));
}
