#ifndef PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SESSION_H_
#define PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SESSION_H_

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/key_violation.h"
#include "db/engine/sqlite/statement_cache.h"
#include "db/engine/text_too_long.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db::engine {

// An open SQLite database file with its prepared-statement cache: what the
// connection and its record sets run their SQLite statements on. Every
// failure throws core::Error (SqliteFailure: its kind, and SQLite's message
// after the operator's words); a text refused for its column's width throws
// TextTooLong, two rows with the same unique key KeyViolation.
class SqliteSession {
 public:
  // Opens an existing database file for reading and writing. Never creates a
  // file. Fails for a missing, empty, unreadable, read-only or truncated file
  // and for one that is not an SQLite database. Registers the Jet functions.
  // `path` is UTF-8.
  static std::unique_ptr<SqliteSession> Open(const std::string& path,
                                             std::chrono::milliseconds busy_timeout);
  // A new, empty database in memory, for the tables of a file that SQLite
  // does not read itself; `shown_name` names it in error descriptions.
  static std::unique_ptr<SqliteSession> OpenInMemory(const std::string& shown_name);
  ~SqliteSession();  // finalizes the statements and closes the file
  SqliteSession(const SqliteSession&) = delete;
  SqliteSession& operator=(const SqliteSession&) = delete;

  sqlite3* handle() const { return db_; }

  // Copies the committed state of the database file into the empty file
  // `path` (UTF-8) with SQLite's backup API, through a second, read-only
  // connection, and flushes it. Called inside a write transaction before its
  // first change, it copies the state that transaction's commit replaces:
  // the write lock keeps other connections from committing meanwhile.
  void CopyInto(const std::string& path) const;

  // The cached statement for `sql` with `params` bound to its ? in order.
  // Texts are bound without a copy: `params` must outlive the stepping.
  sqlite3_stmt* Prepare(const std::string& sql, const std::vector<Value>& params);
  // Steps `statement`: true with a row, false when done. Throws on failure.
  bool Step(sqlite3_stmt* statement);
  // Prepares, binds and runs `sql` to completion.
  void Run(const std::string& sql, const std::vector<Value>& params = {});

  [[noreturn]] void Fail() const;

  // The key a unique index stands for, when the index is built on something
  // other than the columns themselves (SQLite then names only the index):
  // its table, its name in the file and its columns, for the KeyViolation
  // that a duplicate throws.
  struct UniqueKey {
    std::string table;
    std::string name;
    std::vector<std::string> columns;
  };
  void NameUniqueIndex(const std::string& index, UniqueKey key);

  // Called by an SQL function of the session's caller that fails the current
  // step: the step then throws this error, with its kind, instead of the bare
  // text SQLite passes on.
  void FunctionFailed(const Error& failure) { function_failure_ = failure; }

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
  std::map<std::string, UniqueKey> unique_keys_;
  std::optional<Error> function_failure_;

  // The KeyViolation for SQLite's message about a unique key; none when the
  // message names an index of unknown meaning.
  std::optional<KeyViolation> KeyViolationOf(const std::string& message) const;
};

// Binds a value to parameter `index` (1-based) the way the database stores
// it: currency as a double with four decimals.
int BindValue(sqlite3_stmt* statement, int index, const Value& value);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_SQLITE_SESSION_H_
