#include "app/win32/wide_text.h"

#include <windows.h>

#include "core/utf8.h"

namespace app::win32 {

std::wstring Wide(std::string_view utf8) {
  if (const auto units = core::Utf8ToUtf16(utf8))
    return std::wstring(units->begin(), units->end());
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(utf8.size(), L'\0');
  const int written = MultiByteToWideChar(1252, 0, utf8.data(), size, wide.data(), size);
  wide.resize(written > 0 ? written : 0);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  return core::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace app::win32
