// The recoverable swap of table files; see TableSwap.h.
#include "TableSwap.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace engine {

namespace fs = std::filesystem;

namespace {

struct Marker {
    long pid = 0;
    std::string staging, old;   // folder names inside the folder
    std::vector<std::string> names;
};

long currentPid()
{
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

bool processAlive(long pid)
{
    if (pid <= 0) return false;
    if (pid == currentPid()) return true;
#ifdef _WIN32
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!h) return false;
    const bool alive = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return alive;
#else
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// Makes renames and the files written so far durable before the next step relies on them.
void syncPath(const fs::path& path)
{
#ifndef _WIN32
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

void writeMarker(const fs::path& folder, const Marker& m)
{
    const fs::path temp = folder / (std::string(kSwapMarker) + ".new");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << "pid " << m.pid << "\nstaging " << m.staging << "\nold " << m.old << "\n";
        for (const auto& n : m.names) out << "file " << n << "\n";
        out.flush();
        if (!out) throw std::runtime_error("Cannot write " + temp.string());
    }
    syncPath(temp);
    fs::rename(temp, folder / kSwapMarker);
    syncPath(folder);
}

bool readMarker(const fs::path& path, Marker& m)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string key = line.substr(0, space), value = line.substr(space + 1);
        if (key == "pid") m.pid = std::atol(value.c_str());
        else if (key == "staging") m.staging = value;
        else if (key == "old") m.old = value;
        else if (key == "file") m.names.push_back(value);
    }
    // Names come from this program; anything that would leave the folder is no marker of ours.
    auto plain = [](const std::string& n) {
        return !n.empty() && n.find('/') == std::string::npos && n.find('\\') == std::string::npos && n != "..";
    };
    if (!plain(m.staging) || !plain(m.old)) return false;
    return std::all_of(m.names.begin(), m.names.end(), plain);
}

bool present(const fs::path& p)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

bool isTableFileName(const std::string& name)
{
    if (name.size() < 3) return false;
    const std::string ext = name.substr(name.size() - 3);
    return ext[0] == '.' && (ext[1] == 'D' || ext[1] == 'd') && (ext[2] == 'B' || ext[2] == 'b');
}

// Exclusive locks on table files, taken in name order with one deadline for all waits: while
// they are held no other program (nor another connection of this one) reads or writes them.
class TableLocks {
public:
    TableLocks(const fs::path& folder, std::vector<std::string> names, int timeoutMs)
        : m_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs)))
    {
        std::sort(names.begin(), names.end());
        try {
            for (const auto& name : names) lock(folder / name, name);
        } catch (...) {
            letGo();
            throw;
        }
    }
    ~TableLocks() { letGo(); }
    TableLocks(const TableLocks&) = delete;
    TableLocks& operator=(const TableLocks&) = delete;

private:
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<sqlite3*> m_held;

    static int onBusy(void* self, int count)
    {
        static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
        const auto now = std::chrono::steady_clock::now();
        const auto deadline = static_cast<TableLocks*>(self)->m_deadline;
        if (now >= deadline) return 0;
        const auto step = std::chrono::milliseconds(kDelaysMs[std::min(count, 11)]);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        std::this_thread::sleep_for(std::min(step, left + std::chrono::milliseconds(1)));
        return 1;
    }

    void lock(const fs::path& path, const std::string& name)
    {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db);
            return;   // nothing any program can open as a table
        }
        // Only table files (or empty ones) are locked: a file that is none is no program's
        // table, and locking it would let SQLite treat a journal beside it as its own. The
        // header is read through SQLite's own handle: closing another handle of the file
        // would let go of the locks this program holds on it.
        sqlite3_file* file = nullptr;
        char header[16] = {};
        const char none[16] = {};
        const int read = sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file &&
                                 file->pMethods
                             ? file->pMethods->xRead(file, header, sizeof header, 0)
                             : SQLITE_ERROR;
        // A short read fills the rest with zeros: all zeros is an empty file.
        const bool tableFile = (read == SQLITE_OK && std::memcmp(header, "SQLite format 3", sizeof header) == 0) ||
                               (read == SQLITE_IOERR_SHORT_READ && std::memcmp(header, none, sizeof header) == 0);
        if (!tableFile) {
            sqlite3_close_v2(db);
            return;
        }
        sqlite3_busy_handler(db, onBusy, this);
        const int rc = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) & 0xFF;
        if (rc == SQLITE_OK) {
            m_held.push_back(db);
            return;
        }
        sqlite3_close_v2(db);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) throw std::runtime_error("Table " + name + " is locked by another program");
        // Not a table file (damaged): no program can read or write it, so it needs no lock.
        if (rc != SQLITE_NOTADB && rc != SQLITE_CORRUPT)
            throw std::runtime_error("Cannot lock table " + name + ": " + sqlite3_errstr(rc));
    }

    void letGo()
    {
        for (auto it = m_held.rbegin(); it != m_held.rend(); ++it) {
            sqlite3_exec(*it, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close_v2(*it);
        }
        m_held.clear();
    }
};

