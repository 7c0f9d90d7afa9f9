#pragma once
// Test helpers: a database folder made from data/tables.sql and filled with a small hotel
// (rooms, prices, clients, stays, accounts, items, rates, notes), copied fresh for each test.
//
// Invariant: every test gets its own folder, so changes never leak between tests.

#include "Engine.h"

#include <filesystem>
#include <string>
#include <vector>

namespace enginetest {

// Creates the ten tables of data/tables.sql in folder (with a trailing '/').
void createTables(engine::Database& db, const std::string& folder);

// A fresh copy of the filled folder; returns its path with a trailing '/'.
std::string filledFolder();
// A fresh empty folder.
std::string emptyFolder();

// Replaces every {db} by the folder.
std::string withDb(std::string sql, const std::string& folder);

// The rows of a query as text: fields joined by ',', rows by ';'. columns: names to show
// (empty: all). sorted: rows sorted (for statements without ORDER BY).
std::string dump(engine::Database& db, const std::string& sql, const std::vector<std::string>& columns = {},
                 bool sorted = false);

}  // namespace enginetest
