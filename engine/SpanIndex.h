#pragma once
// The span index of the stays' table file (the interval index of IntervalIndex.h, an SQLite
// R*Tree over DATEFROM..DATETHRU): the engine makes it when it first opens a file without it,
// which on a large table takes seconds. These let a program do it beforehand, with a window
// that says so, and let the database tool make it when it upgrades a folder.
//
// Invariants: spanIndexMissing only reads the file; buildSpanIndex makes exactly what the
// engine's first opening would make (the same objects, so the engine takes them as its own),
// in one transaction of a connection of its own, so a failure leaves the file as it was.

#include <functional>
#include <string>

namespace engine {

// Whether the table file is a stays' file that lacks its span index: false for a file that
// keeps no such index, holds it already, or cannot be read.
bool spanIndexMissing(const std::string& tableFile);

// Makes the span index now when it is missing, calling `working` now and then while it runs
// (so a window can stay painted). True when the file holds the index afterwards or keeps
// none; false when the file could not be changed (held by another program longer than
// lockTimeoutMs, read-only) or holds an object of the index's name that is not the engine's.
bool buildSpanIndex(const std::string& tableFile, const std::function<void()>& working = {}, int lockTimeoutMs = 10000);

}  // namespace engine
