#ifndef PREISLISTE_DB_JET_SQLITE_FUNCTIONS_H_
#define PREISLISTE_DB_JET_SQLITE_FUNCTIONS_H_

struct sqlite3;

namespace db::jet {

// Registers on an SQLite connection everything the translated statements
// call: the collation JETNOCASE (Unicode case folding, accents significant)
// and the Jet functions (LIKE patterns, IsNumeric, currency rounding, ...).
// Throws db::Error when SQLite refuses a registration.
void RegisterSqliteFunctions(sqlite3* db);

}  // namespace db::jet

#endif  // PREISLISTE_DB_JET_SQLITE_FUNCTIONS_H_
