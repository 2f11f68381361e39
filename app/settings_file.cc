#include "app/settings_file.h"

#include <system_error>

#include "platform/settings_location.h"

#ifdef _WIN32
#include "app/profile_settings_store.h"
#else
#include "app/ini_settings_store.h"
#endif

namespace app {

std::filesystem::path DefaultSettingsFile() {
  const std::filesystem::path explicit_file =
      platform::PathFromEnvironment("UPDATE_PREISLISTE_SETTINGS");
  if (!explicit_file.empty()) return explicit_file;
  const auto candidates = platform::SettingsFileCandidates("update-preisliste.ini");
  for (const auto& candidate : candidates) {
    std::error_code ignored;
    if (std::filesystem::exists(candidate, ignored)) return candidate;
  }
  return candidates.empty() ? "update-preisliste.ini" : candidates.back();
}

std::unique_ptr<SettingsStore> OpenSettingsFile(const std::filesystem::path& file) {
#ifdef _WIN32
  return std::make_unique<ProfileSettingsStore>(file);
#else
  return std::make_unique<IniSettingsStore>(file);
#endif
}

}  // namespace app
