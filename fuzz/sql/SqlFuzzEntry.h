#pragma once
// The one entry both the libFuzzer target and the corpus replay call.
#include <cstddef>
#include <cstdint>

// Feeds one input to the tokenizer, parser and translator, and runs it (inside a transaction
// that is always rolled back) against a small folder of the hotel's tables. "{db}" in the
// input stands for that folder. Never throws; returns 0.
int fuzzSqlEntry(const std::uint8_t* data, std::size_t size);
