#include "core/numeric_text.h"

#include <gtest/gtest.h>

namespace {

TEST(IsNumericTextTest, PlainNumbersWithSignPointAndExponent) {
  for (const char* text :
       {"0", "0044", "-1", "+2.5", ".5", "5.", " 12 ", "1e3", "1.5E-2"})
    EXPECT_TRUE(core::IsNumericText(text)) << text;
}

TEST(IsNumericTextTest, EverythingElse) {
  for (const char* text : {"", " ", ".", "-", "1,5", "1.2.3", "1e", "e5", "--1",
                           "#Vorwahl", "12a", "0x10", "1 2"})
    EXPECT_FALSE(core::IsNumericText(text)) << text;
}

}  // namespace
