// The compressed stream's file format, block handling and reader safety.
#include <gtest/gtest.h>

#include <cstring>

#include "ReferenceCoder.h"
#include "StreamTestUtil.h"

using namespace streamtest;
using kiv::TKivCompressStream;

namespace {

Bytes bytesOf(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

}  // namespace

TEST(StreamFormat, WorkedExampleAbc)
{
    TempDir dir;
    const Bytes file = compressWithStream(dir.file("abc"), {bytesOf("abc")});
    const Bytes expected = {0x03, 0x00, 0x00, 0x03, 0x08, 0x00, 0x00, 0xB4, 0x34,
                            0x32, 0x36, 0x30, 0x06, 0x76, 0x80, 0x00, 0x00, 0x00};
    EXPECT_EQ(file, expected);
    EXPECT_EQ(decompressFile(dir.file("abc")), bytesOf("abc"));
}

TEST(StreamFormat, NothingWrittenGivesEmptyFileThatReadsAsEnd)
{
    TempDir dir;
    EXPECT_TRUE(compressWithStream(dir.file("empty"), {}).empty());
    EXPECT_TRUE(decompressFile(dir.file("empty")).empty());
}

TEST(StreamFormat, ThreeThousandEqualBytes)
{
    TempDir dir;
    const auto blocks = ref::listBlocks(compressWithStream(dir.file("eq"), {Bytes(3000, 'x')}));
    ASSERT_EQ(blocks.size(), 1u);
    const auto& t = blocks[0].tokens;
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].kind, ref::Token::Frequent);
    EXPECT_EQ(t[1].kind, ref::Token::Frequent);
    const int lengths[] = {1022, 1022, 954};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t[2 + i].kind, ref::Token::LongMatch);
        EXPECT_EQ(t[2 + i].a, 1);
        EXPECT_EQ(t[2 + i].b, lengths[i]);
    }
}

TEST(StreamFormat, LiteralWidthFollowsTheSpreadOfByteValues)
{
    struct Case {
        int low, high;
        bool narrow;
        int width;
    };
    const Case cases[] = {{10, 10 + 62, true, 6}, {10, 10 + 63, true, 7}, {0, 126, true, 7},
                          {100, 100 + 127, false, 8}, {0, 255, false, 8}, {200, 200, true, 6}};
    TempDir dir;
    for (const auto& c : cases) {
        Bytes data;
        for (int v = c.low; v <= c.high; ++v) data.push_back(static_cast<std::uint8_t>(v));
        for (int v = c.high; v >= c.low; --v) data.push_back(static_cast<std::uint8_t>(v));
        const Bytes file = compressWithStream(dir.file("w"), {data});
        const auto blocks = ref::listBlocks(file);
        ASSERT_EQ(blocks.size(), 1u);
        SCOPED_TRACE(c.high - c.low);
        EXPECT_EQ(blocks[0].narrow, c.narrow);
        EXPECT_EQ(blocks[0].width, c.width);
        EXPECT_EQ(blocks[0].base, c.narrow ? c.low : 0);
        EXPECT_EQ(file, ref::compress(data));
        EXPECT_EQ(decompressFile(dir.file("w")), data);
    }
}

TEST(StreamFormat, TopFourAreMostFrequentLowestValueFirstOnTies)
{
    TempDir dir;
    // 'c' x3, 'b' x2, 'a' x2, 'z' x2, 'd' x1: ties of two go to the lower value.
    const auto blocks = ref::listBlocks(compressWithStream(dir.file("t"), {bytesOf("zcbcadcbaz")}));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(std::string(blocks[0].top, blocks[0].top + 4), "cabz");
    // Fewer than four values: the rest of the ranks stay 0.
    const auto two = ref::listBlocks(compressWithStream(dir.file("t2"), {bytesOf("qqr")}));
    EXPECT_EQ(two[0].top[0], 'q');
    EXPECT_EQ(two[0].top[1], 'r');
    EXPECT_EQ(two[0].top[2], 0);
    EXPECT_EQ(two[0].top[3], 0);
}

