#ifndef PREISLISTE_DB_ENGINE_TESTING_CONNECTION_INTERNALS_H_
#define PREISLISTE_DB_ENGINE_TESTING_CONNECTION_INTERNALS_H_

#include <sqlite3.h>

#include "db/engine/connection.h"
#include "db/engine/jetsql/translate.h"

namespace db::engine {

// For tests and benchmarks only: what a Connection keeps behind its
// contract, to inspect the database directly (prepare, trace, pragmas) and to
// see the column types the translator works with. The program's layers
// cannot include this header (cmake/layers.cmake, TEST_ACCESS).
class ConnectionInternals {
 public:
  // The SQLite handle behind an open connection; null when closed.
  static sqlite3* NativeHandle(const Connection& connection);
  // Column names and declared types of the tables; throws when closed.
  static const jetsql::Schema& Schema(const Connection& connection);
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_TESTING_CONNECTION_INTERNALS_H_
