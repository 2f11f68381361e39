#include "platform/settings_location.h"

#include <cwchar>

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

}  // namespace platform
