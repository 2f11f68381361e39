#include "app/backup_settings.h"

#include <exception>

namespace app {

BackupCountOrMessage ReadBackupCount(const SettingsStore& store) {
  std::string value;
  try {
    value =
        store.Get(kBackupSection, kBackupCountKey, std::to_string(kDefaultBackupCount));
  } catch (const std::exception& error) {
    return {std::nullopt, error.what()};
  }
  const size_t first = value.find_first_not_of(" \t");
  const size_t last = value.find_last_not_of(" \t");
  const std::string digits =
      first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
  size_t count = 0;
  bool valid = !digits.empty() && digits.size() <= 3;
  for (const char c : digits) {
    if (c < '0' || c > '9') valid = false;
    count = count * 10 + static_cast<size_t>(c - '0');
  }
  if (valid && count >= 1 && count <= kMostBackups) return {count, {}};
  return {std::nullopt, std::string("Die Einstellung \"") + kBackupCountKey +
                            "\" im Abschnitt [" + kBackupSection +
                            "] ist keine ganze Zahl von 1 bis " +
                            std::to_string(kMostBackups) + ": \"" + value + "\""};
}

}  // namespace app
