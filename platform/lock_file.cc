#include "platform/lock_file.h"

#include <system_error>

#include "core/ascii.h"
#include "core/error.h"

namespace platform {

std::filesystem::path LockFileName(const std::filesystem::path& database) {
  return database.filename().replace_extension(".ldb");
}

std::optional<std::filesystem::path> FindLockFile(const std::filesystem::path& database) {
  const std::string wanted = LockFileName(database).string();
  std::filesystem::path folder = database.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  for (; !error && entries != std::filesystem::directory_iterator();
       entries.increment(error)) {
    const std::filesystem::path& entry = entries->path();
    if (core::EqualIgnoringAsciiCase(entry.filename().string(), wanted)) return entry;
  }
  if (error)
    throw core::Error("Der Ordner " + folder.string() +
                          " kann nicht gelesen werden, um nach der Sperrdatei " + wanted +
                          " zu sehen: " + error.message(),
                      core::Error::Kind::kIo);
  return std::nullopt;
}

}  // namespace platform
