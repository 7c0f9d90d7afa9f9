// Database, Query and the core that runs translated statements on attached table files.
// See Core.h for the invariants kept here.

#include "Core.h"
#include "IntervalIndex.h"
#include "TableSwap.h"
#include "Parser.h"
#include "pg/PgStorage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace engine {

int Query::checkedIndex(std::string_view name) const {
    const int i = fieldIndex(name);
    if (i < 0) throw Error("Unknown field: " + std::string(name));
    return i;
}

namespace detail {

namespace {

std::string shapeKey(const std::vector<sql::Token>& tokens, std::vector<const sql::Token*>& literals) {
    std::string key;
    key.reserve(tokens.empty() ? 16 : static_cast<size_t>(tokens.back().byteEnd) + tokens.size() * 2);
    for (const auto& t : tokens) {
        key += static_cast<char>('0' + static_cast<int>(t.kind));
        if (t.isLiteral()) literals.push_back(&t);
        else key += t.text;
        key += '\x1f';
    }
    return key;
}

bool isDdl(const sql::Token& first) {
    return first.isKeyword("CREATE") || first.isKeyword("DROP");
}

// Reads a number as typed. A comma is a decimal comma only where it is the one separator
// and not three digits that read as a thousands group ("1,000" is refused, not read as 1);
// infinities and NaN are no numbers. Throws Error("") when the text does not read.
std::optional<double> readNumberText(std::string_view s, bool& isInt, std::int64_t& asInt) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    if (s.empty()) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);
    std::string withPoint;
    if (const size_t comma = s.find(','); comma != std::string_view::npos) {
        if (s.find_first_of(",.eE", comma + 1) != std::string_view::npos || s.substr(0, comma).find_first_of(".eE") != std::string_view::npos)
            throw Error("");
        const std::string_view whole = s.substr(s.front() == '-' ? 1 : 0, comma - (s.front() == '-' ? 1 : 0));
        const std::string_view fraction = s.substr(comma + 1);
        if (fraction.size() == 3 && !whole.empty() && whole.size() <= 3 && whole.front() != '0') throw Error("");
        withPoint.assign(s);
        withPoint[comma] = '.';
        s = withPoint;
    }
    const char* first = s.data();
    const char* last = s.data() + s.size();
    isInt = s.find_first_of(".eE") == std::string_view::npos;
    if (isInt) {
        auto r = std::from_chars(first, last, asInt);
        if (r.ec == std::errc() && r.ptr == last) return static_cast<double>(asInt);
        isInt = false;
    }
    double d = 0;
    auto r = std::from_chars(first, last, d);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(d)) throw Error("");
    return d;
}

// A table file a crash left empty: it holds no table and counts as absent.
bool isEmptyFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && fs::file_size(path, ec) == 0 && !ec;
}

std::string forColumn(const std::string& column) { return column.empty() ? "" : " (column " + column + ")"; }

std::string shortText(std::string_view s) {
    std::string r(s.substr(0, 60));
    if (s.size() > 60) r += "...";
    return r;
}

}  // namespace

Value convertLiteral(const sql::Token& tok, Conv conv, const std::string& column) {
    const bool isText = tok.kind != sql::TokenKind::Number;
    const std::string& s = tok.text;
    try {
        switch (conv) {
        case Conv::Text: return s;
        case Conv::Number: {
            bool isInt = false;
            std::int64_t i = 0;
            std::optional<double> d;
            try {
                d = readNumberText(s, isInt, i);
            } catch (const Error&) {
                throw Error("Type mismatch: \"" + shortText(s) + "\" is not a number" + forColumn(column));
            }
            if (!d) return std::monostate{};
            if (isInt) return i;
            return *d;
        }
        case Conv::Whole:
        case Conv::DayNumber:
        case Conv::Seconds: {
            const Value v = convertLiteral(tok, Conv::Number, column);
            std::int64_t whole = 0;
            if (const auto* i = std::get_if<std::int64_t>(&v)) whole = *i;
            else if (const auto* d = std::get_if<double>(&v)) {
                if (*d != std::floor(*d) || std::fabs(*d) > 9e15)
                    throw Error("Type mismatch: \"" + shortText(s) + "\" is not a whole number" + forColumn(column));
                whole = static_cast<std::int64_t>(*d);
            } else {
                return v;
            }
            if (conv == Conv::DayNumber && (whole < kFirstDay || whole > kLastDay))
                throw Error("Type mismatch: " + std::to_string(whole) + " is no day between 1.1.0001 and 31.12.9999" + forColumn(column));
            if (conv == Conv::Seconds && (whole < 0 || whole > 86399))
                throw Error("Type mismatch: " + std::to_string(whole) + " is no time of day (0 to 86399 seconds)" + forColumn(column));
            return whole;
        }
        case Conv::Date: {
            if (!isText) return Value(static_cast<std::int64_t>(std::atoll(s.c_str())));
            const auto d = parseDateText(s);
            if (!d) return std::monostate{};
            return *d;
        }
        case Conv::Time: {
            if (!isText) return Value(static_cast<std::int64_t>(std::atoll(s.c_str())));
            if (s.find_first_not_of(" :") == std::string::npos) return std::monostate{};
            return parseTimeText(s);
        }
        case Conv::Timestamp: {
            if (!isText) return std::strtod(s.c_str(), nullptr);
            const auto v = timestampFromText(s);
            if (!v) return std::monostate{};
            return *v;
        }
        case Conv::Boolean: {
            const std::string u = sql::upperAscii(s);
            if (u.find_first_not_of(' ') == std::string::npos) return std::monostate{};
            if (u == "TRUE" || u == "T" || u == "YES" || u == "1") return std::int64_t{1};
            if (u == "FALSE" || u == "F" || u == "NO" || u == "0") return std::int64_t{0};
            throw Error("Type mismatch: \"" + shortText(s) + "\" is not True or False" + forColumn(column));
        }
        }
    } catch (const Error& e) {
        const std::string msg = e.what();
        if (column.empty() || msg.find("(column ") != std::string::npos) throw;
        throw Error(msg + forColumn(column));
    }
    return s;
}

Value convertParam(const sql::Token& tok, const ParamSlot& slot) {
    if (!slot.negative) return convertLiteral(tok, slot.conv, slot.column);
    sql::Token signedTok = tok;
    signedTok.text.insert(0, 1, '-');
    return convertLiteral(signedTok, slot.conv, slot.column);
}

