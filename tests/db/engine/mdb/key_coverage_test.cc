#include "db/engine/mdb/key_coverage.h"

#include <gtest/gtest.h>

#include <string>

#include "db/engine/core_types.h"

namespace db::engine::mdb {
namespace {

// The description of the refusal, or "" when the value is covered.
std::string Refusal(const Value& value) {
  try {
    RequireCoveredValue({"Name", ColumnType::kText, true}, value);
    return "";
  } catch (const Error& e) {
    return e.what();
  }
}

TEST(KeyCoverage, NamesTheFirstCharacterWhoseKeyIsNotCovered) {
  struct Case {
    const char* text;
    const char* refusal_names;  // nullptr: covered
  };
  const Case cases[] = {
      {"\xC3\x96sterreich", nullptr},     // Österreich
      {"C\xC3\xB4te d'Ivoire", nullptr},  // Côte d'Ivoire
      {"Stra\xC3\x9F"
       "e 118",
       nullptr},                                    // Straße
      {"\xC3\xBF", nullptr},                        // ÿ, the last of U+0001..U+00FF
      {"Gda\xC5\x84sk", "\xC5\x84 (U+0144)"},       // ń
      {"Smile \xF0\x9F\x98\x80", "(U+1F600)"},      // beyond the BMP, named whole
      {"\xE2\x82\xAC 5", "\xE2\x82\xAC (U+20AC)"},  // €
  };
  for (const Case& c : cases) {
    const std::string refusal = Refusal(Value::Text(c.text));
    if (!c.refusal_names) {
      EXPECT_EQ(refusal, "") << c.text;
      continue;
    }
    EXPECT_NE(refusal.find(c.refusal_names), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("Name"), std::string::npos) << refusal;
  }
  EXPECT_EQ(Refusal(Value::Null()), "");
  EXPECT_EQ(Refusal(Value::Integer(5)), "");
}

TEST(KeyCoverage, RefusesColumnTypesNoAccessKeyShowed) {
  for (ColumnType type : {ColumnType::kLong, ColumnType::kText, ColumnType::kDateTime}) {
    EXPECT_NO_THROW(RequireCoveredColumn({"c", type, true}));
  }
  for (ColumnType type : {ColumnType::kInteger, ColumnType::kCurrency,
                          ColumnType::kDouble, ColumnType::kSingle, ColumnType::kByte,
                          ColumnType::kBoolean, ColumnType::kMemo}) {
    try {
      RequireCoveredColumn({"Price_EUR", type, true});
      ADD_FAILURE() << "accepted type " << static_cast<int>(type);
    } catch (const Error& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("Price_EUR"), std::string::npos) << what;
      EXPECT_NE(what.find(ColumnTypeName(static_cast<uint8_t>(type))), std::string::npos)
          << what;
    }
  }
}

}  // namespace
}  // namespace db::engine::mdb
