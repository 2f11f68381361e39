#include "db/engine/jetsql/column_type.h"

#include <charconv>

#include "db/engine/core_types.h"

namespace db::engine::jetsql {
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

std::optional<ColumnType> JetColumnType(std::string_view name, std::optional<int> size) {
  using Kind = ColumnType::Kind;
  const auto is = [name](std::string_view word) {
    return EqualIgnoringAsciiCase(name, word);
  };
  if (is("TEXT") || is("VARCHAR") || is("CHAR") || is("CHARACTER")) {
    if (!size) {
      if (!is("TEXT")) return std::nullopt;
      return ColumnType{Kind::kText, 0, "TEXT"};
    }
    if (*size < 1) return std::nullopt;
    return ColumnType{Kind::kText, static_cast<size_t>(*size),
                      "VARCHAR(" + std::to_string(*size) + ")"};
  }
  if (size) return std::nullopt;
  struct Alias {
    std::string_view name;
    Kind kind;
    std::string_view declared;
  };
  static constexpr Alias kAliases[] = {
      {"MEMO", Kind::kText, "TEXT"},
      {"LONGTEXT", Kind::kText, "TEXT"},
      {"CURRENCY", Kind::kCurrency, "CURRENCY"},
      {"MONEY", Kind::kCurrency, "CURRENCY"},
      {"INTEGER", Kind::kInteger, "INTEGER"},
      {"INT", Kind::kInteger, "INTEGER"},
      {"LONG", Kind::kInteger, "INTEGER"},
      {"SMALLINT", Kind::kInteger, "SMALLINT"},
      {"SHORT", Kind::kInteger, "SMALLINT"},
      {"BYTE", Kind::kInteger, "TINYINT"},
      {"TINYINT", Kind::kInteger, "TINYINT"},
      {"DOUBLE", Kind::kDouble, "DOUBLE"},
      {"FLOAT", Kind::kDouble, "DOUBLE"},
      {"REAL", Kind::kDouble, "REAL"},
      {"SINGLE", Kind::kDouble, "REAL"},
      {"BIT", Kind::kUntyped, "BIT"},
      {"DATETIME", Kind::kUntyped, "DATETIME"},
  };
  for (const Alias& alias : kAliases) {
    if (is(alias.name)) return ColumnType{alias.kind, 0, std::string(alias.declared)};
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
