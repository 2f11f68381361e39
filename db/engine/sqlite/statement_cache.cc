#include "db/engine/sqlite/statement_cache.h"

#include <sqlite3.h>

#include "db/engine/core_types.h"
#include "db/engine/sqlite/sqlite_error.h"

namespace db::engine {

StatementCache::StatementCache(sqlite3* db, std::string file_name, size_t capacity)
    : db_(db), file_name_(std::move(file_name)), capacity_(capacity < 1 ? 1 : capacity) {}

StatementCache::~StatementCache() {
  for (auto& [sql, entry] : entries_) sqlite3_finalize(entry.statement);
}

sqlite3_stmt* StatementCache::Get(const std::string& sql) {
  if (auto found = entries_.find(sql); found != entries_.end()) {
    Entry& entry = found->second;
    recency_.splice(recency_.begin(), recency_, entry.recency);
    sqlite3_reset(entry.statement);
    sqlite3_clear_bindings(entry.statement);
    return entry.statement;
  }
  sqlite3_stmt* statement = Prepare(sql);
  if (entries_.size() >= capacity_) {
    auto oldest = entries_.find(recency_.back());
    sqlite3_finalize(oldest->second.statement);
    entries_.erase(oldest);
    recency_.pop_back();
  }
  recency_.push_front(sql);
  entries_.emplace(sql, Entry{statement, recency_.begin()});
  return statement;
}

sqlite3_stmt* StatementCache::Prepare(const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size() + 1),
                         SQLITE_PREPARE_PERSISTENT, &statement, &tail) != SQLITE_OK)
    ThrowSqliteError(db_, file_name_);
  // Whatever SQLite did not compile would silently be skipped: refuse it.
  const std::string_view rest = tail ? std::string_view(tail) : std::string_view();
  if (statement == nullptr ||
      rest.find_first_not_of(" \t\r\n;") != std::string_view::npos) {
    sqlite3_finalize(statement);
    throw Error("Not exactly one SQL statement: " + sql, Error::Kind::kInternal);
  }
  return statement;
}

}  // namespace db::engine
