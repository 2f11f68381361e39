#include "db/engine/jetsql/case_fold.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/utf8.h"

namespace db::engine::jetsql {
namespace {

constexpr char32_t kInvalidByteBase = 0x110000;

unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Simple case folding of U+0080..U+00FF, as ICU's u_foldCase gives it: the
// capitals U+00C0..U+00DE (without U+00D7) fold to the small letters 0x20
// above, MICRO SIGN folds to GREEK SMALL LETTER MU, the rest (ß among them)
// stays. German names hold mostly these, and ICU's lookup costs more.
char32_t FoldLatin1(char32_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0xB5) return 0x3BC;
  return c;
}

// Decodes and folds the code point at *index, advancing it.
char32_t NextFolded(std::string_view text, int32_t* index) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  const unsigned char first = bytes[*index];
  if (first < 0x80) {
    ++*index;
    return AsciiLower(first);
  }
  // A two-byte sequence of U+0080..U+00FF: lead byte C2 or C3, one continuation.
  if ((first == 0xC2 || first == 0xC3) && *index + 1 < length &&
      (bytes[*index + 1] & 0xC0) == 0x80) {
    const char32_t c =
        (static_cast<char32_t>(first & 0x1F) << 6) | (bytes[*index + 1] & 0x3F);
    *index += 2;
    return FoldLatin1(c);
  }
  UChar32 c;
  U8_NEXT(bytes, *index, length, c);
  if (c < 0) return kInvalidByteBase + first;
  return static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT));
}

// Both texts are equal up to `start`, which is a character boundary in both.
int CompareFoldedFrom(std::string_view a, std::string_view b, size_t start) {
  auto i = static_cast<int32_t>(start);
  auto j = static_cast<int32_t>(start);
  const auto a_size = static_cast<int32_t>(a.size());
  const auto b_size = static_cast<int32_t>(b.size());
  while (i < a_size && j < b_size) {
    const char32_t x = NextFolded(a, &i);
    const char32_t y = NextFolded(b, &j);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a_size) return 1;
  if (j < b_size) return -1;
  return 0;
}

// The start of the character that holds byte `i` of a text whose bytes
// before `i` equal the other text's. A byte that is no continuation byte
// always starts a character, and from there both texts decode alike.
size_t CharacterStart(std::string_view a, std::string_view b, size_t i) {
  const auto continues = [&](size_t k) {
    return (k < a.size() && core::IsUtf8ContinuationByte(a[k])) ||
           (k < b.size() && core::IsUtf8ContinuationByte(b[k]));
  };
  while (i > 0 && continues(i)) --i;
  return i;
}

}  // namespace

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  // Sorts and index searches compare mostly names equal to each other or
  // sharing a long start. Up to the first byte that differs the texts are
  // equal, whatever those bytes hold, so they are skipped eight at a time;
  // from the start of the character holding that byte they are folded.
  const size_t common = std::min(a.size(), b.size());
  size_t i = 0;
  for (;;) {
    for (; i + 8 <= common; i += 8) {
      uint64_t x;
      uint64_t y;
      std::memcpy(&x, a.data() + i, 8);
      std::memcpy(&y, b.data() + i, 8);
      if (x != y) break;
    }
    while (i < common && a[i] == b[i]) ++i;
    if (i == common) break;
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if ((x | y) & 0x80) return CompareFoldedFrom(a, b, CharacterStart(a, b, i));
    if (AsciiLower(x) != AsciiLower(y)) return AsciiLower(x) < AsciiLower(y) ? -1 : 1;
    ++i;
  }
  if (a.size() == b.size()) return 0;
  // One text is the other's start in bytes. Unless that cuts a character of
  // the longer one in two, the longer sorts after its own start.
  const size_t start = CharacterStart(a, b, common);
  if (start < common) return CompareFoldedFrom(a, b, start);
  return a.size() < b.size() ? -1 : 1;
}

void FoldCodePoints(std::string_view text, std::u32string* out) {
  out->clear();
  const auto size = static_cast<int32_t>(text.size());
  int32_t i = 0;
  while (i < size) out->push_back(NextFolded(text, &i));
}

char32_t FoldCodePoint(char32_t c) {
  if (c < 0x80) return AsciiLower(static_cast<unsigned char>(c));
  if (c < 0x100) return FoldLatin1(c);
  if (c > 0x10FFFF) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

}  // namespace db::engine::jetsql
