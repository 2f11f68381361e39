#include "db/engine/mdb/index_writer.h"

#include <algorithm>
#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/index_entries.h"
#include "db/engine/mdb/index_key.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/mdb/key_coverage.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

// Offset of the root page in a real index's 52-byte entry of the definition.
constexpr size_t kRootOffsetInEntry = 38;

void PutU32(WritableImage& image, FileOffset at, uint32_t value) {
  const std::span<uint8_t> page = image.Page(at.page);
  for (int i = 0; i < 4; ++i)
    page[at.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Only keys whose encoding the tests compared with Access's own go into a file.
void RequireCovered(const std::vector<KeyColumn>& columns,
                    const std::vector<StoredRow>& rows) {
  for (const KeyColumn& column : columns) {
    RequireCoveredColumn(column);
    for (const StoredRow& row : rows)
      RequireCoveredValue(column, row.values.at(column.position));
  }
}

std::string IndexName(const TableDefinition& table, size_t real) {
  for (const LogicalIndex& logical : table.logical_indexes())
    if (logical.real_index == real) return logical.name;
  return std::to_string(real);
}

// Counts the distinct keys; refuses a repeated one in a unique index.
uint32_t DistinctKeys(const TableDefinition& table, size_t real,
                      const std::vector<IndexEntry>& entries) {
  uint32_t distinct = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && entries[i].key == entries[i - 1].key) {
      if (table.real_indexes()[real].unique())
        throw Error("Der eindeutige Index " + IndexName(table, real) +
                        " enthielte einen Schlüssel zweimal",
                    Error::Kind::kConstraint);
      continue;
    }
    ++distinct;
  }
  return distinct;
}

std::vector<uint32_t> OwnedIndexPages(const FileImage& image,
                                      const TableDefinition& table,
                                      const RealIndex& index) {
  const std::vector<uint32_t> owned = DecodeUsageMap(image, index.usage_map);
  for (const uint32_t page : owned) {
    const ByteView bytes = image.Page(page);
    const uint8_t type = bytes.U8(0);
    if ((type != static_cast<uint8_t>(PageType::kIndexNode) &&
         type != static_cast<uint8_t>(PageType::kIndexLeaf)) ||
        bytes.U32(4) != table.first_page())
      throw Error(
          "Die Datenbankdatei ist beschädigt: Seite " + std::to_string(page) +
              " gehört laut Seitenliste zu einem Index der Tabelle, ist aber keine "
              "seiner Seiten",
          Error::Kind::kDamaged);
  }
  return owned;
}

void WritePage(WritableImage& image, uint32_t number, const std::vector<uint8_t>& bytes) {
  const std::span<uint8_t> page = image.Page(number);
  std::fill(page.begin(), page.end(), 0);
  std::copy(bytes.begin(), bytes.end(), page.begin());
}

void RebuildIndex(WritableImage& image, const TableDefinition& table, size_t real,
                  const std::vector<StoredRow>& rows) {
  const RealIndex& index = table.real_indexes()[real];
  RequireCovered(KeyColumnsOf(table, index), rows);
  const std::vector<IndexEntry> entries = IndexEntriesOf(table, index, rows);
  const uint32_t distinct = DistinctKeys(table, real, entries);

  const std::vector<uint32_t> owned = OwnedIndexPages(image.image(), table, index);
  std::vector<uint32_t> pages = owned;
  size_t used = 0;
  const BuiltIndex built = BuildIndex(entries, table.first_page(), [&] {
    if (used == pages.size()) pages.push_back(image.AppendPage());
    return pages[used++];
  });
  for (const auto& [number, bytes] : built.pages) WritePage(image, number, bytes);
  for (size_t p = used; p < pages.size(); ++p) {
    const uint32_t spare = pages[p];
    const BuiltIndex empty =
        BuildIndex({}, table.first_page(), [spare] { return spare; });
    WritePage(image, spare, empty.pages.front().second);
  }
  // New pages lie past every owned one: the list stays ascending.
  WriteUsageMap(image, index.usage_map, pages);
  PutU32(image, table.Locate(index.entry_offset + kRootOffsetInEntry), built.root);
  PutU32(image, table.Locate(index.count_offset), distinct);
}

}  // namespace

void RebuildIndexes(WritableImage& image, const TableDefinition& table,
                    const std::vector<StoredRow>& rows) {
  for (size_t real = 0; real < table.real_indexes().size(); ++real)
    RebuildIndex(image, table, real, rows);
}

}  // namespace db::engine::mdb