Value storedValue(const Value& v, const Column& c) {
    if (const auto* s = std::get_if<std::string>(&v)) {
        switch (c.type) {
        case FieldType::Date: {
            const auto d = parseDateText(*s);
            return d ? Value(*d) : Value();
        }
        case FieldType::Time:
            if (s->find_first_not_of(" :") == std::string::npos) return {};
            return parseTimeText(*s);
        case FieldType::Timestamp: {
            const auto d = timestampFromText(*s);
            return d ? Value(*d) : Value();
        }
        case FieldType::Integer:
        case FieldType::Key:
        case FieldType::Float:
        case FieldType::Boolean: {
            sql::Token t;
            t.kind = sql::TokenKind::DoubleQuoted;
            t.text = *s;
            const Conv conv = c.type == FieldType::Boolean ? Conv::Boolean : c.type == FieldType::Float ? Conv::Number : Conv::Whole;
            return convertLiteral(t, conv, c.name);
        }
        default: return v;
        }
    }
    const bool whole = c.type == FieldType::Integer || c.type == FieldType::Key || c.type == FieldType::Date ||
                       c.type == FieldType::Time || c.type == FieldType::Boolean;
    std::int64_t i = 0;
    if (const auto* d = std::get_if<double>(&v)) {
        if (!std::isfinite(*d) && (whole || c.type == FieldType::Float || c.type == FieldType::Timestamp))
            throw Error("Type mismatch: an infinite value is not a number" + forColumn(c.name));
        if (!whole) return v;
        if (*d != std::floor(*d) || std::fabs(*d) >= 9e15)
            throw Error("Type mismatch: " + formatFloat(*d) + " is not a whole number" + forColumn(c.name));
        i = static_cast<std::int64_t>(*d);
    } else if (const auto* n = std::get_if<std::int64_t>(&v)) {
        i = *n;
    } else {
        return v;
    }
    if (c.type == FieldType::Date && (i < kFirstDay || i > kLastDay))
        throw Error("Type mismatch: " + std::to_string(i) + " is no day between 1.1.0001 and 31.12.9999" + forColumn(c.name));
    if (c.type == FieldType::Time && (i < 0 || i > 86399))
        throw Error("Type mismatch: " + std::to_string(i) + " is no time of day (0 to 86399 seconds)" + forColumn(c.name));
    if (!whole) return v;
    return i;
}

Value readColumn(sqlite3_stmt* st, int i, FieldType type) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL: return std::monostate{};
    case SQLITE_INTEGER: {
        const std::int64_t v = sqlite3_column_int64(st, i);
        if (type == FieldType::Float || type == FieldType::Timestamp) return static_cast<double>(v);
        return v;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(st, i);
        if ((type == FieldType::Integer || type == FieldType::Key || type == FieldType::Date ||
             type == FieldType::Time || type == FieldType::Boolean) &&
            d == std::floor(d) && std::fabs(d) < 9e15)
            return static_cast<std::int64_t>(d);
        return d;
    }
    default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        return std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st, i)));
    }
    }
}

double numberOf(const Value& v, FieldType type) {
    if (std::holds_alternative<std::monostate>(v)) return 0;
    if (const auto* s = std::get_if<std::string>(&v)) return std::strtod(s->c_str(), nullptr);
    const double d = std::holds_alternative<double>(v) ? std::get<double>(v) : static_cast<double>(std::get<std::int64_t>(v));
    return type == FieldType::Time ? d / 86400.0 : d;
}

// ---------------------------------------------------------------- Core

namespace {

int busyHandler(void* core, int count) { return static_cast<Core*>(core)->onBusy(count) ? 1 : 0; }

}  // namespace

Core::Core(const std::string& mainFile) : m_mainFile(mainFile) {
    const std::string name = mainFile.empty() ? std::string(":memory:") : mainFile;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mainFile.empty()) flags |= SQLITE_OPEN_CREATE;
    else {
        // The file is this core's own: it must not exist yet (another change may use a
        // file of the same name), and it is deleted when the core closes.
        std::error_code ec;
        if (fs::exists(mainFile, ec)) throw Error("Internal error: the change file exists: " + mainFile);
        flags |= SQLITE_OPEN_CREATE;
    }
    const int rc = sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        std::error_code ec;
        if (!mainFile.empty()) fs::remove(mainFile, ec);
        throw Error(mainFile.empty() ? "Cannot start the database engine: " + msg
                                     : "Cannot write in the folder of " + fs::path(mainFile).parent_path().string() +
                                           ": " + msg);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, busyHandler, this);
    // Bound what one statement can take, so no input can use unbounded memory.
    sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, 100'000'000);
    sqlite3_limit(m_db, SQLITE_LIMIT_SQL_LENGTH, 10'000'000);
    sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, static_cast<int>(kMaxAttached));
    registerSqlFunctions(m_db);
    exec("PRAGMA case_sensitive_like=ON");
    if (!mainFile.empty()) {
        // The main file stays empty; it only places the super-journal. Its journal is the
        // rollback journal so SQLite uses one (no super-journal with WAL or in memory).
        exec("PRAGMA main.journal_mode=DELETE");
    }
}

Core::~Core() {
    clearCache();
    sqlite3_close_v2(m_db);
    if (!m_mainFile.empty()) {
        std::error_code ec;
        fs::remove(m_mainFile, ec);
        fs::remove(m_mainFile + "-journal", ec);
    }
}

bool Core::onBusy(int count) {
    using clock = std::chrono::steady_clock;
    const auto now = clock::now();
    if (count == 0 && !(m_waitDepth > 0 && m_waitArmed)) {
        m_deadline = now + std::chrono::milliseconds(std::max(0, lockTimeoutMs));
        m_waitArmed = m_waitDepth > 0;
    }
    if (now >= m_deadline) return false;
    static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    constexpr int kSteps = static_cast<int>(sizeof(kDelaysMs) / sizeof(kDelaysMs[0]));
    const auto step = std::chrono::milliseconds(kDelaysMs[std::min(count, kSteps - 1)]);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - now);
    std::this_thread::sleep_for(std::min(step, left + std::chrono::milliseconds(1)));
    return true;
}

void Core::exec(const char* sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        raiseMessage(rc, msg, {});
    }
}

std::string Core::fileNameOf(const std::string& path) const { return fs::path(path).filename().string(); }

const Attached* Core::findAttached(const std::string& path) const {
    auto it = m_attached.find(path);
    return it == m_attached.end() ? nullptr : it->second.get();
}

std::string Core::resolvePath(std::string_view name, bool mustExist) const {
    std::string trimmed(name);
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\r' || trimmed.back() == '\n')) trimmed.pop_back();
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
    if (trimmed.empty()) throw Error("Table file name is empty");
    if (trimmed.find('\0') != std::string::npos) throw Error("Invalid table file name");
    fs::path p(trimmed);
    if (p.is_relative()) {
        std::error_code ec;
        fs::path base = workingFolder.empty() ? fs::current_path(ec) : fs::path(workingFolder);
        p = base / p;
    }
    if (!p.has_extension()) p += ".DB";
    p = p.lexically_normal();
    std::error_code ec;
    std::string found;
    if (fs::is_regular_file(p, ec)) found = p.string();
    // File names are matched without regard to case, as the statements spell them in capitals.
    const fs::path dir = p.parent_path();
    const std::string want = p.filename().string();
    if (found.empty() && fs::is_directory(dir, ec)) {
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (sql::equalsNoCase(it->path().filename().string(), want) && it->is_regular_file(ec)) {
                found = it->path().string();
                break;
            }
        }
    }
    // An empty file is what a crash in the middle of creating a table left: no table.
    if (mustExist && (found.empty() || isEmptyFile(found))) throw Error("Table file not found: " + p.string());
    return found.empty() ? p.string() : found;
}

