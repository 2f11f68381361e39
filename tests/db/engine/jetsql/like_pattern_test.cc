#include "db/engine/jetsql/like_pattern.h"

#include <gtest/gtest.h>

#include "db/engine/core_types.h"

namespace db::engine::jetsql {
namespace {

TEST(LikePattern, MatchesJetPatterns) {
  struct Case {
    const char* pattern;
    const char* text;
    bool matches;
  };
  const Case cases[] = {
      {"0049%", "004930", true},
      {"0049%", "0049", true},
      {"0049%", "00493", true},
      {"0049%", "0044", false},
      {"0%", "030", true},
      {"0%", "118", false},
      {"00%", "030", false},
      {"%", "", true},
      {"%", "anything", true},
      {"_", "", false},
      {"_", "\xC3\xA4", true},  // one character, two bytes
      {"__", "\xC3\xA4", false},
      {"a%b%c", "aXXbYYbZc", true},  // needs backtracking to the last %
      {"a%b%c", "aXXbYYcZ", false},
      {"%mobil", "Italien Mobil", true},
      {"%mobil", "Italien Mobil Premium", false},
      {"berlin", "BERLIN", true},
      {"berlin", "Berlin Mobil", false},
      {"\xC3\x84%", "\xC3\xA4gypten", true},  // Ä% matches ägypten
      {"a%", "\xC3\xA4pfel", false},
      {"[a-c]x", "Bx", true},
      {"[A-C]x", "bx", true},
      {"[a-c]x", "dx", false},
      {"[!a-c]x", "dx", true},
      {"[!a-c]x", "Ax", false},
      {"[xyz]", "Y", true},
      {"[-x]", "-", true},
      {"[x-]", "-", true},
      {"Mali[_]1", "mali_1", true},
      {"Mali[_]1", "Mali11", false},
      {"100[%]", "100%", true},
      {"100[%]", "1000", false},
      {"[[]x]", "[x]", true},
      {"a*b?c#", "a*b?c#", true},  // * ? # are no wildcards here
      {"a*b", "aXb", false},
      {"a[]b", "ab", true},
      // ASCII characters alone or before one "%": decided from the bytes
      // while they are ASCII, by the full match from the first that is not.
      {"0049%", "004", false},
      {"0049%", "0049\xFF", true},  // a broken byte is a character too
      {"ab", "ab\xFF", false},
      {"abc", "ab", false},
      {"abc", "abcd", false},
      {"ab%", "AB", true},
      {"ab", "a\xC3\xA4", false},
      {"k%",
       "\xE2\x84\xAA"
       "elvin",
       true},  // the Kelvin sign folds to k
      {"kelvin",
       "\xE2\x84\xAA"
       "ELVIN",
       true},
  };
  std::u32string scratch;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + c.text);
    EXPECT_EQ(LikePattern(c.pattern).Matches(c.text, &scratch), c.matches);
  }
}

TEST(LikePattern, LiteralTextOfPatternsWithoutWildcard) {
  struct Case {
    const char* pattern;
    const char* literal;  // nullptr: has a wildcard
  };
  const Case cases[] = {
      {"Berlin", "Berlin"},   {"Mali Mobile", "Mali Mobile"},
      {"Mali[_]1", "Mali_1"}, {"100[%]", "100%"},
      {"[[]x]", "[x]"},       {"", ""},
      {"O'Brian", "O'Brian"}, {"0049%", nullptr},
      {"B_rlin", nullptr},    {"[ab]", nullptr},
      {"[!a]", nullptr},      {"x[a-c]", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    const LikePattern pattern(c.pattern);
    if (c.literal) {
      ASSERT_TRUE(pattern.literal_text().has_value());
      EXPECT_EQ(*pattern.literal_text(), c.literal);
    } else {
      EXPECT_FALSE(pattern.literal_text().has_value());
    }
  }
}

TEST(LikePattern, RefusesInvalidPatterns) {
  for (const char* pattern : {"[abc", "abc[", "[z-a]", "x[!"}) {
    SCOPED_TRACE(pattern);
    EXPECT_THROW(LikePattern{pattern}, core::Error);
  }
}

}  // namespace
}  // namespace db::engine::jetsql
