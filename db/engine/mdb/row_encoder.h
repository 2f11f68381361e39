#ifndef PREISLISTE_DB_ENGINE_MDB_ROW_ENCODER_H_
#define PREISLISTE_DB_ENGINE_MDB_ROW_ENCODER_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/table_definition.h"

namespace db::engine::mdb {

// The stored bytes of one row of `definition`, `values` in the order of its
// columns(); the inverse of DecodeRow, laid out as Access lays rows out:
//   column count | fixed-length columns at their offsets (zeros for NULL) |
//   variable-length data in the order of the columns' variable index |
//   end offset | start offsets, last column first | variable count |
//   null mask (bit set = value present; for Yes/No the value itself)
// The offset table is left out when the table has no variable columns.
// Text goes in compressed form (FF FE, one byte per character) when the
// column allows compression and every character is U+0001..U+00FF, as
// Access writes it, otherwise as UTF-16LE; a Memo is kept in the row itself.
// The values of a row must fit their column's type. Anything else — a value too long
// for its column, a Memo too long to keep in the row, a column type the
// writer does not write — throws db::Error naming the column.
std::vector<uint8_t> EncodeRow(const TableDefinition& definition,
                               const std::vector<Value>& values);

// Text or Memo data as a column stores it (compressed where allowed).
std::vector<uint8_t> EncodeText(const ColumnDefinition& column, std::string_view utf8);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_ROW_ENCODER_H_
