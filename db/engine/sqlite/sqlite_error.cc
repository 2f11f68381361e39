#include "db/engine/sqlite/sqlite_error.h"

#include <sqlite3.h>

#include "db/engine/core_types.h"

namespace db::engine {

std::string DescribeSqliteError(sqlite3* db, std::string_view file_name) {
  const int code = sqlite3_errcode(db) & 0xff;
  std::string message = sqlite3_errmsg(db);
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
    message += " (ein anderes Programm benutzt " + std::string(file_name) + ")";
  return message;
}

void ThrowSqliteError(sqlite3* db, std::string_view file_name) {
  throw Error(DescribeSqliteError(db, file_name));
}

}  // namespace db::engine
