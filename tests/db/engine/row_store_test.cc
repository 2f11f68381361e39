#include "db/engine/sqlite/row_store.h"

#include <gtest/gtest.h>

#include <string>

namespace db::engine {
namespace {

// A value that tells its row and column apart, of each kind the store holds.
Value ValueAt(size_t row, size_t column) {
  const auto n = static_cast<int64_t>(row * 10 + column);
  switch (column % 4) {
    case 0:
      return Value::Integer(n);
    case 1:
      return Value::Text("row " + std::string(row % 7 * 50, 'x') + std::to_string(row));
    case 2:
      return Value::Money(Currency::FromTicks(n));
    default:
      return row % 3 == 0 ? Value::Null() : Value::Double(n + 0.5);
  }
}

// Row counts around every step of the growth: the small first chunk, its
// doublings, the first full chunk and the ones after it.
TEST(RowStoreTest, EveryRowKeepsItsValuesWhileTheStoreGrows) {
  for (size_t rows : {1u, 16u, 17u, 4095u, 4096u, 4097u, 9000u}) {
    RowStore store(4);
    for (size_t row = 0; row < rows; ++row) {
      ASSERT_EQ(store.AddRow(), row);
      for (size_t column = 0; column < 4; ++column)
        store.Set(row, column, ValueAt(row, column));
    }
    ASSERT_EQ(store.rows(), rows);
    for (size_t row = 0; row < rows; ++row)
      for (size_t column = 0; column < 4; ++column)
        ASSERT_EQ(store.Get(row, column), ValueAt(row, column))
            << rows << " rows, row " << row << ", column " << column;
  }
}

TEST(RowStoreTest, NewRowsAreNullAndLongTextsFit) {
  RowStore store(2);
  for (int i = 0; i < 40; ++i) store.AddRow();
  const std::string long_text(300 * 1024, 'a');  // larger than a text block
  store.SetText(39, 1, long_text);
  store.SetText(38, 1, "");
  EXPECT_EQ(store.Get(39, 0), Value::Null());
  EXPECT_EQ(store.Get(39, 1), Value::Text(long_text));
  EXPECT_EQ(store.Get(38, 1), Value::Text(""));
  EXPECT_EQ(store.Get(20, 1), Value::Null());
}

}  // namespace
}  // namespace db::engine
