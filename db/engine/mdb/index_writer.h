#ifndef PREISLISTE_DB_ENGINE_MDB_INDEX_WRITER_H_
#define PREISLISTE_DB_ENGINE_MDB_INDEX_WRITER_H_

#include <vector>

#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/writable_image.h"

namespace db::engine::mdb {

// Rebuilds every index of `table` from its rows (with the addresses they
// now have) in the writer's image; the IndexRebuild of ReplaceTableRows.
// For each index: its entries, sorted, become a new B-tree on the pages the
// index owns, in ascending order, and on new pages at the end of the file
// when those do not suffice (added to the index's usage map); pages it no
// longer needs stay owned, as empty leaves. The definition gets each
// index's root page and its count of distinct keys. Throws db::Error for a
// key column or a character whose key encoding is not covered, for two equal
// keys in a unique index, and for an owned page that is no index page of
// this table.
void RebuildIndexes(WritableImage& image, const TableDefinition& table,
                    const std::vector<StoredRow>& rows);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_INDEX_WRITER_H_
