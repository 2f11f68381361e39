#ifndef PREISLISTE_DB_ENGINE_MDB_TABLE_DEFINITION_H_
#define PREISLISTE_DB_ENGINE_MDB_TABLE_DEFINITION_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/jet_type.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/sort_order.h"

namespace db::engine::mdb {

// Column types as the file stores them (the one list, in db/engine).
using ColumnType = JetType;

// Name of a column type for messages ("Currency", "type 0x0d").
std::string ColumnTypeName(uint8_t type);

// Text and Memo: the types that hold text, with a sort order of their own.
inline bool IsTextType(ColumnType type) {
  return type == ColumnType::kText || type == ColumnType::kMemo;
}

// One column of a table. `number` places the column in the row's null mask
// and orders the columns; fixed-length columns sit at `fixed_offset` after
// the row's column count, variable-length ones are the `variable_index`-th
// entry of the row's offset table.
struct ColumnDefinition {
  static constexpr uint8_t kFixedLength = 0x01;
  static constexpr uint8_t kAutoNumber = 0x04;
  static constexpr uint8_t kAutoGuid = 0x40;
  static constexpr uint8_t kCompressedUnicode = 0x01;  // in extra_flags

  std::string name;
  uint8_t type = 0;  // a ColumnType, or an unknown value
  uint16_t number = 0;
  uint16_t variable_index = 0;
  uint16_t fixed_offset = 0;
  uint16_t length = 0;  // bytes; Text(n) has 2n, Memo and OLE 0
  uint8_t flags = 0;
  uint8_t extra_flags = 0;
  SortOrder sort_order;   // Text and Memo only
  uint8_t precision = 0;  // Numeric only
  uint8_t scale = 0;
  size_t entry_offset = 0;  // of its 25-byte entry in the definition

  ColumnType column_type() const { return static_cast<ColumnType>(type); }
  bool is_fixed() const { return flags & kFixedLength; }
  bool is_autonumber() const { return flags & kAutoNumber; }
  // The bytes a fixed-length value takes in the row's fixed part: the size
  // of the number types, the declared length for the others (a Text column
  // of fixed length, a Replication ID).
  size_t fixed_size() const;
};

// One column of an index key.
struct IndexColumn {
  uint16_t column_number = 0;
  bool ascending = true;
};

// The stored B-tree of an index ("real" index). Several logical indexes may
// share one (a foreign key over the columns of an existing index).
struct RealIndex {
  static constexpr uint8_t kUnique = 0x01;
  static constexpr uint8_t kIgnoreNulls = 0x02;
  static constexpr uint8_t kRequired = 0x08;

  std::vector<IndexColumn> columns;
  RowPointer usage_map;     // the pages the index owns
  uint32_t first_page = 0;  // the root of the B-tree
  uint8_t flags = 0;
  // A count of keys that Jet keeps for the index (in the test files it may
  // exceed the rows: it seems to count keys ever entered, not current ones).
  uint32_t key_count = 0;
  size_t count_offset = 0;  // of key_count in the definition
  size_t entry_offset = 0;  // of its 52-byte entry in the definition

  bool unique() const { return flags & kUnique; }
  bool ignore_nulls() const { return flags & kIgnoreNulls; }
  bool required() const { return flags & kRequired; }
};

// An index as Access shows it: a name, its B-tree, and its kind.
struct LogicalIndex {
  static constexpr uint8_t kPrimaryKey = 0x01;
  static constexpr uint8_t kForeignKey = 0x02;

  std::string name;
  uint32_t number = 0;
  uint32_t real_index = 0;  // into TableDefinition::real_indexes
  uint8_t kind = 0;
  uint32_t related_table_page = 0;  // foreign keys only
  uint32_t related_index = 0;
  size_t entry_offset = 0;  // of its 28-byte entry in the definition

  bool is_primary_key() const { return kind == kPrimaryKey; }
  bool is_foreign_key() const { return kind == kForeignKey; }
};

// Where a byte of the definition lives in the file.
struct FileOffset {
  uint32_t page = 0;
  size_t offset = 0;
};

// A table's definition, read from its chain of definition pages (type 0x02,
// each pointing to the next; the continuation pages add their bytes after
// an 8-byte page header). The chain is checked for cycles and bounded by the
// file, every count and entry is bounds-checked: a damaged definition is a
// db::Error naming the page, never a crash.
//
// Offsets of the fields a writer updates are given as offsets into `bytes`
// (the concatenated definition); Locate maps them to the file.
class TableDefinition {
 public:
  static constexpr size_t kRowCountOffset = 16;
  static constexpr size_t kAutoNumberOffset = 20;
  static constexpr size_t kOwnedPagesOffset = 55;
  static constexpr size_t kFreeSpacePagesOffset = 59;

  static TableDefinition Read(const FileImage& image, uint32_t first_page);

  uint32_t first_page() const { return pages_.front(); }
  const std::vector<uint32_t>& pages() const { return pages_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  FileOffset Locate(size_t definition_offset) const;

  uint32_t row_count() const { return row_count_; }
  // The AutoNumber counter: the last number given (0 in a fresh table).
  uint32_t autonumber() const { return autonumber_; }
  uint16_t max_columns() const { return max_columns_; }
  uint16_t variable_column_count() const { return variable_column_count_; }
  // In ascending column number.
  const std::vector<ColumnDefinition>& columns() const { return columns_; }
  const std::vector<RealIndex>& real_indexes() const { return real_indexes_; }
  const std::vector<LogicalIndex>& logical_indexes() const { return logical_indexes_; }
  RowPointer owned_pages() const { return owned_pages_; }
  RowPointer free_space_pages() const { return free_space_pages_; }

  // The column with this number or name (exact), or none.
  const ColumnDefinition* FindColumn(uint16_t number) const;
  const ColumnDefinition* FindColumn(std::string_view name) const;

 private:
  void ParseColumns(const ByteView& view, size_t& offset, uint16_t count);
  void ParseIndexes(const ByteView& view, size_t& offset, uint32_t real_count,
                    uint32_t logical_count);

  std::vector<uint32_t> pages_;
  std::vector<uint8_t> bytes_;
  uint32_t row_count_ = 0;
  uint32_t autonumber_ = 0;
  uint16_t max_columns_ = 0;
  uint16_t variable_column_count_ = 0;
  std::vector<ColumnDefinition> columns_;
  std::vector<RealIndex> real_indexes_;
  std::vector<LogicalIndex> logical_indexes_;
  RowPointer owned_pages_;
  RowPointer free_space_pages_;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_TABLE_DEFINITION_H_
