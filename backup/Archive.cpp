// Archive writing, reading and the all-or-nothing replacement of table files.
#include "backup/Archive.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "engine/TableSwap.h"
#include "backup/TableCheck.h"

namespace backup {

namespace fs = std::filesystem;

namespace {

using Kind = ArchiveError::Kind;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string joinPath(const std::string& folder, const std::string& name)
{
    return (fs::path(folder) / name).string();
}

// A name that stays inside the folder it is restored into, as backups write them.
bool safeEntryName(const std::string& name)
{
    if (name.empty() || name[0] == '.') return false;
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

// An entry name as a message shows it: control characters as \xNN, so a damaged name
// cannot break or hide the line it is shown in.
std::string printableName(const std::string& name)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : name) {
        if (c >= 0x20 && c != 0x7F) out += char(c);
        else out += std::string("\\x") + hex[c >> 4] + hex[c & 15];
    }
    return out;
}

// Reads until count bytes arrived or the stream ended: the stream hands out one block at a time.
std::int32_t readExact(kiv::TKivCompressStream& stream, void* buffer, std::int32_t count)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int32_t got = 0;
    while (got < count) {
        const std::int32_t n = stream.Read(out + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

std::string uniqueHiddenFolder(const std::string& folder, const char* prefix)
{
    static std::atomic<int> counter{0};
    for (;;) {
        const std::string name = std::string(prefix) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const fs::path path = fs::path(folder) / name;
        std::error_code ec;
        if (fs::create_directory(path, ec)) return path.string();
        if (ec) throw ArchiveError(Kind::Replace, "Cannot create " + path.string() + ": " + ec.message());
    }
}

void copyFileIntoArchive(kiv::TKivCompressStream& stream, const std::string& path, const std::string& archiveName)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw ArchiveError(Kind::Write, "Cannot open " + path + ": " + std::strerror(errno));
    if (std::fseek(file.get(), 0, SEEK_END) != 0) throw ArchiveError(Kind::Write, "Cannot read " + path);
    const long size = std::ftell(file.get());
    if (size < 0 || size > INT32_MAX) throw ArchiveError(Kind::Write, path + " is too large for an archive entry");
    std::rewind(file.get());

    char name[100] = {};
    std::memcpy(name, archiveName.data(), std::min<std::size_t>(archiveName.size(), sizeof name - 1));
    stream.Write(name, kEntryNameSize);
    const auto size32 = static_cast<std::uint32_t>(size);
    const std::uint8_t sizeField[4] = {static_cast<std::uint8_t>(size32), static_cast<std::uint8_t>(size32 >> 8),
                                       static_cast<std::uint8_t>(size32 >> 16), static_cast<std::uint8_t>(size32 >> 24)};
    stream.Write(sizeField, 4);

    // Exactly the declared size goes in, so the entry is whole even if the file changed.
    std::vector<std::uint8_t> piece(kCopyPiece);
    long left = size;
    while (left > 0) {
        const auto want = static_cast<std::size_t>(std::min<long>(left, kCopyPiece));
        const std::size_t got = std::fread(piece.data(), 1, want, file.get());
        if (got != want) throw ArchiveError(Kind::Write, "Cannot read " + path);
        stream.Write(piece.data(), static_cast<std::int32_t>(got));
        left -= static_cast<long>(got);
    }
}

void removeIncompleteArchive(const std::string& archivePath)
{
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(archivePath, ec))) fs::remove(archivePath, ec);
}

}  // namespace

std::vector<std::string> backupFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        // A journal is no data: taking a table's read lock rolls a crashed change back and
        // deletes its journal, and the table file alone is then whole.
        if (name.size() > 8 && name.compare(name.size() - 8, 8, "-journal") == 0) continue;
        std::error_code typeEc;
        if (it->is_directory(typeEc)) continue;
        names.push_back(name);
    }
    if (ec) throw ArchiveError(Kind::Write, "Cannot list " + folder + ": " + ec.message());
    std::sort(names.begin(), names.end());
    return names;
}

void writeArchive(const std::string& folder, const std::string& archivePath, const WriteOptions& options)
{
    std::unique_ptr<kiv::TKivCompressStream> stream;
    try {
        stream = std::make_unique<kiv::TKivCompressStream>(archivePath, kiv::TKivCompressStream::Mode::Create,
                                                           options.onMessage);
    } catch (const kiv::StreamError& e) {
        throw ArchiveError(Kind::Create, e.what());
    }
    try {
        if (options.started) options.started();
        std::vector<std::string> names = backupFileNames(folder);
        // The archive itself may lie in the folder (the command line allows any path).
        std::error_code ec;
        const fs::path self = fs::weakly_canonical(archivePath, ec);
        std::erase_if(names, [&](const std::string& n) {
            std::error_code e2;
            return fs::weakly_canonical(fs::path(folder) / n, e2) == self;
        });
        const auto count = static_cast<int>(names.size());
        for (int i = 0; i < count; ++i) {
            const std::string path = joinPath(folder, names[static_cast<std::size_t>(i)]);
            const std::string archiveName =
                options.encodeName ? options.encodeName(names[static_cast<std::size_t>(i)]) : names[static_cast<std::size_t>(i)];
            auto copy = [&] { copyFileIntoArchive(*stream, path, archiveName); };
            if (options.guard) options.guard(path, copy);
            else copy();
            if (options.progress) options.progress((i + 1) * 100 / count);
        }
        stream->close();
    } catch (const std::exception& e) {
        stream.reset();
        removeIncompleteArchive(archivePath);
        if (const auto* a = dynamic_cast<const ArchiveError*>(&e)) throw *a;
        throw ArchiveError(Kind::Write, e.what());
    }
}

