#include "db/engine/jetfile/jet_value.h"

#include <sqlite3.h>

#include <cmath>

#include "db/engine/core_types.h"

namespace db::engine {
namespace {

std::string TextOf(sqlite3_value* value) {
  const unsigned char* text = sqlite3_value_text(value);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<size_t>(sqlite3_value_bytes(value)))
              : std::string();
}

}  // namespace

Value JetValue(mdb::ColumnType type, sqlite3_value* stored, const std::string& column) {
  using mdb::ColumnType;
  if (sqlite3_value_type(stored) == SQLITE_NULL) return Value::Null();
  switch (type) {
    case ColumnType::kText:
    case ColumnType::kMemo:
      return Value::Text(TextOf(stored));
    case ColumnType::kCurrency:
      return Value::Money(Value::Double(sqlite3_value_double(stored)).ToCurrency());
    case ColumnType::kSingle:
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
      return Value::Double(sqlite3_value_double(stored));
    case ColumnType::kBoolean:  // whole numbers, checked below
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong:
    case ColumnType::kBinary:  // never served: the layout refuses the table
    case ColumnType::kOle:
    case ColumnType::kGuid:
    case ColumnType::kNumeric:
    case ColumnType::kComplex:
      break;
  }
  if (sqlite3_value_type(stored) == SQLITE_INTEGER)
    return Value::Integer(sqlite3_value_int64(stored));
  const double number = sqlite3_value_double(stored);
  if (sqlite3_value_type(stored) != SQLITE_FLOAT || number != std::floor(number))
    throw Error(
        "Spalte " + column + " nimmt nur ganze Zahlen auf, nicht " + TextOf(stored),
        Error::Kind::kConstraint);
  return Value::Integer(static_cast<int64_t>(number));
}

}  // namespace db::engine
