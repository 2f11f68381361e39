#ifndef PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_
#define PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "db/engine/core_types.h"
#include "db/engine/jet_type.h"

namespace db::engine::jetsql {

// What a column's declared type ("VARCHAR(255)", "CURRENCY", "INTEGER", ...)
// means for the values read from it and written into it, as in Jet, and the
// declared type the translator writes into SQLite for it. Each Jet type name
// stands for a Jet column type, whose kind and SQLite type come from
// SqlTypeOf() (db/engine/jet_type.h); no declared type (an expression) or
// another one is kUntyped: values as stored.
struct ColumnType {
  using Kind = ValueKind;
  Kind kind = Kind::kUntyped;
  size_t max_chars = 0;  // kText only; 0 = no limit
  // Canonical: "VARCHAR(255)", "TEXT", "CURRENCY", "INTEGER", ...; another
  // harmless type name as it stands; empty when none may be repeated.
  std::string declared;

  static ColumnType FromDeclared(std::string_view declared_type);
};

// `value` converted for storing in a column of `type`; NULL stays NULL.
// Throws core::Error naming `column` when the value does not fit: text that is
// no number for a number column, a fraction or a value beyond the 32-bit
// range for an integer column, text longer than a VARCHAR(n) allows.
Value ConvertForColumn(const ColumnType& type, const Value& value,
                       std::string_view column);

// The type a Jet CREATE TABLE names, with its size argument if any:
// TEXT, TEXT(n), VARCHAR(n), CHAR(n), MEMO, CURRENCY, MONEY, INTEGER, INT,
// LONG, SMALLINT, SHORT, BYTE, DOUBLE, FLOAT, REAL, SINGLE, BIT, DATETIME.
// Empty for an unknown name or a size where none belongs.
std::optional<ColumnType> JetColumnType(std::string_view name, std::optional<int> size);

// The type behind a declared type text read from the database. A text that
// is no Jet type is kept (untyped) when it is a harmless type name, else
// dropped (untyped, empty `declared`), so it can be repeated in a CREATE TABLE
// safely.
ColumnType DeclaredColumnType(std::string_view declared);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_
