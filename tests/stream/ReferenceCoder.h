#pragma once
// A plain, obviously-correct writer of the compressed stream format, used as the reference
// the fast match finder must agree with byte for byte; and a token lister for method 3
// blocks, so tests can state what a block holds. Quadratic on purpose: keep inputs small.

#include <cstdint>
#include <string>
#include <vector>

namespace ref {

using Bytes = std::vector<std::uint8_t>;

// The whole compressed file the stream writes for this sequence of Write calls and a close.
Bytes compressWrites(const std::vector<Bytes>& writes);
// The file for one block of plain data written at once (and closed).
Bytes compress(const Bytes& plain);

struct Token {
    enum Kind { Literal, Frequent, ShortMatch, LongMatch } kind;
    int a = 0;  // literal value / frequent index / distance
    int b = 0;  // match length
};

struct BlockInfo {
    int plainSize = 0;
    int method = 0;
    int packedSize = 0;
    bool narrow = false;
    int width = 0;
    int base = 0;
    std::uint8_t top[4] = {};
    std::vector<Token> tokens;
    Bytes packed;
};

// Lists the blocks of a compressed file (method 3 blocks with their tokens).
std::vector<BlockInfo> listBlocks(const Bytes& file);

}  // namespace ref
