#include "db/engine/mdb/table_reader.h"

#include <map>
#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/data_row.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

// Row pointers hold one byte for the row number.
constexpr uint16_t kMaxRowsPerPage = 256;

DataPage TablePage(const FileImage& image, const TableDefinition& definition,
                   uint32_t number) {
  DataPage page(image, number);
  if (page.owner() != definition.first_page())
    throw Error("Die Datenbankdatei ist beschädigt: Seite " + std::to_string(number) +
                    " ist für die Tabelle auf Seite " +
                    std::to_string(definition.first_page()) +
                    " verzeichnet, gehört aber woandershin",
                Error::Kind::kDamaged);
  if (page.row_count() > kMaxRowsPerPage)
    throw Error("Die Datenbankdatei ist beschädigt: Seite " + std::to_string(number) +
                    " gibt " + std::to_string(page.row_count()) + " Zeilen an",
                Error::Kind::kDamaged);
  return page;
}

}  // namespace

void TableReader::ForEachRawRow(
    const std::function<void(RowPointer, const ByteView&)>& visit) const {
  const std::vector<uint32_t> pages = DecodeUsageMap(image_, definition_.owned_pages());

  // Moved rows: where the data lives -> the address the row is known by.
  std::map<RowPointer, RowPointer> moved;
  for (uint32_t number : pages) {
    const DataPage page = TablePage(image_, definition_, number);
    for (uint16_t row = 0; row < page.row_count(); ++row)
      if (page.Kind(row) == DataPage::RowKind::kForward) {
        const RowPointer target = RowPointer::FromStored(page.Row(row).U32(0));
        moved[target] = {number, static_cast<uint8_t>(row)};
      }
  }

  for (uint32_t number : pages) {
    const DataPage page = TablePage(image_, definition_, number);
    for (uint16_t row = 0; row < page.row_count(); ++row) {
      const DataPage::RowKind kind = page.Kind(row);
      if (kind == DataPage::RowKind::kDeleted || kind == DataPage::RowKind::kForward)
        continue;
      RowPointer pointer{number, static_cast<uint8_t>(row)};
      if (auto found = moved.find(pointer); found != moved.end()) pointer = found->second;
      visit(pointer, page.Row(row));
    }
  }
}

void TableReader::ForEachRow(const std::function<void(const StoredRow&)>& visit) const {
  StoredRow stored;
  LongValueRows taken;
  ForEachRawRow([&](RowPointer pointer, const ByteView& row) {
    stored.pointer = pointer;
    stored.values = DecodeRow(image_, definition_, row, taken);
    visit(stored);
  });
}

std::vector<StoredRow> TableReader::ReadAll() const {
  std::vector<StoredRow> rows;
  ForEachRow([&](const StoredRow& row) { rows.push_back(row); });
  return rows;
}

}  // namespace db::engine::mdb