void Core::readSchema(Attached& a) {
    const std::string q = "SELECT name FROM " + quoteIdent(a.schema) +
                          ".sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite^_%' ESCAPE '^'";
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, q.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) raise(rc, {a.path});
    std::vector<std::string> names;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) raise(rc, {a.path});
    if (names.empty()) throw Error("The file holds no table: " + a.path);
    const std::string stem = fs::path(a.path).stem().string();
    a.table.tableName = names.front();
    for (const auto& n : names)
        if (sql::equalsNoCase(n, stem)) a.table.tableName = n;
    a.table.path = a.path;
    a.table.fileName = fileNameOf(a.path);

    const std::string info = "PRAGMA " + quoteIdent(a.schema) + ".table_info(" + quoteIdent(a.table.tableName) + ")";
    rc = sqlite3_prepare_v2(m_db, info.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) raise(rc, {a.path});
    std::vector<std::pair<int, int>> pk;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Column c;
        c.name = sql::upperAscii(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        const auto* decl = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
        c.type = fieldTypeOfDeclared(decl ? decl : "", c.width);
        c.notNull = sqlite3_column_int(st, 3) != 0;
        c.pk = sqlite3_column_int(st, 5);
        if (c.pk > 0) pk.emplace_back(c.pk, static_cast<int>(a.table.columns.size()));
        a.table.columns.push_back(std::move(c));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) raise(rc, {a.path});
    std::sort(pk.begin(), pk.end());
    for (auto& [pos, idx] : pk) a.table.keyColumns.push_back(idx);
    if (pk.size() == 1) {
        Column& c = a.table.columns[static_cast<size_t>(pk[0].second)];
        std::string decl;
        if (c.type == FieldType::Integer) {
            // INTEGER PRIMARY KEY is the row id: the table assigns it (AUTOINC).
            c.type = FieldType::Key;
            a.table.rowidKey = true;
        }
    }
}

Attached& Core::attach(const std::string& path) {
    auto it = m_attached.find(path);
    if (it != m_attached.end()) {
        it->second->lastUse = ++m_clock;
        return *it->second;
    }
    if (!onlyFiles.empty() && std::find(onlyFiles.begin(), onlyFiles.end(), path) == onlyFiles.end())
        throw Error("Table " + fileNameOf(path) + " is not one of the tables of this change");
    while (m_attached.size() >= kMaxAttached) evictOne();
    // The folder's generation is read before the file is opened: a restore in between is
    // then seen by the next statement.
    const std::string folderName = fs::path(path).parent_path().string();
    if (m_folders.find(folderName) == m_folders.end()) {
        Folder f;
        f.generationFile = (fs::path(folderName) / kGenerationFile).string();
        f.generation = folderGeneration(f.generationFile);
        m_folders.emplace(folderName, std::move(f));
    }
    auto a = std::make_unique<Attached>();
    a->path = path;
    a->schema = "tb" + std::to_string(++m_schemaCounter);
    sqlite3_stmt* st = nullptr;
    const std::string sql = "ATTACH DATABASE ?1 AS " + quoteIdent(a->schema);
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, path.c_str(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    std::string err = sqlite3_errmsg(m_db);
    sqlite3_finalize(st);
    auto forgetFolder = [&] {
        if (auto f = m_folders.find(folderName); f != m_folders.end() && f->second.attached == 0) m_folders.erase(f);
    };
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) {
        forgetFolder();
        raiseMessage(rc, err, {path});
    }
    if (rc != SQLITE_OK) {
        forgetFolder();
        throw Error("Cannot open table file " + path + ": " + err);
    }
    // A larger page cache per table file: the board re-reads the same pages every reload,
    // and SQLite keeps them while no other program changed the file.
    const std::string cacheSql = "PRAGMA " + quoteIdent(a->schema) + ".cache_size=-16384";
    sqlite3_exec(m_db, cacheSql.c_str(), nullptr, nullptr, nullptr);
    if (!syncWrites) {
        const std::string syncSql = "PRAGMA " + quoteIdent(a->schema) + ".synchronous=OFF";
        sqlite3_exec(m_db, syncSql.c_str(), nullptr, nullptr, nullptr);
    }
    try {
        readSchema(*a);
    } catch (const Error& e) {
        const std::string detachSql = "DETACH DATABASE " + quoteIdent(a->schema);
        sqlite3_exec(m_db, detachSql.c_str(), nullptr, nullptr, nullptr);
        forgetFolder();
        std::string msg = e.what();
        if (msg.find("not a database") != std::string::npos || msg.find("malformed") != std::string::npos)
            throw Error("Not a table file: " + path);
        throw;
    }
    attachIntervalIndex(m_db, a->schema, a->table, lockTimeoutMs);
    a->lastUse = ++m_clock;
    ++m_folders[folderName].attached;
    Attached& ref = *a;
    m_attached.emplace(path, std::move(a));
    return ref;
}

void Core::evictOne() {
    // Least recently used first. A file another open result keeps in its read transaction
    // cannot be detached yet; the next candidate is tried.
    std::vector<Attached*> candidates;
    for (auto& [p, a] : m_attached)
        if (a->pins == 0) candidates.push_back(a.get());
    std::sort(candidates.begin(), candidates.end(), [](const Attached* x, const Attached* y) { return x->lastUse < y->lastUse; });
    for (Attached* a : candidates) {
        try {
            detach(a->path);
            return;
        } catch (const Error&) {
        }
    }
    throw Error("Too many tables in use at once (at most " + std::to_string(kMaxAttached) +
                "): close other results first");
}

void Core::detach(const std::string& path) {
    auto it = m_attached.find(path);
    if (it == m_attached.end()) return;
    if (it->second->pins > 0) throw Error("Table " + path + " is in use by an open result");
    invalidate(path);
    const std::string sql = "DETACH DATABASE " + quoteIdent(it->second->schema);
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    if (rc != SQLITE_OK) throw Error("Cannot let go of table " + path + ": " + msg);
    const auto f = m_folders.find(fs::path(path).parent_path().string());   // path may be the entry's own
    if (f != m_folders.end() && --f->second.attached <= 0) m_folders.erase(f);
    m_attached.erase(it);
}

void Core::followRestores() {
    for (auto f = m_folders.begin(); f != m_folders.end();) {
        const FolderGeneration now = folderGeneration(f->second.generationFile);
        if (now == f->second.generation) {
            ++f;
            continue;
        }
        const std::string folder = f->first;
        std::vector<std::string> files;
        bool inUse = false;
        for (const auto& [p, a] : m_attached) {
            if (fs::path(p).parent_path().string() != folder) continue;
            if (a->pins > 0) inUse = true;
            else files.push_back(p);
        }
        for (const auto& p : files) {   // may erase the folder's entry
            try {
                detach(p);
            } catch (const Error&) {
                inUse = true;   // SQLite keeps it (a transaction is open): let go later
            }
        }
        f = m_folders.find(folder);
        if (f == m_folders.end()) {
            f = m_folders.upper_bound(folder);
            continue;
        }
        // Files still read by an open result are let go of at a later statement.
        if (!inUse) f->second.generation = now;
        ++f;
    }
}

