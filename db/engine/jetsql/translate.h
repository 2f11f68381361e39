#ifndef PREISLISTE_DB_ENGINE_JETSQL_TRANSLATE_H_
#define PREISLISTE_DB_ENGINE_JETSQL_TRANSLATE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/core_types.h"

namespace db::engine::jetsql {

struct ColumnInfo {
  std::string name;
  std::string declared_type;  // as declared: "VARCHAR(255)", "CURRENCY", "INTEGER", ""
};

// The translator's view of the database: the columns of a table, or nothing
// when no such table exists. Names are matched without regard to case.
class Schema {
 public:
  virtual ~Schema() = default;
  virtual std::optional<std::vector<ColumnInfo>> TableColumns(
      std::string_view table) const = 0;
  // Whether a table of this name, when created, goes into SQLite's temporary
  // database instead of the file (a working table of the run, see
  // Connection::set_working_tables). Unqualified names find it first there.
  virtual bool IsWorkingTable(std::string_view /*table*/) const { return false; }
  // Whether the database file itself holds a table of this name.
  virtual bool FileHoldsTable(std::string_view /*table*/) const { return false; }
};

// One SQLite statement with the values for its ? parameters, in order.
// Literals of the Jet text become parameters, so that statements which
// differ only in their data share one prepared statement.
struct SqliteStatement {
  std::string sql;
  std::vector<Value> params;
};

struct Translation {
  bool returns_rows = false;
  // Run in this order inside the caller's transaction. A query has exactly one.
  std::vector<SqliteStatement> statements;
  // With TranslateOptions::with_rowid on a one-table SELECT (or a bare table
  // name): the table the rows come from; the first result column is then its
  // rowid, named kRowidColumn. Empty otherwise.
  std::string base_table;
  // Set when the statement creates, drops or alters a table, so that cached
  // schema information must be refreshed.
  bool changes_schema = false;
};

inline constexpr std::string_view kRowidColumn = "__rowid__";

struct TranslateOptions {
  bool with_rowid = false;
  // Accept a bare table name as the whole statement (a record set source).
  bool table_name_is_query = false;
};

// Translates one Jet SQL statement. Throws core::Error with a description for
// anything outside the supported dialect or malformed; never passes text
// through unchecked.
Translation Translate(std::string_view jet_sql, const Schema& schema,
                      const TranslateOptions& options = {});

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_TRANSLATE_H_