TEST(StreamFormat, WritesSplitIntoBlocksWithoutSplittingAWrite)
{
    TempDir dir;
    struct Case {
        std::vector<int> writes;
        std::vector<int> blocks;
    };
    const Case cases[] = {{{40000, 30000}, {40000, 30000}},
                          {{64000}, {64000}},
                          {{10000, 54000, 1}, {64000, 1}},
                          {{15, 4, 10000, 15, 4, 63990}, {10038, 63990}}};
    for (const auto& c : cases) {
        std::vector<Bytes> writes;
        std::uint32_t seed = 1;
        for (int n : c.writes) writes.push_back(text(static_cast<std::size_t>(n), seed++));
        const Bytes file = compressWithStream(dir.file("b"), writes);
        std::vector<int> sizes;
        for (const auto& b : ref::listBlocks(file)) sizes.push_back(b.plainSize);
        EXPECT_EQ(sizes, c.blocks);
        EXPECT_EQ(file, ref::compressWrites(writes));
        Bytes all;
        for (const auto& w : writes) all.insert(all.end(), w.begin(), w.end());
        EXPECT_EQ(decompressFile(dir.file("b")), all);
    }
}

TEST(StreamFormat, OversizedWriteIsCutWithAWarning)
{
    TempDir dir;
    std::vector<Message> messages;
    const Bytes data = text(70000, 3);
    {
        TKivCompressStream s(dir.file("big"), TKivCompressStream::Mode::Create,
                             [&](const std::string& t, const std::string& c, kiv::MessageIcon i) {
                                 messages.push_back({t, c, i});
                             });
        EXPECT_EQ(s.Write(data.data(), 70000), 64000);
        s.close();
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Can't write so huge amount of data");
    EXPECT_EQ(messages[0].caption, "CompressStream");
    EXPECT_EQ(decompressFile(dir.file("big")), Bytes(data.begin(), data.begin() + 64000));
}

TEST(StreamFormat, BlockEndingOnAByteBoundaryGetsAWholeZeroByte)
{
    // Nine distinct letters: 45 prologue bits, four frequent tokens of 4 bits and five
    // literals of 7 bits make exactly 96 bits.
    TempDir dir;
    const auto blocks = ref::listBlocks(compressWithStream(dir.file("pad"), {bytesOf("abcdefghi")}));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].packedSize, 13);
    EXPECT_EQ(blocks[0].packed.back(), 0);
}

TEST(StreamRead, ReadStopsAtTheEndOfTheCurrentBlock)
{
    TempDir dir;
    const Bytes first = text(300, 1), second = text(64000, 2);
    compressWithStream(dir.file("r"), {first, second});
    TKivCompressStream s(dir.file("r"), TKivCompressStream::Mode::Read);
    Bytes buf(2000);
    EXPECT_EQ(s.Read(buf.data(), 1000), 300);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), buf.begin()));
    EXPECT_EQ(s.Read(buf.data(), 1000), 1000);
    EXPECT_TRUE(std::equal(second.begin(), second.begin() + 1000, buf.begin()));
    EXPECT_GT(s.Position(), 0);
    EXPECT_EQ(s.Position(), s.Size() - 3);  // only the end marker is left
}

TEST(StreamRead, StoredAndEscapeByteBlocks)
{
    // Block 1 stored "hello"; block 2 escape-coded with E0=0xF0 E1=0xF1 E2=0xF2:
    // "ab", a run of 5 'z', a short copy of 4 from distance 7, a long copy of 300 from
    // distance 2 (overlapping, repeating the pattern), then an empty run.
    Bytes file = {5, 0, 0, 1, 5, 0, 0, 'h', 'e', 'l', 'l', 'o'};
    const Bytes data2 = {'a', 'b', 0xF2, 'z', 5, 0xF0, 7, 4, 0xF1, 2, 0, 44, 1, 0xF2, 'q', 0};
    const int plain2 = 2 + 5 + 4 + 300;
    file.insert(file.end(), {static_cast<std::uint8_t>(plain2 & 0xFF), static_cast<std::uint8_t>(plain2 >> 8), 0, 2,
                             0xF0, 0xF1, 0xF2, static_cast<std::uint8_t>(data2.size()), 0, 0});
    file.insert(file.end(), data2.begin(), data2.end());
    file.insert(file.end(), {0, 0, 0});
    TempDir dir;
    writeFile(dir.file("m12"), file);
    Bytes expected = bytesOf("hello");
    Bytes block2 = bytesOf("abzzzzz");
    for (int i = 0; i < 4; ++i) block2.push_back(block2[block2.size() - 7]);
    for (int i = 0; i < 300; ++i) block2.push_back(block2[block2.size() - 2]);
    expected.insert(expected.end(), block2.begin(), block2.end());
    EXPECT_EQ(decompressFile(dir.file("m12")), expected);
}