bool Core::letGoOfUnusedFiles() {
    std::vector<std::string> files;
    for (const auto& [p, a] : m_attached)
        if (a->pins == 0) files.push_back(p);
    for (const auto& p : files) detach(p);
    return !files.empty();
}

void Core::releaseAll() {
    clearCache();
    std::vector<std::string> paths;
    for (auto& [p, a] : m_attached) paths.push_back(p);
    std::string busy;
    for (const auto& p : paths) {
        if (m_attached[p]->pins > 0) {
            busy = p;
            continue;
        }
        detach(p);
    }
    if (!busy.empty()) throw Error("Table " + busy + " is in use by an open result");
}

void Core::pin(const std::vector<std::string>& files) {
    for (const auto& f : files) {
        auto it = m_attached.find(f);
        if (it != m_attached.end()) {
            ++it->second->pins;
            it->second->lastUse = ++m_clock;
        }
    }
}

void Core::unpin(const std::vector<std::string>& files) {
    for (const auto& f : files) {
        auto it = m_attached.find(f);
        if (it != m_attached.end() && it->second->pins > 0) --it->second->pins;
    }
}

void Core::invalidate(const std::string& path) {
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        auto& bucket = it->second;
        for (auto e = bucket.begin(); e != bucket.end();) {
            const auto& files = (*e)->tr.files;
            if (std::find(files.begin(), files.end(), path) != files.end()) {
                (*e)->valid = false;
                for (auto* s : (*e)->idle) sqlite3_finalize(s);
                for (auto* s : (*e)->idleCount) sqlite3_finalize(s);
                (*e)->idle.clear();
                (*e)->idleCount.clear();
                e = bucket.erase(e);
                --m_cacheSize;
            } else {
                ++e;
            }
        }
        it = bucket.empty() ? m_cache.erase(it) : std::next(it);
    }
}

void Core::clearCache() {
    for (auto& [k, bucket] : m_cache) {
        for (auto& e : bucket) {
            e->valid = false;
            for (auto* s : e->idle) sqlite3_finalize(s);
            for (auto* s : e->idleCount) sqlite3_finalize(s);
            e->idle.clear();
            e->idleCount.clear();
        }
    }
    m_cache.clear();
    m_cacheSize = 0;
}

void Core::trimCache() {
    while (m_cacheSize > kMaxCachedStatements) {
        std::shared_ptr<CacheEntry>* oldest = nullptr;
        for (auto& [k, bucket] : m_cache)
            for (auto& e : bucket)
                if (!oldest || e->lastUse < (*oldest)->lastUse) oldest = &e;
        if (!oldest) return;
        auto victim = *oldest;
        auto& bucket = m_cache[victim->key];
        bucket.erase(std::find(bucket.begin(), bucket.end(), victim));
        if (bucket.empty()) m_cache.erase(victim->key);
        --m_cacheSize;
        victim->valid = false;
        for (auto* s : victim->idle) sqlite3_finalize(s);
        for (auto* s : victim->idleCount) sqlite3_finalize(s);
        victim->idle.clear();
        victim->idleCount.clear();
    }
}

sqlite3_stmt* Core::prepareRaw(const std::string& sql, const std::vector<std::string>& files, bool persistent) {
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()),
                                      persistent ? SQLITE_PREPARE_PERSISTENT : 0, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        raise(rc, files);
    }
    return st;
}

void Core::bindValue(sqlite3_stmt* st, int index, const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) sqlite3_bind_int64(st, index, *i);
    else if (const auto* d = std::get_if<double>(&v)) sqlite3_bind_double(st, index, *d);
    else if (const auto* s = std::get_if<std::string>(&v))
        sqlite3_bind_text64(st, index, s->data(), s->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    else sqlite3_bind_null(st, index);
}

namespace {

struct PinningResolver : TableResolver {
    Core& core;
    std::vector<std::string> pinned;
    explicit PinningResolver(Core& c) : core(c) {}
    ~PinningResolver() override { core.unpin(pinned); }
    std::pair<std::string, const TableSchema*> resolve(const sql::TableRef& ref) override {
        const std::string path = core.resolvePath(ref.path, true);
        Attached& a = core.attach(path);
        if (std::find(pinned.begin(), pinned.end(), path) == pinned.end()) {
            ++a.pins;
            pinned.push_back(path);
        }
        return {a.schema, &a.table};
    }
};

}  // namespace

bool Core::prepare(std::string_view sqlText, Prepared& out, sql::Statement& ddl) {
    // A change's core holds its files' write locks from before its first statement.
    if (onlyFiles.empty()) followRestores();
    const std::vector<sql::Token> tokens = sql::tokenize(sqlText);
    if (tokens.front().kind == sql::TokenKind::End) throw Error("The statement is empty");
    if (isDdl(tokens.front())) {
        ddl = sql::parse(tokens, sqlText);
        return false;
    }
    std::vector<const sql::Token*> literals;
    const std::string key = shapeKey(tokens, literals);
    std::shared_ptr<CacheEntry> entry;
    if (auto it = m_cache.find(key); it != m_cache.end()) {
        for (auto& e : it->second) {
            bool match = true;
            for (const auto& [idx, text] : e->structural)
                if (literals[static_cast<size_t>(idx)]->text != text) { match = false; break; }
            if (match) { entry = e; break; }
        }
    }
    if (!entry) {
        const sql::Statement st = sql::parse(tokens, sqlText);
        entry = std::make_shared<CacheEntry>();
        {
            PinningResolver resolver(*this);
            entry->tr = translate(st, resolver, sqlText);
        }
        entry->key = key;
        std::vector<bool> isParam(literals.size(), false);
        for (const auto& p : entry->tr.params) isParam[static_cast<size_t>(p.literalIndex)] = true;
        for (size_t i = 0; i < literals.size(); ++i)
            if (!isParam[i]) entry->structural.emplace_back(static_cast<int>(i), literals[i]->text);
        m_cache[key].push_back(entry);
        ++m_cacheSize;
        entry->lastUse = ++m_clock;
        trimCache();
    }
    entry->lastUse = ++m_clock;
    for (const auto& f : entry->tr.files) attach(f);  // marks them recently used
    // Convert literals before taking a statement, so a bad literal leaks nothing.
    std::vector<Value> bound;
    bound.reserve(entry->tr.params.size());
    for (const auto& p : entry->tr.params)
        bound.push_back(convertParam(*literals[static_cast<size_t>(p.literalIndex)], p));
    sqlite3_stmt* st;
    if (!entry->idle.empty()) {
        st = entry->idle.back();
        entry->idle.pop_back();
    } else {
        st = prepareRaw(entry->tr.sql, entry->tr.files, true);
    }
    for (size_t i = 0; i < bound.size(); ++i) bindValue(st, static_cast<int>(i + 1), bound[i]);
    out.entry = std::move(entry);
    out.stmt = st;
    out.bound = std::move(bound);
    return true;
}

