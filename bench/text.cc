#include "bench/text.h"

#include <cctype>

#include "core/error.h"

namespace bench {
namespace {

constexpr unsigned char kLatin1Lead = 0xC3;  // UTF-8 lead byte of U+00C0..U+00FF

// Maps every character: ASCII through ascii(), a two-byte Latin-1 letter
// through latin1() on its code point (U+00C0..U+00FF).
template <typename Ascii, typename Latin1>
std::string MapLetters(std::string_view utf8, Ascii ascii, Latin1 latin1, size_t count) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (count == 0) {
      out += utf8.substr(i);
      break;
    }
    --count;
    if (byte < 0x80) {
      out += static_cast<char>(ascii(byte));
    } else if (byte == kLatin1Lead && i + 1 < utf8.size()) {
      const int code = 0xC0 + (static_cast<unsigned char>(utf8[++i]) - 0x80);
      const int mapped = latin1(code);
      out += static_cast<char>(kLatin1Lead);
      out += static_cast<char>(0x80 + (mapped - 0xC0));
    } else {
      throw core::Error("bench names use ASCII and Latin-1 letters only",
                        core::Error::Kind::kBadInput);
    }
  }
  return out;
}

// In Latin-1, U+00C0..U+00DE (but not U+00D7) and U+00E0..U+00FE (but not
// U+00F7) are the upper and lower case of each other, 0x20 apart; ß has no
// single upper-case letter.
int UpperLatin1(int code) {
  return code >= 0xE0 && code != 0xF7 && code != 0xFF ? code - 0x20 : code;
}
int LowerLatin1(int code) { return code <= 0xDE && code != 0xD7 ? code + 0x20 : code; }

}  // namespace

std::string UpperCase(std::string_view utf8) {
  return MapLetters(utf8, ::toupper, UpperLatin1, utf8.size());
}

std::string FoldCase(std::string_view utf8) {
  return MapLetters(utf8, ::tolower, LowerLatin1, utf8.size());
}

std::string Capitalize(std::string_view utf8) {
  return MapLetters(utf8, ::toupper, UpperLatin1, 1);
}

std::string ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else if (byte == kLatin1Lead && i + 1 < utf8.size()) {
      out += static_cast<char>(0xC0 + (static_cast<unsigned char>(utf8[++i]) - 0x80));
    } else {
      throw core::Error("bench names use ASCII and Latin-1 letters only",
                        core::Error::Kind::kBadInput);
    }
  }
  return out;
}

}  // namespace bench
