#include "db/engine/mdb/table_definition.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/text.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kContinuationHeader = 8;
constexpr size_t kNextPageOffset = 4;
constexpr size_t kMaxColumnsOffset = 41;
constexpr size_t kVariableColumnCountOffset = 43;
constexpr size_t kColumnCountOffset = 45;
constexpr size_t kLogicalIndexCountOffset = 47;
constexpr size_t kRealIndexCountOffset = 51;
constexpr size_t kRealIndexCountsStart = 63;
constexpr size_t kRealIndexCountEntry = 12;
constexpr size_t kColumnEntry = 25;
constexpr size_t kRealIndexEntry = 52;
constexpr size_t kLogicalIndexEntry = 28;
constexpr size_t kIndexColumnSlots = 10;
constexpr uint16_t kNoColumn = 0xFFFF;
constexpr uint8_t kAscending = 0x01;

// Names are a 2-byte byte count and UTF-16LE.
std::string ReadName(const ByteView& view, size_t& offset) {
  const uint16_t length = view.U16(offset);
  const ByteView name = view.Sub(offset + 2, length);
  offset += 2 + length;
  return Utf16LeToUtf8(name.bytes());
}

void Damaged(const std::string& what, uint32_t page) {
  throw Error("Die Datenbankdatei ist beschädigt: die Tabellendefinition auf Seite " +
                  std::to_string(page) + " " + what,
              Error::Kind::kDamaged);
}

}  // namespace

std::string ColumnTypeName(uint8_t type) {
  switch (static_cast<ColumnType>(type)) {
    case ColumnType::kBoolean:
      return "Ja/Nein";
    case ColumnType::kByte:
      return "Byte";
    case ColumnType::kInteger:
      return "Integer";
    case ColumnType::kLong:
      return "Long Integer";
    case ColumnType::kCurrency:
      return "Währung";
    case ColumnType::kSingle:
      return "Single";
    case ColumnType::kDouble:
      return "Double";
    case ColumnType::kDateTime:
      return "Datum/Uhrzeit";
    case ColumnType::kBinary:
      return "Binär";
    case ColumnType::kText:
      return "Text";
    case ColumnType::kOle:
      return "OLE-Objekt";
    case ColumnType::kMemo:
      return "Memo";
    case ColumnType::kGuid:
      return "Replikations-ID";
    case ColumnType::kNumeric:
      return "Dezimal";
    case ColumnType::kComplex:
      return "Anlage oder mehrwertiges Feld";
  }
  char code[16];
  std::snprintf(code, sizeof code, "Typ 0x%02x", type);
  return code;
}

size_t ColumnDefinition::fixed_size() const {
  switch (column_type()) {
    case ColumnType::kByte:
      return 1;
    case ColumnType::kInteger:
      return 2;
    case ColumnType::kLong:
    case ColumnType::kSingle:
      return 4;
    case ColumnType::kCurrency:
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
      return 8;
    case ColumnType::kBoolean:
    case ColumnType::kBinary:
    case ColumnType::kText:
    case ColumnType::kOle:
    case ColumnType::kMemo:
    case ColumnType::kGuid:
    case ColumnType::kNumeric:
    case ColumnType::kComplex:
      break;
  }
  return length;
}

TableDefinition TableDefinition::Read(const FileImage& image, uint32_t first_page) {
  TableDefinition definition;
  std::unordered_set<uint32_t> seen;
  for (uint32_t page = first_page; page != 0;) {
    if (!seen.insert(page).second)
      Damaged("verweist im Kreis auf sich selbst", first_page);
    const ByteView view =
        PageOfType(image, page, PageType::kTableDefinition, "eine Tabellendefinition");
    const size_t skip = definition.pages_.empty() ? 0 : kContinuationHeader;
    definition.bytes_.insert(definition.bytes_.end(), view.bytes().begin() + skip,
                             view.bytes().end());
    definition.pages_.push_back(page);
    page = view.U32(kNextPageOffset);
  }

  const ByteView view(definition.bytes_,
                      "die Tabellendefinition auf Seite " + std::to_string(first_page));
  definition.row_count_ = view.U32(kRowCountOffset);
  definition.autonumber_ = view.U32(kAutoNumberOffset);
  definition.max_columns_ = view.U16(kMaxColumnsOffset);
  definition.variable_column_count_ = view.U16(kVariableColumnCountOffset);
  const uint16_t column_count = view.U16(kColumnCountOffset);
  const uint32_t logical_count = view.U32(kLogicalIndexCountOffset);
  const uint32_t real_count = view.U32(kRealIndexCountOffset);
  definition.owned_pages_ = RowPointer::FromStored(view.U32(kOwnedPagesOffset));
  definition.free_space_pages_ = RowPointer::FromStored(view.U32(kFreeSpacePagesOffset));
  // Counts far beyond what the definition's bytes can hold are damage; the
  // checks keep the loops below bounded by the definition's size.
  if (real_count > view.size() / kRealIndexEntry ||
      logical_count > view.size() / kLogicalIndexEntry)
    Damaged("gibt mehr Indizes an, als sie fassen kann", first_page);

  size_t offset = kRealIndexCountsStart + real_count * kRealIndexCountEntry;
  definition.ParseColumns(view, offset, column_count);
  definition.ParseIndexes(view, offset, real_count, logical_count);
  return definition;
}

