#ifndef PREISLISTE_DB_ENGINE_SQLITE_SQLITE_ERROR_H_
#define PREISLISTE_DB_ENGINE_SQLITE_SQLITE_ERROR_H_

#include <string>
#include <string_view>

#include "db/engine/core_types.h"

struct sqlite3;

namespace db::engine {

// The last failed call on `db` as the engine's error: the kind from SQLite's
// result code (busy or locked: kInUse; a constraint: kConstraint; corrupt or
// no database: kDamaged; no permission or read-only: kPermission; an I/O
// error or a full disk: kIo), and the description in the operator's words
// with SQLite's message as the reason after it where the operator can reach
// it: "Tabelle Tarife hat keine Spalte Takt (table Tarife has no column
// named Takt)". When another connection holds the lock, the
// description also names the database file, because that is what the
// operator has to close. A unique key is left to the caller, who knows the
// keys (KeyViolation).
Error SqliteFailure(sqlite3* db, std::string_view file_name);

// Throws SqliteFailure().
[[noreturn]] void ThrowSqliteError(sqlite3* db, std::string_view file_name);

// The operator's words for SQLite's message `message` with result code
// `code` (extended or primary) and `file_name`; exposed for the tests.
Error SqliteFailure(int code, const std::string& message, std::string_view file_name);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_SQLITE_ERROR_H_
