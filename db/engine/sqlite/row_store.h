#ifndef PREISLISTE_DB_ENGINE_SQLITE_ROW_STORE_H_
#define PREISLISTE_DB_ENGINE_SQLITE_ROW_STORE_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "db/engine/core_types.h"

namespace db::engine {

// The rows of a record set, held compactly: a fixed number of columns per
// row, each field a 16-byte cell, cells and texts in chunks. The first chunk
// of cells and the text blocks start small and double, so that a lookup of
// one row costs little; from 4,096 rows on, chunks are full size and never
// move. A million rows of six columns take about 100 MB plus their texts.
class RowStore {
 public:
  explicit RowStore(size_t columns);

  size_t columns() const { return columns_; }
  size_t rows() const { return row_count_; }

  // Appends a row of NULLs; returns its index.
  size_t AddRow();
  Value Get(size_t row, size_t column) const;
  void Set(size_t row, size_t column, const Value& value);
  // Same as Set with Value::Text, without building a std::string first.
  void SetText(size_t row, size_t column, std::string_view text);

 private:
  struct Cell {
    Value::Type type = Value::Type::kNull;
    uint32_t size = 0;  // text length
    union {
      int64_t integer = 0;  // kInteger, and the ticks of kCurrency
      double real;
      const char* text;
    };
  };
  static_assert(sizeof(Cell) == 16);

  // The first chunk doubles from kFirstChunkRows up to kRowsPerChunk rows.
  static constexpr size_t kFirstChunkRows = 16;
  static constexpr size_t kRowsPerChunk = 4096;
  static_assert((kRowsPerChunk / kFirstChunkRows &
                 (kRowsPerChunk / kFirstChunkRows - 1)) == 0);

  void Grow();
  const char* CopyText(std::string_view text);
  Cell& At(size_t row, size_t column) {
    return chunks_[row / kRowsPerChunk][(row % kRowsPerChunk) * columns_ + column];
  }
  const Cell& At(size_t row, size_t column) const {
    return chunks_[row / kRowsPerChunk][(row % kRowsPerChunk) * columns_ + column];
  }

  size_t columns_;
  size_t row_count_ = 0;
  size_t row_capacity_ = 0;
  std::vector<std::unique_ptr<Cell[]>> chunks_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t block_used_ = 0;
  size_t block_size_ = 0;
  size_t next_block_size_;  // doubles up to a limit
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_ROW_STORE_H_
