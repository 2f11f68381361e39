#include "db/engine/mdb/key_coverage.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/text.h"
#include "db/engine/mdb/text_key.h"

namespace db::engine::mdb {
namespace {

// Long (and AutoNumber) and Text keys fill the Access-made indexes; one index
// holds Date/Time keys.
constexpr ColumnType kCoveredTypes[] = {ColumnType::kLong, ColumnType::kText,
                                        ColumnType::kDateTime};

// U+0001..U+00FF, and the Greek, Cyrillic and CJK characters of
// testUnicodeCompV2003.mdb's text index.
constexpr CharacterRange kCoveredCharacters[] = {
    {0x0001, 0x00FF}, {0x039A, 0x039A}, {0x03B1, 0x03B1}, {0x03B3, 0x03B3},
    {0x03BB, 0x03BB}, {0x03C0, 0x03C0}, {0x03C4, 0x03C4}, {0x03C9, 0x03C9},
    {0x03F0, 0x03F0}, {0x041C, 0x041C}, {0x0438, 0x0438}, {0x0440, 0x0440},
    {0x1F10, 0x1F10}, {0x1F76, 0x1F76}, {0x1F79, 0x1F79}, {0x1F7B, 0x1F7C},
    {0x3058, 0x3058}, {0x308A, 0x308A}, {0x4EA4, 0x4EA4}, {0x4EEE, 0x4EEE},
    {0x540D, 0x540D}, {0x5B57, 0x5B57}, {0x6587, 0x6587}, {0x6F22, 0x6F22},
};

bool Covered(char16_t c) {
  return std::any_of(
      std::begin(kCoveredCharacters), std::end(kCoveredCharacters),
      [c](const CharacterRange& r) { return r.first <= c && c <= r.last; });
}

// The character at text[i] (two units for one beyond the Basic Multilingual
// Plane) in UTF-8, and its code point.
std::pair<std::string, char32_t> CharacterAt(const std::u16string& text, size_t i) {
  size_t units = 1;
  char32_t c = text[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
      text[i + 1] <= 0xDFFF) {
    units = 2;
    c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  }
  std::vector<uint8_t> le;
  for (size_t u = 0; u < units; ++u) {
    le.push_back(static_cast<uint8_t>(text[i + u]));
    le.push_back(static_cast<uint8_t>(text[i + u] >> 8));
  }
  return {Utf16LeToUtf8(le), c};
}

}  // namespace

std::span<const ColumnType> CoveredColumnTypes() { return kCoveredTypes; }
std::span<const CharacterRange> CoveredCharacters() { return kCoveredCharacters; }

void RequireCoveredColumn(const KeyColumn& column) {
  if (std::find(std::begin(kCoveredTypes), std::end(kCoveredTypes), column.type) ==
      std::end(kCoveredTypes)) {
    throw Error("Der Index über die Spalte " + column.name + " hat Schlüssel vom Typ " +
                    ColumnTypeName(static_cast<uint8_t>(column.type)) +
                    ", die dieses Programm noch nicht schreiben kann",
                Error::Kind::kUnsupported);
  }
}

void RequireCoveredValue(const KeyColumn& column, const Value& value) {
  if (value.type() != Value::Type::kText) return;
  const std::u16string text = TextKeySource(value.text());
  for (size_t i = 0; i < text.size(); ++i) {
    if (Covered(text[i])) continue;
    const auto [character, c] = CharacterAt(text, i);
    char code[12];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    throw Error("Die Spalte " + column.name + " enthält das Zeichen " + character + " (" +
                    code + ") in \"" + value.text() +
                    "\"; seinen Indexschlüssel kann dieses Programm noch nicht schreiben",
                Error::Kind::kUnsupported);
  }
}

}  // namespace db::engine::mdb
