// Checks of restored table files; see TableCheck.h.
#include "backup/TableCheck.h"

#include <sqlite3.h>

#include "engine/Engine.h"

#include <algorithm>
#include <cctype>

namespace backup {

namespace {

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
};

struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

std::string text(sqlite3_stmt* st, int column)
{
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return t ? std::string(t) : std::string();
}

}  // namespace

bool isTableFileName(const std::string& name)
{
    return name.size() > 3 && upper(name.substr(name.size() - 3)) == ".DB";
}

std::vector<std::string> columnsOfCreateTable(const std::string& statement)
{
    std::vector<std::string> columns;
    const auto open = statement.find('(');
    const auto close = statement.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return columns;
    int depth = 0;
    std::string item;
    auto take = [&] {
        std::size_t i = 0;
        while (i < item.size() && std::isspace(static_cast<unsigned char>(item[i]))) ++i;
        std::size_t j = i;
        while (j < item.size() && (std::isalnum(static_cast<unsigned char>(item[j])) || item[j] == '_')) ++j;
        const std::string word = upper(item.substr(i, j - i));
        if (!word.empty() && word != "PRIMARY" && word != "UNIQUE" && word != "CONSTRAINT" && word != "FOREIGN" &&
            word != "CHECK")
            columns.push_back(word);
        item.clear();
    };
    for (std::size_t i = open + 1; i < close; ++i) {
        const char c = statement[i];
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) take();
        else item += c;
    }
    take();
    return columns;
}

std::string tableFileProblem(const std::string& path, const std::string& fileName, const ExpectedColumns& expected)
{
    const std::string table = upper(fileName.substr(0, fileName.size() - 3));
    Connection c;
    if (sqlite3_open_v2(path.c_str(), &c.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return fileName + " cannot be opened as a table file";
    {
        Statement s;
        if (sqlite3_prepare_v2(c.db, "PRAGMA integrity_check", -1, &s.st, nullptr) != SQLITE_OK)
            return fileName + " is not a table file (" + sqlite3_errmsg(c.db) + ")";
        const int rc = sqlite3_step(s.st);
        if (rc != SQLITE_ROW) return fileName + " fails the integrity check (" + sqlite3_errmsg(c.db) + ")";
        const std::string verdict = text(s.st, 0);
        if (verdict != "ok") return fileName + " fails the integrity check: " + verdict;
    }
    std::vector<std::string> tables;
    {
        Statement s;
        if (sqlite3_prepare_v2(c.db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                               -1, &s.st, nullptr) != SQLITE_OK)
            return fileName + " has no readable schema (" + sqlite3_errmsg(c.db) + ")";
        while (sqlite3_step(s.st) == SQLITE_ROW)
            if (!engine::isIntervalIndexTable(table, text(s.st, 0))) tables.push_back(text(s.st, 0));
    }
    if (tables.size() != 1 || upper(tables[0]) != table)
        return fileName + " does not hold the one table " + table;
    const auto want = expected.find(upper(fileName));
    if (want == expected.end()) return {};
    std::vector<std::string> have;
    {
        Statement s;
        const std::string sql = "PRAGMA table_info(\"" + tables[0] + "\")";
        if (sqlite3_prepare_v2(c.db, sql.c_str(), -1, &s.st, nullptr) != SQLITE_OK)
            return fileName + " has no readable columns (" + sqlite3_errmsg(c.db) + ")";
        while (sqlite3_step(s.st) == SQLITE_ROW) have.push_back(upper(text(s.st, 1)));
    }
    for (const auto& column : want->second)
        if (std::find(have.begin(), have.end(), column) == have.end())
            return fileName + " lacks the column " + column;
    return {};
}

}  // namespace backup
