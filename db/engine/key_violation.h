#ifndef PREISLISTE_DB_ENGINE_KEY_VIOLATION_H_
#define PREISLISTE_DB_ENGINE_KEY_VIOLATION_H_

#include <string>
#include <vector>

#include "db/engine/core_types.h"

namespace db::engine {

// A write refused because two rows of `table` would have the same key of a
// unique index or primary key (kind kConstraint). The statement has changed
// nothing. The parts stay available so that the caller, who knows where the
// rows came from, can name the value and the rows: the engine knows only the
// table, the key and its columns. `key` is the index's name in the file
// ("PrimaryKey"), or empty when the key has none of its own (a UNIQUE
// column of an SQLite table).
//
// The description reads on its own, with the database's reason after it:
// "Tabelle Tarife, Schlüssel PrimaryKey (Vorwahl): ein Wert käme zweimal vor
// (UNIQUE constraint failed: index 'Tarife: PrimaryKey')".
class KeyViolation : public Error {
 public:
  KeyViolation(std::string table, std::string key, std::vector<std::string> columns,
               const std::string& reason);

  const std::string& table() const { return table_; }
  const std::string& key() const { return key_; }
  const std::vector<std::string>& columns() const { return columns_; }

 private:
  std::string table_;
  std::string key_;
  std::vector<std::string> columns_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_KEY_VIOLATION_H_