// The old table files a swap replaces (those in the folder still to be replaced).
std::vector<std::string> filesToLock(const fs::path& folder, const std::vector<std::string>& names,
                                     const fs::path& staging)
{
    std::vector<std::string> out;
    for (const auto& name : names)
        if (isTableFileName(name) && present(folder / name) && present(staging / name)) out.push_back(name);
    return out;
}

// A new identity for the folder's generation file: written beside it, then renamed over it.
void advanceGeneration(const fs::path& folder)
{
    static std::atomic<unsigned> counter{0};
    const fs::path temp = folder / (std::string(kGenerationFile) + ".new");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << currentPid() << " " << ++counter << " "
            << std::chrono::system_clock::now().time_since_epoch().count() << "\n";
    }
    std::error_code ec;
    fs::rename(temp, folder / kGenerationFile, ec);
}

// The files that move with a table file: its journal, unless the new generation brings one.
std::vector<std::string> companions(const std::string& name, const std::vector<std::string>& names)
{
    std::vector<std::string> out{name};
    const std::string journal = name + "-journal";
    if (std::find(names.begin(), names.end(), journal) == names.end()) out.push_back(journal);
    return out;
}

// Moves every not yet placed file forward. Safe to repeat after a crash at any point.
void rollForward(const fs::path& folder, const Marker& m)
{
    const fs::path staging = folder / m.staging, old = folder / m.old;
    const TableLocks locks(folder, filesToLock(folder, m.names, staging), kSwapLockTimeoutMs);
    fs::create_directories(old);
    for (const auto& name : m.names) {
        if (!present(staging / name)) continue;   // placed already
        for (const auto& f : companions(name, m.names)) {
            if (!present(folder / f)) continue;
            if (present(old / f)) fs::remove(folder / f);   // a second copy of a set-aside file
            else fs::rename(folder / f, old / f);
        }
        fs::rename(staging / name, folder / name);
    }
    syncPath(folder);
    advanceGeneration(folder);
}

