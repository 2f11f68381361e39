#include "import/split_price_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace price_import {
namespace {

constexpr std::nullopt_t kNone = std::nullopt;

struct Case {
  std::string line;
  PriceLineFields fields;
};

TEST(SplitPriceLineTest, Examples) {
  const Case cases[] = {
      {"0049;Berlin;0,0123", {"0049", "Berlin", "0.0123"}},
      {R"("0043"; "Wien, Mobil"  ;"0,15")", {"0043", "Wien. Mobil", "0.15"}},
      // The fifth field replaces the price only when it is numeric.
      {"0044;London;0,05;x;0,04", {"0044", "London", "0.04"}},
      {"0044;London;0,05;x;n/a", {"0044", "London", "0.05"}},
      {"0044;London;0,05;x;", {"0044", "London", "0.05"}},
      {"0044;London;0,05;x; 1e-2 ;y;3", {"0044", "London", "1e-2"}},
      {"0044;London;0,05;0,03", {"0044", "London", "0.05"}},
      {"0044;London;0,05;x;1.234,5", {"0044", "London", "0.05"}},
      {"0044;London", {kNone, kNone, kNone}},
      {"0044", {kNone, kNone, kNone}},
      {"0044;London;", {"0044", "London", ""}},
      {";;", {"", "", ""}},
      // Quotes do not protect a semicolon.
      {R"("A;B";1;2)", {"A", "B\"", "1"}},
      {"   ", {kNone, kNone, kNone}},
      // Quote handling: only a leading quote opens, and then one trailing
      // quote closes; doubled quotes inside stay.
      {R"(";"";x"";"a""b")", {"", "", "x\"\""}},
      {R"("a""b";c";"d)", {"a\"\"b", "c\"", "d"}},
      // Blanks only, never tabs; inner blanks stay after quote removal.
      {"\t1\t;  \" x \"  ;1", {"\t1\t", " x ", "1"}},
      {"0049;Berlin;1.234,5", {"0049", "Berlin", "1.234.5"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitPriceLine(c.line), c.fields) << c.line;
}

}  // namespace
}  // namespace price_import
