#ifndef PREISLISTE_DB_ENGINE_SQLITE_SQLITE_ERROR_H_
#define PREISLISTE_DB_ENGINE_SQLITE_SQLITE_ERROR_H_

#include <string>
#include <string_view>

struct sqlite3;

namespace db::engine {

// SQLite's message for the last failed call on `db` ("no such table:
// Prices"). When another connection holds the lock, the description
// also names the database file, because that is what the operator has to close.
std::string DescribeSqliteError(sqlite3* db, std::string_view file_name);

// Throws core::Error with DescribeSqliteError().
[[noreturn]] void ThrowSqliteError(sqlite3* db, std::string_view file_name);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_SQLITE_ERROR_H_
