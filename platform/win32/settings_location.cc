#include "platform/settings_location.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace platform {
namespace {

// The folder of the running .exe. An operator keeps the program and its
// settings together on the call-shop PC.
std::filesystem::path ProgramFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace

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
