#include "platform/program_folder.h"

#include <windows.h>

#include <string>

namespace platform {

// The name is asked as UTF-16, so that a folder named in any script
// (C:\Kasse\Müller) comes back whole.
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
    name.resize(name.size() * 2);  // cut at the buffer's end: ask again, larger
  }
}

}  // namespace platform
