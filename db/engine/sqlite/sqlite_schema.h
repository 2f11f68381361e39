#ifndef PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SCHEMA_H_
#define PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SCHEMA_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/jetsql/translate.h"
#include "db/engine/sqlite/sqlite_session.h"

namespace db::engine {

// The tables of an SQLite database as the translator sees them: column names
// and declared types as written in CREATE TABLE. Answers are cached per table
// until Clear(), which the connection calls whenever a statement or a
// rollback may have changed a table.
class SqliteSchema : public jetsql::Schema {
 public:
  explicit SqliteSchema(SqliteSession& session) : session_(session) {}

  std::optional<std::vector<jetsql::ColumnInfo>> TableColumns(
      std::string_view table) const override;
  bool IsWorkingTable(std::string_view table) const override;
  bool FileHoldsTable(std::string_view table) const override;
  void Clear() { tables_.clear(); }
  // Names (ASCII, any letter case) of the tables that are created in the
  // temporary database.
  void set_working_tables(std::vector<std::string> names) {
    working_tables_ = std::move(names);
  }

 private:
  SqliteSession& session_;
  std::vector<std::string> working_tables_;
  // Keyed by the lower-case table name (names are ASCII).
  mutable std::map<std::string, std::optional<std::vector<jetsql::ColumnInfo>>> tables_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SCHEMA_H_
