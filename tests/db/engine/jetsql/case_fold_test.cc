#include "db/engine/jetsql/case_fold.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <iterator>
#include <random>
#include <string>

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
      // Long names are compared eight bytes at a time while those are equal
      // and ASCII; the first difference may fall anywhere in or after a block.
      {"USA Alaska Mobile", "USA Alaska Mobile", 0},
      {"USA Alaska Mobile", "usa alaska mobile", 0},
      {"Deutschland Mobil", "Deutschland Mobim", -1},             // last byte
      {"Deutschlanc Mobil", "Deutschland Mobil", -1},             // byte 10
      {"Deutschland Mobil", "DEUTSCHLAND MOBIL X", -1},           // prefix
      {"Canada Ontario", "Canada_Ontario", -1},                   // byte 6: ' ' < '_'
      {"Canada OntariO", "Canada ontario", 0},                    // case in block 2
      {"Deutschland M\xC3\xA4rz", "DEUTSCHLAND M\xC3\x84RZ", 0},  // ä in block 2
      {"Deutschland M\xC3\xA4rz", "Deutschland Mz", 1},           // 'ä' after 'z'
      {"\xC3\x96sterreich Mobil A", "\xC3\x96sterreich Mobil B", -1},  // Ö in block 1
      {"\xC3\x96sterreich Mobil", "\xC3\xB6STERREICH MOBIL", 0},
      {"Mobil 7\xC3\xA4", "Mobil 7\xC3\x84", 0},  // a block ends inside 'ä'/'Ä'
      // equal, non-ASCII
      {"Gr\xC3\xBC\xC3\x9F Gott Mobil", "Gr\xC3\xBC\xC3\x9F Gott Mobil", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(Sign(CompareIgnoringCase(c.a, c.b)), c.expected);
    EXPECT_EQ(Sign(CompareIgnoringCase(c.b, c.a)), -c.expected);
  }
}

// The comparison skips equal bytes and folds only from the character where
// the texts differ; it must order every pair as comparing the two texts
// folded whole does. Pairs share a random start and differ after it, built
// from pieces that cut characters, break sequences and fold across lengths.
TEST(CompareIgnoringCase, AgreesWithComparingTheFoldedTexts) {
  const char* const pieces[] = {
      "a",    "A",    "z",        " ",    "0",        "\xC3\xA4",     "\xC3\x84",
      "\xC3", "\xA4", "\x84",     "\xFF", "\xE0\x80", "\xE2\x84\xAA", "k",
      "K",    "\xE2", "\xC3\x9F", "Mobil"};
  std::mt19937 random(7);
  const auto text = [&](int length) {
    std::string result;
    for (int i = 0; i < length; ++i) result += pieces[random() % std::size(pieces)];
    return result;
  };
  std::u32string folded_a, folded_b;
  for (int n = 0; n < 50000; ++n) {
    const std::string start = text(static_cast<int>(random() % 12));
    const std::string a = start + text(static_cast<int>(random() % 3));
    const std::string b = start + text(static_cast<int>(random() % 3));
    FoldCodePoints(a, &folded_a);
    FoldCodePoints(b, &folded_b);
    const int expected = Sign(folded_a.compare(folded_b));
    ASSERT_EQ(Sign(CompareIgnoringCase(a, b)), expected) << a << " vs " << b;
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

std::string Utf8(char32_t c) {
  char bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(c));
  return std::string(bytes, static_cast<size_t>(length));
}

// The folding without ICU (ASCII, Latin-1) must give what ICU's simple case
// folding gives, for every code point it covers and beyond, alone and inside
// a text, and the comparison must treat a character like its folded form.
TEST(FoldCodePoint, AgreesWithIcuSimpleFolding) {
  std::u32string folded;
  for (char32_t c = 0; c < 0x600; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const auto icu =
        static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    SCOPED_TRACE(static_cast<unsigned>(c));
    EXPECT_EQ(FoldCodePoint(c), icu);
    FoldCodePoints("x" + Utf8(c) + "Y", &folded);
    EXPECT_EQ(folded, (std::u32string{U'x', icu, U'y'}));
    EXPECT_EQ(CompareIgnoringCase("\xC3\xA4" + Utf8(c), "\xC3\x84" + Utf8(icu)), 0);
    const auto upper = static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
    EXPECT_EQ(CompareIgnoringCase("\xC3\xA4" + Utf8(c), "\xC3\xA4" + Utf8(upper)) == 0,
              FoldCodePoint(upper) == icu);
  }
}

// Broken sequences around the Latin-1 lead bytes stay invalid bytes; what
// follows them is read on its own.
TEST(FoldCodePoints, BrokenLatin1SequencesAreInvalidBytes) {
  struct Case {
    const char* text;
    char32_t second;  // 0: a single code point
  };
  const Case cases[] = {
      {"\xC3", 0},  // cut off
      {"\xC3"
       "A",
       U'a'},                       // no continuation byte
      {"\xC3\xC3\x84", U'\u00E4'},  // a lead byte, then a whole character
      {"\xC0\x80", 0x110080},       // an overlong form of U+0000: two invalid bytes
  };
  std::u32string folded;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FoldCodePoints(c.text, &folded);
    ASSERT_EQ(folded.size(), c.second ? 2u : 1u);
    EXPECT_GT(folded[0], 0x10FFFFu);
    if (c.second) EXPECT_EQ(folded[1], c.second);
  }
}

}  // namespace
}  // namespace db::engine::jetsql
