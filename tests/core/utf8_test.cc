#include "core/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Test, CountsCharactersNotBytes) {
  EXPECT_EQ(core::CountCharacters(""), 0u);
  EXPECT_EQ(core::CountCharacters("Neuland"), 7u);
  EXPECT_EQ(core::CountCharacters("Türkei"), 6u);            // ü: two bytes
  EXPECT_EQ(core::CountCharacters("\xE2\x82\xAC 5"), 3u);    // €: three bytes
  EXPECT_EQ(core::CountCharacters("\xF0\x9F\x93\x9E"), 1u);  // 📞: four bytes
}

TEST(Utf8Test, ShortensAfterWholeCharactersOnly) {
  struct Case {
    const char* text;
    size_t characters;
    const char* expected;
  };
  const Case cases[] = {
      {"Marokko", 7, "Marokko"},
      {"Marokko", 3, "Mar\xE2\x80\xA6"},
      {"Ägypten", 1, "Ä\xE2\x80\xA6"},  // never cuts inside "Ä"
      {"", 0, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(core::ShortenedText(c.text, c.characters), c.expected) << c.text;
}

TEST(Utf8Test, ConvertsBothWaysAndRefusesInvalidUtf8) {
  const std::string text = "Österreich \xE2\x82\xAC \xF0\x9F\x93\x9E";
  const auto utf16 = core::Utf8ToUtf16(text);
  ASSERT_TRUE(utf16.has_value());
  EXPECT_EQ(utf16->size(), 15u);  // the telephone takes a surrogate pair
  EXPECT_EQ(core::Utf16ToUtf8(*utf16), text);

  EXPECT_FALSE(core::Utf8ToUtf16("Ende \xC3").has_value());  // cut-off "Ã"
  EXPECT_FALSE(core::Utf8ToUtf16("\xFF").has_value());
  EXPECT_EQ(core::Utf16ToUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");  // lone surrogate
}

}  // namespace
