#pragma once
// Replacing a folder's table files by a new generation (a restore) so that the folder always
// holds one whole generation, also when the program is killed in the middle.
//
// The swap writes a marker file ".restore-swap" into the folder before it moves the first
// file. The marker names the staging folder (the new files, complete and checked before the
// swap starts), the folder the old files are set aside in, the owner's process id and the
// file names. Whatever opens the folder next (either program or the database tool: every
// engine::Database that is given the folder) finds a marker whose owner is gone and finishes
// the swap forward; the staged files are whole, so forward is always possible. Without a
// marker, staging and set-aside folders of owners that are gone are removed.
//
// Invariants:
//  - before the marker is on disk nothing in the folder has moved; after the marker is gone
//    every new file is in place;
//  - a table file and a journal left beside it by a crash move together, so an old journal
//    is never applied to a new file;
//  - a swap that fails inside the program (a rename refused) puts the old files back and
//    throws std::runtime_error; the marker is then removed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace engine {

inline constexpr const char* kSwapMarker = ".restore-swap";
// Rewritten (under a new name, so its identity changes) each time a swap has placed new
// files: a program that has table files of the folder open compares it before each
// statement and lets go of the old files when it changed.
inline constexpr const char* kGenerationFile = ".tables-generation";
// How long a swap waits, in total, for the locks of the files it replaces (as a write waits).
inline constexpr int kSwapLockTimeoutMs = 3000;

// Moves names from stagingFolder into folder, setting the old files (and their journals)
// aside into oldFolder. Holds every old table file's exclusive lock while it moves files, so
// no program reads or writes them meanwhile: it waits for them as a write waits (lockTimeoutMs
// in total), then throws std::runtime_error "Table X is locked by another program" with
// nothing moved. A file that is no table file (damaged) is moved without a lock. Afterwards
// the folder's generation advances. beforeStep (tests) runs before each rename and may throw.
void swapInFiles(const std::string& stagingFolder, const std::string& oldFolder, const std::string& folder,
                 const std::vector<std::string>& names, const std::function<void(int step)>& beforeStep = {},
                 int lockTimeoutMs = kSwapLockTimeoutMs);

// The identity of a folder's generation file (absent: all zero), read with one stat.
struct FolderGeneration {
    std::uint64_t device = 0, inode = 0, changedNs = 0, size = 0;
    bool operator==(const FolderGeneration&) const = default;
};
FolderGeneration folderGeneration(const std::string& generationFilePath);

// Finishes a swap whose owner is gone and removes leftover staging folders and table files
// left half-created (creationScratchPath) by owners that are gone. Returns true when it
// changed anything. Never throws; a folder that cannot be repaired is left as it is.
bool recoverInterruptedSwap(const std::string& folder);

// A hidden path in folder for a table file being created (".create-PID-N.tmp"), free now.
std::string creationScratchPath(const std::string& folder);
// Makes the renames and new files in folder durable.
void syncFolder(const std::string& folder);

}  // namespace engine
