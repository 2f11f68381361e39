#include "db/open_database.h"

#include <exception>

#include "db/engine/jetfile/jet_file_session.h"
#include "run/tables.h"

namespace db {

using engine::Connection;

std::string BuildConnectionString(const std::string& full_path,
                                  const std::string& password) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + full_path +
         ";User ID=admin;Password=;Jet OLEDB:Database Password=" + password;
}

std::unique_ptr<Connection> OpenDatabase(const std::string& folder,
                                         const std::string& file_name, run::RunView& view,
                                         bool will_commit) {
  auto connection = std::make_unique<Connection>();
  connection->set_will_commit(will_commit);
  connection->set_jet_file_table(std::string(run::kNumbers));
  connection->set_connection_string(
      BuildConnectionString(folder + file_name, kDatabasePassword));
  connection->set_working_tables({std::string(run::kImport2),
                                  std::string(run::kNumbersPrevious),
                                  std::string(run::kTmpMaxPreis)});
  std::string reason;
  try {
    connection->Open();
  } catch (const std::exception& failure) {
    // The state alone decides; the description tells the operator why.
    reason = failure.what();
  }
  if (connection->state() == Connection::State::kOpen) return connection;
  view.ShowMessage("Datenbank " + file_name + " konnte nicht geöffnet werden!",
                   run::RunView::Icon::kError, reason);
  return nullptr;
}

bool IsJetFile(const std::string& full_path) { return engine::HasJetHeader(full_path); }

void CheckOpensAsDatabase(const std::string& full_path) {
  Connection connection;
  connection.set_jet_file_table(std::string(run::kNumbers));
  connection.set_connection_string(BuildConnectionString(full_path, kDatabasePassword));
  connection.Open();
  connection.Close();
}

void CloseDatabase(Connection* connection) {
  // Close() never throws: a transaction still open is rolled back or
  // discarded with the file.
  if (connection != nullptr) connection->Close();
}

}  // namespace db
