// Fuzz target for the compressed-stream reader: any file must decode within the buffers or
// be rejected as corrupt. The same bytes, taken as plain data, must come back unchanged
// after compression, which exercises the writer and its match finder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/KivCompressStream.h"

namespace {

const std::string& scratchFile()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz-stream-" + std::to_string(::getpid()) + ".kiv")).string();
    return path;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

std::vector<std::uint8_t> readAll(const std::string& path, int chunkSeed)
{
    kiv::TKivCompressStream s(path, kiv::TKivCompressStream::Mode::Read);
    std::vector<std::uint8_t> out, buf(kiv::kBlockLimit);
    const int chunks[] = {kiv::kBlockLimit, 1, 15, 4, 1000, 10000};
    for (int i = 0;; ++i) {
        const int want = chunks[(chunkSeed + i) % 6];
        const std::int32_t n = s.Read(buf.data(), want);
        if (n < 0 || n > want) std::abort();
        if (n == 0) break;
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = scratchFile();
    writeFile(path, data, size);
    try {
        readAll(path, size ? data[0] : 0);
    } catch (const kiv::CorruptStreamError&) {
    }

    if (size <= 200000) {
        {
            kiv::TKivCompressStream w(path, kiv::TKivCompressStream::Mode::Create);
            // Writes of uneven sizes so block boundaries fall in different places.
            std::size_t at = 0;
            for (std::size_t piece = 1; at < size; piece = piece * 7 % 70001 + 1) {
                const auto n = static_cast<std::int32_t>(std::min<std::size_t>({piece, size - at, 64000}));
                w.Write(data + at, n);
                at += static_cast<std::size_t>(n);
            }
            w.close();
        }
        const auto back = readAll(path, 0);
        if (back.size() != size || (size && std::memcmp(back.data(), data, size) != 0)) std::abort();
    }
    return 0;
}
