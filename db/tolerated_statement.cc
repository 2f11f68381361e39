#include "db/tolerated_statement.h"

#include <string>

#include "core/error.h"

namespace db {

void ExecuteToleratingFailure(engine::Connection& connection, std::string_view jet_sql) {
  const bool in_transaction = connection.InTransaction();
  try {
    connection.Execute(jet_sql);
  } catch (const core::Error& failure) {
    if (in_transaction && !connection.InTransaction()) {
      throw core::Error("Die Datenbank hat die Transaktion abgebrochen, als \"" +
                            std::string(jet_sql) + "\" scheiterte: " + failure.what(),
                        failure.kind());
    }
  }
}

}  // namespace db
