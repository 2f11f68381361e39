#include "jet_database.h"

#include <stdexcept>

#include "core/error.h"
#include "db/engine/jetsql/sqlite_functions.h"

JetDatabase::JetDatabase() {
  if (sqlite3_open(":memory:", &db_) != SQLITE_OK) throw std::runtime_error("no SQLite");
  db::engine::jetsql::RegisterSqliteFunctions(db_);
}

JetDatabase::~JetDatabase() { sqlite3_close(db_); }

std::optional<std::vector<db::engine::jetsql::ColumnInfo>> JetDatabase::TableColumns(
    std::string_view table) const {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db_, "SELECT name, type FROM pragma_table_info(?)", -1, &stmt,
                     nullptr);
  sqlite3_bind_text(stmt, 1, table.data(), static_cast<int>(table.size()),
                    SQLITE_TRANSIENT);
  std::vector<db::engine::jetsql::ColumnInfo> columns;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    columns.push_back({reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                       reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))});
  }
  sqlite3_finalize(stmt);
  if (columns.empty()) return std::nullopt;
  return columns;
}

JetDatabase::Rows JetDatabase::Run(std::string_view jet_sql,
                                   const db::engine::jetsql::TranslateOptions& options) {
  const db::engine::jetsql::Translation translation =
      db::engine::jetsql::Translate(jet_sql, *this, options);
  Rows rows;
  for (const db::engine::jetsql::SqliteStatement& statement : translation.statements) {
    rows = RunNative(statement.sql, statement.params);
  }
  return rows;
}

JetDatabase::Rows JetDatabase::RunNative(const std::string& sql,
                                         const std::vector<core::Value>& params) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    throw core::Error(sqlite3_errmsg(db_), core::Error::Kind::kOther);
  }
  for (size_t i = 0; i < params.size(); ++i) {
    const core::Value& value = params[i];
    const int index = static_cast<int>(i + 1);
    switch (value.type()) {
      case core::Value::Type::kNull:
        sqlite3_bind_null(stmt, index);
        break;
      case core::Value::Type::kText:
        sqlite3_bind_text(stmt, index, value.text().data(),
                          static_cast<int>(value.text().size()), SQLITE_TRANSIENT);
        break;
      case core::Value::Type::kInteger:
        sqlite3_bind_int64(stmt, index, value.integer());
        break;
      case core::Value::Type::kDouble:
        sqlite3_bind_double(stmt, index, value.real());
        break;
      case core::Value::Type::kCurrency:
        sqlite3_bind_double(stmt, index, value.currency().ToDouble());
        break;
    }
  }
  Rows rows;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
      row.push_back(text ? text : "NULL");
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE)
    throw core::Error(sqlite3_errmsg(db_), core::Error::Kind::kOther);
  return rows;
}

std::string JetDatabase::QueryPlan(std::string_view jet_sql) {
  const db::engine::jetsql::Translation translation =
      db::engine::jetsql::Translate(jet_sql, *this);
  std::string plan;
  for (const auto& row :
       RunNative("EXPLAIN QUERY PLAN " + translation.statements.at(0).sql,
                 translation.statements.at(0).params)) {
    plan += row.back() + "\n";
  }
  return plan;
}

std::vector<std::string> JetDatabase::ColumnTypes(std::string_view table) {
  std::vector<std::string> types;
  const auto columns = TableColumns(table);
  for (const db::engine::jetsql::ColumnInfo& column : columns.value()) {
    types.push_back(column.name + " " + column.declared_type);
  }
  return types;
}