void Core::release(const std::shared_ptr<CacheEntry>& entry, sqlite3_stmt* stmt, bool count) {
    if (!stmt) return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (entry && entry->valid && (count ? entry->idleCount.size() : entry->idle.size()) < 4)
        (count ? entry->idleCount : entry->idle).push_back(stmt);
    else
        sqlite3_finalize(stmt);
}

sqlite3_stmt* Core::countStatement(const std::shared_ptr<CacheEntry>& entry) {
    if (!entry->idleCount.empty()) {
        sqlite3_stmt* st = entry->idleCount.back();
        entry->idleCount.pop_back();
        return st;
    }
    return prepareRaw("SELECT count(*) FROM (" + entry->tr.sql + ")", entry->tr.files, false);
}

void Core::raise(int rc, const std::vector<std::string>& files) const {
    raiseMessage(rc, sqlite3_errmsg(m_db), files);
}

void Core::raiseMessage(int rc, std::string msg, const std::vector<std::string>& files) const {
    const std::string file = files.empty() ? std::string("the table") : fileNameOf(files.front());
    const int primary = rc & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw Error("Table " + file + " is locked by another program");
    if (rc == SQLITE_CONSTRAINT_CHECK) {
        const size_t at = msg.find("width:");
        if (at != std::string::npos) {
            const std::string spec = msg.substr(at + 6);
            const size_t colon = spec.rfind(':');
            const std::string col = spec.substr(0, colon);
            const std::string width = colon == std::string::npos ? "?" : spec.substr(colon + 1);
            throw Error("Text too long for column " + col + " of " + file + " (at most " + width + " characters)");
        }
        throw Error("Value refused by " + file + ": " + msg);
    }
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
        std::string cols = msg.substr(msg.find(':') == std::string::npos ? 0 : msg.find(':') + 2);
        // "POKOJE.PID, POKOJE.X" -> "PID, X"
        std::string clean;
        for (size_t i = 0; i < cols.size();) {
            size_t comma = cols.find(", ", i);
            std::string part = cols.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
            const size_t dot = part.find('.');
            if (dot != std::string::npos) part = part.substr(dot + 1);
            clean += (clean.empty() ? "" : ", ") + part;
            if (comma == std::string::npos) break;
            i = comma + 2;
        }
        throw Error("Key violation: " + file + " already has a row with this key (" + clean + ")");
    }
    if (rc == SQLITE_CONSTRAINT_NOTNULL) {
        std::string col = msg.substr(msg.rfind('.') == std::string::npos ? 0 : msg.rfind('.') + 1);
        throw Error("Field " + col + " of " + file + " must have a value");
    }
    if (rc == SQLITE_READONLY_DBMOVED)
        throw TableReplaced("Table " + file + " was replaced by another program (a restore) while this statement waited");
    if (primary == SQLITE_READONLY) throw Error("Table " + file + " cannot be written (read-only file)");
    if (primary == SQLITE_FULL) throw Error("The disk is full: table " + file + " cannot grow");
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) throw Error("Table file " + file + " is damaged or not a table file");
    if (primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR) throw Error("Cannot read or write table " + file + ": " + msg);
    if (primary == SQLITE_NOMEM || primary == SQLITE_TOOBIG) throw Error("The statement needs too much memory: " + msg);
    throw Error(msg);
}

// ---------------------------------------------------------------- DDL

namespace {

std::string sqliteType(const sql::ColumnDef& c, bool& autoinc) {
    const std::string& t = c.type;
    autoinc = false;
    if (t == "CHAR" || t == "VARCHAR") {
        const int w = c.width > 0 ? c.width : (t == "CHAR" ? 1 : 255);
        return t + "(" + std::to_string(w) + ")";
    }
    if (t == "SMALLINT") return "SMALLINT";
    if (t == "INTEGER" || t == "INT") return "INTEGER";
    if (t == "FLOAT" || t == "REAL") return "FLOAT";
    if (t == "NUMERIC" || t == "DECIMAL") return "NUMERIC";
    if (t == "MONEY") return "MONEY";
    if (t == "DATE" || t == "TIME" || t == "TIMESTAMP" || t == "BOOLEAN") return t;
    if (t == "AUTOINC") {
        autoinc = true;
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    }
    throw Error("Unknown type " + t + " for column " + c.name + " (position " + std::to_string(c.pos) + ")");
}

// Creates the table file at path holding the one table of createSql. The file is written
// under a hidden name beside it and moved into place only once it holds its table, so a
// crash never leaves a table file without its table; an empty file at path counts as none.
void createTableFile(const std::string& path, const std::string& createSql, int lockTimeoutMs) {
    const std::string folder = fs::path(path).parent_path().string();
    const std::string scratch = creationScratchPath(folder);
    // A connection of its own creates the file, so the attached set is not disturbed.
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(scratch.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string err;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, lockTimeoutMs);
        char* e = nullptr;
        rc = sqlite3_exec(db, ("PRAGMA journal_mode=DELETE; " + createSql).c_str(), nullptr, nullptr, &e);
        if (e) err = e;
        sqlite3_free(e);
    } else {
        err = db ? sqlite3_errmsg(db) : "cannot create the file";
    }
    sqlite3_close_v2(db);
    std::error_code ec;
    if (rc == SQLITE_OK) {
        // A link fails when another program created the table meanwhile; an empty file is
        // replaced (a crash of a version that wrote table files in place left it).
        fs::create_hard_link(scratch, path, ec);
        if (ec && (isEmptyFile(path) || !fs::exists(path))) {
            ec.clear();
            fs::rename(scratch, path, ec);
        } else if (ec && fs::exists(path)) {
            err = "the table file exists already";
        }
        if (ec && err.empty()) err = ec.message();
    }
    std::error_code ignored;
    fs::remove(scratch, ignored);
    fs::remove(scratch + "-journal", ignored);
    if (rc != SQLITE_OK || ec) throw Error("Cannot create table " + path + ": " + err);
    syncFolder(folder);
}

}  // namespace

