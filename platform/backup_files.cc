#include "platform/backup_files.h"

#include <algorithm>
#include <cctype>

#include "core/error.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"

namespace platform {
namespace {

constexpr char kStampPattern[] = "dddd-dd-dd_dd-dd-dd";
constexpr size_t kStampLength = sizeof kStampPattern - 1;
constexpr char kBackupExtension[] = ".bak";

bool IsStamp(const std::string& text) {
  if (text.size() != kStampLength) return false;
  for (size_t i = 0; i < kStampLength; ++i) {
    const unsigned char c = text[i];
    if (kStampPattern[i] == 'd' ? !std::isdigit(c) : c != kStampPattern[i]) return false;
  }
  return true;
}

std::filesystem::path Folder(const std::filesystem::path& database) {
  return database.has_parent_path() ? database.parent_path() : ".";
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.file == b.file;
}

// A "<name>.bak" that is neither a second name of a dated backup nor of the
// database itself (a run killed between the backup and the rename) was left
// by an earlier version of the program, which kept one backup and replaced
// it on each run: it becomes a dated backup under the time of its last
// change, so that it is kept and counted like the others.
void AdoptEarlierBackup(const std::filesystem::path& database) {
  const std::filesystem::path link = NewestBackupLink(database);
  const std::optional<NameStatus> earlier = StatusOfName(link);
  if (!earlier || !earlier->regular) return;
  const std::optional<NameStatus> current = StatusOfName(database);
  if (current && SameFile(current->identity, earlier->identity)) return;
  for (const Backup& backup : ListBackups(database))
    if (SameFile(backup.identity, earlier->identity)) return;
  RenameOver(link, FreeBackupPath(database, BackupStamp(earlier->modified)));
}

// What retention weighs the backups against; none of it where the system
// cannot tell.
std::optional<VolumeSpace> KnownSpace(const std::filesystem::path& folder) {
  try {
    return SpaceOf(folder);
  } catch (const core::Error&) {
    return std::nullopt;
  }
}

uint64_t KnownSize(const std::filesystem::path& file) {
  try {
    return CurrentIdentity(file).size;
  } catch (const core::Error&) {
    return 0;
  }
}

}  // namespace

std::string BackupStamp(std::time_t moment) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &moment);
#else
  localtime_r(&moment, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &local);
  return text;
}

std::string ShownStamp(const std::string& stamp) {
  // "2026-12-10_14-03-22" -> "10.12.2026 14:03:22"
  std::string time = stamp.substr(11);
  std::replace(time.begin(), time.end(), '-', ':');
  return stamp.substr(8, 2) + "." + stamp.substr(5, 2) + "." + stamp.substr(0, 4) + " " +
         time;
}

std::optional<Backup> ParseBackupName(const std::string& name,
                                      const std::string& database_name) {
  const std::string prefix = database_name + ".";
  const size_t extension = sizeof kBackupExtension - 1;
  if (name.size() < prefix.size() + kStampLength + extension ||
      name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - extension, extension, kBackupExtension) != 0)
    return std::nullopt;
  Backup backup;
  backup.stamp = name.substr(prefix.size(), kStampLength);
  if (!IsStamp(backup.stamp)) return std::nullopt;
  const std::string rest =
      name.substr(prefix.size() + kStampLength,
                  name.size() - extension - prefix.size() - kStampLength);
  if (!rest.empty()) {
    // "_N" with N from 2 on, written without leading zeros.
    if (rest.size() < 2 || rest.size() > 6 || rest[0] != '_' || rest[1] == '0' ||
        !std::all_of(rest.begin() + 1, rest.end(),
                     [](unsigned char c) { return std::isdigit(c); }))
      return std::nullopt;
    backup.sequence = std::stoi(rest.substr(1));
    if (backup.sequence < 2) return std::nullopt;
  }
  return backup;
}

