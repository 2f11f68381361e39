#include "platform/file_system.h"

#include "platform/file_error.h"
#include "platform/file_operations.h"

namespace platform {

bool IsSymbolicLink(const std::filesystem::path& path) {
  return CurrentFileOperations().IsSymbolicLink(path);
}

std::optional<NameStatus> StatusOfName(const std::filesystem::path& path) {
  return CurrentFileOperations().StatusOfName(path);
}

bool TryHardLink(const std::filesystem::path& existing,
                 const std::filesystem::path& link) {
  return CurrentFileOperations().TryHardLink(existing, link);
}

void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  CurrentFileOperations().RenameOver(from, to);
}

void FlushFolderOf(const std::filesystem::path& file) noexcept {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  try {
    CurrentFileOperations().FlushFolder(folder);
  } catch (...) {
  }
}

bool IsHeldOpen(const std::filesystem::path& path) {
  return CurrentFileOperations().IsHeldOpen(path);
}

bool CanReadAndWrite(const std::filesystem::path& file) {
  return CurrentFileOperations().CanReadAndWrite(file);
}

bool CanCreateFilesIn(const std::filesystem::path& folder) {
  return CurrentFileOperations().CanCreateFilesIn(folder);
}

bool IsWriteProtected(const std::filesystem::path& file) {
  return CurrentFileOperations().IsWriteProtected(file);
}

void RemoveFile(const std::filesystem::path& path) noexcept {
  try {
    CurrentFileOperations().Remove(path);
  } catch (...) {
  }
}

std::vector<std::filesystem::path> FolderEntries(const std::filesystem::path& folder,
                                                 const std::string& purpose) {
  try {
    return CurrentFileOperations().ListFolder(folder);
  } catch (const FileError& error) {
    if (purpose.empty()) throw;
    throw FileError(
        folder,
        "Der Ordner " + folder.string() + " kann nicht gelesen werden, um " + purpose,
        error.reason(), error.kind());
  }
}

VolumeSpace SpaceOf(const std::filesystem::path& folder) {
  return CurrentFileOperations().Space(folder);
}

FileIdentity CurrentIdentity(const std::filesystem::path& file) {
  return CurrentFileOperations().IdentityOf(file);
}

}  // namespace platform
