#ifndef PREISLISTE_DB_ENGINE_MDB_DATA_ROW_H_
#define PREISLISTE_DB_ENGINE_MDB_DATA_ROW_H_

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"

namespace db::engine::mdb {

// The long-value rows (see ReadLongValue) that the values read so far have
// taken. Each belongs to one value, so a row reached a second time, by
// another value or by the same chain, is damage. Refusing it also keeps a
// small damaged file from making the reader copy one long chain for each of
// the thousands of rows that could point at it.
class LongValueRows {
 public:
  // Throws db::Error when `row` has been taken before.
  void Take(RowPointer row);

 private:
  std::unordered_set<uint32_t> taken_;
};

// Decodes one stored row into its values, in the order of
// definition.columns(). A row is laid out as
//   column count (2 bytes) | fixed-length columns | variable-length data |
//   end offset | offsets of the variable columns, last first | count of
//   variable columns (2 bytes) | null mask (a bit per column number)
// with every offset counted from the row's start. A clear bit in the null
// mask is NULL, except for Yes/No columns, whose value is the bit. Columns
// added after the row was written (number or variable index beyond what the
// row holds) read as NULL.
//
// Values: Text and Memo -> Text (UTF-8; Memo fetched from its long-value
// pages); Yes/No -> Integer -1 or 0; Byte, Integer, Long -> Integer;
// Currency -> Money; Single, Double, Date/Time -> Double (dates as days since
// 1899-12-30). Any other column type with a value throws db::Error naming
// the column; so does a row whose bytes do not fit its own layout.
// `taken` records the long-value rows of Memo values; a reader passes one for
// all the rows of a table.
std::vector<Value> DecodeRow(const FileImage& image, const TableDefinition& definition,
                             const ByteView& row, LongValueRows& taken);

// The steps of DecodeRow, for readers that need the bytes of a column whose
// type DecodeRow refuses (the catalog's property blobs):
// the stored bytes of each column, in the order of definition.columns(),
// none for NULL (and for No; Yes is present with no bytes) ...
std::vector<std::optional<ByteView>> SplitRow(const TableDefinition& definition,
                                              const ByteView& row);
// ... the value of one column from its stored bytes ...
Value DecodeValue(const FileImage& image, const ColumnDefinition& column,
                  const std::optional<ByteView>& stored, LongValueRows& taken);
// ... the value of a number or Text column (and of a catalog property of
// such a type) from its stored bytes, none for the other types ...
std::optional<Value> DecodeScalar(ColumnType type, const ByteView& bytes);
// ... and the bytes of a Memo or OLE value from the 12-byte reference the
// row holds (kept in the row itself, on one long-value row, or on a chain),
// taking the long-value rows it reads.
std::vector<uint8_t> ReadLongValue(const FileImage& image, const ByteView& reference,
                                   LongValueRows& taken);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_DATA_ROW_H_
