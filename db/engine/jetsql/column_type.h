#ifndef PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_
#define PREISLISTE_DB_ENGINE_JETSQL_COLUMN_TYPE_H_

#include <optional>
#include <string_view>

#include "db/engine/column_type.h"

namespace db::engine::jetsql {

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
