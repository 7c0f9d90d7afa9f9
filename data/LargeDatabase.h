#pragma once
// A large database for benchmarks: many rooms, years of stays with their accounts and
// charges, tens of thousands of client cards. Written straight into the table files the
// engine created (one transaction per file), in the engine's stored forms: dates as day
// numbers, times as seconds after midnight, texts as UTF-8.
//
// Invariants: the table files must exist and be empty (made by data::createTables); the
// engine reads every row written here as if it had inserted it; the same options and day
// give the same files.

#include <QDate>
#include <QString>
#include <cstdint>

namespace data {

struct LargeOptions {
    std::int64_t stays = 1000000;
    int rooms = 300;
    int years = 10;
    int clients = 50000;
};

struct LargeSummary {
    std::int64_t stays = 0, accounts = 0, items = 0;
    int rooms = 0, clients = 0;
};

// Throws std::runtime_error with SQLite's message when a file cannot be written.
LargeSummary writeLargeDatabase(const QString& folder, const LargeOptions& options, const QDate& today);

}  // namespace data
