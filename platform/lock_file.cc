#include "platform/lock_file.h"

#include "core/ascii.h"
#include "platform/file_system.h"

namespace platform {

std::filesystem::path LockFileName(const std::filesystem::path& database) {
  return database.filename().replace_extension(".ldb");
}

std::optional<std::filesystem::path> FindLockFile(const std::filesystem::path& database) {
  const std::string wanted = LockFileName(database).string();
  std::filesystem::path folder = database.parent_path();
  if (folder.empty()) folder = ".";
  const std::vector<std::filesystem::path> entries =
      FolderEntries(folder, "nach der Sperrdatei " + wanted + " von " +
                                database.filename().string() + " zu sehen");
  for (const std::filesystem::path& entry : entries)
    if (core::EqualIgnoringAsciiCase(entry.filename().string(), wanted)) return entry;
  return std::nullopt;
}

}  // namespace platform