bool isLeftover(const std::string& name, long& pid, std::initializer_list<const char*> prefixes)
{
    for (const char* prefix : prefixes) {
        const std::string p(prefix);
        if (name.rfind(p, 0) != 0) continue;
        const std::string rest = name.substr(p.size());
        const auto dash = rest.find('-');
        if (dash == std::string::npos || dash == 0) return false;
        if (!std::all_of(rest.begin(), rest.begin() + long(dash), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        pid = std::atol(rest.substr(0, dash).c_str());
        return true;
    }
    return false;
}

}  // namespace

void swapInFiles(const std::string& stagingFolder, const std::string& oldFolder, const std::string& folder,
                 const std::vector<std::string>& names, const std::function<void(int)>& beforeStep, int lockTimeoutMs)
{
    fs::path dir(folder);
    if (!dir.has_filename()) dir = dir.parent_path();   // "DB/" names the folder DB
    Marker m;
    m.pid = currentPid();
    m.staging = fs::path(stagingFolder).filename().string();
    m.old = fs::path(oldFolder).filename().string();
    m.names = names;
    std::error_code ec;
    const fs::path home = fs::weakly_canonical(dir, ec);
    if (fs::weakly_canonical(fs::path(stagingFolder).parent_path(), ec) != home ||
        fs::weakly_canonical(fs::path(oldFolder).parent_path(), ec) != home)
        throw std::runtime_error("The staging folders must lie in the database folder");
    syncPath(stagingFolder);
    const TableLocks locks(dir, filesToLock(dir, names, stagingFolder), lockTimeoutMs);
    writeMarker(dir, m);

    std::vector<std::string> setAside, placed;
    int step = 0;
    try {
        for (const auto& name : names) {
            for (const auto& f : companions(name, names)) {
                if (!present(dir / f)) continue;
                if (beforeStep) beforeStep(step++);
                fs::rename(dir / f, fs::path(oldFolder) / f);
                setAside.push_back(f);
            }
            if (beforeStep) beforeStep(step++);
            fs::rename(fs::path(stagingFolder) / name, dir / name);
            placed.push_back(name);
        }
    } catch (...) {
        std::error_code ec;
        for (auto it = placed.rbegin(); it != placed.rend(); ++it)
            fs::rename(dir / *it, fs::path(stagingFolder) / *it, ec);
        for (auto it = setAside.rbegin(); it != setAside.rend(); ++it)
            fs::rename(fs::path(oldFolder) / *it, dir / *it, ec);
        syncPath(dir);
        fs::remove(dir / kSwapMarker, ec);
        throw;
    }
    syncPath(dir);
    advanceGeneration(dir);
    fs::remove(dir / kSwapMarker, ec);
    syncPath(dir);
}

bool recoverInterruptedSwap(const std::string& folder)
{
    if (folder.empty()) return false;
    fs::path dir(folder);
    if (!dir.has_filename()) dir = dir.parent_path();
    bool changed = false;
    try {
        Marker m;
        const fs::path marker = dir / kSwapMarker;
        if (present(marker)) {
            if (!readMarker(marker, m)) return false;
            if (processAlive(m.pid)) return false;   // a restore is running now
            if (present(dir / m.staging)) rollForward(dir, m);
            fs::remove(marker);
            syncPath(dir);
            changed = true;
        }
        std::error_code ec;
        fs::remove(dir / (std::string(kSwapMarker) + ".new"), ec);
        fs::remove(dir / (std::string(kGenerationFile) + ".new"), ec);
        std::vector<fs::path> leftovers;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            long pid = 0;
            const std::string name = it->path().filename().string();
            std::error_code typeEc;
            const bool folder = it->is_directory(typeEc);
            if (isLeftover(name, pid, folder ? std::initializer_list<const char*>{".restore-old-", ".restore-"}
                                             : std::initializer_list<const char*>{".create-"}) &&
                !processAlive(pid))
                leftovers.push_back(it->path());
        }
        for (const auto& path : leftovers) {
            std::error_code removeEc;
            fs::remove_all(path, removeEc);
            changed = true;
        }
    } catch (const std::exception&) {
        // Left for the next opening; the files are where the last good step put them.
    }
    return changed;
}

std::string creationScratchPath(const std::string& folder)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        const fs::path p = fs::path(folder) / (".create-" + std::to_string(currentPid()) + "-" +
                                               std::to_string(++counter) + ".tmp");
        if (!present(p) && !present(p.string() + "-journal")) return p.string();
    }
}

void syncFolder(const std::string& folder) { syncPath(folder); }

FolderGeneration folderGeneration(const std::string& generationFilePath)
{
    FolderGeneration g;
#ifdef _WIN32
    struct _stat64 st;
    if (_stat64(generationFilePath.c_str(), &st) != 0) return g;
    g.changedNs = static_cast<std::uint64_t>(st.st_mtime);
#else
    struct stat st;
    if (::stat(generationFilePath.c_str(), &st) != 0) return g;
#if defined(__APPLE__)
    g.changedNs = static_cast<std::uint64_t>(st.st_ctimespec.tv_sec) * 1000000000u + st.st_ctimespec.tv_nsec;
#else
    g.changedNs = static_cast<std::uint64_t>(st.st_ctim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(st.st_ctim.tv_nsec);
#endif
#endif
    g.device = static_cast<std::uint64_t>(st.st_dev);
    g.inode = static_cast<std::uint64_t>(st.st_ino);
    g.size = static_cast<std::uint64_t>(st.st_size);
    return g;
}

}  // namespace engine
