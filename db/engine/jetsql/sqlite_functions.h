#ifndef PREISLISTE_DB_ENGINE_JETSQL_SQLITE_FUNCTIONS_H_
#define PREISLISTE_DB_ENGINE_JETSQL_SQLITE_FUNCTIONS_H_

#include <optional>

#include "db/engine/text_too_long.h"

struct sqlite3;

namespace db::engine::jetsql {

// Registers on an SQLite connection everything the translated statements
// call: the collation JETNOCASE (Unicode case folding, accents significant)
// and the Jet functions (LIKE patterns, IsNumeric, currency rounding, text
// widths, ...). Throws core::Error when SQLite refuses a registration.
//
// SQLite passes on only the message of a text refused for its width; when
// `refused_text` is given, the refusal is also kept there whole, so that the
// caller can throw it as a TextTooLong. It must outlive the connection.
void RegisterSqliteFunctions(sqlite3* db,
                             std::optional<TextTooLong>* refused_text = nullptr);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_SQLITE_FUNCTIONS_H_
