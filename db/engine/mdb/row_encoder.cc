#include "db/engine/mdb/row_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/utf8.h"
#include "db/engine/core_types.h"

namespace db::engine::mdb {
namespace {

// A Memo of up to this many stored bytes is kept in the row itself (Jet's
// "inline" long value, as Jackcess and Access write short ones); longer
// ones would need long-value pages, which the writer does not write yet.
constexpr size_t kMaxInlineLongValue = 64;
constexpr uint32_t kInlineLongValue = 0x80000000;

std::u16string ToUtf16(const ColumnDefinition& column, std::string_view utf8) {
  std::optional<std::u16string> units = core::Utf8ToUtf16(utf8);
  if (!units)
    throw Error("Der Text für die Spalte " + column.name + " ist kein gültiges UTF-8",
                Error::Kind::kBadInput);
  return std::move(*units);
}
void Put(std::vector<uint8_t>& bytes, size_t offset, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i)
    bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Append(std::vector<uint8_t>& bytes, uint64_t value, size_t size) {
  bytes.resize(bytes.size() + size);
  Put(bytes, bytes.size() - size, value, size);
}

Error OutOfRange(const ColumnDefinition& column, const Value& value) {
  return Error("Der Wert " + value.ToText() + " passt nicht in die Spalte " +
                   column.name + " (" + ColumnTypeName(column.type) + ")",
               Error::Kind::kConstraint);
}

int64_t WholeNumber(const ColumnDefinition& column, const Value& value, int64_t low,
                    int64_t high) {
  int64_t number = 0;
  if (value.type() == Value::Type::kInteger) {
    number = value.integer();
  } else {
    const double real = value.ToDouble();
    if (real != std::floor(real) || !(real >= -9.2e18 && real <= 9.2e18))
      throw OutOfRange(column, value);
    number = static_cast<int64_t>(real);
  }
  if (number < low || number > high) throw OutOfRange(column, value);
  return number;
}

template <typename Float>
uint64_t FloatBits(Float number) {
  std::conditional_t<sizeof(Float) == 4, uint32_t, uint64_t> bits;
  std::memcpy(&bits, &number, sizeof bits);
  return bits;
}

// The bytes of a fixed-length value, `size` of them.
uint64_t FixedBits(const ColumnDefinition& column, const Value& value) {
  switch (column.column_type()) {
    case ColumnType::kByte:
      return static_cast<uint64_t>(WholeNumber(column, value, 0, 255));
    case ColumnType::kInteger:
      return static_cast<uint64_t>(WholeNumber(column, value, -32768, 32767));
    case ColumnType::kLong:
      return static_cast<uint64_t>(WholeNumber(column, value, INT32_MIN, INT32_MAX));
    case ColumnType::kCurrency:
      return static_cast<uint64_t>(value.ToCurrency().ticks());
    case ColumnType::kSingle: {
      const double real = value.ToDouble();
      if (std::isfinite(real) && std::fabs(real) > std::numeric_limits<float>::max())
        throw OutOfRange(column, value);
      return FloatBits(static_cast<float>(real));
    }
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
      return FloatBits(value.ToDouble());
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
  throw Error("Die Spalte " + column.name + " hat den Typ " +
                  ColumnTypeName(column.type) + ", den dieses Programm nicht schreibt",
              Error::Kind::kUnsupported);
}

// Jet keeps a Text column of fixed length in the row's fixed part, padded
// with zero bytes.
void PutFixedText(std::vector<uint8_t>& row, const ColumnDefinition& column,
                  const Value& value) {
  const std::vector<uint8_t> text = EncodeText(column, value.ToText());
  if (text.size() > column.length)
    throw Error(
        "Der Text \"" + value.ToText() + "\" ist zu lang für die Spalte " + column.name,
        Error::Kind::kConstraint);
  std::copy(text.begin(), text.end(), row.begin() + 2 + column.fixed_offset);
}

std::vector<uint8_t> VariableBytes(const ColumnDefinition& column, const Value& value) {
  if (column.column_type() == ColumnType::kText)
    return EncodeText(column, value.ToText());
  if (column.column_type() != ColumnType::kMemo)
    throw Error("Die Spalte " + column.name + " hat den Typ " +
                    ColumnTypeName(column.type) + ", den dieses Programm nicht schreibt",
                Error::Kind::kUnsupported);
  const std::vector<uint8_t> data = EncodeText(column, value.ToText());
  if (data.size() > kMaxInlineLongValue)
    throw Error("Der Text für die Memo-Spalte " + column.name +
                    " ist länger, als dieses Programm ihn schreiben kann",
                Error::Kind::kUnsupported);
  std::vector<uint8_t> stored;
  Append(stored, kInlineLongValue | data.size(), 4);
  Append(stored, 0, 8);  // no row pointer, no chain
  stored.insert(stored.end(), data.begin(), data.end());
  return stored;
}

}  // namespace

std::vector<uint8_t> EncodeText(const ColumnDefinition& column, std::string_view utf8) {
  const std::u16string units = ToUtf16(column, utf8);
  if (column.column_type() == ColumnType::kText && units.size() * 2 > column.length)
    throw Error("Der Text \"" + std::string(utf8) + "\" ist zu lang für die Spalte " +
                    column.name + " (höchstens " + std::to_string(column.length / 2) +
                    " Zeichen)",
                Error::Kind::kConstraint);
  const bool compressible = (column.extra_flags & ColumnDefinition::kCompressedUnicode) &&
                            !units.empty() &&
                            std::all_of(units.begin(), units.end(),
                                        [](char16_t c) { return c >= 1 && c <= 0xFF; });
  std::vector<uint8_t> bytes;
  if (compressible) {
    bytes = {0xFF, 0xFE};
    for (const char16_t c : units) bytes.push_back(static_cast<uint8_t>(c));
  } else {
    for (const char16_t c : units) Append(bytes, c, 2);
  }
  return bytes;
}

std::vector<uint8_t> EncodeRow(const TableDefinition& definition,
                               const std::vector<Value>& values) {
  const std::vector<ColumnDefinition>& columns = definition.columns();
  if (values.size() != columns.size())
    throw Error("Interner Fehler: " + std::to_string(values.size()) + " Werte für " +
                    std::to_string(columns.size()) + " Spalten",
                Error::Kind::kInternal);
  // A row counts the column numbers given so far, deleted columns included.
  const size_t column_count = definition.max_columns();
  const size_t variable_count = definition.variable_column_count();
  size_t fixed_end = 2;
  for (const ColumnDefinition& column : columns) {
    if (column.number >= column_count ||
        (!column.is_fixed() && column.variable_index >= variable_count))
      throw Error("Die Datenbankdatei ist beschädigt: die Spalte " + column.name +
                      " liegt außerhalb der Zeilen ihrer Tabelle",
                  Error::Kind::kDamaged);
    if (column.is_fixed() && column.column_type() != ColumnType::kBoolean)
      fixed_end =
          std::max(fixed_end, 2 + size_t{column.fixed_offset} + column.fixed_size());
  }

  std::vector<uint8_t> row(fixed_end, 0);
  Put(row, 0, column_count, 2);
  std::vector<uint8_t> mask((column_count + 7) / 8, 0);
  std::vector<std::vector<uint8_t>> variable(variable_count);
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnDefinition& column = columns[i];
    const Value& value = values[i];
    bool present = !value.is_null();
    if (column.column_type() == ColumnType::kBoolean) {
      present = present && value.ToDouble() != 0;
    } else if (present && column.is_fixed() &&
               column.column_type() == ColumnType::kText) {
      PutFixedText(row, column, value);
    } else if (present && column.is_fixed()) {
      Put(row, 2 + column.fixed_offset, FixedBits(column, value), column.fixed_size());
    } else if (present) {
      variable[column.variable_index] = VariableBytes(column, value);
    }
    if (present)
      mask[column.number / 8] |= static_cast<uint8_t>(1u << (column.number % 8));
  }

  if (variable_count > 0) {
    std::vector<uint16_t> starts;
    for (const std::vector<uint8_t>& data : variable) {
      starts.push_back(static_cast<uint16_t>(row.size()));
      row.insert(row.end(), data.begin(), data.end());
    }
    Append(row, row.size(), 2);  // where the variable data ends
    for (auto start = starts.rbegin(); start != starts.rend(); ++start)
      Append(row, *start, 2);
    Append(row, variable_count, 2);
  }
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

}  // namespace db::engine::mdb
