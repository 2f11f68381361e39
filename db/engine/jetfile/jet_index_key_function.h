#ifndef PREISLISTE_DB_ENGINE_JETFILE_JET_INDEX_KEY_FUNCTION_H_
#define PREISLISTE_DB_ENGINE_JETFILE_JET_INDEX_KEY_FUNCTION_H_

#include <string>
#include <vector>

#include "db/engine/mdb/index_key.h"

namespace db::engine {

class SqliteSession;

// Registers on `db` the deterministic SQLite function `name`, taking one
// argument per entry of `columns`, that returns the key bytes a Jet index
// over those columns stores for a row (mdb::IndexKey). An index on that
// expression compares rows exactly as the Jet index does: texts that differ
// only in letter case (or in trailing blanks) get equal keys and collide in a
// unique index. A row whose key columns are all NULL gets NULL, which never
// collides, so a unique index takes several such rows as Jet does. A value
// the writer could not put into the index (a character whose key encoding is
// not covered, a number outside the column's range) makes the function fail
// with the encoder's description, and with it the statement that stored the
// value, which throws the encoder's error with its kind (kUnsupported for an
// uncovered character).
void RegisterIndexKeyFunction(SqliteSession& session, const std::string& name,
                              std::vector<mdb::KeyColumn> columns);

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_JETFILE_JET_INDEX_KEY_FUNCTION_H_
