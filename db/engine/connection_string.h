#ifndef PREISLISTE_DB_ENGINE_CONNECTION_STRING_H_
#define PREISLISTE_DB_ENGINE_CONNECTION_STRING_H_

#include <string>
#include <string_view>

namespace db::engine {

// What the connection needs from an ADO connection string
// "Provider=...;Data Source=...;User ID=...;Password=...;Jet OLEDB:Database
// Password=...". Keys are matched without regard to letter case and surrounding blanks; a
// value may be enclosed in double or single quotes. Keys the connection does
// not use are accepted and ignored.
struct ConnectionSettings {
  std::string provider;
  std::string data_source;
  std::string database_password;  // accepted; SQLite files carry no password
};

inline constexpr std::string_view kJetProvider = "Microsoft.Jet.OLEDB.4.0";

// Throws core::Error when the provider is not Microsoft.Jet.OLEDB.4.0 or no data
// source is named.
ConnectionSettings ParseConnectionString(std::string_view text);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_CONNECTION_STRING_H_