std::vector<Backup> ListBackups(const std::filesystem::path& database) {
  std::vector<Backup> backups;
  const std::string database_name = database.filename().string();
  const std::filesystem::path folder = Folder(database);
  const std::vector<std::filesystem::path> entries =
      FolderEntries(folder, "die Sicherungen von " + database_name + " zu finden");
  for (const std::filesystem::path& entry : entries) {
    std::optional<Backup> backup =
        ParseBackupName(entry.filename().string(), database_name);
    if (!backup) continue;
    // A name removed since the listing is no backup any more.
    const std::optional<NameStatus> status = StatusOfName(entry);
    if (!status || !status->regular) continue;
    backup->path = entry;
    backup->size = status->identity.size;
    backup->identity = status->identity;
    backups.push_back(std::move(*backup));
  }
  std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
    return std::tie(a.stamp, a.sequence) < std::tie(b.stamp, b.sequence);
  });
  return backups;
}

std::filesystem::path FreeBackupPath(const std::filesystem::path& database,
                                     const std::string& stamp) {
  // After the newest backup in any case: a name freed by retention must not
  // be taken again within the second, and a clock set back (or the hour
  // repeated at the end of summer time) must not put the new backup before
  // older ones, where retention would remove it first. It then carries the
  // newest one's time with the next number.
  std::string base_stamp = stamp;
  int sequence = 1;
  const std::vector<Backup> backups = ListBackups(database);
  if (!backups.empty() && backups.back().stamp >= stamp) {
    base_stamp = backups.back().stamp;
    sequence = backups.back().sequence + 1;
  }
  const std::string base = database.filename().string() + "." + base_stamp;
  for (;; ++sequence) {
    std::string name = base;
    if (sequence > 1) name += '_' + std::to_string(sequence);
    name += kBackupExtension;
    const std::filesystem::path path = Folder(database) / name;
    if (!StatusOfName(path)) return path;
  }
}

std::filesystem::path NewestBackupLink(const std::filesystem::path& database) {
  return std::filesystem::path(database) += kBackupExtension;
}

std::filesystem::path KeepAsBackup(const std::filesystem::path& database,
                                   const std::filesystem::path& staged) {
  AdoptEarlierBackup(database);
  const std::filesystem::path backup =
      FreeBackupPath(database, BackupStamp(std::time(nullptr)));
  RenameOver(staged, backup);
  // The newest backup under the name earlier versions used, where it costs
  // only a link; a volume without links keeps the dated name alone. Where
  // "<name>.bak" already is this file (a run stopped after this step), the
  // rename changes nothing and the staging name is removed.
  if (TryHardLink(backup, staged)) {
    RenameOver(staged, NewestBackupLink(database));
    RemoveFile(staged);
  }
  return backup;
}

std::vector<std::filesystem::path> BackupsToRemove(
    const std::vector<Backup>& backups, size_t keep, uint64_t database_size,
    const std::optional<VolumeSpace>& space) {
  uint64_t total = 0;
  for (const Backup& backup : backups) total += backup.size;
  uint64_t available = space ? space->available : 0;
  const auto too_much = [&](size_t left) {
    if (left > keep) return true;
    if (!space || space->capacity == 0) return false;
    return total > space->capacity / 5 || available < space->capacity / 10 ||
           available < 2 * database_size;
  };
  std::vector<std::filesystem::path> removed;
  for (size_t i = 0; i + 1 < backups.size() && too_much(backups.size() - i); ++i) {
    removed.push_back(backups[i].path);
    total -= backups[i].size;
    available += backups[i].size;
  }
  return removed;
}

void PruneBackups(const std::filesystem::path& database, size_t keep) noexcept {
  try {
    const std::optional<VolumeSpace> space = KnownSpace(Folder(database));
    for (const auto& path :
         BackupsToRemove(ListBackups(database), keep, KnownSize(database), space))
      RemoveFile(path);
  } catch (...) {
    // The folder could not be listed (or memory ran out): the backups stay.
  }
}

}  // namespace platform
