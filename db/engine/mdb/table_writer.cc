#include "db/engine/mdb/table_writer.h"

#include <algorithm>
#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/data_page_writer.h"
#include "db/engine/mdb/row_encoder.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

void PutU32(WritableImage& image, FileOffset at, uint32_t value) {
  const std::span<uint8_t> page = image.Page(at.page);
  for (int i = 0; i < 4; ++i)
    page[at.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The pages the table owns, each checked to be one of its data pages: a
// map that lists another table's page must not make the writer overwrite it.
std::vector<uint32_t> OwnedDataPages(const FileImage& image,
                                     const TableDefinition& table) {
  const std::vector<uint32_t> owned = DecodeUsageMap(image, table.owned_pages());
  for (const uint32_t page : owned)
    if (DataPage(image, page).owner() != table.first_page())
      throw Error(
          "Die Datenbankdatei ist beschädigt: Seite " + std::to_string(page) +
              " gehört laut Seitenliste zur Tabelle, ist aber keine ihrer Datenseiten",
          Error::Kind::kDamaged);
  return owned;
}

// The highest of the counter and every AutoNumber value of the rows.
uint32_t NextCounter(const TableDefinition& table,
                     const std::vector<std::vector<Value>>& rows) {
  int64_t counter = table.autonumber();
  for (size_t c = 0; c < table.columns().size(); ++c) {
    if (!table.columns()[c].is_autonumber()) continue;
    for (const std::vector<Value>& row : rows)
      if (row[c].type() == Value::Type::kInteger)
        counter = std::max(counter, row[c].integer());
  }
  return static_cast<uint32_t>(counter);
}

}  // namespace

void ReplaceTableRows(WritableImage& image, uint32_t definition_page,
                      const std::vector<std::vector<Value>>& rows,
                      const IndexRebuild& rebuild_indexes) {
  const TableDefinition table = TableDefinition::Read(image.image(), definition_page);
  if (!table.real_indexes().empty() && !rebuild_indexes)
    throw Error("Die Indizes der Tabelle können (noch) nicht neu geschrieben werden",
                Error::Kind::kUnsupported);
  std::vector<std::vector<uint8_t>> encoded;
  encoded.reserve(rows.size());
  for (const std::vector<Value>& row : rows) encoded.push_back(EncodeRow(table, row));
  const std::vector<PageBytes> filled = LayOutDataPages(definition_page, encoded);
  std::vector<uint32_t> targets = OwnedDataPages(image.image(), table);

  while (targets.size() < filled.size()) targets.push_back(image.AppendPage());
  std::vector<uint32_t> free_space;
  std::vector<StoredRow> stored;
  stored.reserve(rows.size());
  for (size_t p = 0; p < targets.size(); ++p) {
    const PageBytes page = p < filled.size() ? filled[p] : EmptyDataPage(definition_page);
    std::copy(page.begin(), page.end(), image.Page(targets[p]).begin());
    if (p + 1 >= filled.size()) free_space.push_back(targets[p]);
    for (uint8_t r = 0; p < filled.size() && r < page[12]; ++r)
      stored.push_back({{targets[p], r}, rows[stored.size()]});
  }
  // Pages added here lie past all owned ones, so the list stays ascending.
  WriteUsageMap(image, table.owned_pages(), targets);
  WriteUsageMap(image, table.free_space_pages(), free_space);
  PutU32(image, table.Locate(TableDefinition::kRowCountOffset),
         static_cast<uint32_t>(rows.size()));
  PutU32(image, table.Locate(TableDefinition::kAutoNumberOffset),
         NextCounter(table, rows));
  if (rebuild_indexes)
    rebuild_indexes(image, TableDefinition::Read(image.image(), definition_page), stored);
}

}  // namespace db::engine::mdb
