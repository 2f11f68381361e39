#ifndef PREISLISTE_DB_ENGINE_MDB_TABLE_WRITER_H_
#define PREISLISTE_DB_ENGINE_MDB_TABLE_WRITER_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/writable_image.h"

namespace db::engine::mdb {

// Rebuilds every index of a table from its new rows, each with the address
// it got, in the writer's image (the index page builder's job).
using IndexRebuild =
    std::function<void(WritableImage& image, const TableDefinition& table,
                       const std::vector<StoredRow>& rows)>;

// Replaces all rows of the table whose definition starts on
// `definition_page` with `rows` (values in the order of its columns), in
// the writer's copy of the image:
//   - the rows go onto the data pages the table owns, in ascending order,
//     laid out as Access lays them out; pages it no longer needs stay owned
//     by it, empty; for more, the file grows by new pages, marked in use in
//     the global page map and added to the table's own usage map;
//   - the free-space map lists the empty pages and the last page with rows;
//   - the definition gets the new row count and the AutoNumber counter the
//     highest number given (it never goes back: Jet gives no number twice);
//   - `rebuild_indexes` rebuilds the indexes from the rows and their
//     addresses. A table with indexes and no rebuild is refused: rows
//     without matching indexes would be a damaged table.
// Only the table's own pages (definition, data, its usage maps' rows and map
// pages) and page 1 change; page 0 never. Throws db::Error — before any
// change for rows that cannot be encoded and for a table whose owned pages
// are not all its data pages; a failure later leaves the copy unusable, to
// be dropped by the caller.
void ReplaceTableRows(WritableImage& image, uint32_t definition_page,
                      const std::vector<std::vector<Value>>& rows,
                      const IndexRebuild& rebuild_indexes);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_TABLE_WRITER_H_
