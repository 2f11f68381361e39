#ifndef PREISLISTE_TESTS_DB_ENGINE_JETSQL_JET_DATABASE_H_
#define PREISLISTE_TESTS_DB_ENGINE_JETSQL_JET_DATABASE_H_

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "db/engine/jetsql/translate.h"

// An in-memory SQLite database that runs Jet statements through the
// translator, with a schema read by PRAGMA table_info.
class JetDatabase : public db::engine::jetsql::Schema {
 public:
  using Rows = std::vector<std::vector<std::string>>;

  JetDatabase();
  ~JetDatabase() override;
  JetDatabase(const JetDatabase&) = delete;
  JetDatabase& operator=(const JetDatabase&) = delete;

  std::optional<std::vector<db::engine::jetsql::ColumnInfo>> TableColumns(
      std::string_view table) const override;

  // Translates and runs every resulting statement; throws core::Error with
  // SQLite's message when one fails. Returns the rows of the last one,
  // each value as text, NULL as "NULL".
  Rows Run(std::string_view jet_sql,
           const db::engine::jetsql::TranslateOptions& options = {});
  // Runs SQLite SQL directly (set-up and checks).
  Rows RunNative(const std::string& sql, const std::vector<core::Value>& params = {});
  // EXPLAIN QUERY PLAN of a translated one-statement query, details joined.
  std::string QueryPlan(std::string_view jet_sql);
  // The declared types of a table's columns, "name TYPE" each.
  std::vector<std::string> ColumnTypes(std::string_view table);

  sqlite3* handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

#endif  // PREISLISTE_TESTS_DB_ENGINE_JETSQL_JET_DATABASE_H_