std::int64_t Core::executeDdl(const sql::Statement& st) {
    using sql::StatementKind;
    switch (st.kind) {
    case StatementKind::CreateTable: {
        const std::string path = resolvePath(st.table.path, false);
        std::error_code ec;
        if (fs::exists(path, ec) && !isEmptyFile(path)) throw Error("Table file already exists: " + path);
        if (!fs::is_directory(fs::path(path).parent_path(), ec))
            throw Error("Folder not found: " + fs::path(path).parent_path().string());
        std::string stem = fs::path(path).filename().string();
        stem = stem.substr(0, stem.find('.'));
        if (stem.empty()) throw Error("Invalid table file name: " + path);
        std::string body;
        std::string autoincColumn;
        std::vector<std::string> names;
        for (const auto& c : st.columnDefs) {
            for (const auto& n : names)
                if (sql::equalsNoCase(n, c.name)) throw Error("Column " + c.name + " is defined twice");
            names.push_back(c.name);
        }
        for (const auto& k : st.primaryKey)
            if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return sql::equalsNoCase(n, k); }))
                throw Error("Unknown column in PRIMARY KEY: " + k);
        for (const auto& c : st.columnDefs) {
            bool autoinc = false;
            const std::string type = sqliteType(c, autoinc);
            const std::string name = sql::upperAscii(c.name);
            if (autoinc) {
                if (!autoincColumn.empty()) throw Error("A table can have only one AUTOINC column");
                autoincColumn = name;
            }
            const bool inKey = std::any_of(st.primaryKey.begin(), st.primaryKey.end(),
                                           [&](const std::string& k) { return sql::equalsNoCase(k, c.name); });
            body += (body.empty() ? "" : ", ") + quoteIdent(name) + " " + type;
            if ((c.notNull || inKey) && !autoinc) body += " NOT NULL";
            if (c.type == "CHAR" || c.type == "VARCHAR") {
                const int w = c.width > 0 ? c.width : (c.type == "CHAR" ? 1 : 255);
                body += " CONSTRAINT " + quoteIdent("width:" + name + ":" + std::to_string(w)) + " CHECK (length(" +
                        quoteIdent(name) + ")<=" + std::to_string(w) + ")";
            }
        }
        if (!st.primaryKey.empty()) {
            const bool justAutoinc = st.primaryKey.size() == 1 && sql::equalsNoCase(st.primaryKey[0], autoincColumn);
            if (!justAutoinc) {
                std::string keys;
                for (const auto& k : st.primaryKey) keys += (keys.empty() ? "" : ",") + quoteIdent(sql::upperAscii(k));
                body += (autoincColumn.empty() ? ", PRIMARY KEY (" : ", UNIQUE (") + keys + ")";
            }
        }
        const std::string create = "CREATE TABLE " + quoteIdent(sql::upperAscii(stem)) + " (" + body + ")";
        createTableFile(path, create, lockTimeoutMs);
        return 0;
    }
    case StatementKind::DropTable: {
        std::error_code ec;
        if (const std::string empty = resolvePath(st.table.path, false); isEmptyFile(empty)) {
            detach(empty);
            if (!fs::remove(empty, ec) || ec) throw Error("Cannot delete table file " + empty + ": " + ec.message());
            return 0;
        }
        const std::string path = resolvePath(st.table.path, true);
        attach(path);  // proves it is a table file before it is deleted
        detach(path);
        if (!fs::remove(path, ec) || ec) throw Error("Cannot delete table file " + path + ": " + ec.message());
        fs::remove(path + "-journal", ec);
        return 0;
    }
    case StatementKind::CreateIndex: {
        const std::string path = resolvePath(st.table.path, true);
        Attached& a = attach(path);
        std::string cols;
        for (size_t i = 0; i < st.columns.size(); ++i) {
            const int c = a.table.findColumn(st.columns[i]);
            if (c < 0) throw Error("Unknown column: " + st.columns[i] + " (" + a.table.fileName + " has no such field)");
            const Column& col = a.table.columns[static_cast<size_t>(c)];
            cols += (i ? ", " : "") + quoteIdent(col.name) + (col.type == FieldType::Text ? "" : "") +
                    (st.columnDesc[i] ? " DESC" : "");
        }
        const std::string sql = std::string("CREATE ") + (st.unique ? "UNIQUE " : "") + "INDEX " + quoteIdent(a.schema) +
                                "." + quoteIdent(sql::upperAscii(st.indexName)) + " ON " +
                                quoteIdent(a.table.tableName) + " (" + cols + ")";
        sqlite3_stmt* s = prepareRaw(sql, {path}, false);
        const int rc = sqlite3_step(s);
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE) raise(rc, {path});
        return 0;
    }
    case StatementKind::DropIndex: {
        std::string schema, path;
        if (st.hasTable) {
            path = resolvePath(st.table.path, true);
            schema = attach(path).schema;
        } else {
            for (auto& [p, a] : m_attached) {
                const std::string q = "SELECT 1 FROM " + quoteIdent(a->schema) +
                                      ".sqlite_master WHERE type='index' AND name=?1 COLLATE NOCASE";
                sqlite3_stmt* s = prepareRaw(q, {p}, false);
                sqlite3_bind_text(s, 1, st.indexName.c_str(), -1, SQLITE_TRANSIENT);
                const bool found = sqlite3_step(s) == SQLITE_ROW;
                sqlite3_finalize(s);
                if (found) {
                    schema = a->schema;
                    path = p;
                    break;
                }
            }
            if (schema.empty())
                throw Error("Index not found: " + st.indexName + " (name its table: DROP INDEX \"file\"." + st.indexName + ")");
        }
        pin({path});
        struct Unpin { Core& c; std::string p; ~Unpin() { c.unpin({p}); } } unpinLater{*this, path};
        sqlite3_stmt* s = nullptr;
        const std::string sql = "DROP INDEX " + quoteIdent(schema) + "." + quoteIdent(st.indexName);
        const int prc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &s, nullptr);
        if (prc != SQLITE_OK) {
            const std::string msg = sqlite3_errmsg(m_db);
            sqlite3_finalize(s);
            throw Error("Index not found: " + st.indexName + " (" + msg + ")");
        }
        const int rc = sqlite3_step(s);
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE) raise(rc, {path});
        return 0;
    }
    default: throw Error("Internal error: not a definition statement");
    }
}

// ---------------------------------------------------------------- Query

namespace {

class QueryImpl final : public Query {
public:
    QueryImpl(std::shared_ptr<Core> core, Core::Prepared p)
        : m_core(std::move(core)), m_entry(std::move(p.entry)), m_stmt(p.stmt), m_bound(std::move(p.bound)) {
        m_core->pin(m_entry->tr.files);
        ++m_core->openQueries;
    }
    ~QueryImpl() override {
        m_core->release(m_entry, m_stmt, false);
        m_core->unpin(m_entry->tr.files);
        --m_core->openQueries;
    }

