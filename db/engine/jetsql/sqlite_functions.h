#ifndef PREISLISTE_DB_ENGINE_JETSQL_SQLITE_FUNCTIONS_H_
#define PREISLISTE_DB_ENGINE_JETSQL_SQLITE_FUNCTIONS_H_

struct sqlite3;

namespace db::engine::jetsql {

// Registers on an SQLite connection everything the translated statements
// call: the collation JETNOCASE (Unicode case folding, accents significant)
// and the Jet functions (LIKE patterns, IsNumeric, currency rounding, ...).
// Throws db::engine::Error when SQLite refuses a registration.
void RegisterSqliteFunctions(sqlite3* db);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_SQLITE_FUNCTIONS_H_
