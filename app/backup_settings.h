#ifndef PREISLISTE_APP_BACKUP_SETTINGS_H_
#define PREISLISTE_APP_BACKUP_SETTINGS_H_

#include <cstddef>
#include <optional>
#include <string>

#include "app/settings_store.h"

namespace app {

// How many dated backups of Numbers.mdb a commit keeps.
inline constexpr char kBackupSection[] = "Sicherung";
inline constexpr char kBackupCountKey[] = "Anzahl";
inline constexpr size_t kDefaultBackupCount = 10;
inline constexpr size_t kMostBackups = 999;

// Either the count or the message that stops the run.
struct BackupCountOrMessage {
  std::optional<size_t> count;
  std::string message;
};

// [Sicherung] Anzahl: a whole number from 1 to kMostBackups (blanks around
// it allowed), kDefaultBackupCount when not stored. Anything else stops the
// run with a message naming key, section and value: at least one backup is
// always kept, since it is the way back from the run.
BackupCountOrMessage ReadBackupCount(const SettingsStore& store);

}  // namespace app

#endif  // PREISLISTE_APP_BACKUP_SETTINGS_H_
