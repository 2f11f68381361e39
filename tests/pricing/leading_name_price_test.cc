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

// Import2 before the loop, what it holds afterwards, and the leading parts
// looked up, in order (each lookup's SQL must contain the quoted part).
struct Case {
  const char* title;
  std::vector<Import2Row> before;
  Lines after;
  std::vector<std::string> looked_up;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.title; }

const Case kCases[] = {
    {"a name without a blank is not looked up",
     {{"01", "Solo", 0.05, 1, "Solo", 0.3}, {"02", "Solo", 0.05, {}, {}, {}}},
     {"01 1 Solo 0.3", "02 - - -"},
     {}},
    {"the longest leading part is tried first",
     {{"01", "A", 0.05, 1, "A", 0.3},
      {"02", "A B", 0.05, 1, "A B", 0.2},
      {"03", "A B C", 0.05, {}, {}, {}}},
     {"01 1 A 0.3", "02 1 A B 0.2", "03 4 A B 0.2"},
     {"'a b'"}},
    {"a shorter leading part is tried when the longer one is not found",
     {{"01", "A", 0.05, 1, "A", 0.3}, {"03", "A B C", 0.05, {}, {}, {}}},
     {"01 1 A 0.3", "03 4 A 0.3"},
     {"'a b'", "'a'"}},
    {"only rows at the same purchase price count",
     {{"01", "A", 0.06, 1, "A", 0.3}, {"03", "A B", 0.05, {}, {}, {}}},
     {"01 1 A 0.3", "03 - - -"},
     {"'a'"}},
    {"the first row found ends the search even without a price",
     {{"01", "A", 0.05, 1, "A", 0.3},
      {"02", "A B", 0.05, 1, "A B", {}},
      {"03", "A B C", 0.05, {}, {}, {}}},
     {"01 1 A 0.3", "02 1 A B -", "03 - - -"},
     {"'a b'"}},
    {"a found price of 0 is written",
     {{"01", "Z", 0.05, 1, "Z", 0}, {"02", "Z Mobil", 0.05, {}, {}, {}}},
     {"01 1 Z 0", "02 4 Z 0"},
     {"'z'"}},
    {"a negative found price is not written",
     {{"01", "Z", 0.05, 1, "Z", -0.1}, {"02", "Z Mobil", 0.05, {}, {}, {}}},
     {"01 1 Z -0.1", "02 - - -"},
     {"'z'"}},
    {"rows of equal name and purchase price form one group per price",
     {{"01", "G", 0.05, 1, "G", 0.2},
      {"02", "G", 0.07, 1, "G", 0.4},
      {"03", "G Mobil", 0.05, {}, {}, {}},
      {"04", "g mobil", 0.05, {}, {}, {}},
      {"05", "G Mobil", 0.07, {}, {}, {}}},
     {"01 1 G 0.2", "02 1 G 0.4", "03 4 G 0.2", "04 4 G 0.2", "05 4 G 0.4"},
     {"'g'", "'g'"}},
    {"a leading part in other letter case is found as stored",
     {{"01", "ITALIEN", 0.085, 1, "ITALIEN", 0.5},
      {"02", "Italien Mobil", 0.085, {}, {}, {}}},
     {"01 1 ITALIEN 0.5", "02 4 ITALIEN 0.5"},
     {"'italien'"}},
    {"a chain inherits step by step",
     {{"01", "A", 0.05, 1, "A", 0.3},
      {"02", "A B", 0.05, {}, {}, {}},
      {"03", "A B C", 0.05, {}, {}, {}}},
     {"01 1 A 0.3", "02 4 A 0.3", "03 4 A B 0.3"},
     {"'a'", "'a b'"}},
    {"two blanks in a row cut twice",
     {{"01", "A", 0.05, 1, "A", 0.3}, {"02", "A  B", 0.05, {}, {}, {}}},
     {"01 1 A 0.3", "02 4 A 0.3"},
     {"'a '", "'a'"}},
    {"a name starting with a blank tries the empty leading part last",
     {{"01", " X Y", 0.05, {}, {}, {}}},
     {"01 - - -"},
     {"' x'", "''"}},
    {"a row without a name has nothing to inherit",
     {{"01", {}, 0.05, {}, {}, {}}},
     {"01 - - -"},
     {}},
};

class LeadingNamePriceTest : public Import2Fixture,
                             public ::testing::WithParamInterface<Case> {};

TEST_P(LeadingNamePriceTest, PricesRowsAsExpected) {
  Insert(GetParam().before);
  ResolveLeadingNamePrices(connection(), view());
  EXPECT_EQ(Rows(), GetParam().after);
  const std::vector<std::string>& expected = GetParam().looked_up;
  ASSERT_EQ(lookups().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NE(lookups()[i].find(expected[i]), std::string::npos) << lookups()[i];
}

INSTANTIATE_TEST_SUITE_P(Cases, LeadingNamePriceTest, ::testing::ValuesIn(kCases));

class LeadingNamePriceLiteralTest : public Import2Fixture {};

// Names go into the lookup literally: an apostrophe does not break it, and
// pattern characters do not let other names match.
TEST_F(LeadingNamePriceLiteralTest, NamesMatchOnlyThemselves) {
  Insert({{"01", "O'Higgins", 0.05, 1, "O'Higgins", 0.3},
          {"02", "O'Higgins Mobil", 0.05, {}, {}, {}},
          {"10", "1000", 0.05, 1, "p", 0.9},
          {"11", "100% Mobil", 0.05, {}, {}, {}},
          {"20", "AXB", 0.05, 1, "p", 0.9},
          {"21", "A_B Mobil", 0.05, {}, {}, {}},
          {"22", "A_C", 0.05, 1, "A_C", 0.2},
          {"23", "A_C Mobil", 0.05, {}, {}, {}},
          {"30", "T", 0.05, 1, "p", 0.9},
          {"31", "[T] Mobil", 0.05, {}, {}, {}},
          {"32", "[U]", 0.05, 1, "[U]", 0.2},
          {"33", "[U] Mobil", 0.05, {}, {}, {}}});
  ResolveLeadingNamePrices(connection(), view());
  EXPECT_EQ(Rows(),
            (Lines{"01 1 O'Higgins 0.3", "02 4 O'Higgins 0.3", "10 1 p 0.9", "11 - - -",
                   "20 1 p 0.9", "21 - - -", "22 1 A_C 0.2", "23 4 A_C 0.2", "30 1 p 0.9",
                   "31 - - -", "32 1 [U] 0.2", "33 4 [U] 0.2"}));
  EXPECT_EQ(lookups().size(), 6u);
}

class LeadingNamePriceProgressTest : public Import2Fixture {};

TEST_F(LeadingNamePriceProgressTest, ShowsEachRowsShareAndNoOverallProgress) {
  Insert({{"01", "A", 0.05, {}, {}, {}},
          {"02", "B", 0.05, {}, {}, {}},
          {"03", "C", 0.05, {}, {}, {}}});
  ResolveLeadingNamePrices(connection(), view());
  EXPECT_EQ(view().Action(), (std::vector<float>{100.0f / 3, 200.0f / 3, 100}));
  EXPECT_TRUE(view().Overall().empty());  // the pipeline sets the overall bar
}

TEST_F(LeadingNamePriceProgressTest, EmptySetLeavesTheActionBarAlone) {
  Insert({{"01", "A B", 0.05, 4, "A", 0.1}});
  ResolveLeadingNamePrices(connection(), view());
  EXPECT_TRUE(view().events.empty());
}

}  // namespace
}  // namespace pricing
