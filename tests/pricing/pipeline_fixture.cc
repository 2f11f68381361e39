#include "tests/pricing/pipeline_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <charconv>

#include "core/utf8.h"
#include "db/engine/jetsql/sqlite_functions.h"
#include "db/open_database.h"
#include "run/tables.h"

namespace testing_support {

namespace {

// SQLite literal of an optional text or number.
std::string SqliteLiteral(const std::optional<std::string>& text) {
  return JetLiteral(text) == "Null" ? "NULL" : JetLiteral(text);
}

}  // namespace

std::string JetLiteral(const std::optional<double>& number) {
  if (!number) return "Null";
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, *number).ptr;
  return std::string(buffer, end);
}

std::string JetLiteral(const std::optional<std::string>& text) {
  if (!text) return "Null";
  std::string quoted = "'";
  for (char c : *text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string Money(const std::string& column) {
  return "CASE WHEN " + column + " IS NULL THEN 'NULL' ELSE printf('%.4f', " + column +
         ") END";
}

PriceDatabase::PriceDatabase(const std::vector<NumbersRow>& numbers,
                             const std::string& numbers_table)
    : file_(dir_.path() / "Numbers.mdb") {
  std::string sql = "BEGIN;" + numbers_table;  // one transaction: one sync
  for (const NumbersRow& row : numbers) {
    sql += "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK) VALUES (" +
           SqliteLiteral(row.number) + ", " + SqliteLiteral(row.name) + ", " +
           JetLiteral(row.price_eur) + ", " + JetLiteral(row.rate_ek) + ");";
  }
  RunSqlite(file_, sql + "COMMIT;");
}

void PriceDatabase::Begin(const std::vector<ImportRow>& import_rows) {
  connection_ = std::make_unique<db::engine::Connection>();
  connection_->set_connection_string(
      db::BuildConnectionString(file_.string(), db::kDatabasePassword));
  connection_->Open();
  connection_->BeginTrans();
  connection_->Execute(std::string(run::kCreateImport2Head) +
                       std::string(run::kCreateImport2Columns));
  for (const ImportRow& row : import_rows) {
    connection_->Execute("INSERT INTO Import2 (Vorwahl, Ziel, PreisEk) VALUES (" +
                         JetLiteral(row.vorwahl) + ", " + JetLiteral(row.ziel) + ", " +
                         JetLiteral(row.preis_ek) + ")");
  }
}

void PriceDatabase::Commit() {
  connection_->CommitTrans();
  connection_->Close();
}

void PriceDatabase::Rollback() {
  connection_->RollbackTrans();
  connection_->Close();
}

void PriceDatabase::RunSql(const std::string& sql) const { RunSqlite(file_, sql); }

std::vector<std::vector<std::string>> PriceDatabase::Query(const std::string& sql) const {
  // Tables made through the connection compare text with the database's own
  // collation, so a plain SQLite handle needs its functions to read them.
  std::vector<std::vector<std::string>> rows;
  sqlite3* handle = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(core::PathToUtf8(file_).c_str(), &handle, SQLITE_OPEN_READONLY,
                      nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << file_;
  } else {
    db::engine::jetsql::RegisterSqliteFunctions(handle);
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
      ADD_FAILURE() << "query failed: " << sqlite3_errmsg(handle) << "\n" << sql;
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      std::vector<std::string>& row = rows.emplace_back();
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const unsigned char* text = sqlite3_column_text(statement, i);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(handle);
  return rows;
}

std::vector<std::vector<std::string>> PriceDatabase::Snapshot(
    const std::string& table) const {
  std::vector<std::vector<std::string>> rows = Query("SELECT * FROM " + table);
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace testing_support
