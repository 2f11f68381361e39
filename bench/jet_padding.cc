#include "bench/jet_padding.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/ascii.h"
#include "core/error.h"
#include "core/value.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/data_page_writer.h"
#include "db/engine/mdb/data_row.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/index_writer.h"
#include "db/engine/mdb/row_encoder.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/usage_map.h"
#include "db/engine/mdb/writable_image.h"

namespace bench {
namespace {

namespace mdb = db::engine::mdb;
using core::Value;

constexpr char kDonorTable[] = "Numbers";
constexpr char kPaddingTable[] = "Padding";  // as long as kDonorTable
constexpr uint32_t kCatalogPage = 2;
constexpr size_t kRowCountOffset = 12;
constexpr size_t kFreeSpaceOffset = 2;
constexpr size_t kRowOffsetsStart = 14;
constexpr uint16_t kOffsetMask = 0x1FFF;
// A reference usage map of this many map pages covers 64 * 32736 pages (8 GB).
constexpr size_t kMapEntries = 64;
constexpr uint8_t kReferenceMap = 1;

void PutU16(std::span<uint8_t> bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(std::span<uint8_t> bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t GetU16(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Adds `row` as the next row of a data page; returns its row number, or
// none when the page has no room for it.
std::optional<uint8_t> AddRow(std::span<uint8_t> page, const std::vector<uint8_t>& row) {
  const uint16_t count = GetU16(page, kRowCountOffset);
  const uint16_t free = GetU16(page, kFreeSpaceOffset);
  if (count >= 255 || size_t{free} < row.size() + 2) return std::nullopt;
  size_t start = mdb::kPageSize;
  for (uint16_t r = 0; r < count; ++r)
    start = std::min<size_t>(start, GetU16(page, kRowOffsetsStart + 2 * r) & kOffsetMask);
  const size_t table_end = kRowOffsetsStart + 2 * (size_t{count} + 1);
  if (start < row.size() || start - row.size() < table_end) return std::nullopt;
  start -= row.size();
  std::copy(row.begin(), row.end(), page.begin() + static_cast<ptrdiff_t>(start));
  PutU16(page, kRowOffsetsStart + 2 * size_t{count}, static_cast<uint16_t>(start));
  PutU16(page, kRowCountOffset, static_cast<uint16_t>(count + 1));
  PutU16(page, kFreeSpaceOffset, static_cast<uint16_t>(free - row.size() - 2));
  return static_cast<uint8_t>(count);
}

// Numbers' catalog row made Padding's: its name, the definition's page as
// its id, and no long values (Padding gets no properties of its own).
std::vector<uint8_t> PaddingCatalogRow(const mdb::FileImage& image,
                                       const mdb::TableDefinition& objects,
                                       uint32_t definition_page) {
  std::optional<std::vector<uint8_t>> found;
  mdb::TableReader(image, objects)
      .ForEachRawRow([&](mdb::RowPointer, const mdb::ByteView& row) {
        const auto fields = mdb::SplitRow(objects, row);
        for (size_t c = 0; c < objects.columns().size(); ++c)
          if (objects.columns()[c].name == "Name" && fields[c] &&
              core::EqualIgnoringAsciiCase(
                  mdb::DecodeScalar(mdb::ColumnType::kText, *fields[c])->text(),
                  kDonorTable))
            found.emplace(row.bytes().begin(), row.bytes().end());
      });
  if (!found)
    throw core::Error("the catalog has no row for Numbers", core::Error::Kind::kNotFound);
  std::vector<uint8_t> row = *found;
  const mdb::ByteView view(row, "the catalog row of Numbers");
  const auto fields = mdb::SplitRow(objects, view);
  const size_t mask_size = (size_t{view.U16(0)} + 7) / 8;
  for (size_t c = 0; c < objects.columns().size(); ++c) {
    const mdb::ColumnDefinition& column = objects.columns()[c];
    if (!fields[c]) continue;
    const size_t at = static_cast<size_t>(fields[c]->bytes().data() - row.data());
    if (column.name == "Name") {
      // The same letters in the same encoding: compressed (one byte each
      // after FF FE) or UTF-16LE.
      const std::string_view name(kPaddingTable);
      const bool compressed = fields[c]->size() == 2 + name.size();
      for (size_t i = 0; i < name.size(); ++i) {
        if (compressed) {
          row[at + 2 + i] = static_cast<uint8_t>(name[i]);
        } else {
          row[at + 2 * i] = static_cast<uint8_t>(name[i]);
          row[at + 2 * i + 1] = 0;
        }
      }
    } else if (column.name == "Id") {
      const uint32_t id = fields[c]->U32(0);
      PutU32(row, at, (id & 0xFF000000) | definition_page);
    } else if (column.column_type() == mdb::ColumnType::kOle ||
               column.column_type() == mdb::ColumnType::kMemo) {
      row[row.size() - mask_size + column.number / 8] &=
          static_cast<uint8_t>(~(1u << (column.number % 8)));
    }
  }
  return row;
}

// The catalog row goes onto the first catalog data page with room; the
// catalog's row count and its indexes follow.
void AddToCatalog(mdb::WritableImage& image, uint32_t definition_page) {
  const mdb::TableDefinition objects =
      mdb::TableDefinition::Read(image.image(), kCatalogPage);
  const std::vector<uint8_t> row =
      PaddingCatalogRow(image.image(), objects, definition_page);
  bool added = false;
  for (const uint32_t page : mdb::DecodeUsageMap(image.image(), objects.owned_pages()))
    if (!added && AddRow(image.Page(page), row)) added = true;
  if (!added)
    throw core::Error("no catalog page has room for one more row",
                      core::Error::Kind::kUnsupported);
  const mdb::FileOffset count = objects.Locate(mdb::TableDefinition::kRowCountOffset);
  PutU32(image.Page(count.page), count.offset, objects.row_count() + 1);
  // The indexes are over names and numbers; the other columns (binary and
  // long values the reader does not decode) stay NULL here.
  const mdb::TableDefinition grown =
      mdb::TableDefinition::Read(image.image(), kCatalogPage);
  std::vector<mdb::StoredRow> rows;
  mdb::TableReader(image.image(), grown)
      .ForEachRawRow([&](mdb::RowPointer pointer, const mdb::ByteView& bytes) {
        const auto fields = mdb::SplitRow(grown, bytes);
        mdb::StoredRow& stored = rows.emplace_back();
        stored.pointer = pointer;
        for (size_t c = 0; c < fields.size(); ++c) {
          const mdb::ColumnType type = grown.columns()[c].column_type();
          stored.values.push_back(fields[c] && (type == mdb::ColumnType::kText ||
                                                type == mdb::ColumnType::kLong)
                                      ? *mdb::DecodeScalar(type, *fields[c])
                                      : Value::Null());
        }
      });
  mdb::RebuildIndexes(image, grown, rows);
}

// One page of Padding's rows; every data page of the table holds the same.
mdb::PageBytes PaddingPage(const mdb::TableDefinition& table, uint64_t* rows) {
  std::vector<std::vector<uint8_t>> encoded;
  for (int i = 0; i < 200; ++i) {
    std::vector<Value> values;
    for (const mdb::ColumnDefinition& column : table.columns()) {
      switch (column.column_type()) {
        case mdb::ColumnType::kText:
          values.push_back(Value::Text(std::string(
              std::min<size_t>(column.length / 2, 40), static_cast<char>('a' + i % 26))));
          break;
        case mdb::ColumnType::kCurrency:
          values.push_back(Value::Money(core::Currency::FromTicks(1234 * i)));
          break;
        default:
          values.push_back(Value::Integer(i));
      }
    }
    encoded.push_back(mdb::EncodeRow(table, values));
  }
  const std::vector<mdb::PageBytes> pages =
      mdb::LayOutDataPages(table.first_page(), encoded);
  *rows = pages.front()[kRowCountOffset];
  return pages.front();
}

}  // namespace

uint64_t WritePaddedJetFile(const std::filesystem::path& input,
                            const std::filesystem::path& definition_donor,
                            const std::filesystem::path& output, uint64_t target_bytes) {
  const mdb::FileImage original = mdb::FileImage::ReadFile(input.string());
  const mdb::FileImage donor = mdb::FileImage::ReadFile(definition_donor.string());
  const mdb::TableDefinition donor_table = mdb::TableDefinition::Read(
      donor, mdb::Catalog::Read(donor).TableDefinitionPage(kDonorTable));
  if (donor_table.pages().size() != 1 || !donor_table.real_indexes().empty())
    throw core::Error(definition_donor.string() +
                          ": Numbers must have a one-page definition and no index",
                      core::Error::Kind::kBadInput);

  mdb::WritableImage image(original);
  const uint32_t definition_page = image.AppendPage();
  const uint32_t maps_page = image.AppendPage();
  const std::span<const uint8_t> donor_page =
      donor.Page(donor_table.first_page()).bytes();
  std::copy(donor_page.begin(), donor_page.end(), image.Page(definition_page).begin());
  std::vector<uint8_t> map_row(1 + 4 * kMapEntries, 0);
  map_row[0] = kReferenceMap;
  const mdb::PageBytes maps = mdb::LayOutDataPages(0, {map_row, map_row}).front();
  std::copy(maps.begin(), maps.end(), image.Page(maps_page).begin());
  const std::span<uint8_t> definition = image.Page(definition_page);
  PutU32(definition, 4, 0);  // no continuation page
  PutU32(definition, mdb::TableDefinition::kAutoNumberOffset, 0);
  PutU32(definition, mdb::TableDefinition::kOwnedPagesOffset,
         mdb::RowPointer{maps_page, 0}.ToStored());
  PutU32(definition, mdb::TableDefinition::kFreeSpacePagesOffset,
         mdb::RowPointer{maps_page, 1}.ToStored());

  const mdb::TableDefinition table =
      mdb::TableDefinition::Read(image.image(), definition_page);
  uint64_t rows_per_page = 0;
  const mdb::PageBytes page = PaddingPage(table, &rows_per_page);
  std::vector<uint32_t> data_pages;
  while (uint64_t{image.page_count() + 1} * mdb::kPageSize < target_bytes) {
    data_pages.push_back(image.AppendPage());
    std::copy(page.begin(), page.end(), image.Page(data_pages.back()).begin());
  }
  if (data_pages.empty()) {  // a table needs one page at least
    data_pages.push_back(image.AppendPage());
    std::copy(page.begin(), page.end(), image.Page(data_pages.back()).begin());
  }
  const uint64_t rows = rows_per_page * data_pages.size();
  if (rows > UINT32_MAX)
    throw core::Error("too many Padding rows", core::Error::Kind::kBadInput);
  PutU32(image.Page(definition_page), mdb::TableDefinition::kRowCountOffset,
         static_cast<uint32_t>(rows));
  mdb::WriteUsageMap(image, table.owned_pages(), data_pages);
  mdb::WriteUsageMap(image, table.free_space_pages(), {data_pages.back()});
  AddToCatalog(image, definition_page);

  const mdb::FileImage written = std::move(image).Finish();
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  for (uint32_t number = 0; number < written.page_count(); ++number) {
    const std::span<const uint8_t> bytes = written.Page(number).bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  out.close();
  if (!out) throw core::Error("cannot write " + output.string(), core::Error::Kind::kIo);
  return rows;
}

}  // namespace bench
