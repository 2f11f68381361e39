#ifndef PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SESSION_H_
#define PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SESSION_H_

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/sqlite/statement_cache.h"
#include "db/engine/text_too_long.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db::engine {

// An open SQLite database file with its prepared-statement cache: what the
// connection and its record sets run their SQLite statements on. Every
// failure throws core::Error with SQLite's message; a text refused for its
// column's width throws TextTooLong.
class SqliteSession {
 public:
  // Opens an existing database file for reading and writing. Never creates a
  // file. Fails for a missing, empty, unreadable, read-only or truncated file
  // and for one that is not an SQLite database. Registers the Jet functions.
  static std::unique_ptr<SqliteSession> Open(const std::string& path,
                                             std::chrono::milliseconds busy_timeout);
  // A new, empty database in memory, for the tables of a file that SQLite
  // does not read itself; `shown_name` names it in error descriptions.
  static std::unique_ptr<SqliteSession> OpenInMemory(const std::string& shown_name);
  ~SqliteSession();  // finalizes the statements and closes the file
  SqliteSession(const SqliteSession&) = delete;
  SqliteSession& operator=(const SqliteSession&) = delete;

  sqlite3* handle() const { return db_; }

  // The cached statement for `sql` with `params` bound to its ? in order.
  // Texts are bound without a copy: `params` must outlive the stepping.
  sqlite3_stmt* Prepare(const std::string& sql, const std::vector<Value>& params);
  // Steps `statement`: true with a row, false when done. Throws on failure.
  bool Step(sqlite3_stmt* statement);
  // Prepares, binds and runs `sql` to completion.
  void Run(const std::string& sql, const std::vector<Value>& params = {});

  [[noreturn]] void Fail() const;

 private:
  SqliteSession(sqlite3* db, std::string file_name);
  void CheckReadable(const std::string& shown);
  // What every session needs before its first statement.
  void Configure();
  // The page caches and how deleted content is cleared; only once the
  // database has proved readable.
  void Tune();

  sqlite3* db_;
  std::string file_name_;
  std::unique_ptr<StatementCache> cache_;
  // Where jet_text_fits leaves the text it refused during the current step.
  std::optional<TextTooLong> refused_text_;
};

// Binds a value to parameter `index` (1-based) the way the database stores
// it: currency as a double with four decimals.
int BindValue(sqlite3_stmt* statement, int index, const Value& value);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SESSION_H_
