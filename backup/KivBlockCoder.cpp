// Block coding of the compressed stream (method 3 writer, methods 1-3 reader).
//
// The match finder walks hash chains of 4-byte keys nearest first, which is the order of the
// plain scan, and skips only candidates that provably cannot win it:
//  - a candidate can only replace a best of length L if its byte at offset L matches too;
//  - once the best reaches the block end nothing can be strictly longer;
//  - inside a run of one byte value the match length of every candidate follows from the
//    run lengths alone, so a whole earlier run is judged by its few distinct candidates.
// Tests compare the output with the plain scan byte for byte on a varied corpus.
#include "backup/KivBlockCoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace kiv {

static_assert(std::endian::native == std::endian::little, "match extension assumes little endian");

namespace {

constexpr int kHashBits = 16;

inline std::uint32_t load32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint64_t load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline std::uint32_t hashKey(std::uint32_t key)
{
    return (key * 2654435761u) >> (32 - kHashBits);
}

struct ReverseTable {
    std::uint8_t rev8[256];
    constexpr ReverseTable() : rev8()
    {
        for (int i = 0; i < 256; ++i) {
            int r = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b)) r |= 1 << (7 - b);
            rev8[i] = static_cast<std::uint8_t>(r);
        }
    }
};
constexpr ReverseTable kReverse;

// The n low bits of v in reverse order (n <= 16): the format stores fields least significant
// bit first while bytes fill from their most significant bit.
inline std::uint32_t reverseBits(std::uint32_t v, int n)
{
    const std::uint32_t r16 = (std::uint32_t(kReverse.rev8[v & 0xFF]) << 8) | kReverse.rev8[(v >> 8) & 0xFF];
    return r16 >> (16 - n);
}

class BitWriter {
public:
    explicit BitWriter(std::uint8_t* out) : m_out(out) {}
    // Appends n bits (n <= 32) already in stream order, first bit as the most significant.
    void putOrdered(std::uint32_t bits, int n)
    {
        m_acc = (m_acc << n) | bits;
        m_count += n;
        while (m_count >= 8) {
            m_count -= 8;
            m_out[m_pos++] = static_cast<std::uint8_t>(m_acc >> m_count);
        }
    }
    // A field of n bits, least significant bit first.
    void putField(std::uint32_t value, int n) { putOrdered(reverseBits(value, n), n); }
    // 8 - (bit position) zero bits: a whole zero byte when already on a byte boundary.
    void pad() { putOrdered(0, 8 - m_count); }
    std::int32_t size() const { return m_pos; }

private:
    std::uint8_t* m_out;
    std::int32_t m_pos = 0;
    std::uint64_t m_acc = 0;
    int m_count = 0;
};

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::int32_t size)
        : m_data(data), m_end(std::uint64_t(size) * 8) {}
    bool get(int n, std::uint32_t& value)
    {
        if (m_pos + n > m_end) return false;
        if (n == 0) {
            value = 0;
            return true;
        }
        std::uint64_t word;
        std::memcpy(&word, m_data + (m_pos >> 3), 8);
        word = __builtin_bswap64(word);
        const std::uint32_t chunk = static_cast<std::uint32_t>((word << (m_pos & 7)) >> (64 - n));
        value = reverseBits(chunk, n);
        m_pos += n;
        return true;
    }
    std::uint64_t position() const { return m_pos; }

private:
    const std::uint8_t* m_data;
    std::uint64_t m_end;
    std::uint64_t m_pos = 0;
};

// Forward copy one byte at a time in effect, so an overlapping copy repeats its pattern.
inline void copyMatch(std::uint8_t* out, std::int32_t at, std::int32_t distance, std::int32_t length)
{
    std::uint8_t* dst = out + at;
    const std::uint8_t* src = dst - distance;
    if (distance >= length) {
        std::memcpy(dst, src, static_cast<std::size_t>(length));
    } else if (distance == 1) {
        std::memset(dst, src[0], static_cast<std::size_t>(length));
    } else {
        std::int32_t i = 0;
        if (distance >= 8)  // each 8-byte piece reads only bytes already written
            for (; i + 8 <= length; i += 8) std::memcpy(dst + i, src + i, 8);
        for (; i < length; ++i) dst[i] = src[i];
    }
}

