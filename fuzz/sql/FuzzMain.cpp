// libFuzzer target over the SQL dialect (built with clang only).
#include "SqlFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return fuzzSqlEntry(data, size); }
