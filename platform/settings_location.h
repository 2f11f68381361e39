#ifndef PREISLISTE_PLATFORM_SETTINGS_LOCATION_H_
#define PREISLISTE_PLATFORM_SETTINGS_LOCATION_H_

#include <filesystem>
#include <string_view>
#include <vector>

namespace platform {

// Where a settings file named `file_name` may lie, in the order the program
// looks: on POSIX systems $XDG_CONFIG_HOME/update-preisliste/ (~/.config
// when unset or empty); on Windows the program's own folder first, then
// %APPDATA%\update-preisliste\. The first that exists is the one read; when
// none exists, the last is where the user is told to put it.
std::vector<std::filesystem::path> SettingsFileCandidates(std::string_view file_name);

// The file the environment variable `variable` names, or an empty path when
// it is unset or empty. Read as UTF-16 on Windows, so that a name in any
// script arrives whole.
std::filesystem::path PathFromEnvironment(const char* variable);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_SETTINGS_LOCATION_H_
