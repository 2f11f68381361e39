#include "db/engine/jetsql/like_pattern.h"

#include <unicode/utf8.h>

#include <cstdint>

#include "db/engine/core_types.h"
#include "db/engine/jetsql/case_fold.h"

namespace db::engine::jetsql {
namespace {

// One character of the pattern as written, with its bytes.
struct PatternChar {
  char32_t c;
  std::string_view bytes;
};

std::vector<PatternChar> DecodePattern(std::string_view pattern) {
  std::vector<PatternChar> chars;
  const auto* bytes = reinterpret_cast<const uint8_t*>(pattern.data());
  const auto length = static_cast<int32_t>(pattern.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    // Invalid bytes stand for themselves, like FoldCodePoints treats them.
    const char32_t code = c < 0 ? 0x110000 + bytes[start] : static_cast<char32_t>(c);
    chars.push_back({code, pattern.substr(start, i - start)});
  }
  return chars;
}

[[noreturn]] void ThrowInvalid(std::string_view pattern) {
  throw Error("Invalid pattern string in LIKE: '" + std::string(pattern) + "'",
              Error::Kind::kInternal);
}

}  // namespace

LikePattern::LikePattern(std::string_view pattern) {
  const std::vector<PatternChar> chars = DecodePattern(pattern);
  std::string literal;
  bool has_wildcard = false;
  size_t i = 0;
  while (i < chars.size()) {
    const char32_t c = chars[i].c;
    if (c == '%' || c == '_') {
      elements_.push_back({c == '%' ? Element::Kind::kAnyRun : Element::Kind::kAnyChar});
      has_wildcard = true;
      ++i;
      continue;
    }
    if (c != '[') {
      elements_.push_back({Element::Kind::kChar, FoldCodePoint(c)});
      literal += chars[i].bytes;
      ++i;
      continue;
    }
    // A bracket holding exactly one character is that character, literally.
    if (i + 2 < chars.size() && chars[i + 2].c == ']' && chars[i + 1].c != '!') {
      elements_.push_back({Element::Kind::kChar, FoldCodePoint(chars[i + 1].c)});
      literal += chars[i + 1].bytes;
      i += 3;
      continue;
    }
    std::u32string list_chars;
    size_t end = i + 1;
    while (end < chars.size() && chars[end].c != ']') list_chars += chars[end++].c;
    if (end == chars.size()) ThrowInvalid(pattern);
    if (!list_chars.empty()) {  // "[]" matches the empty text: no element
      ParseList(list_chars, pattern);
      has_wildcard = true;
    }
    i = end + 1;
  }
  if (!has_wildcard) literal_text_ = std::move(literal);
  FindAsciiShape();
}

std::optional<std::string> LikePattern::LiteralTextOf(std::string_view pattern) {
  if (pattern.find_first_of("%_[") == std::string_view::npos) return std::string(pattern);
  return LikePattern(pattern).literal_text();
}

void LikePattern::FindAsciiShape() {
  std::string start;
  size_t i = 0;
  for (; i < elements_.size() && elements_[i].kind == Element::Kind::kChar &&
         elements_[i].c < 0x80;
       ++i)
    start += static_cast<char>(elements_[i].c);
  const bool then_any =
      i + 1 == elements_.size() && elements_[i].kind == Element::Kind::kAnyRun;
  if (i != elements_.size() && !then_any) return;
  ascii_start_ = std::move(start);
  ascii_start_then_any_ = then_any;
}

// Decides without folding the text when its first bytes are ASCII: each is a
// character of its own, and folds to its lower case. A text with fewer bytes
// than the pattern has characters has fewer characters too. Leaves any other
// text (a character that might fold to ASCII, such as the Kelvin sign) to the
// full match.
std::optional<bool> LikePattern::MatchesAsciiShape(std::string_view text) const {
  const std::string& start = *ascii_start_;
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    if (AsciiLower(c) != start[i]) return false;
  }
  // What follows the start is at least one character if it is any byte.
  return ascii_start_then_any_ || text.size() == start.size();
}

void LikePattern::ParseList(std::u32string_view list_chars, std::string_view original) {
  CharList list;
  size_t i = 0;
  if (list_chars[0] == '!') {
    list.negated = true;
    i = 1;
  }
  while (i < list_chars.size()) {
    const char32_t low = list_chars[i];
    // "-" is a range only between two characters; first or last it is itself.
    if (i + 2 < list_chars.size() && list_chars[i + 1] == '-') {
      const char32_t high = list_chars[i + 2];
      if (high < low) ThrowInvalid(original);
      list.ranges.push_back({low, high, FoldCodePoint(low), FoldCodePoint(high)});
      i += 3;
    } else {
      list.ranges.push_back({low, low, FoldCodePoint(low), FoldCodePoint(low)});
      ++i;
    }
  }
  elements_.push_back({Element::Kind::kList, 0, lists_.size()});
  lists_.push_back(std::move(list));
}

bool LikePattern::MatchesOne(const Element& element, char32_t c) const {
  switch (element.kind) {
    case Element::Kind::kChar:
      return element.c == c;
    case Element::Kind::kAnyChar:
      return true;
    case Element::Kind::kAnyRun:
      return false;
    case Element::Kind::kList: {
      const CharList& list = lists_[element.list_index];
      bool found = false;
      for (const CharList::Range& range : list.ranges) {
        if ((c >= range.low && c <= range.high) ||
            (c >= range.folded_low && c <= range.folded_high)) {
          found = true;
          break;
        }
      }
      return found != list.negated;
    }
  }
  return false;
}

bool LikePattern::Matches(std::string_view text, std::u32string* scratch) const {
  if (ascii_start_) {
    if (const std::optional<bool> decided = MatchesAsciiShape(text)) return *decided;
  }
  FoldCodePoints(text, scratch);
  const std::u32string& folded = *scratch;
  // Every element but "%" takes exactly one character, so the classic
  // greedy walk that returns to the last "%" on a mismatch is complete.
  size_t p = 0, t = 0;
  size_t star = SIZE_MAX, star_text = 0;
  while (t < folded.size()) {
    if (p < elements_.size() && elements_[p].kind == Element::Kind::kAnyRun) {
      star = p++;
      star_text = t;
    } else if (p < elements_.size() && MatchesOne(elements_[p], folded[t])) {
      ++p;
      ++t;
    } else if (star != SIZE_MAX) {
      p = star + 1;
      t = ++star_text;
    } else {
      return false;
    }
  }
  while (p < elements_.size() && elements_[p].kind == Element::Kind::kAnyRun) ++p;
  return p == elements_.size();
}

}  // namespace db::engine::jetsql