    const std::vector<FieldInfo>& fields() const override { return m_entry->tr.fields; }
    int fieldIndex(std::string_view name) const override {
        const auto& f = m_entry->tr.fields;
        for (size_t i = 0; i < f.size(); ++i)
            if (sql::equalsNoCase(f[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    bool next() override {
        if (m_done) return false;
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) {
            m_row = true;
            ++m_rows;
            return true;
        }
        m_row = false;
        m_done = true;
        if (rc != SQLITE_DONE) {
            const std::string msg = sqlite3_errmsg(m_core->db());
            sqlite3_reset(m_stmt);
            m_core->raiseMessage(rc, msg, m_entry->tr.files);
        }
        sqlite3_reset(m_stmt);  // lets go of the read lock at once
        return false;
    }
    bool isNull(int field) const override {
        return !valid(field) || sqlite3_column_type(m_stmt, field) == SQLITE_NULL;
    }
    Value value(int field) const override {
        if (!valid(field)) return std::monostate{};
        return readColumn(m_stmt, field, m_entry->tr.fields[static_cast<size_t>(field)].type);
    }
    std::string text(int field) const override {
        if (!valid(field)) return {};
        // Texts straight from the row; numbers formatted without an intermediate copy.
        switch (sqlite3_column_type(m_stmt, field)) {
        case SQLITE_NULL: return {};
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, field));
            return std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(m_stmt, field)));
        }
        default: return displayText(value(field), m_entry->tr.fields[static_cast<size_t>(field)].type);
        }
    }
    double number(int field) const override {
        if (!valid(field)) return 0;
        return numberOf(value(field), m_entry->tr.fields[static_cast<size_t>(field)].type);
    }
    std::int64_t integer(int field) const override {
        const Value v = value(field);
        if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
        if (const auto* d = std::get_if<double>(&v)) return std::isfinite(*d) && std::fabs(*d) < 9e18 ? std::llround(*d) : 0;
        if (const auto* s = std::get_if<std::string>(&v)) return std::strtoll(s->c_str(), nullptr, 10);
        return 0;
    }
    std::int64_t rowsRead() const override { return m_rows; }
    std::int64_t rowCount() override {
        sqlite3_stmt* st = m_core->countStatement(m_entry);
        for (size_t i = 0; i < m_bound.size(); ++i) Core::bindValue(st, static_cast<int>(i + 1), m_bound[i]);
        const int rc = sqlite3_step(st);
        const std::int64_t n = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
        const std::string msg = sqlite3_errmsg(m_core->db());
        m_core->release(m_entry, st, true);
        if (rc != SQLITE_ROW) m_core->raiseMessage(rc, msg, m_entry->tr.files);
        return n;
    }

private:
    std::shared_ptr<Core> m_core;
    std::shared_ptr<CacheEntry> m_entry;
    sqlite3_stmt* m_stmt;
    std::vector<Value> m_bound;
    bool m_row = false;
    bool m_done = false;
    std::int64_t m_rows = 0;

    bool valid(int field) const {
        return m_row && field >= 0 && static_cast<size_t>(field) < m_entry->tr.fields.size();
    }
};

}  // namespace

}  // namespace detail

// ---------------------------------------------------------------- Database

bool isServerLocation(std::string_view location) { return pg::isServerUri(location); }


Database::Database(std::string workingFolder) : m_impl(std::make_unique<Impl>()) {
    if (pg::isServerUri(workingFolder)) m_impl->server = std::make_shared<pg::Storage>(workingFolder);
    else recoverInterruptedSwap(workingFolder);
    m_impl->core->workingFolder = std::move(workingFolder);
}

Database::~Database() = default;

void Database::setWorkingFolder(std::string folder) {
    if (folder == m_impl->core->workingFolder) return;
    m_impl->server = pg::isServerUri(folder) ? std::make_shared<pg::Storage>(folder, m_impl->core->lockTimeoutMs,
                                                                             m_impl->core->syncWrites)
                                             : nullptr;
    if (!m_impl->server) recoverInterruptedSwap(folder);
    m_impl->core->workingFolder = std::move(folder);
    m_impl->core->clearCache();  // bare names may now mean other files
}

const std::string& Database::workingFolder() const { return m_impl->core->workingFolder; }

std::vector<std::string> Database::changedTables() {
    return m_impl->server ? m_impl->server->changedTables() : std::vector<std::string>{};
}

namespace detail {
namespace {

std::unique_ptr<Query> openQuery(const std::shared_ptr<Core>& core, std::string_view sql) {
    Core::Prepared p;
    sql::Statement ddl;
    if (!core->prepare(sql, p, ddl)) throw Error("Not a query: use execute() for CREATE and DROP statements");
    if (p.entry->tr.kind != sql::StatementKind::Select) {
        core->release(p.entry, p.stmt, false);
        throw Error("Not a query: use execute() for INSERT, UPDATE and DELETE");
    }
    return std::make_unique<QueryImpl>(core, std::move(p));
}

// Runs a prepared statement to its end. Returns rows changed (a query: rows returned);
// lastRowid gets the row id of the last row an INSERT stored.
std::int64_t runPrepared(Core& core, Core::Prepared& p, std::int64_t* lastRowid) {
    const auto& tr = p.entry->tr;
    core.pin(tr.files);
    std::int64_t rows = 0;
    int rc;
    while ((rc = sqlite3_step(p.stmt)) == SQLITE_ROW) ++rows;
    std::string msg;
    if (rc != SQLITE_DONE) msg = sqlite3_errmsg(core.db());
    const std::int64_t changes = sqlite3_changes64(core.db());
    if (lastRowid && rc == SQLITE_DONE && tr.kind == sql::StatementKind::Insert && changes > 0)
        *lastRowid = sqlite3_last_insert_rowid(core.db());
    core.release(p.entry, p.stmt, false);
    core.unpin(tr.files);
    if (rc != SQLITE_DONE) core.raiseMessage(rc, msg, tr.files);
    return tr.kind == sql::StatementKind::Select ? rows : changes;
}

// A composed change: its own connection (main = an empty file beside the tables, so SQLite
// commits the attached table files through a super-journal), the table files attached and
// pinned for its whole life and their write locks taken in path order before it starts.
class ChangeImpl final : public Change {
public:
    ChangeImpl(std::shared_ptr<Core> core, std::vector<std::string> files)
        : m_core(std::move(core)), m_files(std::move(files)) {
        // A failure rolls back and lets go of m_core; the wait scope keeps its own reference.
        const std::shared_ptr<Core> keep = m_core;
        WaitScope wait(*keep);
        for (const auto& f : m_files) m_core->attach(f);
        m_core->pin(m_files);
        m_core->onlyFiles = m_files;
        m_core->exec("BEGIN");
        m_active = true;
        try {
            // A write transaction on each file in turn (path order, so two changes over the
            // same files never wait for each other in a circle): its RESERVED lock is held
            // from here to the end of the change.
            for (const auto& f : m_files) {
                const Attached* a = m_core->findAttached(f);
                const std::string sql = "DELETE FROM " + quoteIdent(a->schema) + "." + quoteIdent(a->table.tableName) + " WHERE 0";
                sqlite3_stmt* st = m_core->prepareRaw(sql, {f}, false);
                const int rc = sqlite3_step(st);
                const std::string msg = sqlite3_errmsg(m_core->db());
                sqlite3_finalize(st);
                if (rc != SQLITE_DONE) m_core->raiseMessage(rc, msg, {f});
                if (sqlite3_txn_state(m_core->db(), a->schema.c_str()) != SQLITE_TXN_WRITE)
                    throw Error("Internal error: no write lock on " + f);
            }
        } catch (...) {
            rollback();
            throw;
        }
    }
    ~ChangeImpl() override {
        if (m_active) rollback();
    }

