#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "pricing/record_loops.h"
#include "tests/pricing/import2_fixture.h"

namespace pricing {
namespace {

using pricing_testing::Import2Fixture;
using pricing_testing::Import2Row;
using Lines = std::vector<std::string>;

// Import2 before the loop, what it holds afterwards, and how many lookups ran.
struct Case {
  const char* title;
  std::vector<Import2Row> before;
  Lines after;
  size_t lookups;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.title; }

const Case kCases[] = {
    {"most frequent price of the destination wins",
     {{"01", "X", 0.05, 2, "X", 0.1},
      {"02", "X", 0.05, 2, "X", 0.1},
      {"03", "X", 0.06, 2, "X", 0.12},
      {"04", "X", 0.05, {}, {}, {}},
      {"05", "X", 0.07, {}, {}, {}}},
     {"01 2 X 0.1", "02 2 X 0.1", "03 2 X 0.12", "04 3 X 0.1", "05 3 X 0.1"},
     1},
    {"destination without any price stays for the next loop",
     {{"01", "Y", 0.05, {}, {}, {}}, {"02", "Y", 0.06, {}, {}, {}}},
     {"01 - - -", "02 - - -"},
     1},
    {"names differing in letter case share one lookup and the stored name",
     {{"01", "germany mobile", 0.05, 2, "x", 0.2},
      {"02", "GERMANY MOBILE", 0.05, {}, {}, {}},
      {"03", "Germany Mobile", 0.05, {}, {}, {}}},
     {"01 2 x 0.2", "02 3 germany mobile 0.2", "03 3 germany mobile 0.2"},
     1},
    {"rows without a name are never priced, even when priced rows have none",
     {{"01", "", 0.05, 2, "", 0.3},
      {"02", {}, 0.05, {}, {}, {}},
      {"03", "", 0.05, {}, {}, {}}},
     {"01 2  0.3", "02 - - -", "03 - - -"},
     0},
    {"rows without a purchase price are not visited",
     {{"01", "X", 0.05, 2, "X", 0.1}, {"02", "X", {}, {}, {}, {}}},
     {"01 2 X 0.1", "02 - - -"},
     0},
    {"a found price of 0 is written, a negative one is not",
     {{"01", "Free", 0.05, 2, "Free", 0},
      {"02", "Free", 0.05, {}, {}, {}},
      {"03", "Minus", 0.05, 2, "Minus", -0.1},
      {"04", "Minus", 0.05, {}, {}, {}}},
     {"01 2 Free 0", "02 3 Free 0", "03 2 Minus -0.1", "04 - - -"},
     2},
    {"a row that already holds the found price is left alone",
     {{"01", "X", 0.05, 2, "X", 0.1}, {"02", "X", 0.05, {}, {}, 0.1}},
     {"01 2 X 0.1", "02 - - 0.1"},
     1},
    {"each run of names gets its own lookup",
     {{"01", "A", 0.05, 2, "A", 0.1},
      {"02", "B", 0.05, 2, "B", 0.2},
      {"03", "A", 0.05, {}, {}, {}},
      {"04", "B", 0.05, {}, {}, {}},
      {"05", "C", 0.05, {}, {}, {}}},
     {"01 2 A 0.1", "02 2 B 0.2", "03 3 A 0.1", "04 3 B 0.2", "05 - - -"},
     3},
    // Names go into the lookup literally: an apostrophe does not break it, and
    // pattern characters do not let more frequent prices of other names in.
    {"names with apostrophes and pattern characters match only themselves",
     {{"01", "O'Higgins", 0.05, 2, "O'Higgins", 0.3},
      {"02", "O'Higgins", 0.05, {}, {}, {}},
      {"10", "100% Mobil", 0.05, 2, "p", 0.2},
      {"11", "1000 Mobil", 0.05, 2, "p", 0.9},
      {"12", "1000 Mobil", 0.05, 2, "p", 0.9},
      {"13", "100% Mobil", 0.05, {}, {}, {}},
      {"20", "A_B", 0.05, 2, "p", 0.2},
      {"21", "AXB", 0.05, 2, "p", 0.9},
      {"22", "AXB", 0.05, 2, "p", 0.9},
      {"23", "A_B", 0.05, {}, {}, {}},
      {"30", "[T]", 0.05, 2, "p", 0.2},
      {"31", "T", 0.05, 2, "p", 0.9},
      {"32", "t", 0.05, 2, "p", 0.9},
      {"33", "[T]", 0.05, {}, {}, {}},
      {"40", "a]b", 0.05, {}, {}, {}}},
     {"01 2 O'Higgins 0.3", "02 3 O'Higgins 0.3", "10 2 p 0.2", "11 2 p 0.9",
      "12 2 p 0.9", "13 3 100% Mobil 0.2", "20 2 p 0.2", "21 2 p 0.9", "22 2 p 0.9",
      "23 3 A_B 0.2", "30 2 p 0.2", "31 2 p 0.9", "32 2 p 0.9", "33 3 [T] 0.2",
      "40 - - -"},
     5},
};

class MostCommonPriceTest : public Import2Fixture,
                            public ::testing::WithParamInterface<Case> {};

TEST_P(MostCommonPriceTest, PricesRowsAsExpected) {
  Insert(GetParam().before);
  ResolveMostCommonPrices(connection(), view());
  EXPECT_EQ(Rows(), GetParam().after);
  EXPECT_EQ(lookups().size(), GetParam().lookups);
  EXPECT_TRUE(view().Overall().empty());  // the pipeline sets the overall bar
}

INSTANTIATE_TEST_SUITE_P(Cases, MostCommonPriceTest, ::testing::ValuesIn(kCases));

class MostCommonPriceProgressTest : public Import2Fixture {};

TEST_F(MostCommonPriceProgressTest, ShowsEachRowsShareBeforeItsWork) {
  Insert({{"01", "A", 0.05, {}, {}, {}},
          {"02", "B", 0.05, {}, {}, {}},
          {"03", "C", 0.05, {}, {}, {}},
          {"04", "D", 0.05, {}, {}, {}},
          {"05", "D", 0.05, 2, "D", 0.1}});  // priced: not in the loop
  ResolveMostCommonPrices(connection(), view());
  EXPECT_EQ(view().Action(), (std::vector<float>{25, 50, 75, 100}));
}

TEST_F(MostCommonPriceProgressTest, EmptySetLeavesTheActionBarAlone) {
  Insert({{"01", "A", 0.05, 2, "A", 0.1}, {"02", "A", {}, {}, {}, {}}});
  ResolveMostCommonPrices(connection(), view());
  EXPECT_TRUE(view().events.empty());
  EXPECT_TRUE(lookups().empty());
}

}  // namespace
}  // namespace pricing
