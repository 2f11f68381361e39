#ifndef PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_
#define PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_

#include <optional>
#include <string>
#include <string_view>

namespace db::engine::jetsql {

// A column's type as the translator needs it: the declared type that goes
// into SQLite (and that the record sets read back to type their fields), and
// what the Jet type means for values written into the column.
struct ColumnType {
  enum class Kind { kNone, kText, kCurrency, kInteger, kReal, kOther };
  Kind kind = Kind::kNone;
  std::string declared;  // canonical: "VARCHAR(255)", "TEXT", "CURRENCY", "INTEGER", ...
  int max_length = 0;    // kText: the n of VARCHAR(n); 0 when unlimited
};

// The type a Jet CREATE TABLE names, with its size argument if any:
// TEXT, TEXT(n), VARCHAR(n), CHAR(n), MEMO, CURRENCY, MONEY, INTEGER, INT,
// LONG, SMALLINT, SHORT, BYTE, DOUBLE, FLOAT, REAL, SINGLE, BIT, DATETIME.
// Empty for an unknown name or a size where none belongs.
std::optional<ColumnType> JetColumnType(std::string_view name, std::optional<int> size);

// The type behind a declared type text read from the database. A text that
// is no Jet type is kept as kOther when it is a harmless type name, else
// dropped (kNone), so it can be repeated in a CREATE TABLE safely.
ColumnType DeclaredColumnType(std::string_view declared);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_
