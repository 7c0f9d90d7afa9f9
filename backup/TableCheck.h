#pragma once
// The check of a table file taken from an archive before it may replace the folder's own:
// it opens as a database, passes SQLite's integrity check, and holds exactly one table, named
// as the file ("POBYTY.DB" holds POBYTY), with the columns the program expects of it.
//
// An archive carries no checksum: a damaged entry that still decodes to a sound table with
// the right columns cannot be told from a good one. Everything else is refused here.

#include <map>
#include <string>
#include <vector>

namespace backup {

// Column names of each table file the program knows, by upper-case file name ("POBYTY.DB").
using ExpectedColumns = std::map<std::string, std::vector<std::string>>;

// The column names of a CREATE TABLE statement, in order (constraints left out).
std::vector<std::string> columnsOfCreateTable(const std::string& statement);

// Whether the name is a table file's (".DB", any letter case).
bool isTableFileName(const std::string& name);

// Empty when the file at path is a sound table file for fileName; otherwise what is wrong.
std::string tableFileProblem(const std::string& path, const std::string& fileName, const ExpectedColumns& expected);

}  // namespace backup
