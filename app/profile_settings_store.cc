#include "app/profile_settings_store.h"

#include <windows.h>

#include <system_error>

#include "core/utf8.h"

namespace app {
namespace {

std::wstring Wide(std::string_view utf8) {
  const std::u16string units = core::Utf8ToUtf16(utf8).value_or(u"");
  return std::wstring(units.begin(), units.end());
}

// A value no INI file holds: what the function returns for a missing key.
constexpr wchar_t kMissing[] = L"\x1F<missing>\x1F";

}  // namespace

std::string ProfileSettingsStore::Get(std::string_view section, std::string_view key,
                                      std::string_view default_value) const {
  std::error_code ignored;
  // Without the file the function would look in WIN.INI's place instead.
  if (!std::filesystem::exists(file_, ignored)) return std::string(default_value);
  // A name without a folder would be looked up in the Windows folder.
  const std::wstring file = std::filesystem::absolute(file_, ignored).wstring();
  const std::wstring wide_section = Wide(section);
  const std::wstring wide_key = Wide(key);
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD length = GetPrivateProfileStringW(
        wide_section.c_str(), wide_key.c_str(), kMissing, value.data(),
        static_cast<DWORD>(value.size()), file.c_str());
    // A value that filled the buffer may have been cut: read it again, larger.
    if (length + 1 < value.size()) {
      value.resize(length);
      break;
    }
    value.resize(value.size() * 4);
  }
  if (value == kMissing) return std::string(default_value);
  return core::Utf16ToUtf8(std::u16string(value.begin(), value.end()));
}

}  // namespace app