std::vector<std::string> readArchive(const std::string& archivePath, const std::string& stagingFolder,
                                     const ReadOptions& options)
{
    std::vector<std::string> names;
    try {
        kiv::TKivCompressStream stream(archivePath, kiv::TKivCompressStream::Mode::Read, options.onMessage);
        std::vector<std::uint8_t> piece(kiv::kBlockLimit);
        for (;;) {
            char rawName[kEntryNameSize + 1] = {};
            const std::int32_t got = readExact(stream, rawName, kEntryNameSize);
            if (got == 0) {
                // A written archive always ends with the stream's end marker.
                if (!stream.endedCleanly()) throw ArchiveError(Kind::Read, "The archive ends early");
                break;
            }
            if (rawName[0] == 0) break;
            if (got < kEntryNameSize) throw ArchiveError(Kind::Read, "The archive ends inside an entry name");
            std::uint8_t sizeField[4];
            if (readExact(stream, sizeField, 4) != 4) throw ArchiveError(Kind::Read, "The archive ends inside an entry size");
            const auto size = static_cast<std::int32_t>(sizeField[0] | (sizeField[1] << 8) | (sizeField[2] << 16) |
                                                        (std::uint32_t(sizeField[3]) << 24));
            const std::string archiveName(rawName);
            const std::string name = options.decodeName ? options.decodeName(archiveName) : archiveName;
            if (size < 0) throw ArchiveError(Kind::Read, "Entry " + printableName(name) + " has a negative size");
            if (!safeEntryName(name)) throw ArchiveError(Kind::Read, "Entry name \"" + printableName(name) + "\" is not a plain file name");

            const std::string path = joinPath(stagingFolder, name);
            File out(std::fopen(path.c_str(), "wb"));
            if (!out) throw ArchiveError(Kind::Read, "Cannot create " + path + ": " + std::strerror(errno));
            std::int32_t left = size;
            while (left > 0) {
                const std::int32_t n = stream.Read(piece.data(), std::min(left, kiv::kBlockLimit));
                if (n == 0) throw ArchiveError(Kind::Read, "The archive ends inside entry " + printableName(name));
                if (std::fwrite(piece.data(), 1, static_cast<std::size_t>(n), out.get()) != static_cast<std::size_t>(n))
                    throw ArchiveError(Kind::Read, "Cannot write " + path);
                left -= n;
            }
            if (std::fclose(out.release()) != 0) throw ArchiveError(Kind::Read, "Cannot write " + path);
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    } catch (const kiv::StreamError& e) {
        throw ArchiveError(Kind::Read, e.what());
    }
    return names;
}

void replaceFiles(const std::string& stagingFolder, const std::string& folder, const std::vector<std::string>& names,
                  const std::function<void(int)>& beforeStep)
{
    for (const auto& name : names) {
        std::error_code ec;
        if (fs::is_directory(fs::path(folder) / name, ec))
            throw ArchiveError(Kind::Replace, "A folder named " + name + " is in the way");
    }
    const std::string oldFolder = uniqueHiddenFolder(folder, ".restore-old-");
    try {
        engine::swapInFiles(stagingFolder, oldFolder, folder, names, beforeStep);
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove_all(oldFolder, ec);
        throw ArchiveError(Kind::Replace, std::string("Cannot replace the table files: ") + e.what());
    }
    std::error_code ec;
    fs::remove_all(oldFolder, ec);
}

void checkStagedFiles(const std::string& stagingFolder, const std::vector<std::string>& names,
                      const ExpectedColumns& expected)
{
    for (const auto& name : names) {
        if (!isTableFileName(name)) continue;
        const std::string problem = tableFileProblem(joinPath(stagingFolder, name), name, expected);
        if (!problem.empty()) throw ArchiveError(Kind::Read, problem);
    }
}

std::vector<std::string> restoreArchive(const std::string& archivePath, const std::string& folder,
                                        const ReadOptions& options, const std::function<void()>& release,
                                        const std::function<void(int)>& beforeStep)
{
    engine::recoverInterruptedSwap(folder);
    const std::string staging = uniqueHiddenFolder(folder, ".restore-");
    std::vector<std::string> names;
    try {
        names = readArchive(archivePath, staging, options);
        if (!options.expectedColumns.empty()) checkStagedFiles(staging, names, options.expectedColumns);
        if (release) release();
        replaceFiles(staging, folder, names, beforeStep);
    } catch (const ArchiveError&) {
        std::error_code ec;
        fs::remove_all(staging, ec);
        throw;
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove_all(staging, ec);
        throw ArchiveError(Kind::Read, e.what());
    }
    std::error_code ec;
    fs::remove_all(staging, ec);
    return names;
}

}  // namespace backup
