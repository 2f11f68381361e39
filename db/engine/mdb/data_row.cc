#include "db/engine/mdb/data_row.h"

#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/text.h"

namespace db::engine::mdb {
namespace {

// A long value (Memo, OLE) in the row is a 12-byte reference: its length
// with two flag bits on top, then a row pointer. With kInline the bytes
// follow the reference; with kSingleRow they are the row pointed to; with
// neither, they are a chain of rows, each starting with the pointer to the
// next (0 at the end).
constexpr uint32_t kInline = 0x80000000;
constexpr uint32_t kSingleRow = 0x40000000;
constexpr uint32_t kLengthMask = 0x3FFFFFFF;
constexpr size_t kReferenceSize = 12;

ByteView LongValueRow(const FileImage& image, RowPointer pointer) {
  const DataPage page(image, pointer.page);
  if (page.owner() != DataPage::kLongValueOwner)
    throw Error("Die Datenbankdatei ist beschädigt: ein Memo-Wert verweist auf Seite " +
                    std::to_string(pointer.page) + ", die keine Memo-Daten enthält",
                Error::Kind::kDamaged);
  return page.Row(pointer.row);
}

}  // namespace

void LongValueRows::Take(RowPointer row) {
  if (!taken_.insert(row.ToStored()).second)
    throw Error("Die Datenbankdatei ist beschädigt: die Memo-Daten in Zeile " +
                    std::to_string(row.row) + " auf Seite " + std::to_string(row.page) +
                    " gehören zu mehr als einem Wert",
                Error::Kind::kDamaged);
}

std::vector<uint8_t> ReadLongValue(const FileImage& image, const ByteView& reference,
                                   LongValueRows& taken) {
  const uint32_t head = reference.U32(0);
  const size_t length = head & kLengthMask;
  RowPointer pointer = RowPointer::FromStored(reference.U32(4));
  if (head & kInline) {
    const std::span<const uint8_t> data = reference.Sub(kReferenceSize, length).bytes();
    return {data.begin(), data.end()};
  }
  if (head & kSingleRow) {
    taken.Take(pointer);
    const std::span<const uint8_t> data =
        LongValueRow(image, pointer).Sub(0, length).bytes();
    return {data.begin(), data.end()};
  }
  std::vector<uint8_t> data;
  while (data.size() < length) {
    if (pointer.ToStored() == 0)
      throw Error(
          "Die Datenbankdatei ist beschädigt: die Kette eines Memo-Werts auf Seite " +
              std::to_string(pointer.page) + " ist unterbrochen",
          Error::Kind::kDamaged);
    taken.Take(pointer);
    const ByteView row = LongValueRow(image, pointer);
    const ByteView part = row.Sub(4, row.size() - 4);
    const size_t take = std::min(part.size(), length - data.size());
    data.insert(data.end(), part.bytes().begin(), part.bytes().begin() + take);
    pointer = RowPointer::FromStored(row.U32(0));
  }
  return data;
}

namespace {

Value DecodeStored(const FileImage& image, const ColumnDefinition& column,
                   const ByteView& bytes, LongValueRows& taken) {
  if (std::optional<Value> value = DecodeScalar(column.column_type(), bytes))
    return *std::move(value);
  if (column.column_type() == ColumnType::kMemo)
    return Value::Text(DecodeStoredText(ReadLongValue(image, bytes, taken)));
  throw Error("Die Spalte " + column.name + " hat den Typ " +
                  ColumnTypeName(column.type) + ", den dieses Programm nicht lesen kann",
              Error::Kind::kUnsupported);
}

// Where the row keeps its variable-length columns: entry i of the offset
// table starts column i, entry i + 1 ends it.
struct VariableColumns {
  uint16_t count = 0;
  std::vector<uint16_t> offsets;
};

VariableColumns ReadVariableColumns(const ByteView& row, size_t mask_size) {
  VariableColumns variable;
  const size_t count_at = row.size() - mask_size - 2;
  variable.count = row.U16(count_at);
  if (size_t{variable.count} * 2 + 2 > count_at)
    throw Error("Die Datenbankdatei ist beschädigt: " + row.name() +
                    " gibt mehr Spalten an, als sie fassen kann",
                Error::Kind::kDamaged);
  for (size_t i = 0; i <= variable.count; ++i)
    variable.offsets.push_back(row.U16(count_at - 2 - 2 * i));
  return variable;
}

}  // namespace

std::vector<std::optional<ByteView>> SplitRow(const TableDefinition& definition,
                                              const ByteView& row) {
  const uint16_t row_columns = row.U16(0);
  const size_t mask_size = (size_t{row_columns} + 7) / 8;
  if (row.size() < 2 + mask_size + (definition.variable_column_count() > 0 ? 2 : 0))
    throw Error("Die Datenbankdatei ist beschädigt: " + row.name() +
                    " ist zu kurz für ihre Spalten",
                Error::Kind::kDamaged);
  const ByteView mask = row.Sub(row.size() - mask_size, mask_size);
  VariableColumns variable;
  if (definition.variable_column_count() > 0)
    variable = ReadVariableColumns(row, mask_size);

  std::vector<std::optional<ByteView>> fields;
  fields.reserve(definition.columns().size());
  for (const ColumnDefinition& column : definition.columns()) {
    const bool bit = column.number < row_columns &&
                     (mask.U8(column.number / 8) >> (column.number % 8) & 1);
    if (!bit) {
      fields.emplace_back();
    } else if (column.column_type() == ColumnType::kBoolean) {
      fields.push_back(row.Sub(0, 0));
    } else if (column.is_fixed()) {
      fields.push_back(row.Sub(2 + size_t{column.fixed_offset}, column.fixed_size()));
    } else if (column.variable_index < variable.count) {
      const size_t start = variable.offsets[column.variable_index];
      const size_t end = variable.offsets[column.variable_index + 1];
      if (end < start)
        throw Error("Die Datenbankdatei ist beschädigt: die Spalte " + column.name +
                        " in " + row.name() + " endet, bevor sie beginnt",
                    Error::Kind::kDamaged);
      fields.push_back(row.Sub(start, end - start));
    } else {
      fields.emplace_back();
    }
  }
  return fields;
}

std::optional<Value> DecodeScalar(ColumnType type, const ByteView& bytes) {
  switch (type) {
    case ColumnType::kByte:
      return Value::Integer(bytes.U8(0));
    case ColumnType::kInteger:
      return Value::Integer(bytes.I16(0));
    case ColumnType::kLong:
      return Value::Integer(bytes.I32(0));
    case ColumnType::kCurrency:
      return Value::Money(Currency::FromTicks(bytes.I64(0)));
    case ColumnType::kSingle:
      return Value::Double(bytes.F32(0));
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
      return Value::Double(bytes.F64(0));
    case ColumnType::kText:
      return Value::Text(DecodeStoredText(bytes.bytes()));
    case ColumnType::kBoolean:  // in the null mask, not in the bytes
    case ColumnType::kBinary:
    case ColumnType::kOle:
    case ColumnType::kMemo:
    case ColumnType::kGuid:
    case ColumnType::kNumeric:
    case ColumnType::kComplex:
      break;
  }
  return std::nullopt;
}

Value DecodeValue(const FileImage& image, const ColumnDefinition& column,
                  const std::optional<ByteView>& stored, LongValueRows& taken) {
  if (column.column_type() == ColumnType::kBoolean)
    return Value::Integer(stored ? -1 : 0);
  if (!stored) return Value::Null();
  return DecodeStored(image, column, *stored, taken);
}

std::vector<Value> DecodeRow(const FileImage& image, const TableDefinition& definition,
                             const ByteView& row, LongValueRows& taken) {
  const std::vector<std::optional<ByteView>> fields = SplitRow(definition, row);
  std::vector<Value> values;
  values.reserve(fields.size());
  for (size_t i = 0; i < fields.size(); ++i)
    values.push_back(DecodeValue(image, definition.columns()[i], fields[i], taken));
  return values;
}

}  // namespace db::engine::mdb
