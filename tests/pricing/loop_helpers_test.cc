#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "core/error.h"
#include "pricing/jet_text_literal.h"
#include "pricing/record_progress.h"

namespace pricing {
namespace {

TEST(RecordProgressTest, PositionTimesHundredOverCount) {
  EXPECT_EQ(RecordProgress(1, 4), 25.0f);
  EXPECT_EQ(RecordProgress(4, 4), 100.0f);
  EXPECT_EQ(RecordProgress(1, 3), static_cast<float>(100.0 / 3));
  EXPECT_EQ(RecordProgress(1, 1), 100.0f);
}

TEST(RecordProgressTest, LargePositionsDoNotOverflow) {
  // 21,474,837 x 100 no longer fits 32 bits; the 64-bit product does.
  EXPECT_EQ(RecordProgress(21'474'837, 21'474'837), 100.0f);
  EXPECT_EQ(RecordProgress(3'000'000'000, 6'000'000'000), 50.0f);
}

TEST(RecordProgressTest, ImpossibleArithmeticThrows) {
  EXPECT_THROW(RecordProgress(1, 0), core::Error);
  EXPECT_THROW(RecordProgress(std::numeric_limits<int64_t>::max() / 10, 1), core::Error);
}

TEST(JetLikeLiteralTest, MakesEveryCharacterLiteral) {
  const struct {
    const char* name;
    const char* literal;
  } cases[] = {
      {"Mali Mobile", "Mali Mobile"},
      {"", ""},
      {"O'Higgins", "O''Higgins"},
      {"''", "''''"},
      {"100% Mobil", "100[%] Mobil"},
      {"A_B", "A[_]B"},
      {"[Test]", "[[]Test]"},
      {"a]b", "a]b"},
      {"Côte d'Ivoire", "Côte d''Ivoire"},
  };
  for (const auto& c : cases) EXPECT_EQ(JetLikeLiteral(c.name), c.literal) << c.name;
}

}  // namespace
}  // namespace pricing
