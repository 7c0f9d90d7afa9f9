// The recoverable swap of table files; see TableSwap.h.
#include "TableSwap.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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
}

bool isLeftoverFolder(const std::string& name, long& pid)
{
    for (const char* prefix : {".restore-old-", ".restore-"}) {
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
                 const std::vector<std::string>& names, const std::function<void(int)>& beforeStep)
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
        std::vector<fs::path> leftovers;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            long pid = 0;
            const std::string name = it->path().filename().string();
            std::error_code typeEc;
            if (it->is_directory(typeEc) && isLeftoverFolder(name, pid) && !processAlive(pid))
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

}  // namespace engine
