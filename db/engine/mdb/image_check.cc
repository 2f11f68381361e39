#include "db/engine/mdb/image_check.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/index_entries.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kRowTableOffset = 14;
constexpr uint16_t kOffsetMask = 0x1FFF;

std::string Page(uint32_t page) { return "Seite " + std::to_string(page); }

std::string IndexName(const TableDefinition& table, size_t real) {
  for (const LogicalIndex& logical : table.logical_indexes())
    if (logical.real_index == real) return logical.name;
  return "Nr. " + std::to_string(real);
}

// Rows lie from the end of the page downwards: row i ends where row i-1
// begins, and none may reach into the header or the offset table.
void CheckRowOffsets(const FileImage& image, uint32_t number) {
  const ByteView page = image.Page(number);
  const uint16_t count = page.U16(12);
  const size_t table_end = kRowTableOffset + 2 * size_t{count};
  if (table_end > kPageSize)
    throw Error(Page(number) + " hat mehr Zeilen, als die Seite fassen kann",
                Error::Kind::kDamaged);
  size_t end = kPageSize;
  for (uint16_t row = 0; row < count; ++row) {
    const size_t start = page.U16(kRowTableOffset + 2 * size_t{row}) & kOffsetMask;
    if (start < table_end || start > end)
      throw Error("Zeile " + std::to_string(row) + " auf " + Page(number) +
                      " liegt außerhalb ihres Platzes auf der Seite",
                  Error::Kind::kDamaged);
    end = start;
  }
}

// A page the global page map marks free may still name the table as its
// owner: Access gives pages back without clearing them. It is no page of
// the table.
void CheckDataPages(const FileImage& image, const TableDefinition& table,
                    const std::string& name, const std::vector<uint32_t>& owned,
                    const GlobalPageMap& map, const std::vector<uint32_t>* searched) {
  for (const uint32_t page : owned) {
    const ByteView bytes = image.Page(page);
    if (bytes.U8(0) != static_cast<uint8_t>(PageType::kData) ||
        bytes.U32(4) != table.first_page())
      throw Error(Page(page) + " gehört laut Seitenliste zu " + name +
                      ", ist aber keine Datenseite der Tabelle",
                  Error::Kind::kDamaged);
    CheckRowOffsets(image, page);
  }
  const std::set<uint32_t> in_map(owned.begin(), owned.end());
  const auto search = [&](uint32_t page) {
    if (page == 0 || page >= image.page_count()) return;
    const ByteView bytes = image.Page(page);
    if (bytes.U8(0) == static_cast<uint8_t>(PageType::kData) &&
        bytes.U32(4) == table.first_page() && !in_map.contains(page) && map.InUse(page))
      throw Error(Page(page) + " ist eine Datenseite von " + name +
                      ", fehlt aber in ihrer Seitenliste",
                  Error::Kind::kDamaged);
  };
  if (searched) {
    for (const uint32_t page : *searched) search(page);
  } else {
    for (uint32_t page = 1; page < image.page_count(); ++page) search(page);
  }
}

void CheckInUse(const GlobalPageMap& map, const std::vector<uint32_t>& pages) {
  for (const uint32_t page : pages)
    if (!map.InUse(page))
      throw Error(Page(page) +
                      " wird benutzt, ist in der Seitenbelegung (Seite 1) "
                      "aber als frei verzeichnet",
                  Error::Kind::kDamaged);
}

void CheckIndex(const FileImage& image, const TableDefinition& table,
                const std::string& name, size_t real, const std::vector<StoredRow>& rows,
                bool exact_key_counts, const GlobalPageMap& map) {
  const RealIndex& index = table.real_indexes()[real];
  const std::string what = "Der Index " + IndexName(table, real) + " von " + name;
  IndexTree tree;
  try {
    tree = ReadIndex(image, index.first_page, table.first_page());
  } catch (const Error& error) {
    throw Error(what + " ist beschädigt: " + error.what(), Error::Kind::kDamaged);
  }
  CheckInUse(map, tree.pages);
  CheckInUse(map, DecodeUsageMap(image, index.usage_map));
  const std::vector<IndexEntry> expected = IndexEntriesOf(table, index, rows);
  if (tree.entries.size() != expected.size())
    throw Error(what + " hat " + std::to_string(tree.entries.size()) +
                    " Einträge statt " + std::to_string(expected.size()),
                Error::Kind::kDamaged);
  for (size_t i = 0; i < expected.size(); ++i)
    if (tree.entries[i] != expected[i])
      throw Error(what + ": Eintrag " + std::to_string(i) + " (Zeile " +
                      std::to_string(tree.entries[i].row.row) + " auf " +
                      Page(tree.entries[i].row.page) +
                      ") passt nicht zu den Zeilen der Tabelle",
                  Error::Kind::kDamaged);
  if (!exact_key_counts) return;
  uint32_t distinct = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    if (i == 0 || expected[i].key != expected[i - 1].key) ++distinct;
  if (index.key_count != distinct)
    throw Error(what + " verzeichnet " + std::to_string(index.key_count) +
                    " verschiedene Schlüssel, hat aber " + std::to_string(distinct),
                Error::Kind::kDamaged);
}

}  // namespace

void CheckTableImage(const FileImage& image, uint32_t table_page, bool exact_key_counts,
                     const std::vector<uint32_t>* searched) {
  Header::Parse(image);
  const TableDefinition table = TableDefinition::Read(image, table_page);
  const std::string name = "der Tabelle auf " + Page(table_page);
  const std::vector<uint32_t> owned = DecodeUsageMap(image, table.owned_pages());
  const GlobalPageMap map = GlobalPageMap::Read(image);
  CheckDataPages(image, table, name, owned, map, searched);
  CheckInUse(map, table.pages());
  CheckInUse(map, owned);

  // TableReader refuses a row pointer into a page of another table; an
  // index entry must point at a row it read.
  const std::vector<StoredRow> rows = TableReader(image, table).ReadAll();
  if (rows.size() != table.row_count())
    throw Error("Die Definition " + name + " verzeichnet " +
                    std::to_string(table.row_count()) + " Zeilen, die Tabelle hat aber " +
                    std::to_string(rows.size()),
                Error::Kind::kDamaged);
  for (size_t real = 0; real < table.real_indexes().size(); ++real)
    CheckIndex(image, table, name, real, rows, exact_key_counts, map);
}

}  // namespace db::engine::mdb
