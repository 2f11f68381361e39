#include "platform/file_system.h"

#include <windows.h>

#include <cerrno>

#include "platform/win32/system_error.h"

namespace platform {
namespace {

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

// Codes with which CreateHardLinkW says the volume allows no hard links
// (FAT, exFAT, many network shares).
bool LinkNotPossible(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_NOT_SAME_DEVICE || error == ERROR_TOO_MANY_LINKS ||
         error == ERROR_INVALID_PARAMETER;
}

DWORD AttributesOf(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw win32::SystemError("kann nicht abgefragt werden", path);
  return attributes;
}

}  // namespace

// A reparse point is a link only by its tag: OneDrive placeholders and
// deduplicated files are reparse points too, and they are ordinary files.
bool IsSymbolicLink(const std::filesystem::path& path) {
  if ((AttributesOf(path) & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    throw win32::SystemError("kann nicht abgefragt werden", path);
  FindClose(search);
  return found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
         found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT;
}

bool TryHardLink(const std::filesystem::path& existing,
                 const std::filesystem::path& link) {
  if (CreateHardLinkW(link.c_str(), existing.c_str(), nullptr)) return true;
  const DWORD error = GetLastError();
  if (LinkNotPossible(error)) return false;
  throw win32::SystemError("(Sicherung) kann nicht angelegt werden", link, error);
}

// MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    throw FileError(to, Name(from) + " kann nicht in " + Name(to) + " umbenannt werden",
                    win32::SystemMessage(error), win32::KindOfSystemError(error));
  }
}

// Nothing left to do: RenameOver wrote the folder through already.
void FlushFolderOf(const std::filesystem::path&) {}

// Jet holds its lock file open, shared for reading and writing, for as long
// as any program has the database open; a file left by a crash has no
// handle. Opening it without sharing fails exactly while a handle is open.
bool IsHeldOpen(const std::filesystem::path& path) {
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  // Gone meanwhile: nobody holds it. Any other refusal may be a holder.
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// The read-only attribute is what keeps a file from being written on
// Windows; the folder's permissions show when the file is opened.
bool CanReadAndWrite(const std::filesystem::path& file) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    errno = ENOENT;
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    errno = EACCES;
    return false;
  }
  return true;
}

// A folder's read-only attribute means nothing for the files in it (Explorer
// uses it to mark customised folders); only whether it is a folder counts.
bool CanCreateFilesIn(const std::filesystem::path& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsWriteProtected(const std::filesystem::path& file) {
  return (AttributesOf(file) & FILE_ATTRIBUTE_READONLY) != 0;
}

void RemoveFile(const std::filesystem::path& path) noexcept { DeleteFileW(path.c_str()); }

}  // namespace platform
