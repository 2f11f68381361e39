#ifndef PREISLISTE_DB_ENGINE_JETFILE_JET_VALUE_H_
#define PREISLISTE_DB_ENGINE_JETFILE_JET_VALUE_H_

#include "db/engine/core_types.h"
#include "db/engine/mdb/table_definition.h"

struct sqlite3_value;

namespace db::engine {

// A value SQLite holds for a column of a Jet table, typed as the Jet reader
// hands values of that column type out (and the key encoder and the row
// writer take them): Text and Memo -> Text; Currency -> Money; Single,
// Double, Date/Time -> Double; the integer types and Yes/No -> Integer.
// NULL stays NULL. Throws core::Error naming `column` for a fraction
// or a text in an integer column.
Value JetValue(mdb::ColumnType type, sqlite3_value* stored, const std::string& column);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_JETFILE_JET_VALUE_H_
