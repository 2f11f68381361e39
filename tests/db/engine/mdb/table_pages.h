#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_TABLE_PAGES_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_TABLE_PAGES_H_

#include <cstdint>
#include <set>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"

namespace mdb_test {

// Every page that belongs to one table: its definition pages, the pages its
// usage maps name (data pages, free space, each index's pages and root), the
// pages that hold those maps' rows and a reference map's map pages. Besides
// page 1, these are all the pages that rewriting the table may change.
std::set<uint32_t> TablePages(const db::engine::mdb::FileImage& image,
                              const db::engine::mdb::TableDefinition& table);

}  // namespace mdb_test

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_TABLE_PAGES_H_
