// The Paradox reader under fuzzing: any bytes as a table file, optionally with a memo file,
// opened, every record read and every field decoded. A refusal (ParadoxError) is the
// expected end of a damaged file; anything else (a crash, a hang, another exception) is a
// fault.
//
// Input: when it starts with a four-byte little-endian length n that fits, the n bytes after
// it are the table file and the rest its memo file; otherwise the whole input is the table.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "paradox/ParadoxFile.h"

namespace {

bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

const std::string& folder()
{
    static const std::string path = [] {
        char templ[] = "/tmp/fuzz-paradox-XXXXXX";
        const char* made = ::mkdtemp(templ);
        return std::string(made ? made : "/tmp");
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string db = folder() + "/T.DB", mb = folder() + "/T.MB";
    std::uint32_t n = 0;
    if (size >= 4) std::memcpy(&n, data, 4);
    bool withMemo = size >= 4 && n <= size - 4;
    if (withMemo) {
        if (!writeFile(db, data + 4, n) || !writeFile(mb, data + 4 + n, size - 4 - n)) return 0;
    } else {
        if (!writeFile(db, data, size)) return 0;
    }
    try {
        paradox::ParadoxFile file(db, withMemo ? mb : std::string(), "T.DB");
        const int records = file.records() < 20000 ? file.records() : 20000;
        for (int r = 0; r < records; ++r) {
            file.readRecord(r);
            for (int f = 0; f < int(file.fields().size()); ++f) file.value(f);
        }
    } catch (const paradox::ParadoxError&) {
    }
    return 0;
}
