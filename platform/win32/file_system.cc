#include "platform/file_system.h"

#include <io.h>
#include <windows.h>

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

}  // namespace

bool IsSymbolicLink(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw win32::SystemError("kann nicht abgefragt werden", path);
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
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

bool IsHeldOpen(const std::filesystem::path& path) {
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  // Gone meanwhile: nobody holds it. Any other refusal may be a holder.
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// Windows' access check sees the read-only attribute, not the folder's
// permissions; those show when the file is opened.
bool CanReadAndWrite(const std::filesystem::path& file) {
  return _waccess(file.c_str(), 06) == 0;
}

bool CanCreateFilesIn(const std::filesystem::path& folder) {
  return _waccess(folder.c_str(), 02) == 0;
}

void RemoveFile(const std::filesystem::path& path) noexcept { DeleteFileW(path.c_str()); }

}  // namespace platform
