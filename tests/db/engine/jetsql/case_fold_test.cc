#include "db/engine/jetsql/case_fold.h"

#include <gtest/gtest.h>

namespace db::engine::jetsql {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CompareIgnoringCase, OrdersTextsWithoutRegardToCase) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"a", "A", 0},
      {"Berlin", "BERLIN", 0},
      {"\xC3\xA4", "\xC3\x84", 0},              // ä = Ä
      {"\xC3\xA4gypten", "\xC3\x84GYPTEN", 0},  // ägypten = ÄGYPTEN
      {"a", "\xC3\xA4", -1},                    // accents stay significant
      {"Agypten", "\xC3\x84gypten", -1},
      {"abc", "ABD", -1},
      {"ABC", "abd", -1},
      {"", "a", -1},
      {"Italien", "italien mobil", -1},
      {"Zeta", "\xC3\xA4pfel", -1},  // 'z' before 'ä' in code point order
      {"Stra\xC3\x9F"
       "e",
       "STRASSE", 1},            // ß is not "ss": one character each
      {"\xE2\x84\xAA", "k", 0},  // KELVIN SIGN folds to k
      {"z", "\xFF", -1},         // invalid bytes sort after characters
      {"[", "a", -1},            // '[' (0x5B) before 'a' folded, not before 'A'
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(Sign(CompareIgnoringCase(c.a, c.b)), c.expected);
    EXPECT_EQ(Sign(CompareIgnoringCase(c.b, c.a)), -c.expected);
  }
}

TEST(CompareIgnoringCase, PrefixWithNonAsciiRestIsConsistent) {
  // The ASCII loop and the ICU path must agree where they meet.
  EXPECT_LT(CompareIgnoringCase("Mali", "MALI \xC3\x84"), 0);
  EXPECT_GT(CompareIgnoringCase("mali \xC3\xA4", "MALI"), 0);
  EXPECT_EQ(CompareIgnoringCase("MALI \xC3\xA4x", "mali \xC3\x84X"), 0);
}

TEST(FoldCodePoints, FoldsAndMarksInvalidBytes) {
  std::u32string folded;
  FoldCodePoints("A\xC3\x84z\xFF", &folded);
  ASSERT_EQ(folded.size(), 4u);
  EXPECT_EQ(folded[0], U'a');
  EXPECT_EQ(folded[1], U'\u00E4');
  EXPECT_EQ(folded[2], U'z');
  EXPECT_GT(folded[3], 0x10FFFFu);
}

}  // namespace
}  // namespace db::engine::jetsql
