// Reference writer: each rule of the format written out the long way, one bit at a time.
#include "ReferenceCoder.h"

#include <algorithm>
#include <stdexcept>

namespace ref {

namespace {

struct Bits {
    Bytes out;
    int bitPos = 0;  // bits used in the last byte
    void bit(int b)
    {
        if (bitPos == 0) out.push_back(0);
        if (b) out.back() |= static_cast<std::uint8_t>(0x80 >> bitPos);
        bitPos = (bitPos + 1) % 8;
    }
    void field(unsigned v, int n)
    {
        for (int i = 0; i < n; ++i) bit((v >> i) & 1);
    }
};

// The scan as described: nearest candidate first, first byte, then four bytes, then the
// length to the end of the block; strictly longer and (length >= 6 or distance <= 255).
void search(const Bytes& buf, int p, int& distance, int& length)
{
    const int n = static_cast<int>(buf.size());
    distance = length = 0;
    if (p < 2) return;
    int bestLen = 0, bestDist = 0;
    const int last = std::min(p, 32000) - 1;
    for (int d = 1; d <= last; ++d) {
        const int c = p - d;
        if (buf[c] != buf[p]) continue;
        if (p + 4 > n) continue;
        if (buf[c + 1] != buf[p + 1] || buf[c + 2] != buf[p + 2] || buf[c + 3] != buf[p + 3]) continue;
        int len = 0;
        while (p + len < n && buf[c + len] == buf[p + len]) ++len;
        if (len > bestLen && (len >= 6 || d <= 255)) {
            bestLen = len;
            bestDist = d;
        }
    }
    bestLen = std::min(bestLen, n - p);
    bestLen = std::min(bestLen, 1022);
    if (bestLen <= 3) return;
    distance = bestDist;
    length = bestLen;
}

Bytes packBlock(const Bytes& buf)
{
    int counts[256] = {};
    int lo = 255, hi = 0;
    for (auto b : buf) {
        ++counts[b];
        lo = std::min<int>(lo, b);
        hi = std::max<int>(hi, b);
    }
    int top[4] = {0, 0, 0, 0};
    for (int r = 0; r < 4; ++r) {
        int bestV = 0, bestC = 0;
        for (int v = 0; v < 256; ++v)
            if (counts[v] > bestC) {
                bestC = counts[v];
                bestV = v;
            }
        if (bestC == 0) break;
        top[r] = bestV;
        counts[bestV] = 0;
    }
    Bits bits;
    int width = 8, base = 0;
    if (hi - lo >= 127) {
        bits.bit(0);
    } else {
        width = hi - lo >= 63 ? 7 : 6;
        base = lo;
        bits.bit(1);
        bits.field(width, 4);
        bits.field(base, 8);
    }
    for (int t : top) bits.field(t, 8);
    const int n = static_cast<int>(buf.size());
    int p = 0;
    while (p < n) {
        int d, len;
        search(buf, p, d, len);
        int j = -1;
        for (int k = 0; k < 4 && j < 0; ++k)
            if (top[k] == buf[p]) j = k;
        if (len == 0 && j >= 0) {
            bits.bit(1), bits.bit(1), bits.field(j, 2);
            ++p;
        } else if (len > 0) {
            const bool isShort = len <= 255 && d <= 255;
            bits.bit(1), bits.bit(0), bits.bit(isShort ? 0 : 1);
            bits.field(d, isShort ? 8 : 15);
            bits.field(len, isShort ? 8 : 10);
            p += len;
        } else {
            bits.bit(0);
            bits.field(buf[p] - base, width);
            ++p;
        }
    }
    for (int i = 0, pad = 8 - bits.bitPos; i < pad; ++i) bits.bit(0);
    return bits.out;
}

void put24(Bytes& out, int v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
    out.push_back((v >> 16) & 0xFF);
}

void emitBlock(Bytes& file, const Bytes& plain)
{
    const Bytes packed = packBlock(plain);
    put24(file, static_cast<int>(plain.size()));
    file.push_back(3);
    put24(file, static_cast<int>(packed.size()));
    file.insert(file.end(), packed.begin(), packed.end());
}

}  // namespace

Bytes compressWrites(const std::vector<Bytes>& writes)
{
    Bytes file, block;
    for (Bytes w : writes) {
        if (w.size() > 64000) w.resize(64000);
        if (block.size() + w.size() > 64000) {
            emitBlock(file, block);
            block.clear();
        }
        block.insert(block.end(), w.begin(), w.end());
    }
    if (!block.empty()) {
        emitBlock(file, block);
        put24(file, 0);
    }
    return file;
}

Bytes compress(const Bytes& plain)
{
    std::vector<Bytes> writes;
    for (std::size_t i = 0; i < plain.size(); i += 64000)
        writes.emplace_back(plain.begin() + static_cast<long>(i),
                            plain.begin() + static_cast<long>(std::min(plain.size(), i + 64000)));
    return compressWrites(writes);
}

namespace {

struct BitIn {
    const Bytes& data;
    std::size_t pos = 0;
    unsigned field(int n)
    {
        unsigned v = 0;
        for (int i = 0; i < n; ++i, ++pos) {
            if (pos / 8 >= data.size()) throw std::runtime_error("bit stream ends early");
            if (data[pos / 8] & (0x80 >> (pos % 8))) v |= 1u << i;
        }
        return v;
    }
};

}  // namespace

std::vector<BlockInfo> listBlocks(const Bytes& file)
{
    std::vector<BlockInfo> blocks;
    std::size_t i = 0;
    auto get24 = [&] {
        if (i + 3 > file.size()) throw std::runtime_error("header ends early");
        const int v = file[i] | (file[i + 1] << 8) | (file[i + 2] << 16);
        i += 3;
        return v;
    };
    while (i < file.size()) {
        BlockInfo b;
        b.plainSize = get24();
        if (b.plainSize == 0) break;
        b.method = file.at(i++);
        if (b.method == 2) i += 3;
        b.packedSize = get24();
        b.packed.assign(file.begin() + static_cast<long>(i), file.begin() + static_cast<long>(i + b.packedSize));
        i += static_cast<std::size_t>(b.packedSize);
        if (b.method == 3) {
            BitIn in{b.packed};
            b.narrow = in.field(1);
            b.width = b.narrow ? static_cast<int>(in.field(4)) : 8;
            b.base = b.narrow ? static_cast<int>(in.field(8)) : 0;
            for (auto& t : b.top) t = static_cast<std::uint8_t>(in.field(8));
            int produced = 0;
            while (produced < b.plainSize) {
                if (!in.field(1)) {
                    b.tokens.push_back({Token::Literal, static_cast<int>(in.field(b.width))});
                    ++produced;
                } else if (in.field(1)) {
                    b.tokens.push_back({Token::Frequent, static_cast<int>(in.field(2))});
                    ++produced;
                } else {
                    const bool isLong = in.field(1);
                    Token t{isLong ? Token::LongMatch : Token::ShortMatch};
                    t.a = static_cast<int>(in.field(isLong ? 15 : 8));
                    t.b = static_cast<int>(in.field(isLong ? 10 : 8));
                    b.tokens.push_back(t);
                    produced += t.b;
                }
            }
        }
        blocks.push_back(std::move(b));
    }
    return blocks;
}

}  // namespace ref
