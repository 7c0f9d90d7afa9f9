// Replays every file of a corpus folder through the fuzz entry (ctest: fuzz_sql_replay), so
// inputs that once crashed keep being checked by any compiler.
#include "SqlFuzzEntry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
        return 2;
    }
    int files = 0;
    for (int a = 1; a < argc; ++a) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(argv[a])) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path(), std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            fuzzSqlEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
