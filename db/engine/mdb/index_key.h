#ifndef PREISLISTE_DB_ENGINE_MDB_INDEX_KEY_H_
#define PREISLISTE_DB_ENGINE_MDB_INDEX_KEY_H_

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/table_definition.h"

namespace db::engine::mdb {

// The bytes of an index entry before its row pointer. Jet compares entries as
// plain unsigned byte strings, so sorting keys sorts the index.
using KeyBytes = std::vector<uint8_t>;

// One column of an index, in the index's column order. Text and Memo keys hold
// at most the first 255 characters; AutoNumber is a Long.
struct KeyColumn {
  std::string name;  // for error descriptions
  ColumnType type;
  bool ascending;
  size_t position = 0;  // of the column's value in a row (TableDefinition::columns())
};

// The key columns of `index`. A column the table lacks, a type Jet 4 keys cannot
// hold here (OLE, binary, GUID, Numeric, ...) or a text column in a sort order other
// than General (0x409, version 0) is a db::Error naming the column (and the order).
std::vector<KeyColumn> KeyColumnsOf(const TableDefinition& table, const RealIndex& index);

// Appends the key part of `value` for `column`, as Jet 4 writes it with the General
// (legacy) sort order: a flag byte (NULL 0x00, a value 0x7F; for a descending
// column the complement, and all value bytes complemented too), then the value's
// bytes in an order where unsigned byte comparison equals value comparison. Values
// are typed as the reader hands them out (Text, Integer, Money, Double); a value of
// another type, or one outside the column type's range, is a db::Error naming the
// column. A text character that the General order cannot encode (a UTF-16
// surrogate) is a db::Error too.
void AppendKey(const KeyColumn& column, const Value& value, KeyBytes& key);

// The whole key of one row: the parts of `values[i]` for `columns[i]`, in order.
KeyBytes IndexKey(std::span<const KeyColumn> columns, std::span<const Value> values);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_INDEX_KEY_H_
