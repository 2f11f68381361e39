#ifndef PREISLISTE_PLATFORM_FILE_SYSTEM_H_
#define PREISLISTE_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_operations.h"

// Operations on names in a folder that replacing a file safely needs, through
// the current FileOperations (file_operations.h). Every failure is a
// FileError with the names and the system's reason in German.
namespace platform {

// Whether the name is a symbolic link, or on Windows a junction (renaming
// over it would replace the link, not the file it points to). Other kinds of
// Windows reparse points (deduplicated or cloud files) are files.
bool IsSymbolicLink(const std::filesystem::path& path);

// What `path` stands for, without following a symbolic link; none where
// nothing has that name.
std::optional<NameStatus> StatusOfName(const std::filesystem::path& path);

// Makes `link` a second name of `existing`. False where the volume allows no
// hard links (FAT, some network shares); an error for any other failure.
bool TryHardLink(const std::filesystem::path& existing,
                 const std::filesystem::path& link);

// Gives `from`'s file the name `to` in one step: `to` names the old file or
// the new one at every moment, never nothing. Both must be closed on Windows.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Writes the folder of `file` through to the disk, so that a rename into it
// survives a power cut. Called after the rename, when the new file is in
// place for every reader: a failure then changes nothing the run could undo
// or the operator could act on, so it is no error.
void FlushFolderOf(const std::filesystem::path& file) noexcept;

// Whether a program holds the file open. Windows tells: a file another
// program has open cannot be opened exclusively. POSIX systems do not (and
// not at all over a network share), so there every file counts as held:
// the safe answer for a lock file, whose presence then alone says "in use".
bool IsHeldOpen(const std::filesystem::path& path);

// Whether this user may read and write the file, and create files in the
// folder; asked before a run starts, so that it does not fail halfway. When
// not, errno tells why.
bool CanReadAndWrite(const std::filesystem::path& file);
bool CanCreateFilesIn(const std::filesystem::path& folder);

// Whether the file is marked write-protected (Windows' read-only attribute):
// its owner wants it left as it is, so the program does not replace it. POSIX
// systems have no such mark; their permissions pass to the replacement.
bool IsWriteProtected(const std::filesystem::path& file);

// Removes the name; a name that cannot be removed stays (no error): used for
// temporary files that a later run cleans up anyway.
void RemoveFile(const std::filesystem::path& path) noexcept;

// The names in the folder, as paths inside it, in no particular order. A
// failure says what they were wanted for, where `purpose` tells it: "Der
// Ordner <folder> kann nicht gelesen werden, um <purpose>: <reason>".
std::vector<std::filesystem::path> FolderEntries(const std::filesystem::path& folder,
                                                 const std::string& purpose = "");

// The capacity of the volume of `folder` and the bytes this user may still
// write on it.
VolumeSpace SpaceOf(const std::filesystem::path& folder);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_FILE_SYSTEM_H_