// A copy is sound only when it starts inside the bytes already decoded and ends inside the
// block's plain size.
inline bool copyFits(std::int32_t at, std::int32_t distance, std::int32_t length, std::int32_t plainSize)
{
    if (length > plainSize - at) return false;
    return length == 0 || (distance >= 1 && distance <= at);
}

DecodeResult decodeStored(const std::uint8_t* packed, std::int32_t packedSize, std::uint8_t* plain,
                          std::int32_t plainSize)
{
    if (packedSize != plainSize) return DecodeResult::Corrupt;
    std::memcpy(plain, packed, static_cast<std::size_t>(plainSize));
    return DecodeResult::Ok;
}

DecodeResult decodeEscaped(const std::uint8_t escapes[3], const std::uint8_t* in, std::int32_t packedSize,
                           std::uint8_t* plain, std::int32_t plainSize)
{
    std::int32_t i = 0;
    std::int32_t o = 0;
    while (i < packedSize) {
        const std::uint8_t b = in[i];
        if (b == escapes[2]) {
            if (packedSize - i < 3) return DecodeResult::Corrupt;
            const std::int32_t count = in[i + 2];
            if (count > plainSize - o) return DecodeResult::Corrupt;
            std::memset(plain + o, in[i + 1], static_cast<std::size_t>(count));
            o += count;
            i += 3;
        } else if (b == escapes[0] || b == escapes[1]) {
            const bool isLong = b != escapes[0];
            const std::int32_t width = isLong ? 5 : 3;
            if (packedSize - i < width) return DecodeResult::Corrupt;
            const std::int32_t distance = isLong ? in[i + 1] | (in[i + 2] << 8) : in[i + 1];
            const std::int32_t length = isLong ? in[i + 3] | (in[i + 4] << 8) : in[i + 2];
            if (!copyFits(o, distance, length, plainSize)) return DecodeResult::Corrupt;
            copyMatch(plain, o, distance, length);
            o += length;
            i += width;
        } else {
            if (o >= plainSize) return DecodeResult::Corrupt;
            plain[o++] = b;
            ++i;
        }
    }
    return o == plainSize ? DecodeResult::Ok : DecodeResult::Corrupt;
}

DecodeResult decodeBitPacked(const std::uint8_t* packed, std::int32_t packedSize, std::uint8_t* plain,
                             std::int32_t plainSize)
{
    BitReader in(packed, packedSize);
    std::uint32_t narrow = 0, width = 8, base = 0;
    if (!in.get(1, narrow)) return DecodeResult::Corrupt;
    if (narrow && (!in.get(4, width) || !in.get(8, base))) return DecodeResult::Corrupt;
    std::uint8_t top[4];
    for (auto& t : top) {
        std::uint32_t v;
        if (!in.get(8, v)) return DecodeResult::Corrupt;
        t = static_cast<std::uint8_t>(v);
    }
    const int literalBits = static_cast<int>(width);
    // Each token is decoded from one look at the next 57 bits; the zero slack after the
    // packed data makes the look safe, and the position check rejects tokens that run past
    // the packed size.
    std::uint64_t pos = in.position();
    const std::uint64_t end = std::uint64_t(packedSize) * 8;
    std::int32_t o = 0;
    while (o < plainSize) {
        if (pos >= end) return DecodeResult::Corrupt;
        std::uint64_t word;
        std::memcpy(&word, packed + (pos >> 3), 8);
        const std::uint64_t bits = __builtin_bswap64(word) << (pos & 7);
        if (!(bits >> 63)) {
            pos += 1 + static_cast<unsigned>(literalBits);
            if (pos > end) return DecodeResult::Corrupt;
            const std::uint32_t v = literalBits ? reverseBits(static_cast<std::uint32_t>((bits << 1) >> (64 - literalBits)), literalBits) : 0;
            plain[o++] = static_cast<std::uint8_t>(v + base);
            continue;
        }
        if ((bits >> 62) & 1) {
            pos += 4;
            if (pos > end) return DecodeResult::Corrupt;
            plain[o++] = top[reverseBits(static_cast<std::uint32_t>((bits >> 60) & 3), 2)];
            continue;
        }
        std::int32_t d, l;
        if ((bits >> 61) & 1) {
            pos += 28;
            d = static_cast<std::int32_t>(reverseBits(static_cast<std::uint32_t>((bits << 3) >> 49), 15));
            l = static_cast<std::int32_t>(reverseBits(static_cast<std::uint32_t>((bits << 18) >> 54), 10));
        } else {
            pos += 19;
            d = static_cast<std::int32_t>(reverseBits(static_cast<std::uint32_t>((bits << 3) >> 56), 8));
            l = static_cast<std::int32_t>(reverseBits(static_cast<std::uint32_t>((bits << 11) >> 56), 8));
        }
        if (pos > end || !copyFits(o, d, l, plainSize)) return DecodeResult::Corrupt;
        copyMatch(plain, o, d, l);
        o += l;
    }
    return DecodeResult::Ok;
}

}  // namespace

