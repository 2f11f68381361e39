#include "db/engine/jetsql/column_type.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/jet_type.h"
#include "tests/db/engine/db_fixture.h"

namespace {

using core::Currency;
using core::Value;
using db::engine::jetsql::ColumnType;
using Kind = ColumnType::Kind;

TEST(ColumnTypeTest, DeclaredTypesAsJetAndSqliteWriteThem) {
  struct Case {
    const char* declared;
    Kind kind;
    size_t max_chars;
  };
  for (const Case& c : std::vector<Case>{{"VARCHAR(255)", Kind::kText, 255},
                                         {"varchar (50)", Kind::kText, 50},
                                         {"TEXT", Kind::kText, 0},
                                         {"MEMO", Kind::kText, 0},
                                         {"CURRENCY", Kind::kCurrency, 0},
                                         {"Money", Kind::kCurrency, 0},
                                         {"INTEGER", Kind::kInteger, 0},
                                         {"LONG", Kind::kInteger, 0},
                                         {"DOUBLE", Kind::kDouble, 0},
                                         {"", Kind::kUntyped, 0},
                                         {"NUM", Kind::kUntyped, 0}}) {
    const ColumnType type = ColumnType::FromDeclared(c.declared);
    EXPECT_EQ(type.kind, c.kind) << c.declared;
    EXPECT_EQ(type.max_chars, c.max_chars) << c.declared;
  }
}

// A Jet file's table reaches the dialect only through the type the layout
// declares in SQLite; reading that text back must give each Jet type the kind
// the one mapping names, and the same declared text.
TEST(ColumnTypeTest, EveryServedJetTypeReadsBackAsMapped) {
  using db::engine::JetType;
  int served = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const auto type = static_cast<JetType>(byte);
    const db::engine::SqlType sql = db::engine::SqlTypeOf(type);
    if (sql.declared.empty()) continue;
    ++served;
    const std::string declared = db::engine::SqlDeclaration(type, 40);
    const ColumnType read = ColumnType::FromDeclared(declared);
    EXPECT_EQ(read.kind, sql.kind) << declared;
    EXPECT_EQ(read.declared, declared);
    EXPECT_EQ(read.max_chars, type == JetType::kText ? 40u : 0u) << declared;
  }
  EXPECT_EQ(served, 10);  // Boolean to Date/Time, Text, Memo
}

TEST(ConvertForColumnTest, ValuesThatFit) {
  const ColumnType text = ColumnType::FromDeclared("VARCHAR(3)");
  const ColumnType long_text = ColumnType::FromDeclared("TEXT");
  const ColumnType money = ColumnType::FromDeclared("CURRENCY");
  const ColumnType whole = ColumnType::FromDeclared("INTEGER");
  struct Case {
    ColumnType type;
    Value in, out;
  };
  const std::vector<Case> cases = {
      {text, Value::Null(), Value::Null()},
      {text, Value::Text("äöü"), Value::Text("äöü")},  // 3 characters, 6 bytes
      {text, Value::Integer(44), Value::Text("44")},
      {long_text, Value::Money(Currency::FromTicks(500)), Value::Text("0.05")},
      {money, Value::Text("0.12345"), Value::Money(Currency::FromTicks(1234))},
      {money, Value::Double(0.00035), Value::Money(Currency::FromTicks(4))},
      {money, Value::Integer(2), Value::Money(Currency::FromTicks(20000))},
      {money, Value::Null(), Value::Null()},
      {whole, Value::Double(-7), Value::Integer(-7)},
      {whole, Value::Text("12"), Value::Integer(12)},
      {whole, Value::Money(Currency::FromTicks(30000)), Value::Integer(3)},
      {whole, Value::Integer(2147483647), Value::Integer(2147483647)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    EXPECT_EQ(db::engine::jetsql::ConvertForColumn(c.type, c.in, "Feld"), c.out);
  }
}

TEST(ConvertForColumnTest, ValuesThatDoNotFitNameTheField) {
  struct Case {
    const char* declared;
    Value in;
  };
  const std::vector<Case> cases = {
      {"VARCHAR(3)", Value::Text("abcd")},
      {"VARCHAR(3)", Value::Text("ääää")},
      {"INTEGER", Value::Double(2.5)},
      {"INTEGER", Value::Money(Currency::FromTicks(5))},
      {"INTEGER", Value::Integer(2147483648)},
      {"INTEGER", Value::Integer(-2147483649)},
      {"INTEGER", Value::Text("zwei")},
      {"CURRENCY", Value::Text("0,05")},
      {"CURRENCY", Value::Double(1e300)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.declared) + " " + testing::PrintToString(c.in));
    try {
      db::engine::jetsql::ConvertForColumn(ColumnType::FromDeclared(c.declared), c.in,
                                           "Feld");
      ADD_FAILURE() << "converted";
    } catch (const core::Error& error) {
      EXPECT_NE(std::string(error.what()).find("Feld"), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
