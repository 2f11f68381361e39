#include "tests/db/engine/mdb/jet_variants.h"

#include <algorithm>
#include <stdexcept>

#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/table_definition.h"

namespace mdb_test {

namespace mdb = db::engine::mdb;

void SetSortOrder(std::vector<uint8_t>& bytes, uint32_t locale, uint8_t version) {
  // XOR under the mask: the stored bytes change by what the plain ones do.
  const mdb::SortOrder now = mdb::Header::Parse(mdb::FileImage(bytes)).sort_order();
  const uint32_t change = now.locale ^ locale;
  for (int i = 0; i < 3; ++i) bytes[0x6E + i] ^= static_cast<uint8_t>(change >> (8 * i));
  bytes[0x71] ^= now.version ^ version;
}

void SetColumnSortOrder(std::vector<uint8_t>& bytes, const std::string& table,
                        const std::string& column, uint32_t locale, uint8_t version) {
  const mdb::FileImage image(bytes);
  const uint32_t page = mdb::Catalog::Read(image).TableDefinitionPage(table);
  const mdb::TableDefinition definition = mdb::TableDefinition::Read(image, page);
  if (definition.pages().size() != 1)
    throw std::invalid_argument("SetColumnSortOrder: a definition of several pages");
  for (const mdb::ColumnDefinition& c : definition.columns()) {
    if (c.name != column) continue;
    uint8_t* entry = bytes.data() + size_t{page} * mdb::kPageSize + c.entry_offset;
    for (int i = 0; i < 3; ++i) entry[11 + i] = static_cast<uint8_t>(locale >> (8 * i));
    entry[14] = version;
    return;
  }
  throw std::invalid_argument("SetColumnSortOrder: no column " + column);
}

std::vector<uint8_t> WithReferencePageMap(std::vector<uint8_t> bytes) {
  constexpr uint32_t kMapPageBits = (mdb::kPageSize - 4) * 8;
  const uint32_t map_page = static_cast<uint32_t>(bytes.size() / mdb::kPageSize);
  if (map_page >= kMapPageBits)
    throw std::invalid_argument("WithReferencePageMap: the file is too large");
  size_t row_offset = 0, row_size = 0;
  std::vector<uint8_t> bits(mdb::kPageSize - 4, 0);
  {
    const mdb::FileImage image(bytes);
    const mdb::GlobalPageMap inline_map = mdb::GlobalPageMap::Read(image);
    if (inline_map.is_reference())
      throw std::invalid_argument("WithReferencePageMap: already a reference map");
    const mdb::ByteView row = mdb::FindRow(image, mdb::GlobalPageMap::kLocation);
    row_offset = static_cast<size_t>(row.bytes().data() - image.Page(1).bytes().data());
    row_size = row.size();
    for (uint32_t page = 0; page < kMapPageBits; ++page)
      if (page != map_page && (page > map_page || !inline_map.InUse(page)))
        bits[page / 8] |= static_cast<uint8_t>(1u << (page % 8));
  }
  uint8_t* row = bytes.data() + mdb::kPageSize + row_offset;
  std::fill(row, row + row_size, 0);
  row[0] = 1;
  for (int i = 0; i < 4; ++i) row[1 + i] = static_cast<uint8_t>(map_page >> (8 * i));
  bytes.resize(bytes.size() + mdb::kPageSize, 0);
  uint8_t* page = bytes.data() + size_t{map_page} * mdb::kPageSize;
  page[0] = 0x05;
  page[1] = 0x01;
  std::copy(bits.begin(), bits.end(), page + 4);
  return bytes;
}

}  // namespace mdb_test
