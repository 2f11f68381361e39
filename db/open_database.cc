#include "db/open_database.h"

#include <exception>

#include "db/tables.h"

namespace db {

using engine::Connection;

std::string BuildConnectionString(const std::string& full_path,
                                  const std::string& password) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + full_path +
         ";User ID=admin;Password=;Jet OLEDB:Database Password=" + password;
}

std::unique_ptr<Connection> OpenDatabase(const std::string& folder,
                                         const std::string& file_name, RunView& view) {
  auto connection = std::make_unique<Connection>();
  connection->set_cursor_location(3);  // client-side: record sets are snapshots
  connection->set_mode(16);            // share-deny-none: others may use the file
  connection->set_connection_string(
      BuildConnectionString(folder + file_name, kDatabasePassword));
  connection->set_working_tables(
      {std::string(kImport2), std::string(kNumbersPrevious), std::string(kTmpMaxPreis)});
  std::string reason;
  try {
    connection->Open();
  } catch (const std::exception& failure) {
    // The state alone decides; the description tells the operator why.
    reason = failure.what();
  }
  if (connection->state() == Connection::State::kOpen) return connection;
  view.ShowMessage("Datenbank " + file_name + " konnte nicht geöffnet werden!",
                   RunView::Icon::kError, reason);
  return nullptr;
}

void CloseDatabase(Connection* connection) {
  if (connection == nullptr) return;
  try {
    if (connection->state() != Connection::State::kClosed) connection->Close();
  } catch (const std::exception&) {
    // Closing is best effort; the run has already failed or finished.
  }
}

}  // namespace db
