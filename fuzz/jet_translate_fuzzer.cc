// The Jet SQL translator on any text, with the tables of a run. A text it
// accepts must become SQLite statements that SQLite can at least parse:
// a syntax error there means the translator let text through unchecked.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "db/engine/jetsql/sqlite_functions.h"
#include "db/engine/jetsql/translate.h"

namespace {

struct Table {
  const char* name;
  std::vector<db::engine::jetsql::ColumnInfo> columns;
};

const std::vector<Table>& Tables() {
  static const std::vector<Table> tables = {
      {"Numbers",
       {{"Number", "VARCHAR(30)"},
        {"Name", "VARCHAR(100)"},
        {"Price_EUR", "CURRENCY"},
        {"Rate_EK", "CURRENCY"},
        {"GraceTime", "INTEGER"},
        {"Profile", "VARCHAR(50)"}}},
      {"NumbersPrevious",
       {{"Number", "VARCHAR(30)"},
        {"Name", "VARCHAR(100)"},
        {"Price_EUR", "CURRENCY"},
        {"Rate_EK", "CURRENCY"},
        {"GraceTime", "INTEGER"},
        {"Profile", "VARCHAR(50)"}}},
      {"tmpMaxPreis",
       {{"Name", "VARCHAR(100)"}, {"Price_EUR", "CURRENCY"}, {"Expr1002", "INTEGER"}}},
      {"Import2",
       {{"Vorwahl", "VARCHAR(255)"},
        {"Ziel", "VARCHAR(255)"},
        {"PreisEk", "CURRENCY"},
        {"ImportState", "INTEGER"},
        {"OldName", "VARCHAR(255)"},
        {"VkPreis", "CURRENCY"}}},
  };
  return tables;
}

class RunSchema : public db::engine::jetsql::Schema {
 public:
  std::optional<std::vector<db::engine::jetsql::ColumnInfo>> TableColumns(
      std::string_view table) const override {
    for (const Table& t : Tables())
      if (sqlite3_strnicmp(t.name, table.data(), static_cast<int>(table.size())) == 0 &&
          std::string_view(t.name).size() == table.size())
        return t.columns;
    return std::nullopt;
  }
};

// An in-memory database with the same tables and the translator's functions.
sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* opened = nullptr;
    sqlite3_open(":memory:", &opened);
    db::engine::jetsql::RegisterSqliteFunctions(opened);
    for (const Table& t : Tables()) {
      std::string sql = std::string("CREATE TABLE ") + t.name + " (";
      for (size_t i = 0; i < t.columns.size(); ++i)
        sql += (i ? ", " : "") + t.columns[i].name + " " + t.columns[i].declared_type;
      sqlite3_exec(opened, (sql + ")").c_str(), nullptr, nullptr, nullptr);
    }
    return opened;
  }();
  return db;
}

// SQLite's own parse failures; other failures ("no such column: ...") may
// quote the statement's names, which can hold any text.
bool IsParseError(const std::string& message) {
  return (message.starts_with("near \"") && message.ends_with("\": syntax error")) ||
         message.starts_with("unrecognized token: ") || message == "incomplete input";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  db::engine::jetsql::TranslateOptions options;
  options.with_rowid = data[0] & 1;
  options.table_name_is_query = data[0] & 2;
  const std::string_view jet(reinterpret_cast<const char*>(data) + 1, size - 1);
  static const RunSchema schema;
  db::engine::jetsql::Translation translation;
  try {
    translation = db::engine::jetsql::Translate(jet, schema, options);
  } catch (const core::Error&) {
    return 0;  // rejected with a description: fine
  }
  for (const db::engine::jetsql::SqliteStatement& statement : translation.statements) {
    sqlite3_stmt* prepared = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(Database(), statement.sql.c_str(), -1, &prepared, &tail) !=
        SQLITE_OK) {
      const std::string message = sqlite3_errmsg(Database());
      if (IsParseError(message)) {
        std::fprintf(stderr, "translated into unparsable SQL: %s\n%s\n", message.c_str(),
                     statement.sql.c_str());
        std::abort();
      }
    } else if (tail != nullptr && *tail != '\0') {
      std::fprintf(stderr, "translated into more than one statement:\n%s\n",
                   statement.sql.c_str());
      std::abort();
    }
    sqlite3_finalize(prepared);
  }
  return 0;
}
