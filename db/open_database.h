#ifndef PREISLISTE_DB_OPEN_DATABASE_H_
#define PREISLISTE_DB_OPEN_DATABASE_H_

#include <memory>
#include <string>

#include "db/engine/connection.h"
#include "run/run_view.h"

namespace db {

// The database password of the billing product's price database.
inline constexpr char kDatabasePassword[] = "Falter";

// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<full_path>;User ID=admin;
// Password=;Jet OLEDB:Database Password=<password>".
std::string BuildConnectionString(const std::string& full_path,
                                  const std::string& password);

// Opens <folder><file_name> (the folder ends in the path separator) with
// client-side cursors and shared access. On any failure shows
// "Datenbank <file_name> konnte nicht geöffnet werden!" with the error icon
// and the cause as its detail, and returns null. `will_commit`: see
// Connection::set_will_commit (false for a dry run).
std::unique_ptr<engine::Connection> OpenDatabase(const std::string& folder,
                                                 const std::string& file_name,
                                                 run::RunView& view, bool will_commit);

// Whether the file begins as a Jet database does; a run takes any other file
// for an SQLite one.
bool IsJetFile(const std::string& full_path);

// Opens the file as a run would, without changing it, and closes it again:
// a Jet file's header, password and table Numbers, an SQLite file's header
// and schema. Throws core::Error with the reason when a run could not open it.
void CheckOpensAsDatabase(const std::string& full_path);

// Closes the connection if it is open; ignores every failure. Null is allowed.
void CloseDatabase(engine::Connection* connection);

}  // namespace db

#endif  // PREISLISTE_DB_OPEN_DATABASE_H_