KivMatchFinder::KivMatchFinder() : m_runStart(kBlockLimit), m_runEnd(kBlockLimit)
{
    for (int l = 0; l < kLevels; ++l) {
        m_head[l].assign(std::size_t(1) << kHashBits, -1);
        m_prev[l].assign(kBlockLimit, -1);
    }
}

void KivMatchFinder::reset(const std::uint8_t* data, std::int32_t size)
{
    m_data = data;
    m_size = std::min(size, kBlockLimit);
    m_inserted = 1;  // position 0 is never a candidate: distances stop at min(p, 32000) - 1
    if (m_base > INT32_MAX - 2 * kBlockLimit - 2) {
        m_base = 0;
        for (auto& head : m_head) std::fill(head.begin(), head.end(), -1);
    } else {
        m_base += kBlockLimit + 1;
    }
    if (m_size == 0) return;
    m_runStart[0] = 0;
    for (std::int32_t i = 1; i < m_size; ++i)
        m_runStart[i] = data[i] == data[i - 1] ? m_runStart[i - 1] : i;
    m_runEnd[m_size - 1] = m_size;
    for (std::int32_t i = m_size - 2; i >= 0; --i)
        m_runEnd[i] = data[i] == data[i + 1] ? m_runEnd[i + 1] : i + 1;
}

