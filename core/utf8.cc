#include "core/utf8.h"

#include <unicode/ustring.h>

namespace core {

size_t CountCharacters(std::string_view utf8) {
  size_t count = 0;
  for (const char c : utf8)
    if (!IsUtf8ContinuationByte(c)) ++count;
  return count;
}

std::string ShortenedText(std::string_view utf8, size_t characters) {
  size_t seen = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (IsUtf8ContinuationByte(utf8[i])) continue;
    if (seen++ == characters)
      return std::string(utf8.substr(0, i)) + "\xE2\x80\xA6";  // …
  }
  return std::string(utf8);
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  // A UTF-8 text never has more UTF-16 units than bytes.
  std::u16string units(utf8.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &length, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  units.resize(static_cast<size_t>(length));
  return units;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  // At most three UTF-8 bytes per UTF-16 unit (a pair of two makes four).
  std::string out(utf16.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                     static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<size_t>(length) : 0);
  return out;
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace core
