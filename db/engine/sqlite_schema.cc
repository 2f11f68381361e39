#include "db/engine/sqlite_schema.h"

#include <sqlite3.h>

#include "db/engine/ascii.h"

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

}  // namespace db::engine