TEST(StreamRead, RoundTrips)
{
    TempDir dir;
    const std::vector<Bytes> inputs = {bytesOf("a"), bytesOf("ab"), bytesOf("abcd"), Bytes(5, 0), Bytes(64000, 0),
                                       randomBytes(64001, 7), runs(150000, 2, 2000), text(200000, 4),
                                       rows(130000, 5), randomBytes(100000, 9, 3)};
    for (const auto& in : inputs) {
        for (int chunk : {1000, 64000, 7}) {
            if (chunk == 7 && in.size() > 20000) continue;
            std::vector<Bytes> writes;
            for (std::size_t i = 0; i < in.size(); i += 10000)
                writes.emplace_back(in.begin() + static_cast<long>(i),
                                    in.begin() + static_cast<long>(std::min(in.size(), i + 10000)));
            compressWithStream(dir.file("rt"), writes);
            EXPECT_EQ(decompressFile(dir.file("rt"), chunk), in) << in.size();
        }
    }
}

namespace {

// Builds a one-block method-3 file from raw prologue/token bits.
Bytes method3File(int plainSize, const Bytes& packed)
{
    Bytes f = {static_cast<std::uint8_t>(plainSize & 0xFF), static_cast<std::uint8_t>((plainSize >> 8) & 0xFF),
               static_cast<std::uint8_t>(plainSize >> 16), 3, static_cast<std::uint8_t>(packed.size() & 0xFF),
               static_cast<std::uint8_t>((packed.size() >> 8) & 0xFF), static_cast<std::uint8_t>(packed.size() >> 16)};
    f.insert(f.end(), packed.begin(), packed.end());
    f.insert(f.end(), {0, 0, 0});
    return f;
}

}  // namespace

