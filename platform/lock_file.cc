#include "platform/lock_file.h"

#include "core/ascii.h"
#include "platform/file_error.h"
#include "platform/file_system.h"

namespace platform {

std::filesystem::path LockFileName(const std::filesystem::path& database) {
  return database.filename().replace_extension(".ldb");
}

std::optional<std::filesystem::path> FindLockFile(const std::filesystem::path& database) {
  const std::string wanted = LockFileName(database).string();
  std::filesystem::path folder = database.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<std::filesystem::path> entries;
  try {
    entries = FolderEntries(folder);
  } catch (const FileError& error) {
    throw FileError(folder,
                    "Der Ordner " + folder.string() +
                        " kann nicht gelesen werden, um nach der Sperrdatei " + wanted +
                        " von " + database.filename().string() + " zu sehen",
                    error.reason(), error.kind());
  }
  for (const std::filesystem::path& entry : entries)
    if (core::EqualIgnoringAsciiCase(entry.filename().string(), wanted)) return entry;
  return std::nullopt;
}

}  // namespace platform
