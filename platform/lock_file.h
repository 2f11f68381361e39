#ifndef PREISLISTE_PLATFORM_LOCK_FILE_H_
#define PREISLISTE_PLATFORM_LOCK_FILE_H_

#include <filesystem>
#include <optional>

// Jet keeps a lock file beside a database while any program has it open:
// the database's name with the extension ".ldb" ("Numbers.mdb" ->
// "Numbers.ldb"). The billing product runs on Windows, where names ignore
// letter case, so over a shared folder the file may appear as "NUMBERS.LDB"
// or "numbers.ldb" just as well.
namespace platform {

// The name Jet gives the lock file of `database` (only the file name).
std::filesystem::path LockFileName(const std::filesystem::path& database);

// The lock file that lies beside `database` under any letter case of its
// name, or none. A folder that cannot be listed is a core::Error: then nobody
// can tell whether the database is in use.
std::optional<std::filesystem::path> FindLockFile(const std::filesystem::path& database);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_LOCK_FILE_H_
