#include "import/line_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace price_import {
namespace {

std::string Decode(std::string bytes) {
  LineDecoder decoder;
  decoder.ToUtf8(bytes);
  return bytes;
}

TEST(LineDecoderTest, ChoosesTheEncodingPerLine) {
  const struct {
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"0043;Wien;0.1", "0043;Wien;0.1"},
      {"0043;\xD6sterreich;0.1", "0043;\xC3\x96sterreich;0.1"},      // Windows-1252
      {"0043;\xC3\x96sterreich;0.1", "0043;\xC3\x96sterreich;0.1"},  // UTF-8
      {"\x80 \x9F \xFF", "\xE2\x82\xAC \xC5\xB8 \xC3\xBF"},  // euro, Y umlaut, y umlaut
      {"\x81\x8D", "\xC2\x81\xC2\x8D"},  // unassigned bytes keep their code
      // One byte that breaks UTF-8 makes the whole line Windows-1252.
      {"\xC3\x96 \xD6", "\xC3\x83\xE2\x80\x93 \xC3\x96"},
      {"\xEF\xBB\xBF#Vorwahl", "\xEF\xBB\xBF#Vorwahl"},  // a UTF-8 BOM stays
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Decode(c.bytes), c.utf8) << testing::PrintToString(c.bytes);
}

TEST(LineDecoderTest, RejectsOverlongAndSurrogateForms) {
  // Overlong "/" and an encoded surrogate are not valid UTF-8.
  EXPECT_EQ(Decode("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(Decode("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
}

}  // namespace
}  // namespace price_import