    std::int64_t execute(std::string_view sql) override {
        checkUsable();
        try {
            WaitScope wait(*m_core);
            Core::Prepared p;
            sql::Statement ddl;
            if (!m_core->prepare(sql, p, ddl)) throw Error("CREATE and DROP statements cannot be part of a change");
            return runPrepared(*m_core, p, &m_lastKey);
        } catch (...) {
            rollback();
            throw;
        }
    }
    std::unique_ptr<Query> open(std::string_view sql) override {
        checkUsable();
        try {
            return openQuery(m_core, sql);
        } catch (...) {
            rollback();
            throw;
        }
    }
    std::int64_t lastInsertKey() const override { return m_lastKey; }
    void commit() override {
        checkUsable();
        if (m_core->openQueries > 0) {
            rollback();
            throw Error("A result of the change is still open: it was rolled back (close results before committing)");
        }
        // close() and rollback() let go of m_core; the wait scope and the error keep this one.
        const std::shared_ptr<Core> core = m_core;
        WaitScope wait(*core);
        char* err = nullptr;
        const int rc = sqlite3_exec(core->db(), "COMMIT", nullptr, nullptr, &err);
        std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        if (rc == SQLITE_OK) {
            m_active = false;
            m_done = true;
            close();
            return;
        }
        rollback();
        const int primary = rc & 0xFF;
        if ((primary == SQLITE_BUSY || primary == SQLITE_LOCKED) && m_files.size() > 1) {
            std::string names;
            for (const auto& f : m_files) names += (names.empty() ? "" : ", ") + fs::path(f).filename().string();
            throw Error("One of the tables " + names + " is locked by another program");
        }
        core->raiseMessage(rc, msg, m_files);
    }

private:
    std::shared_ptr<Core> m_core;
    std::vector<std::string> m_files;
    bool m_active = false;
    bool m_done = false;
    std::int64_t m_lastKey = 0;

    void checkUsable() const {
        if (m_done) throw Error("The change is already committed");
        if (!m_active) throw Error("The change failed and was rolled back; begin a new one");
    }
    void rollback() {
        if (m_active) {
            m_active = false;
            sqlite3_exec(m_core->db(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
        close();
    }
    // Lets go of the files (the connection closes with the last open result).
    void close() {
        if (!m_core) return;
        m_core->unpin(m_files);
        m_core.reset();
    }
};

// A name for a change's main file that no other change (of any program) uses.
std::string changeFileIn(const fs::path& folder) {
    static std::mt19937_64 random{std::random_device{}() ^
                                  static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, ".change-%016llx.tmp", static_cast<unsigned long long>(random()));
        const fs::path p = folder / name;
        std::error_code ec;
        if (!fs::exists(p, ec)) return p.string();
    }
    throw Error("Cannot find a free name for a change file in " + folder.string());
}

}  // namespace
}  // namespace detail

std::unique_ptr<Query> Database::open(std::string_view sql) {
    if (m_impl->server) return m_impl->server->open(sql);
    return detail::openQuery(m_impl->core, sql);
}

std::int64_t Database::execute(std::string_view sql) {
    if (m_impl->server) return m_impl->server->execute(sql);
    auto& core = m_impl->core;
    detail::WaitScope wait(*core);
    for (int attempt = 0;; ++attempt) {
        try {
            detail::Core::Prepared p;
            sql::Statement ddl;
            if (!core->prepare(sql, p, ddl)) return core->executeDdl(ddl);
            return detail::runPrepared(*core, p, nullptr);
        } catch (const detail::TableReplaced&) {
            // The file was replaced while the statement waited for its lock; nothing was
            // written. Once more on the new file.
            if (attempt > 0 || !core->letGoOfUnusedFiles()) throw;
        }
    }
}

std::unique_ptr<Change> Database::beginChange(const std::vector<std::string>& tableFiles) {
    if (m_impl->server) return m_impl->server->beginChange(tableFiles);
    auto& core = *m_impl->core;
    std::vector<std::string> files;
    for (const auto& f : tableFiles) files.push_back(core.resolvePath(f, true));
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    if (files.empty()) throw Error("A change needs at least one table file");
    if (files.size() > detail::kMaxAttached)
        throw Error("A change can span at most " + std::to_string(detail::kMaxAttached) + " table files (" +
                    std::to_string(files.size()) + " given)");
    const fs::path folder = fs::path(core.resolvePath(tableFiles.front(), true)).parent_path();
    auto changeCore = std::make_shared<detail::Core>(detail::changeFileIn(folder));
    changeCore->workingFolder = core.workingFolder;
    changeCore->lockTimeoutMs = core.lockTimeoutMs;
    // SQLite uses no super-journal for files written without sync (synchronous=OFF): a
    // change always waits for the disk, whatever plain statements do.
    changeCore->syncWrites = true;
    return std::make_unique<detail::ChangeImpl>(std::move(changeCore), std::move(files));
}

void Database::setLockTimeoutMs(int ms) {
    if (m_impl->server) m_impl->server->setLockTimeoutMs(ms);
    m_impl->core->lockTimeoutMs = ms;
}

void Database::setSyncWrites(bool on) {
    if (m_impl->server) m_impl->server->setSyncWrites(on);
    if (m_impl->core->syncWrites == on) return;
    m_impl->core->syncWrites = on;
    m_impl->core->releaseAll();  // attached again on next use, with the new setting
}

void Database::releaseTables() {
    if (m_impl->server) m_impl->server->releaseTables();
    m_impl->core->releaseAll();
}

void Database::withReadLock(std::string_view tableFilePath, const std::function<void()>& fn) {
    if (m_impl->server) return m_impl->server->withReadLock(tableFilePath, fn);
    auto& core = *m_impl->core;
    const std::string path = core.resolvePath(tableFilePath, true);
    core.followRestores();
    detail::Attached& a = core.attach(path);
    core.pin({path});
    struct Unpin {
        detail::Core& c;
        std::string p;
        ~Unpin() { c.unpin({p}); }
    } unpin{core, path};
    core.exec("SAVEPOINT tm_read_lock");
    try {
        const std::string q = "SELECT count(*) FROM " + detail::quoteIdent(a.schema) + ".sqlite_master";
        sqlite3_stmt* st = core.prepareRaw(q, {path}, false);
        const int rc = sqlite3_step(st);
        const std::string msg = sqlite3_errmsg(core.db());
        sqlite3_finalize(st);
        if (rc != SQLITE_ROW) core.raiseMessage(rc, msg, {path});
        fn();
    } catch (...) {
        sqlite3_exec(core.db(), "ROLLBACK TO tm_read_lock; RELEASE tm_read_lock", nullptr, nullptr, nullptr);
        throw;
    }
    core.exec("RELEASE tm_read_lock");
}

}  // namespace engine
