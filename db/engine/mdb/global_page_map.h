#ifndef PREISLISTE_DB_ENGINE_MDB_GLOBAL_PAGE_MAP_H_
#define PREISLISTE_DB_ENGINE_MDB_GLOBAL_PAGE_MAP_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

// The file's own record of which pages are in use: row 0 of page 1, a usage
// map of either kind (see usage_map.h). Its bits mean the opposite of a
// table's usage map: a SET bit is a FREE page, a clear bit a page in use.
// The files Access made show it: every page a table owns or defines itself
// on has a clear bit, every page past the end of the file a set bit, and the
// few set bits inside the file are pages that Access gave back (old index
// pages). Pages no bitmap covers count as in use:
//   - inline (kind 0): one bitmap over a window of pages; a file of more
//     pages than one window holds keeps the window over its end (start page
//     512 in an 809-page file, its earlier pages all in use);
//   - reference (kind 1): a list of usage-map pages, the k-th covering the
//     k-th block of kPagesPerUsageMapPage pages; a block without one is in
//     use throughout.
class GlobalPageMap {
 public:
  static constexpr RowPointer kLocation{1, 0};

  // Throws db::Error when page 1 holds no usage map in row 0 or a map page
  // it lists is none.
  static GlobalPageMap Read(const FileImage& image);

  bool InUse(uint32_t page) const;
  bool is_reference() const { return reference_; }
  // The pages the first bitmap covers (an inline map's only one).
  uint32_t window_start() const;
  uint32_t window_pages() const;

  // Records `page` as in use. A page no bitmap covers grows the map as Jet
  // does when the file grows:
  //   - inline: the window moves forward to the block of window size that
  //     holds the page; pages the window leaves behind count as in use;
  //   - reference: its block gets a bitmap, to be written on a new map page
  //     (NextBlockWithoutMapPage); a block past the list's last entry stays
  //     without one (its pages count as in use all the same).
  // The pages a new window or bitmap covers anew are in use below
  // `file_pages` (the pages the file has, without those still being added)
  // and free from there on, as in a file Access wrote.
  void MarkInUse(uint32_t page, uint32_t file_pages);

  // A block of a reference map that got a bitmap but has no map page yet.
  // The writer appends a page for it (which MarkInUse records in turn) and
  // hands it to SetMapPage, until none is left.
  std::optional<size_t> NextBlockWithoutMapPage() const;
  void SetMapPage(size_t block, uint32_t page);

  // Writes the map into the image it was read from: the row in page 1 and
  // the map pages whose bits changed. `page` gives the writable bytes of a
  // page (a copy of the original's, or a new zero-filled page).
  void WriteTo(const std::function<std::span<uint8_t>(uint32_t)>& page) const;

 private:
  struct Bitmap {
    uint64_t first_page = 0;
    uint32_t map_page = 0;  // reference maps only; 0 until it is given one
    std::vector<uint8_t> bits;
    bool changed = false;
    bool added = false;  // by MarkInUse: its map page is a new one
    bool Covers(uint64_t page) const {
      return page >= first_page && page - first_page < bits.size() * 8;
    }
    bool FreeBit(uint64_t page) const;
  };

  const Bitmap* Covering(uint32_t page) const;
  void MoveInlineWindow(uint32_t page, uint32_t file_pages);

  bool reference_ = false;
  size_t row_offset_ = 0;  // of the map row in page 1
  size_t row_size_ = 0;
  std::vector<Bitmap> bitmaps_;  // by first page
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_GLOBAL_PAGE_MAP_H_
