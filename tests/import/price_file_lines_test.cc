#include "import/price_file_lines.h"

#include <gtest/gtest.h>

#include <string>

#include "import/read_price_number.h"
#include "import/split_price_line.h"

namespace price_import {
namespace {

// A line as the import splits and stores it, counted.
PriceFileLines Counted(const std::string& line) {
  const PriceLineFields fields = SplitPriceLine(line);
  PriceFileLines lines;
  lines.Count(7, line, fields, *ReadPriceNumber(fields[2].value_or("")));
  return lines;
}

TEST(PriceFileLinesTest, EachLineIsMalformedForItsOwnReasonOrNotAtAll) {
  const struct {
    const char* line;
    LineFault fault;
  } cases[] = {
      {"0044;London;0,05", LineFault::kNone},
      {" 0044 ; London ; 0,05 ", LineFault::kNone},  // blanks around fields
      {"0044;London;\"0,05\"", LineFault::kNone},
      {"0044;London;3,5", LineFault::kNone},  // left out, but well formed
      {"0044;London;0", LineFault::kNone},    // a price of 0 is a price
      {"0044;London;-0", LineFault::kNone},   // and so is minus zero
      {"0044;London;1e-2", LineFault::kNone},
      {"0044;London;x;y;0,07", LineFault::kNone},  // the numeric fifth field
      {"0044,London,0,05", LineFault::kTooFewFields},
      {"0044;London", LineFault::kTooFewFields},
      {"   ", LineFault::kTooFewFields},
      {"+44;London;0,05", LineFault::kPrefixNotDigits},  // numeric, not digits
      {"#Vorwahl;Ziel;Preis", LineFault::kPrefixNotDigits},
      {";London;0,05", LineFault::kPrefixNotDigits},
      {"0044;London;", LineFault::kPriceMissing},
      {"0044;London; ", LineFault::kPriceMissing},
      {"0044;London;0,09x5", LineFault::kPriceNotNumber},
      {"0044;London;12 ct", LineFault::kPriceNotNumber},
      {"0044;London;1.234,5", LineFault::kPriceNotNumber},
      {"0044;London;-0,095", LineFault::kPriceNegative},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const PriceFileLines lines = Counted(c.line);
    EXPECT_EQ(lines.read, 1);
    if (c.fault == LineFault::kNone) {
      EXPECT_EQ(lines.malformed, 0);
      EXPECT_TRUE(lines.first_malformed.empty());
      continue;
    }
    EXPECT_EQ(lines.malformed, 1);
    ASSERT_EQ(lines.first_malformed.size(), 1u);
    EXPECT_EQ(lines.first_malformed[0].fault, c.fault);
    EXPECT_EQ(lines.first_malformed[0].number, 7);
    EXPECT_EQ(lines.first_malformed[0].text, c.line);
  }
}

// What the preparation deletes: no numeric prefix, else a price above 3.
TEST(PriceFileLinesTest, LeftOutAsThePreparationDeletesAndTakenTheRest) {
  PriceFileLines lines;
  for (const std::string line :
       {"0044;London;3", "0044;London;3,0001", "+44;London;0,05", "x;London;9", "0044"}) {
    const PriceLineFields fields = SplitPriceLine(line);
    lines.Count(1, line, fields, *ReadPriceNumber(fields[2].value_or("")));
  }
  EXPECT_EQ(lines.read, 5);
  EXPECT_EQ(lines.price_above_limit, 1);  // 3,0001; 3 itself stays
  EXPECT_EQ(lines.prefix_not_number, 2);  // x and the line without fields
  EXPECT_EQ(lines.taken(), 2);            // +44 is numeric: taken
  EXPECT_EQ(lines.other_separator, 0);
}

TEST(PriceFileLinesTest, KeepsTheFirstFiveAndNoticesCommasAndTabs) {
  PriceFileLines lines;
  for (int i = 0; i < 8; ++i) {
    const std::string line = i % 2 == 0 ? "0044,London,0,05" : "0044\tLondon\t0,05";
    lines.Count(i + 2, line, SplitPriceLine(line), core::Currency::FromTicks(0));
  }
  EXPECT_EQ(lines.malformed, 8);
  EXPECT_EQ(lines.other_separator, 8);
  ASSERT_EQ(lines.first_malformed.size(), PriceFileLines::kLinesKept);
  EXPECT_EQ(lines.first_malformed.back().number, 6);
}

}  // namespace
}  // namespace price_import
