#ifndef PREISLISTE_DB_TOLERATED_STATEMENT_H_
#define PREISLISTE_DB_TOLERATED_STATEMENT_H_

#include <string_view>

#include "db/engine/connection.h"

namespace db {

// Runs a statement whose failure the caller accepts, such as dropping a
// table that may not exist. A failure that has ended the open transaction is
// not accepted: SQLite rolls the whole transaction back on its own after some
// errors, and every later statement of the run would then be committed at
// once while the run is going to stop. It throws core::Error naming the
// statement and the cause; every other failure is ignored.
void ExecuteToleratingFailure(engine::Connection& connection, std::string_view jet_sql);

}  // namespace db

#endif  // PREISLISTE_DB_TOLERATED_STATEMENT_H_
