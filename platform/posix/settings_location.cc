#include "platform/settings_location.h"

#include <cstdlib>

namespace platform {

std::vector<std::filesystem::path> SettingsFileCandidates(std::string_view file_name) {
  std::filesystem::path config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg != '\0') {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    config = std::filesystem::path(home != nullptr ? home : "") / ".config";
  }
  return {config / "update-preisliste" / file_name};
}

std::filesystem::path PathFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace platform
