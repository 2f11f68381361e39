#include "db/engine/sqlite/sqlite_schema.h"

#include <sqlite3.h>

#include "db/engine/core_types.h"

namespace db::engine {
namespace {

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::optional<std::vector<jetsql::ColumnInfo>> SqliteSchema::TableColumns(
    std::string_view table) const {
  const std::string key = ToAsciiLower(table);
  if (auto found = tables_.find(key); found != tables_.end()) return found->second;

  const std::vector<Value> params = {Value::Text(std::string(table))};
  sqlite3_stmt* statement = session_.Prepare(
      "SELECT name, type FROM pragma_table_info(?) ORDER BY cid", params);
  std::vector<jetsql::ColumnInfo> columns;
  while (session_.Step(statement))
    columns.push_back({ColumnText(statement, 0), ColumnText(statement, 1)});

  std::optional<std::vector<jetsql::ColumnInfo>> answer;
  if (!columns.empty()) answer = std::move(columns);
  tables_.emplace(key, answer);
  return answer;
}

bool SqliteSchema::IsWorkingTable(std::string_view table) const {
  for (const std::string& name : working_tables_)
    if (EqualIgnoringAsciiCase(name, table)) return true;
  return false;
}

bool SqliteSchema::FileHoldsTable(std::string_view table) const {
  const std::vector<Value> params = {Value::Text(std::string(table))};
  // Counted, so that the statement is run to its end and holds nothing open.
  sqlite3_stmt* statement = session_.Prepare(
      "SELECT count(*) FROM main.sqlite_master WHERE type = 'table' AND name = ? "
      "COLLATE NOCASE",
      params);
  const bool held = session_.Step(statement) && sqlite3_column_int(statement, 0) > 0;
  session_.Step(statement);  // the end
  return held;
}

}  // namespace db::engine