TEST(StreamRead, DamagedBlocksAreRejectedAndNothingAfterIsTrusted)
{
    // Narrow flag 0, top four zero, then a short match at distance 1 with nothing decoded.
    // Bits: 0 | 32 x 0 | 1 0 0 | d=1 (8 bits LSB first) | l=4.
    Bytes copyBeforeBlock(8, 0);
    {
        int bit = 33;
        auto put = [&](int b) {
            if (b) copyBeforeBlock[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
            ++bit;
        };
        put(1), put(0), put(0);
        for (int i = 0; i < 8; ++i) put((1 >> i) & 1);
        for (int i = 0; i < 8; ++i) put((4 >> i) & 1);
    }
    Bytes good = ref::compress(text(5000, 1));
    Bytes pastPlain = ref::compress(Bytes(3000, 'x'));
    pastPlain[0] = 100;  // the long matches now run past a plain size of 100
    pastPlain[1] = 0;
    Bytes tooBigPlain = good;
    tooBigPlain[0] = 0x01, tooBigPlain[1] = 0xFA, tooBigPlain[2] = 0;  // 64001
    Bytes tooBigPacked = good;
    tooBigPacked[4] = 0x11, tooBigPacked[5] = 0x21, tooBigPacked[6] = 0x01;  // 74001
    Bytes unknownMethod = good;
    unknownMethod[3] = 9;
    Bytes shortPacked = good;
    shortPacked.resize(good.size() / 2);
    Bytes halfHeader = good;
    halfHeader.resize(good.size() - 3);  // drop the end marker
    halfHeader.insert(halfHeader.end(), {5, 0});
    Bytes stored = {5, 0, 0, 1, 4, 0, 0, 'a', 'b', 'c', 'd'};
    Bytes escapedCopyBefore = {5, 0, 0, 2, 0xF0, 0xF1, 0xF2, 4, 0, 0, 'a', 0xF0, 2, 4};
    Bytes escapedTruncated = {5, 0, 0, 2, 0xF0, 0xF1, 0xF2, 2, 0, 0, 'a', 0xF1};

    struct Case {
        const char* name;
        Bytes file;
        bool unknown = false;
    };
    const std::vector<Case> cases = {{"copy before block", method3File(10, copyBeforeBlock)},
                                     {"copy past plain size", pastPlain},
                                     {"plain size too big", tooBigPlain},
                                     {"packed size too big", tooBigPacked},
                                     {"unknown method", unknownMethod, true},
                                     {"truncated data", shortPacked},
                                     {"truncated header", halfHeader},
                                     {"stored size mismatch", stored},
                                     {"escape copy before block", escapedCopyBefore},
                                     {"escape token cut", escapedTruncated},
                                     {"bits run out", method3File(10, Bytes(5, 0))}};
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dir.file("bad"), c.file);
        std::vector<Message> messages;
        kiv::TKivCompressStream s(dir.file("bad"), TKivCompressStream::Mode::Read,
                                  [&](const std::string& t, const std::string& cap, kiv::MessageIcon i) {
                                      messages.push_back({t, cap, i});
                                  });
        Bytes buf(64000);
        bool threw = false;
        try {
            while (s.Read(buf.data(), 64000) > 0) {
            }
        } catch (const kiv::CorruptStreamError&) {
            threw = true;
        }
        EXPECT_TRUE(threw);
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().text, "File is corrupt");
        EXPECT_EQ(messages.back().caption, "Compress Stream");
        if (c.unknown) EXPECT_EQ(messages.front().text, "CompressFormat not supported");
        EXPECT_THROW(s.Read(buf.data(), 10), kiv::CorruptStreamError);
    }
}

TEST(StreamRead, EveryTruncationEndsCleanly)
{
    // A file cut anywhere either reads as a shorter prefix (cut at a block boundary) or is
    // rejected; it never yields bytes that were not written.
    TempDir dir;
    std::vector<Bytes> writes = {text(30000, 1), Bytes(20000, 7), rows(30000, 2)};
    const Bytes full = compressWithStream(dir.file("full"), writes);
    Bytes plain;
    for (const auto& w : writes) plain.insert(plain.end(), w.begin(), w.end());
    for (std::size_t cut = 0; cut < full.size(); cut += (cut < 40 || full.size() - cut < 40) ? 1 : 97) {
        writeFile(dir.file("cut"), Bytes(full.begin(), full.begin() + static_cast<long>(cut)));
        try {
            const Bytes got = decompressFile(dir.file("cut"));
            ASSERT_LE(got.size(), plain.size());
            EXPECT_TRUE(std::equal(got.begin(), got.end(), plain.begin())) << cut;
        } catch (const kiv::CorruptStreamError&) {
        }
    }
}

TEST(StreamRead, AFileCutBetweenBlocksDoesNotEndCleanly)
{
    TempDir dir;
    const Bytes full = compressWithStream(dir.file("full"), {text(64000, 1), text(100, 2)});
    const auto firstBlock = static_cast<long>(7 + ref::listBlocks(full)[0].packedSize);
    struct Case {
        Bytes file;
        bool clean;
    };
    const Case cases[] = {{full, true}, {Bytes(full.begin(), full.begin() + firstBlock), false}, {{}, true}};
    for (const auto& c : cases) {
        writeFile(dir.file("c"), c.file);
        TKivCompressStream s(dir.file("c"), TKivCompressStream::Mode::Read);
        Bytes buf(64000);
        while (s.Read(buf.data(), 64000) > 0) {
        }
        EXPECT_EQ(s.endedCleanly(), c.clean) << c.file.size();
    }
}
