#ifndef PREISLISTE_PLATFORM_BACKUP_FILES_H_
#define PREISLISTE_PLATFORM_BACKUP_FILES_H_

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_operations.h"

// The backups a commit or a restore leaves beside the database: the file as
// it was, under "<name>.<YYYY-MM-DD_HH-MM-SS>.bak" in local time (a second
// one in the same second gets "_2", "_3", ...), so that names sort by time
// and no run overwrites an earlier one's backup. "<name>.bak" is kept as a
// second name (hard link) of the newest one, where the volume allows links.
namespace platform {

struct Backup {
  std::filesystem::path path;
  std::string stamp;  // "YYYY-MM-DD_HH-MM-SS"
  int sequence = 1;   // 2, 3, ... for later backups of the same second
  uint64_t size = 0;
  FileIdentity identity;
};

// The stamp of a moment in local time.
std::string BackupStamp(std::time_t moment);
// The stamp as the operator reads it: "10.12.2026 14:03:22".
std::string ShownStamp(const std::string& stamp);

// The backup that `name` (a file name) is of the database named
// `database_name`; none for any other name.
std::optional<Backup> ParseBackupName(const std::string& name,
                                      const std::string& database_name);

// The backups beside `database`, oldest first. A FileError when the folder
// cannot be listed or a backup in it cannot be asked.
std::vector<Backup> ListBackups(const std::filesystem::path& database);

// A name for a new backup at `stamp` that no file holds and that sorts
// after every backup there is (see ListBackups); a FileError as there.
std::filesystem::path FreeBackupPath(const std::filesystem::path& database,
                                     const std::string& stamp);

// "<database>.bak", the second name of the newest backup.
std::filesystem::path NewestBackupLink(const std::filesystem::path& database);

// Makes the flushed file `staged` (a temporary name beside the database)
// the newest backup: renamed to a free dated name of this moment, and linked
// as "<database>.bak". A "<database>.bak" that is no second name of a dated
// backup or of the database (an earlier version of the program kept one
// backup under that name, replaced on each run) becomes a dated backup
// first, under the time of its last change. Returns the dated name; a
// core::Error when a rename fails.
std::filesystem::path KeepAsBackup(const std::filesystem::path& database,
                                   const std::filesystem::path& staged);

// The backups (oldest first) that retention removes, oldest first. The
// newest is always kept: it is the way back from the run just made. The
// oldest go while more than `keep` are left, while the backups together
// take more than a fifth of the volume, or while less than a tenth of the
// volume, or less than twice the database's size (room for the next run's
// copy), would stay free. Without `space` only the count applies.
std::vector<std::filesystem::path> BackupsToRemove(
    const std::vector<Backup>& backups, size_t keep, uint64_t database_size,
    const std::optional<VolumeSpace>& space);

// Applies BackupsToRemove to the backups beside `database`. Called once the
// new file is in place; nothing here fails the run: a backup that cannot be
// removed, or a folder that cannot be listed, leaves the backups for the
// next run to remove; a volume (or database) that cannot be asked leaves
// the count alone to apply (and no room for a copy to keep).
void PruneBackups(const std::filesystem::path& database, size_t keep) noexcept;

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_BACKUP_FILES_H_