std::uint32_t KivMatchFinder::hashAt(int level, std::int32_t pos) const
{
    const std::uint8_t* d = m_data + pos;
    if (level == 0) return hashKey(load32(d));
    std::uint16_t tail16;
    std::memcpy(&tail16, d + 4, 2);
    const std::uint64_t six = load32(d) | (std::uint64_t(tail16) << 32);
    if (level == 1) return static_cast<std::uint32_t>((six * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
    const std::uint64_t mixed = load64(d) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(load32(d + 8)) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<std::uint32_t>(mixed >> (64 - kHashBits));
}

void KivMatchFinder::insertUpTo(std::int32_t pos)
{
    for (int l = 0; l < kLevels; ++l) {
        const std::int32_t last = std::min(pos, m_size - kKeyLength[l] + 1);  // a key needs its bytes
        auto& head = m_head[l];
        auto& prev = m_prev[l];
        for (std::int32_t q = m_inserted; q < last; ++q) {
            const std::uint32_t h = hashAt(l, q);
            prev[q] = head[h];
            head[h] = m_base + q;
        }
    }
    m_inserted = std::max(m_inserted, pos);
}

std::int32_t KivMatchFinder::extend(std::int32_t a, std::int32_t b, std::int32_t from) const
{
    // a < b, so both reads stay inside the block whenever b's do.
    const std::int32_t limit = m_size - b;
    std::int32_t k = from;
    while (k + 8 <= limit) {
        const std::uint64_t diff = load64(m_data + a + k) ^ load64(m_data + b + k);
        if (diff) return k + std::countr_zero(diff) / 8;
        k += 8;
    }
    while (k < limit && m_data[a + k] == m_data[b + k]) ++k;
    return k;
}

Match KivMatchFinder::find(std::int32_t p)
{
    if (p < 2 || m_size - p < kShortestMatch) return {};
    insertUpTo(p);
    const std::int32_t runLen = m_runEnd[p] - p;  // p's key is one repeated byte when >= 4
    if (runLen >= 4) return findInRuns(p, runLen);

    const std::int32_t maxLen = m_size - p;
    const std::int32_t lo = std::max(1, p - (kSearchWindow - 1));
    const std::uint32_t key = load32(m_data + p);
    std::int32_t best = 0;
    std::int32_t bestPos = -1;
    int level = 0;
    std::int32_t c = m_head[0][hashKey(key)] - m_base;
    while (c >= lo) {
        if (load32(m_data + c) == key && (best < kShortestMatch || m_data[c + best] == m_data[p + best])) {
            const std::int32_t len = extend(c, p, kShortestMatch);
            if (len > best && (len >= 6 || p - c <= kNearDistance)) {
                best = len;
                bestPos = c;
                if (best == maxLen) break;
            }
        }
        // What a farther candidate must match to win: more than the best, and 6 bytes
        // beyond the near distance.
        std::int32_t need = best + 1;
        if (p - c >= kNearDistance) need = std::max(need, 6);
        if (need > maxLen) break;
        int wanted = level;
        while (wanted + 1 < kLevels && need >= kKeyLength[wanted + 1]) ++wanted;
        if (wanted == level) {
            c = m_prev[level][c] - m_base;
            continue;
        }
        // Continue on the longer chain just past c: it holds every farther position whose
        // first kKeyLength bytes may equal p's; the others cannot win any more.
        level = wanted;
        std::int32_t next = m_head[level][hashAt(level, p)] - m_base;
        while (next >= c) next = m_prev[level][next] - m_base;
        c = next;
    }
    if (best < kShortestMatch) return {};
    return {p - bestPos, std::min(best, kLongestMatch)};
}

Match KivMatchFinder::findInRuns(std::int32_t p, std::int32_t runLen)
{
    const std::int32_t maxLen = m_size - p;
    const std::int32_t lo = std::max(1, p - (kSearchWindow - 1));
    const std::uint32_t key = load32(m_data + p);
    std::int32_t best = 0;
    std::int32_t bestPos = -1;
    auto consider = [&](std::int32_t c, std::int32_t len) {
        if (len > best && (len >= 6 || p - c <= kNearDistance)) {
            best = len;
            bestPos = c;
        }
    };
    std::int32_t c = m_head[0][hashKey(key)] - m_base;
    while (c >= lo) {
        if (load32(m_data + c) != key) {
            c = m_prev[0][c] - m_base;
            continue;
        }
        // c lies in an earlier run [s, t) of the same byte. A candidate c' of it has the
        // match length x = t - c' while x < runLen, runLen plus what follows both runs
        // when x == runLen, and runLen when x > runLen. Scanned nearest first, x grows.
        const std::int32_t t = m_runEnd[c];
        const std::int32_t s = std::max(m_runStart[c], lo);
        const std::int32_t xFirst = t - c;
        const std::int32_t xLast = t - s;
        const std::int32_t growEnd = std::min(runLen - 1, xLast);
        if (xFirst <= growEnd) {
            if (growEnd - xFirst < 3) {
                for (std::int32_t x = xFirst; x <= growEnd; ++x) consider(t - x, x);
            } else {
                consider(t - growEnd, growEnd);  // length >= 7: eligible, longest of the rise
            }
        }
        if (runLen >= xFirst && runLen <= xLast) {
            const std::int32_t cc = t - runLen;
            if (best < runLen || (best < maxLen && m_data[cc + best] == m_data[p + best]))
                consider(cc, extend(cc, p, runLen));
        }
        const std::int32_t xFlat = std::max(runLen + 1, xFirst);
        if (xFlat <= xLast) consider(t - xFlat, runLen);
        if (best == maxLen) break;
        c = m_prev[0][s] - m_base;
    }
    if (best < kShortestMatch) return {};
    return {p - bestPos, std::min(best, kLongestMatch)};
}

std::int32_t encodeBlock(const std::uint8_t* plain, std::int32_t size, std::uint8_t* packed, KivMatchFinder& finder)
{
    std::int32_t counts[256] = {};
    std::uint8_t lowest = 255, highest = 0;
    for (std::int32_t i = 0; i < size; ++i) {
        ++counts[plain[i]];
        lowest = std::min(lowest, plain[i]);
        highest = std::max(highest, plain[i]);
    }
    std::uint8_t top[4] = {0, 0, 0, 0};
    for (auto& t : top) {
        int pick = -1;
        for (int v = 0; v < 256; ++v)
            if (counts[v] > 0 && (pick < 0 || counts[v] > counts[pick])) pick = v;
        if (pick < 0) break;
        t = static_cast<std::uint8_t>(pick);
        counts[pick] = 0;
    }
    int topIndex[256];
    std::fill(std::begin(topIndex), std::end(topIndex), -1);
    for (int j = 3; j >= 0; --j) topIndex[top[j]] = j;  // the first equal entry wins

    BitWriter out(packed);
    const int spread = highest - lowest;
    int width = 8;
    std::uint8_t base = 0;
    if (spread >= 127) {
        out.putField(0, 1);
    } else {
        width = spread >= 63 ? 7 : 6;
        base = lowest;
        out.putField(1, 1);
        out.putField(static_cast<std::uint32_t>(width), 4);
        out.putField(base, 8);
    }
    for (std::uint8_t t : top) out.putField(t, 8);

    finder.reset(plain, size);
    std::int32_t p = 0;
    while (p < size) {
        const Match m = finder.find(p);
        const std::uint8_t b = plain[p];
        if (m.length == 0 && topIndex[b] >= 0) {
            out.putOrdered((0b11u << 2) | reverseBits(static_cast<std::uint32_t>(topIndex[b]), 2), 4);
            ++p;
        } else if (m.length > 0) {
            if (m.length <= kNearDistance && m.distance <= kNearDistance) {
                out.putOrdered(0b100, 3);
                out.putField(static_cast<std::uint32_t>(m.distance), 8);
                out.putField(static_cast<std::uint32_t>(m.length), 8);
            } else {
                out.putOrdered(0b101, 3);
                out.putField(static_cast<std::uint32_t>(m.distance), 15);
                out.putField(static_cast<std::uint32_t>(m.length), 10);
            }
            p += m.length;
        } else {
            out.putOrdered(reverseBits(static_cast<std::uint32_t>(b - base), width), width + 1);
            ++p;
        }
    }
    out.pad();
    return out.size();
}

DecodeResult decodeBlock(int method, const std::uint8_t escapes[3], const std::uint8_t* packed,
                         std::int32_t packedSize, std::uint8_t* plain, std::int32_t plainSize)
{
    if (plainSize < 0 || plainSize > kBlockLimit || packedSize < 0 || packedSize > kBufferSize)
        return DecodeResult::Corrupt;
    switch (method) {
    case 1: return decodeStored(packed, packedSize, plain, plainSize);
    case 2: return decodeEscaped(escapes, packed, packedSize, plain, plainSize);
    case 3: return decodeBitPacked(packed, packedSize, plain, plainSize);
    default: return DecodeResult::UnknownMethod;
    }
}

}  // namespace kiv
