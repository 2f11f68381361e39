#include "db/engine/mdb/lock_file.h"

#include <system_error>

#include "db/engine/core_types.h"

namespace db::engine::mdb {

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
    if (EqualIgnoringAsciiCase(entry.filename().string(), wanted)) return entry;
  }
  if (error)
    throw Error("Der Ordner " + folder.string() +
                " kann nicht gelesen werden, um nach der Sperrdatei " + wanted +
                " zu sehen: " + error.message());
  return std::nullopt;
}

}  // namespace db::engine::mdb
