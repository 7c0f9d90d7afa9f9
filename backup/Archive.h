#pragma once
// Backup archives without windows: writing an archive of a folder's table files, reading and
// checking an archive into a staging folder, and replacing table files all at once. The
// backup and restore commands and the command-line tool share these functions.
//
// Archive content (the plain data of one TKivCompressStream): one entry per file, nothing
// before the first and no closing entry: 15-byte name (8-bit, zero padded, cut to 15
// characters), 4-byte signed little-endian size, then the bytes, written in pieces of at
// most 10000 bytes. Each field is one Write, so it never straddles a block.
//
// Invariants:
//  - a backup that fails leaves no archive behind;
//  - a restore changes the database folder only after the whole archive has been read and
//    checked, and then either every table file is replaced or none is;
//  - entry names from an archive never reach outside the folder they are restored into.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "backup/KivCompressStream.h"
#include "backup/TableCheck.h"

namespace backup {

// Why a backup or restore did not happen; the text is for logs and the command line.
class ArchiveError : public std::runtime_error {
public:
    enum class Kind {
        Create,   // the archive file cannot be created
        Write,    // a file cannot be read or the archive cannot be written
        Read,     // the archive cannot be opened, is damaged or ends early
        Replace,  // the table files cannot be replaced (the old ones are back)
    };
    ArchiveError(Kind kind, const std::string& what) : std::runtime_error(what), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

constexpr int kEntryNameSize = 15;
constexpr int kCopyPiece = 10000;

// Files a backup takes: regular files of the folder whose names do not begin with '.', in
// name order. Throws ArchiveError when the folder cannot be listed.
std::vector<std::string> backupFileNames(const std::string& folder);

struct WriteOptions {
    // File system name -> archive name bytes (the system's 8-bit character set).
    std::function<std::string(const std::string&)> encodeName;
    // Runs copy while no program may write the file (the engine's read lock on a table).
    // May throw; the backup then fails.
    std::function<void(const std::string& path, const std::function<void()>& copy)> guard;
    // Called once the archive file exists, before the first file is read.
    std::function<void()> started;
    // Percent of files done, after each file.
    std::function<void(int)> progress;
    kiv::MessageHandler onMessage;
};

// Writes an archive of every backup file of folder. On failure removes the incomplete
// archive and throws ArchiveError (a file that cannot be read, an archive that cannot be
// created or written, a file of 2 GiB or more).
void writeArchive(const std::string& folder, const std::string& archivePath, const WriteOptions& options);

struct ReadOptions {
    // The columns each known table file must have. When given (the program always gives
    // the table definitions), every restored table file is checked (it opens, passes the
    // integrity check, holds the one table of its name with these columns) before any file
    // of the folder is replaced.
    ExpectedColumns expectedColumns;
    // Archive name bytes -> file system name.
    std::function<std::string(const std::string&)> decodeName;
    kiv::MessageHandler onMessage;
};

// Reads the whole archive into stagingFolder (which must exist) and checks that every entry
// is complete. Returns the file names in archive order without repeats. Throws ArchiveError.
std::vector<std::string> readArchive(const std::string& archivePath, const std::string& stagingFolder,
                                     const ReadOptions& options);

// Throws ArchiveError (Read) naming the first staged table file that is not sound.
void checkStagedFiles(const std::string& stagingFolder, const std::vector<std::string>& names,
                      const ExpectedColumns& expected);

// Moves the named files of stagingFolder into folder: old files are set aside until every
// new one is in place, then deleted; on failure the old ones are put back and ArchiveError
// is thrown. A crash in the middle is finished by whatever opens the folder next
// (engine/TableSwap.h). beforeStep (tests) runs before each rename and may throw to simulate
// a fault.
void replaceFiles(const std::string& stagingFolder, const std::string& folder, const std::vector<std::string>& names,
                  const std::function<void(int step)>& beforeStep = {});

// A whole restore: finish an interrupted one, read and check into a staging folder inside
// folder, check every table file, then release (the engine lets go of its table files), then
// replace. Nothing in folder changes on failure.
// Returns the names of the files replaced.
std::vector<std::string> restoreArchive(const std::string& archivePath, const std::string& folder,
                                        const ReadOptions& options, const std::function<void()>& release,
                                        const std::function<void(int step)>& beforeStep = {});

}  // namespace backup
