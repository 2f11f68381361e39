#include "app/backup_settings.h"

#include <exception>

#include "app/setting_number.h"

namespace app {

BackupCountOrMessage ReadBackupCount(const SettingsStore& store) {
  std::string value;
  try {
    value =
        store.Get(kBackupSection, kBackupCountKey, std::to_string(kDefaultBackupCount));
  } catch (const std::exception& error) {
    return {std::nullopt, error.what()};
  }
  const std::optional<int> count =
      ReadWholeSetting(value, 1, static_cast<int>(kMostBackups));
  if (count) return {static_cast<size_t>(*count), {}};
  return {std::nullopt, std::string("Die Einstellung \"") + kBackupCountKey +
                            "\" im Abschnitt [" + kBackupSection +
                            "] ist keine ganze Zahl von 1 bis " +
                            std::to_string(kMostBackups) + ": \"" + value + "\""};
}

}  // namespace app
