#ifndef PREISLISTE_DB_ENGINE_MDB_INDEX_PAGES_H_
#define PREISLISTE_DB_ENGINE_MDB_INDEX_PAGES_H_

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "db/engine/mdb/index_page.h"

namespace db::engine::mdb {

// An index as it is stored: its entries in order and the pages that hold them.
struct IndexTree {
  std::vector<IndexEntry> entries;
  std::vector<uint32_t> pages;  // root first, then in the order they were read
};

// Reads the B-tree of an index of table `table_page` from its root page. Walks
// every intermediate page in order, and checks what a sound index must satisfy:
// index pages of that table only, each page once, entries in strictly increasing
// order, each intermediate entry equal to the last entry below it, and the leaf
// pages linked (prev/next) in that order. Any violation is a db::Error naming the
// page. Links between intermediate pages are not checked.
IndexTree ReadIndex(const FileImage& image, uint32_t root, uint32_t table_page);

// The pages of an index built from `entries`, which must be in strictly
// increasing order (db::Error otherwise). Leaf pages are filled in order as far as
// a page takes them with its shared prefix (stored only on pages that need it to
// fit, as Access does); above them come intermediate levels
// until one page, the root, holds the rest. Each page's page number comes from
// `allocate`, root first, then level by level from the top, left to right.
struct BuiltIndex {
  uint32_t root = 0;
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> pages;  // number, bytes
};
BuiltIndex BuildIndex(std::span<const IndexEntry> entries, uint32_t table_page,
                      const std::function<uint32_t()>& allocate);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_INDEX_PAGES_H_
