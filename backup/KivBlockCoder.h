#pragma once
// The block coder of the compressed stream: method 3 (bit-packed LZ) encoding of one plain
// block, and decoding of methods 1, 2 and 3. No file access and no messages here.
//
// Invariants:
//  - encodeBlock produces exactly the bytes of the stream format for a block of 1..64000
//    bytes: the match choice is that of a nearest-first scan over every earlier position
//    (distance 1 .. min(p,32000)-1) keeping the strictly longest eligible match measured to
//    the block end; KivMatchFinder reaches that choice without the quadratic scan;
//  - decodeBlock never reads past packedSize bytes of its input (plus the zero padding the
//    caller guarantees, see kPackedSlack) and never writes past plainSize bytes of its output;
//    any block that would need to is reported as Corrupt.

#include <cstdint>
#include <vector>

namespace kiv {

constexpr std::int32_t kBufferSize = 74000;    // plain and packed buffer capacity
constexpr std::int32_t kBlockLimit = 64000;    // largest plain block, largest Read/Write
constexpr std::int32_t kSearchWindow = 32000;  // candidates lie at distances below this
constexpr std::int32_t kLongestMatch = 1022;
constexpr std::int32_t kShortestMatch = 4;
constexpr std::int32_t kNearDistance = 255;
// Zero bytes the caller keeps after the packed data so the bit reader can load whole words.
constexpr std::int32_t kPackedSlack = 8;

struct Match {
    std::int32_t distance = 0;
    std::int32_t length = 0;  // 0: no match
};

// Finds, for increasing positions of one block, the match the nearest-first scan would pick.
// Its tables are allocated once and reused for every block.
class KivMatchFinder {
public:
    KivMatchFinder();
    // Starts a block; data must stay unchanged until the next reset.
    void reset(const std::uint8_t* data, std::int32_t size);
    // Positions must be asked in increasing order within one block.
    Match find(std::int32_t pos);

private:
    // Chains of positions whose first 4, 6 or 12 bytes hash alike, nearest first. A candidate
    // that must match at least 6 (12) bytes to win lies on the longer chain, so the search
    // moves to it once the best so far (or the distance rule) demands that many.
    static constexpr int kLevels = 3;
    static constexpr std::int32_t kKeyLength[kLevels] = {4, 6, 12};

    void insertUpTo(std::int32_t pos);
    std::uint32_t hashAt(int level, std::int32_t pos) const;
    std::int32_t extend(std::int32_t a, std::int32_t b, std::int32_t from) const;
    Match findInRuns(std::int32_t p, std::int32_t runLen);

    const std::uint8_t* m_data = nullptr;
    std::int32_t m_size = 0;
    std::int32_t m_inserted = 1;                   // positions below this are in the chains
    // Chain entries are stored as m_base + position, and m_base moves past the block on
    // each reset, so old blocks' entries read as negative positions without clearing.
    std::int32_t m_base = 0;
    std::vector<std::int32_t> m_head[kLevels];     // key hash -> latest position
    std::vector<std::int32_t> m_prev[kLevels];     // position -> previous position, same hash
    std::vector<std::int32_t> m_runStart;   // first position of the run of equal bytes
    std::vector<std::int32_t> m_runEnd;     // one past the last position of that run
};

// Codes a block with method 3 into packed (capacity kBufferSize); returns the packed size.
std::int32_t encodeBlock(const std::uint8_t* plain, std::int32_t size, std::uint8_t* packed,
                         KivMatchFinder& finder);

enum class DecodeResult { Ok, UnknownMethod, Corrupt };

// Decodes one block. escapes is used by method 2 only. packed must be followed by
// kPackedSlack readable bytes (their values do not matter). plain has room for plainSize.
DecodeResult decodeBlock(int method, const std::uint8_t escapes[3], const std::uint8_t* packed,
                         std::int32_t packedSize, std::uint8_t* plain, std::int32_t plainSize);

}  // namespace kiv
