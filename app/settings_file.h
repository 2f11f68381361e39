#ifndef PREISLISTE_APP_SETTINGS_FILE_H_
#define PREISLISTE_APP_SETTINGS_FILE_H_

#include <filesystem>
#include <memory>

#include "app/settings_store.h"

namespace app {

// The settings file of this user: $UPDATE_PREISLISTE_SETTINGS when set, else
// the first update-preisliste.ini that exists where the system keeps them
// (platform::SettingsFileCandidates), else the last of those places.
std::filesystem::path DefaultSettingsFile();

// The settings in `file`, read the way this system reads INI files: inih on
// Linux (IniSettingsStore), the system's own functions on Windows
// (ProfileSettingsStore).
std::unique_ptr<SettingsStore> OpenSettingsFile(const std::filesystem::path& file);

}  // namespace app

#endif  // PREISLISTE_APP_SETTINGS_FILE_H_
