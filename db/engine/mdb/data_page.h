#ifndef PREISLISTE_DB_ENGINE_MDB_DATA_PAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_DATA_PAGE_H_

#include <cstdint>

#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

// The first byte of every page but page 0 says what the page holds.
enum class PageType : uint8_t {
  kData = 0x01,
  kTableDefinition = 0x02,
  kIndexNode = 0x03,
  kIndexLeaf = 0x04,
  kUsageMap = 0x05,
};

// Throws db::Error unless page `number` exists and has the given type.
ByteView PageOfType(const FileImage& image, uint32_t number, PageType type,
                    const char* what);

// A data page: table rows, long values (Memo, OLE) and usage-map rows all
// live on pages of this kind. The page starts with its owner (the first
// page of the table definition, or "LVAL" for long-value pages) and a table
// of row offsets; rows are stored from the end of the page downwards, so
// row n ends where row n-1 begins (row 0 ends at the end of the page).
class DataPage {
 public:
  static constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

  DataPage(const FileImage& image, uint32_t number);

  uint32_t number() const { return number_; }
  uint32_t owner() const { return page_.U32(4); }
  uint16_t row_count() const { return page_.U16(kRowCountOffset); }

  // Two flag bits on a row's offset say what the row is. When a row
  // outgrows its page on an update, its data moves to another row (the
  // moved row, flagged kMoved) and its old place keeps only a 4-byte
  // pointer to it (flagged kForward), so that index entries stay valid.
  // Both flags together mark a deleted row.
  enum class RowKind { kLive, kForward, kMoved, kDeleted };
  RowKind Kind(uint16_t row) const;

  // The bytes of a row that is not deleted; throws for a row number beyond
  // the table or an offset that does not fit the page.
  ByteView Row(uint16_t row) const;

 private:
  static constexpr size_t kRowCountOffset = 12;
  static constexpr uint16_t kMovedFlag = 0x8000;
  static constexpr uint16_t kForwardFlag = 0x4000;
  static constexpr uint16_t kOffsetMask = 0x1FFF;

  uint16_t RowOffset(uint16_t row) const;

  uint32_t number_;
  ByteView page_;
};

// The bytes of the (live) row at `pointer` on a data page.
ByteView FindRow(const FileImage& image, RowPointer pointer);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_DATA_PAGE_H_
