#include "db/engine/column_type.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "core/utf8.h"
#include "db/engine/core_types.h"
#include "db/engine/jetsql/column_type.h"
#include "db/engine/text_too_long.h"

namespace db::engine {
namespace {

Value ToInteger32(const Value& value, std::string_view column) {
  double number = 0;
  if (value.type() == Value::Type::kInteger) {
    number = static_cast<double>(value.integer());
  } else if (value.type() == Value::Type::kCurrency) {
    const Currency amount = value.currency();
    if (amount.ticks() % Currency::kScale != 0)
      throw Error("Field " + std::string(column) + " takes whole numbers only, not " +
                  amount.ToString());
    number = static_cast<double>(amount.ticks() / Currency::kScale);
  } else {
    number = value.ToDouble();
  }
  if (number != std::floor(number))
    throw Error("Field " + std::string(column) + " takes whole numbers only, not " +
                value.ToText());
  if (number < INT32_MIN || number > INT32_MAX)
    throw Error("Overflow: " + value.ToText() + " does not fit field " +
                std::string(column));
  return Value::Integer(static_cast<int64_t>(number));
}

Value ToText(const ColumnType& type, const Value& value, std::string_view column) {
  std::string text = value.ToText();
  if (type.max_chars != 0 && core::CountCharacters(text) > type.max_chars)
    throw TextTooLong(std::string(column), type.max_chars, std::move(text));
  return Value::Text(std::move(text));
}

// The conversion itself; not every failure it reports names the column.
Value Convert(const ColumnType& type, const Value& value, std::string_view column) {
  switch (type.kind) {
    case ColumnType::Kind::kText:
      return ToText(type, value, column);
    case ColumnType::Kind::kInteger:
      return ToInteger32(value, column);
    case ColumnType::Kind::kCurrency:
      return Value::Money(value.ToCurrency());
    case ColumnType::Kind::kDouble:
      return Value::Double(value.ToDouble());
    case ColumnType::Kind::kUntyped:
      return value;
  }
  return value;
}

}  // namespace

// The translator decides what a declared type means; the record sets follow it.
ColumnType ColumnType::FromDeclared(std::string_view declared_type) {
  return jetsql::DeclaredColumnType(declared_type);
}

Value ConvertForColumn(const ColumnType& type, const Value& value,
                       std::string_view column) {
  if (value.is_null()) return value;
  try {
    return Convert(type, value, column);
  } catch (const Error& error) {
    const std::string description = error.what();
    if (description.find(column) != std::string::npos) throw;
    throw Error("Field " + std::string(column) + ": " + description);
  }
}

}  // namespace db::engine
