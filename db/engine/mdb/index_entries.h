#ifndef PREISLISTE_DB_ENGINE_MDB_INDEX_ENTRIES_H_
#define PREISLISTE_DB_ENGINE_MDB_INDEX_ENTRIES_H_

#include <span>
#include <vector>

#include "db/engine/mdb/index_key.h"
#include "db/engine/mdb/index_page.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace db::engine::mdb {

// The entries `index` holds for `rows`, in index order: one per row, keyed by
// the row's values of the key columns, equal keys in the order of their row
// pointers. An index that ignores NULLs has no entry for a row whose key columns
// are all NULL. Errors of the key encoding (see AppendKey, KeyColumnsOf) propagate.
std::vector<IndexEntry> IndexEntriesOf(const TableDefinition& table,
                                       const RealIndex& index,
                                       std::span<const StoredRow> rows);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_INDEX_ENTRIES_H_
