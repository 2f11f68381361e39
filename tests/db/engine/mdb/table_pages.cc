#include "tests/db/engine/mdb/table_pages.h"

#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/usage_map.h"

namespace mdb_test {

namespace mdb = db::engine::mdb;

namespace {

// The pages a usage map names, the page of its row and, for a reference map
// (kind 1), the map pages its row lists.
void AddMap(const mdb::FileImage& image, mdb::RowPointer map, std::set<uint32_t>& pages) {
  for (const uint32_t page : mdb::DecodeUsageMap(image, map)) pages.insert(page);
  pages.insert(map.page);
  const mdb::ByteView row = mdb::FindRow(image, map);
  for (size_t k = 0; row.U8(0) == 1 && 1 + 4 * k + 4 <= row.size(); ++k)
    if (const uint32_t map_page = row.U32(1 + 4 * k); map_page != 0)
      pages.insert(map_page);
}

}  // namespace

std::set<uint32_t> TablePages(const mdb::FileImage& image,
                              const mdb::TableDefinition& table) {
  std::set<uint32_t> pages(table.pages().begin(), table.pages().end());
  AddMap(image, table.owned_pages(), pages);
  AddMap(image, table.free_space_pages(), pages);
  for (const mdb::RealIndex& index : table.real_indexes()) {
    AddMap(image, index.usage_map, pages);
    pages.insert(index.first_page);
  }
  return pages;
}

}  // namespace mdb_test
