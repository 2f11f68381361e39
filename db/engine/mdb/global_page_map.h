#ifndef PREISLISTE_DB_ENGINE_MDB_GLOBAL_PAGE_MAP_H_
#define PREISLISTE_DB_ENGINE_MDB_GLOBAL_PAGE_MAP_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

// The file's own record of which pages are in use: row 0 of page 1, an
// inline usage map (kind 0, a start page, then a bitmap over a window of
// pages). Its bits mean the opposite of a table's usage map: a SET bit is a
// FREE page, a clear bit a page in use. The files Access made show it: every
// page a table owns or defines itself on has a clear bit, every page past
// the end of the file a set bit, and the few set bits inside the file are
// pages that Access gave back (old index pages). Pages outside the window
// count as in use: a file of more pages than one window holds keeps the
// window over its end (start page 512 in an 809-page file, its earlier pages
// all in use).
class GlobalPageMap {
 public:
  static constexpr RowPointer kLocation{1, 0};

  // Throws db::Error when page 1 holds no inline map in row 0.
  static GlobalPageMap Read(const FileImage& image);

  bool InUse(uint32_t page) const;
  uint32_t window_start() const { return start_; }
  uint32_t window_pages() const { return static_cast<uint32_t>(bitmap_.size() * 8); }

  // Records `page` as in use. A page past the window moves the window
  // forward to the block of window_pages() that holds the page; the pages it
  // then covers anew are in use below `file_pages` (the pages the file has,
  // without those still being added) and free from there on, as in a file
  // Access wrote. Pages the window leaves behind count as in use.
  void MarkInUse(uint32_t page, uint32_t file_pages);

  // Writes the map into the same row of `page`, the bytes of (a copy of)
  // page 1 of the image it was read from.
  void WriteTo(std::span<uint8_t> page) const;

 private:
  bool FreeBit(uint32_t page) const;

  size_t row_offset_ = 0;  // of the map row in page 1
  uint32_t start_ = 0;
  std::vector<uint8_t> bitmap_;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_GLOBAL_PAGE_MAP_H_
