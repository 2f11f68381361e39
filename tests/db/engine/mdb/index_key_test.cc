#include "db/engine/mdb/index_key.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "db/engine/core_types.h"

namespace db::engine::mdb {
namespace {

std::string Hex(const KeyBytes& bytes) {
  std::string out;
  char byte[4];
  for (uint8_t b : bytes) {
    std::snprintf(byte, sizeof byte, out.empty() ? "%02x" : " %02x", b);
    out += byte;
  }
  return out;
}

std::string KeyOf(ColumnType type, bool ascending, const Value& value) {
  KeyBytes key;
  AppendKey({"c", type, ascending}, value, key);
  return Hex(key);
}

struct Case {
  const char* what;
  ColumnType type;
  bool ascending;
  Value value;
  const char* key;
};

// Keys copied from index leaf pages that Microsoft Access wrote
// (tests/data/jet/access-made/), next to the row values the table holds.
TEST(IndexKey, MatchesKeysWrittenByAccess) {
  const Case cases[] = {
      {"Long 1", ColumnType::kLong, true, Value::Integer(1), "7f 80 00 00 01"},
      {"Long 4813 descending", ColumnType::kLong, false, Value::Integer(4813),
       "80 7f ff ed 32"},
      {"Date 2009-10-22 03:57:13", ColumnType::kDateTime, true,
       Value::Double(40108 + 14233 / 86400.0), "7f c0 e3 95 85 45 7f cf 74"},
      {"text in lower case", ColumnType::kText, true, Value::Text("admin"),
       "7f 4a 4f 60 59 62 01 00"},
      {"text with capitals and a blank", ColumnType::kText, true,
       Value::Text("Core User"), "7f 4d 64 69 51 07 6f 6b 51 69 01 00"},
      {"unprintable hyphen", ColumnType::kText, true, Value::Text("-1"),
       "7f 38 01 01 01 01 80 07 06 82 00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyOf(c.type, c.ascending, c.value), c.key) << c.what;
  }
}

// Keys of types no Access-made file here indexes, following the same rules: big
// endian with the sign bit inverted (whole numbers), sign bit set or all bits
// complemented (floating point), the complement for a descending column.
TEST(IndexKey, OrdersNumbersByTheirBytes) {
  const Case cases[] = {
      {"Integer -2", ColumnType::kInteger, true, Value::Integer(-2), "7f 7f fe"},
      {"Integer 300", ColumnType::kInteger, true, Value::Integer(300), "7f 81 2c"},
      {"Byte 200", ColumnType::kByte, true, Value::Integer(200), "7f c8"},
      {"Byte 200 descending", ColumnType::kByte, false, Value::Integer(200), "80 37"},
      {"Currency 1.5", ColumnType::kCurrency, true,
       Value::Money(Currency::FromTicks(15000)), "7f 80 00 00 00 00 00 3a 98"},
      {"Currency -0.0001", ColumnType::kCurrency, true,
       Value::Money(Currency::FromTicks(-1)), "7f 7f ff ff ff ff ff ff ff"},
      {"Double 1", ColumnType::kDouble, true, Value::Double(1),
       "7f bf f0 00 00 00 00 00 00"},
      {"Double -1", ColumnType::kDouble, true, Value::Double(-1),
       "7f 40 0f ff ff ff ff ff ff"},
      {"Double -1 descending", ColumnType::kDouble, false, Value::Double(-1),
       "80 bf f0 00 00 00 00 00 00"},
      {"Single 0.5", ColumnType::kSingle, true, Value::Double(0.5), "7f bf 00 00 00"},
      {"Single -0.5", ColumnType::kSingle, true, Value::Double(-0.5), "7f 40 ff ff ff"},
      {"Yes", ColumnType::kBoolean, true, Value::Integer(-1), "7f 00"},
      {"No", ColumnType::kBoolean, true, Value::Integer(0), "7f ff"},
      {"Yes/No NULL is No", ColumnType::kBoolean, true, Value::Null(), "7f ff"},
      {"Yes descending", ColumnType::kBoolean, false, Value::Integer(-1), "80 ff"},
      {"NULL", ColumnType::kLong, true, Value::Null(), "00"},
      {"NULL descending", ColumnType::kText, false, Value::Null(), "ff"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyOf(c.type, c.ascending, c.value), c.key) << c.what;
  }
}

TEST(IndexKey, NumberKeysSortAsTheirValues) {
  const double doubles[] = {-1e300, -2.5, -1, -1e-300, 0, 1e-300, 0.5, 1, 3e10};
  for (bool ascending : {true, false}) {
    for (size_t i = 1; i < std::size(doubles); ++i) {
      const std::string a =
          KeyOf(ColumnType::kDouble, ascending, Value::Double(doubles[i - 1]));
      const std::string b =
          KeyOf(ColumnType::kDouble, ascending, Value::Double(doubles[i]));
      EXPECT_EQ(ascending, a < b) << doubles[i - 1] << " vs " << doubles[i];
    }
  }
  const int64_t longs[] = {INT32_MIN, -65536, -1, 0, 1, 255, 256, INT32_MAX};
  for (size_t i = 1; i < std::size(longs); ++i) {
    EXPECT_LT(KeyOf(ColumnType::kLong, true, Value::Integer(longs[i - 1])),
              KeyOf(ColumnType::kLong, true, Value::Integer(longs[i])));
  }
}

TEST(IndexKey, TextKeysIgnoreTrailingBlanksAndStopAt255Characters) {
  EXPECT_EQ(KeyOf(ColumnType::kText, true, Value::Text("admin  ")),
            KeyOf(ColumnType::kText, true, Value::Text("admin")));
  EXPECT_EQ(KeyOf(ColumnType::kText, true, Value::Text(std::string(300, 'a'))),
            KeyOf(ColumnType::kText, true, Value::Text(std::string(255, 'a') + "b")));
  EXPECT_NE(KeyOf(ColumnType::kText, true, Value::Text(std::string(254, 'a'))),
            KeyOf(ColumnType::kText, true, Value::Text(std::string(255, 'a'))));
}

TEST(IndexKey, DescendingTextIsTheComplementEndingInFfThen00) {
  EXPECT_EQ(KeyOf(ColumnType::kText, false, Value::Text("admin")),
            "80 b5 b0 9f a6 9d fe ff 00");
}

TEST(IndexKey, RefusesValuesThatDoNotFitTheColumn) {
  const Case cases[] = {
      {"Long too big", ColumnType::kLong, true, Value::Integer(int64_t{1} << 31), ""},
      {"Integer too small", ColumnType::kInteger, true, Value::Integer(-32769), ""},
      {"Byte negative", ColumnType::kByte, true, Value::Integer(-1), ""},
      {"text for a number", ColumnType::kLong, true, Value::Text("1"), ""},
      {"number for a text", ColumnType::kText, true, Value::Integer(1), ""},
      {"Single that is no Single", ColumnType::kSingle, true, Value::Double(0.1), ""},
      {"invalid UTF-8", ColumnType::kText, true, Value::Text("\xC3"), ""},
      {"beyond the Basic Multilingual Plane", ColumnType::kText, true,
       Value::Text("\xF0\x9F\x98\x80"), ""},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(KeyOf(c.type, c.ascending, c.value), Error) << c.what;
  }
}

TEST(IndexKey, JoinsTheColumnsOfAKey) {
  const KeyColumn columns[] = {{"a", ColumnType::kText, true},
                               {"b", ColumnType::kLong, false}};
  const Value values[] = {Value::Null(), Value::Integer(1)};
  EXPECT_EQ(Hex(IndexKey(columns, values)), "00 80 7f ff ff fe");
  EXPECT_THROW(IndexKey(columns, std::span<const Value>(values, 1)), Error);
}

}  // namespace
}  // namespace db::engine::mdb
