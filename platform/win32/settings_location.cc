#include "platform/settings_location.h"

#include <cwchar>
#include <string>

#include "platform/program_folder.h"

namespace platform {

std::vector<std::filesystem::path> SettingsFileCandidates(std::string_view file_name) {
  std::vector<std::filesystem::path> candidates;
  const std::filesystem::path program = ProgramFolder();
  if (!program.empty()) candidates.push_back(program / file_name);
  const wchar_t* appdata = _wgetenv(L"APPDATA");
  if (appdata != nullptr && *appdata != L'\0')
    candidates.push_back(std::filesystem::path(appdata) / "update-preisliste" /
                         file_name);
  return candidates;
}

std::filesystem::path PathFromEnvironment(const char* variable) {
  const std::wstring name(variable, variable + std::char_traits<char>::length(variable));
  const wchar_t* value = _wgetenv(name.c_str());
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace platform
