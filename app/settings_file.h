#ifndef PREISLISTE_APP_SETTINGS_FILE_H_
#define PREISLISTE_APP_SETTINGS_FILE_H_

#include <filesystem>
#include <memory>
#include <vector>

#include "app/settings_store.h"

namespace app {

// Where the settings file of this user is looked for, in order: the file
// $UPDATE_PREISLISTE_SETTINGS names when set, else the places the system
// keeps them (platform::SettingsFileCandidates).
std::vector<std::filesystem::path> SettingsFilePlaces();

// The settings of this user: the first of SettingsFilePlaces() that exists,
// read by IniSettingsStore. When none exists, every Get throws a kNotFound
// error that names the places searched, in German.
std::unique_ptr<SettingsStore> OpenSettingsFile();

}  // namespace app

#endif  // PREISLISTE_APP_SETTINGS_FILE_H_
