#ifndef PREISLISTE_DB_ENGINE_MDB_IMAGE_CHECK_H_
#define PREISLISTE_DB_ENGINE_MDB_IMAGE_CHECK_H_

#include <cstdint>
#include <vector>

#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

// A structural check of one table of an image, as the commit's re-read of
// the written copy runs it: the header parses; every page the table's usage
// map names is a data page of the table (owner field), and every data page
// of the table in use is in its map (Access gives pages back to the file
// without clearing their owner); the global page map marks the table's pages
// (definition, data, index pages) in use; every row's offsets lie inside
// its page, below the offset table, without overlapping; the definition's
// row count equals the live rows; every index reads in order (ReadIndex),
// holds exactly the entries the rows give (each row pointer at a live row
// whose re-encoded key equals the entry) and, when `exact_key_counts`, its
// stored count of distinct keys. (Access's own files may count keys ever
// entered, so the count is checked only on files this program wrote.)
// Throws core::Error naming what is wrong and where.
//
// Data pages of the table missing from its map are looked for on every page
// of the file, or, when `searched` is given, on those pages only: a commit
// passes the pages it wrote, since every other page of its copy is the
// original's as it was read, and so reads only the table's own pages and
// page 1 however large the file.
void CheckTableImage(const FileImage& image, uint32_t table_page, bool exact_key_counts,
                     const std::vector<uint32_t>* searched = nullptr);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_IMAGE_CHECK_H_
