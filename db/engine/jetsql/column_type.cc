#include "db/engine/jetsql/column_type.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/utf8.h"
#include "db/engine/text_too_long.h"

namespace db::engine::jetsql {

namespace {

// A conversion of core::Value, whose failure does not know the column: it
// is named in front of the reason, and the failure keeps its kind.
template <typename Conversion>
auto Converted(std::string_view column, Conversion conversion) {
  try {
    return conversion();
  } catch (const Error& error) {
    throw Error("Spalte " + std::string(column) + ": " + error.what(), error.kind());
  }
}

Value ToInteger32(const Value& value, std::string_view column) {
  double number = 0;
  if (value.type() == Value::Type::kInteger) {
    number = static_cast<double>(value.integer());
  } else if (value.type() == Value::Type::kCurrency) {
    const Currency amount = value.currency();
    if (amount.ticks() % Currency::kScale != 0)
      throw Error("Spalte " + std::string(column) +
                      " nimmt nur ganze Zahlen auf, nicht " + amount.ToString(),
                  Error::Kind::kConstraint);
    number = static_cast<double>(amount.ticks() / Currency::kScale);
  } else {
    number = Converted(column, [&] { return value.ToDouble(); });
  }
  if (number != std::floor(number))
    throw Error("Spalte " + std::string(column) + " nimmt nur ganze Zahlen auf, nicht " +
                    value.ToText(),
                Error::Kind::kConstraint);
  if (number < INT32_MIN || number > INT32_MAX)
    throw Error("Überlauf: " + value.ToText() + " passt nicht in die Spalte " +
                    std::string(column),
                Error::Kind::kConstraint);
  return Value::Integer(static_cast<int64_t>(number));
}

Value ToText(const ColumnType& type, const Value& value, std::string_view column) {
  std::string text = value.ToText();
  if (type.max_chars != 0 && core::CountCharacters(text) > type.max_chars)
    throw TextTooLong(std::string(column), type.max_chars, std::move(text));
  return Value::Text(std::move(text));
}

// The conversion itself; every failure it reports names the column.
Value Convert(const ColumnType& type, const Value& value, std::string_view column) {
  switch (type.kind) {
    case ColumnType::Kind::kText:
      return ToText(type, value, column);
    case ColumnType::Kind::kInteger:
      return ToInteger32(value, column);
    case ColumnType::Kind::kCurrency:
      return Value::Money(Converted(column, [&] { return value.ToCurrency(); }));
    case ColumnType::Kind::kDouble:
      return Value::Double(Converted(column, [&] { return value.ToDouble(); }));
    case ColumnType::Kind::kUntyped:
      return value;
  }
  return value;
}

}  // namespace

// The translator decides what a declared type means; the record sets follow it.
ColumnType ColumnType::FromDeclared(std::string_view declared_type) {
  return DeclaredColumnType(declared_type);
}

Value ConvertForColumn(const ColumnType& type, const Value& value,
                       std::string_view column) {
  if (value.is_null()) return value;
  return Convert(type, value, column);
}

namespace {

bool IsHarmlessTypeName(std::string_view text) {
  for (char c : text) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                    (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '(' ||
                    c == ')' || c == ',';
    if (!ok) return false;
  }
  return !text.empty();
}

}  // namespace

namespace {

// The dialect's view of a Jet column type, with the length of a Text column.
ColumnType Served(JetType type, size_t text_chars) {
  return ColumnType{SqlTypeOf(type).kind, text_chars, SqlDeclaration(type, text_chars)};
}

}  // namespace

std::optional<ColumnType> JetColumnType(std::string_view name, std::optional<int> size) {
  const auto is = [name](std::string_view word) {
    return EqualIgnoringAsciiCase(name, word);
  };
  if (is("TEXT") || is("VARCHAR") || is("CHAR") || is("CHARACTER")) {
    if (!size) {
      if (!is("TEXT")) return std::nullopt;
      return Served(JetType::kMemo, 0);
    }
    if (*size < 1) return std::nullopt;
    return Served(JetType::kText, static_cast<size_t>(*size));
  }
  if (size) return std::nullopt;
  struct Alias {
    std::string_view name;
    JetType type;
  };
  static constexpr Alias kAliases[] = {
      {"MEMO", JetType::kMemo},         {"LONGTEXT", JetType::kMemo},
      {"CURRENCY", JetType::kCurrency}, {"MONEY", JetType::kCurrency},
      {"INTEGER", JetType::kLong},      {"INT", JetType::kLong},
      {"LONG", JetType::kLong},         {"SMALLINT", JetType::kInteger},
      {"SHORT", JetType::kInteger},     {"BYTE", JetType::kByte},
      {"TINYINT", JetType::kByte},      {"DOUBLE", JetType::kDouble},
      {"FLOAT", JetType::kDouble},      {"REAL", JetType::kSingle},
      {"SINGLE", JetType::kSingle},     {"BIT", JetType::kBoolean},
      {"DATETIME", JetType::kDateTime},
  };
  for (const Alias& alias : kAliases) {
    if (is(alias.name)) return Served(alias.type, 0);
  }
  return std::nullopt;
}

ColumnType DeclaredColumnType(std::string_view declared) {
  std::string_view name = declared;
  std::optional<int> size;
  const size_t open = declared.find('(');
  if (open != std::string_view::npos && declared.back() == ')') {
    name = declared.substr(0, open);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    const std::string_view digits = declared.substr(open + 1, declared.size() - open - 2);
    int value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc() && end == digits.data() + digits.size()) size = value;
  }
  if (auto type = JetColumnType(name, size)) return *type;
  if (IsHarmlessTypeName(declared)) {
    return ColumnType{ColumnType::Kind::kUntyped, 0, std::string(declared)};
  }
  return ColumnType{};
}

}  // namespace db::engine::jetsql