void TableDefinition::ParseColumns(const ByteView& view, size_t& offset, uint16_t count) {
  view.Require(offset, size_t{count} * kColumnEntry);
  for (uint16_t i = 0; i < count; ++i) {
    const size_t entry = offset + size_t{i} * kColumnEntry;
    ColumnDefinition column;
    column.entry_offset = entry;
    column.type = view.U8(entry);
    column.number = view.U16(entry + 5);
    column.variable_index = view.U16(entry + 7);
    column.flags = view.U8(entry + 15);
    column.extra_flags = view.U8(entry + 16);
    column.fixed_offset = view.U16(entry + 21);
    column.length = view.U16(entry + 23);
    const ColumnType type = column.column_type();
    if (IsTextType(type)) column.sort_order = ReadSortOrder(view, entry + 11);
    if (type == ColumnType::kNumeric) {
      column.precision = view.U8(entry + 11);
      column.scale = view.U8(entry + 12);
    }
    columns_.push_back(std::move(column));
  }
  offset += size_t{count} * kColumnEntry;
  for (ColumnDefinition& column : columns_) column.name = ReadName(view, offset);
  std::stable_sort(columns_.begin(), columns_.end(),
                   [](const auto& a, const auto& b) { return a.number < b.number; });
  for (size_t i = 1; i < columns_.size(); ++i)
    if (columns_[i].number == columns_[i - 1].number)
      Damaged("hat zwei Spalten mit der Nummer " + std::to_string(columns_[i].number),
              first_page());
}

void TableDefinition::ParseIndexes(const ByteView& view, size_t& offset,
                                   uint32_t real_count, uint32_t logical_count) {
  for (uint32_t i = 0; i < real_count; ++i) {
    const size_t entry = offset + size_t{i} * kRealIndexEntry;
    view.Require(entry, kRealIndexEntry);
    RealIndex index;
    index.entry_offset = entry;
    index.count_offset = kRealIndexCountsStart + size_t{i} * kRealIndexCountEntry + 4;
    index.key_count = view.U32(index.count_offset);
    for (size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
      const uint16_t number = view.U16(entry + 4 + slot * 3);
      if (number == kNoColumn) continue;
      if (!FindColumn(number))
        Damaged("hat einen Index über eine Spalte " + std::to_string(number) +
                    ", die es nicht gibt",
                first_page());
      index.columns.push_back({number, view.U8(entry + 4 + slot * 3 + 2) == kAscending});
    }
    index.usage_map = RowPointer::FromStored(view.U32(entry + 34));
    index.first_page = view.U32(entry + 38);
    index.flags = view.U8(entry + 46);
    real_indexes_.push_back(std::move(index));
  }
  offset += size_t{real_count} * kRealIndexEntry;

  for (uint32_t i = 0; i < logical_count; ++i) {
    const size_t entry = offset + size_t{i} * kLogicalIndexEntry;
    view.Require(entry, kLogicalIndexEntry);
    LogicalIndex index;
    index.entry_offset = entry;
    index.number = view.U32(entry + 4);
    index.real_index = view.U32(entry + 8);
    index.related_index = view.U32(entry + 13);
    index.related_table_page = view.U32(entry + 17);
    index.kind = view.U8(entry + 23);
    if (index.real_index >= real_indexes_.size())
      Damaged("hat einen Index ohne seinen B-Baum", first_page());
    logical_indexes_.push_back(std::move(index));
  }
  offset += size_t{logical_count} * kLogicalIndexEntry;
  for (LogicalIndex& index : logical_indexes_) index.name = ReadName(view, offset);
}

FileOffset TableDefinition::Locate(size_t definition_offset) const {
  if (definition_offset < kPageSize) return {pages_.front(), definition_offset};
  const size_t rest = definition_offset - kPageSize;
  const size_t per_page = kPageSize - kContinuationHeader;
  const size_t k = 1 + rest / per_page;
  if (k >= pages_.size())
    throw Error("Die Datenbankdatei ist beschädigt: die Stelle " +
                    std::to_string(definition_offset) +
                    " liegt hinter dem Ende der Tabellendefinition",
                Error::Kind::kDamaged);
  return {pages_[k], kContinuationHeader + rest % per_page};
}

const ColumnDefinition* TableDefinition::FindColumn(uint16_t number) const {
  for (const ColumnDefinition& column : columns_)
    if (column.number == number) return &column;
  return nullptr;
}

const ColumnDefinition* TableDefinition::FindColumn(std::string_view name) const {
  for (const ColumnDefinition& column : columns_)
    if (column.name == name) return &column;
  return nullptr;
}

}  // namespace db::engine::mdb
