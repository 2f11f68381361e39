#ifndef PREISLISTE_DB_ENGINE_MDB_KEY_COVERAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_KEY_COVERAGE_H_

#include <span>

#include "db/engine/mdb/index_key.h"

namespace db::engine::mdb {

// The index keys the writer may write: only those whose encoding has been
// compared byte for byte with keys that Microsoft Access wrote (the test files
// of access-made/, see tests/db/engine/mdb/stored_index_keys_test.cc, which
// fails when this list claims a type or character those files do not hold).
// Everything else the General order could encode stays refused, so that a key
// Access might sort differently never reaches a file.

struct CharacterRange {
  char16_t first, last;
};

std::span<const ColumnType> CoveredColumnTypes();
std::span<const CharacterRange> CoveredCharacters();

// Throws db::Error naming the column and its type when keys of the column's
// type are not covered.
void RequireCoveredColumn(const KeyColumn& column);

// Throws db::Error naming the column, the character and its code point when a
// character of a text value is not covered.
void RequireCoveredValue(const KeyColumn& column, const Value& value);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_KEY_COVERAGE_H_
