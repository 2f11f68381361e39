#include "tests/reliability/database_dump.h"

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace reliability {

namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using DbHandle = std::unique_ptr<sqlite3, CloseDb>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

DbHandle OpenForDump(const std::filesystem::path& file, const std::string& vfs) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE,
                                     vfs.empty() ? nullptr : vfs.c_str());
  DbHandle db(raw);
  if (opened != SQLITE_OK)
    throw std::runtime_error("cannot open " + file.string() + ": " +
                             (raw ? sqlite3_errmsg(raw) : "out of memory"));
  return db;
}

StatementHandle Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + sql);
  return StatementHandle(raw);
}

std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string TaggedValue(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      return "NULL";
    case SQLITE_INTEGER:
      return "i:" + std::to_string(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT: {
      char text[40];
      std::snprintf(text, sizeof text, "r:%.17g",
                    sqlite3_column_double(statement, column));
      return text;
    }
    case SQLITE_TEXT: {
      const auto* bytes =
          reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return "t:'" + std::string(bytes, sqlite3_column_bytes(statement, column)) + "'";
    }
    default: {
      const auto* bytes =
          static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
      std::string hex = "x:";
      for (int i = 0; i < sqlite3_column_bytes(statement, column); ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        hex += pair;
      }
      return hex;
    }
  }
}

// Appends every row of a query, one line each.
void AppendRows(sqlite3* db, const std::string& sql, std::string& dump) {
  const StatementHandle statement = Prepare(db, sql);
  int result;
  while ((result = sqlite3_step(statement.get())) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(statement.get()); ++i) {
      if (i > 0) dump += '|';
      dump += TaggedValue(statement.get(), i);
    }
    dump += "\n";
  }
  if (result != SQLITE_DONE)
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + sql);
}

std::vector<std::string> TablesOf(sqlite3* db) {
  std::string lines;
  AppendRows(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
             lines);
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1)
    names.push_back(lines.substr(start + 3, end - start - 4));  // t:'name'
  return names;
}

}  // namespace

std::string DumpDatabase(const std::filesystem::path& file, const std::string& vfs) {
  const DbHandle db = OpenForDump(file, vfs);
  std::string dump = "-- schema\n";
  AppendRows(db.get(),
             "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name",
             dump);
  for (const std::string& table : TablesOf(db.get())) {
    dump += "-- table " + table + "\n";
    AppendRows(db.get(), "SELECT rowid, * FROM " + Quoted(table) + " ORDER BY rowid",
               dump);
  }
  return dump;
}

std::vector<std::string> TableNames(const std::filesystem::path& file,
                                    const std::string& vfs) {
  return TablesOf(OpenForDump(file, vfs).get());
}

}  // namespace reliability
