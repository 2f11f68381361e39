#ifndef PREISLISTE_DB_ENGINE_SQLITE_STATEMENT_CACHE_H_
#define PREISLISTE_DB_ENGINE_SQLITE_STATEMENT_CACHE_H_

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace db::engine {

// Prepared statements of one SQLite connection, keyed by their SQL text, so
// that a statement which repeats with other parameter values is compiled only
// once. Holds at most `capacity` statements and finalizes the least recently
// used one first, so a statement handed out stays valid while fewer than
// `capacity` other texts are prepared.
class StatementCache {
 public:
  // `file_name` names the database in error descriptions.
  StatementCache(sqlite3* db, std::string file_name, size_t capacity);
  ~StatementCache();  // finalizes every statement
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // The statement for `sql`, reset and without bindings. Throws core::Error
  // when the text does not compile or holds other than exactly one statement.
  sqlite3_stmt* Get(const std::string& sql);

 private:
  struct Entry {
    sqlite3_stmt* statement;
    std::list<std::string>::iterator recency;
  };

  sqlite3_stmt* Prepare(const std::string& sql);

  sqlite3* db_;
  std::string file_name_;
  size_t capacity_;
  std::list<std::string> recency_;  // most recently used first
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_STATEMENT_CACHE_H_
