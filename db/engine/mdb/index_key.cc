#include "db/engine/mdb/index_key.h"

#include <bit>
#include <cmath>
#include <limits>

#include "db/engine/core_types.h"
#include "db/engine/mdb/text_key.h"

namespace db::engine::mdb {
namespace {

constexpr uint8_t kNullFlag = 0x00;
constexpr uint8_t kValueFlag = 0x7F;
// Yes/No has no NULL entry: Jet keeps NULL as No. Yes (-1) sorts first.
constexpr uint8_t kYes = 0x00;
constexpr uint8_t kNo = 0xFF;

[[noreturn]] void WrongValue(const KeyColumn& column, const std::string& what) {
  throw Error("Indexspalte " + column.name + ": " + what, Error::Kind::kConstraint);
}

// Two's complement, big-endian, with the sign bit inverted so that negative
// numbers sort before positive ones.
void AppendSigned(int64_t number, int bytes, KeyBytes& key) {
  const auto bits = static_cast<uint64_t>(number);
  const size_t start = key.size();
  for (int i = bytes - 1; i >= 0; --i)
    key.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  key[start] ^= 0x80;
}

// IEEE bits, big-endian: a non-negative number gets its sign bit set, a negative
// one is complemented whole, so that byte order follows numeric order.
void AppendFloating(uint64_t bits, int bytes, KeyBytes& key) {
  const uint64_t sign = uint64_t{1} << (8 * bytes - 1);
  const uint64_t mask = bytes == 8 ? ~uint64_t{0} : (sign << 1) - 1;
  bits = (bits & sign) ? ~bits & mask : bits | sign;
  for (int i = bytes - 1; i >= 0; --i)
    key.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

int64_t IntegerIn(const KeyColumn& column, const Value& value, int64_t low,
                  int64_t high) {
  if (value.type() != Value::Type::kInteger)
    WrongValue(column, "erwartet wird eine ganze Zahl");
  const int64_t number = value.integer();
  if (number < low || number > high) {
    WrongValue(column,
               std::to_string(number) + " liegt außerhalb des Bereichs der Spalte");
  }
  return number;
}

double RealOf(const KeyColumn& column, const Value& value) {
  if (value.type() != Value::Type::kDouble) WrongValue(column, "erwartet wird eine Zahl");
  if (std::isnan(value.real())) WrongValue(column, "NaN kann nicht in einen Index");
  return value.real();
}

[[noreturn]] void NoKeyType(const KeyColumn& column) {
  WrongValue(column, "eine Spalte vom Typ " +
                         ColumnTypeName(static_cast<uint8_t>(column.type)) +
                         " kann nicht Teil eines Indexschlüssels sein");
}

// The bytes after the flag of a non-text value, for an ascending column.
void AppendValue(const KeyColumn& column, const Value& value, KeyBytes& key) {
  switch (column.type) {
    case ColumnType::kLong:
      AppendSigned(IntegerIn(column, value, INT32_MIN, INT32_MAX), 4, key);
      return;
    case ColumnType::kInteger:
      AppendSigned(IntegerIn(column, value, INT16_MIN, INT16_MAX), 2, key);
      return;
    case ColumnType::kByte:
      key.push_back(static_cast<uint8_t>(IntegerIn(column, value, 0, 255)));
      return;
    case ColumnType::kCurrency:
      if (value.type() != Value::Type::kCurrency)
        WrongValue(column, "erwartet wird ein Betrag");
      AppendSigned(value.currency().ticks(), 8, key);
      return;
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
      AppendFloating(std::bit_cast<uint64_t>(RealOf(column, value)), 8, key);
      return;
    case ColumnType::kSingle: {
      const double real = RealOf(column, value);
      const auto single = static_cast<float>(real);
      if (static_cast<double>(single) != real) {
        WrongValue(column, value.ToText() + " ist kein Single-Wert");
      }
      AppendFloating(std::bit_cast<uint32_t>(single), 4, key);
      return;
    }
    case ColumnType::kBoolean:
      key.push_back(!value.is_null() && IntegerIn(column, value, -1, 1) != 0 ? kYes
                                                                             : kNo);
      return;
    case ColumnType::kText:  // AppendKey writes text keys itself
    case ColumnType::kMemo:
    case ColumnType::kBinary:
    case ColumnType::kOle:
    case ColumnType::kGuid:
    case ColumnType::kNumeric:
    case ColumnType::kComplex:
      break;
  }
  NoKeyType(column);
}

// Refuses a column whose keys the writer cannot write: a type without an
// index key, or text in another sort order than General.
void RequireKeyType(const KeyColumn& key, const SortOrder& sort_order) {
  switch (key.type) {
    case ColumnType::kText:
    case ColumnType::kMemo:
      if (!(sort_order == kGeneralSortOrder)) {
        WrongValue(key, "Textschlüssel in der Sortierreihenfolge „" +
                            SortOrderName(sort_order) +
                            "“ können nicht geschrieben werden, nur in „" +
                            SortOrderName(kGeneralSortOrder) + "“");
      }
      return;
    case ColumnType::kBoolean:
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong:
    case ColumnType::kCurrency:
    case ColumnType::kSingle:
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
      return;
    case ColumnType::kBinary:
    case ColumnType::kOle:
    case ColumnType::kGuid:
    case ColumnType::kNumeric:
    case ColumnType::kComplex:
      break;
  }
  NoKeyType(key);
}

}  // namespace

void AppendKey(const KeyColumn& column, const Value& value, KeyBytes& key) {
  const uint8_t null_flag = column.ascending ? kNullFlag : ~kNullFlag & 0xFF;
  const uint8_t value_flag = column.ascending ? kValueFlag : ~kValueFlag & 0xFF;
  if (value.is_null() && column.type != ColumnType::kBoolean) {
    key.push_back(null_flag);
    return;
  }
  if (IsTextType(column.type)) {
    if (value.type() != Value::Type::kText) WrongValue(column, "erwartet wird ein Text");
    key.push_back(value_flag);
    AppendTextKey(TextKeySource(value.text()), column.ascending, key);
    return;
  }
  // A descending number key is the complement of the ascending one.
  const size_t start = key.size();
  key.push_back(kValueFlag);
  AppendValue(column, value, key);
  if (!column.ascending) {
    for (size_t i = start; i < key.size(); ++i) key[i] = static_cast<uint8_t>(~key[i]);
  }
}

std::vector<KeyColumn> KeyColumnsOf(const TableDefinition& table,
                                    const RealIndex& index) {
  std::vector<KeyColumn> columns;
  for (const IndexColumn& c : index.columns) {
    const ColumnDefinition* column = table.FindColumn(c.column_number);
    if (!column) {
      throw Error("Ein Index verweist auf die Spalte Nummer " +
                      std::to_string(c.column_number) + ", die der Tabelle fehlt",
                  Error::Kind::kDamaged);
    }
    KeyColumn key{column->name, column->column_type(), c.ascending,
                  static_cast<size_t>(column - table.columns().data())};
    RequireKeyType(key, column->sort_order);
    columns.push_back(std::move(key));
  }
  return columns;
}

KeyBytes IndexKey(std::span<const KeyColumn> columns, std::span<const Value> values) {
  if (columns.size() != values.size())
    throw Error("Interner Fehler: ein Indexschlüssel braucht einen Wert je Spalte",
                Error::Kind::kInternal);
  KeyBytes key;
  for (size_t i = 0; i < columns.size(); ++i) AppendKey(columns[i], values[i], key);
  return key;
}

}  // namespace db::engine::mdb
