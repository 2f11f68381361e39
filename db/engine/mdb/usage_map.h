#ifndef PREISLISTE_DB_ENGINE_MDB_USAGE_MAP_H_
#define PREISLISTE_DB_ENGINE_MDB_USAGE_MAP_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/writable_image.h"

namespace db::engine::mdb {

// A usage map: the set of pages that a table (or an index, or the free
// space of a table) owns, kept in a row of a data page. Its first byte is
// the kind of map:
//   0 (inline)    a start page, then a bitmap: bit i set = page start + i;
//   1 (reference) a list of usage-map pages (type 0x05); the bitmap after
//                 the 4-byte header of the k-th page covers the pages from
//                 k * (page size - 4) * 8 on; a zero entry covers nothing.
// Bits are read from the lowest bit of each byte upwards.
//
inline constexpr uint8_t kInlineUsageMap = 0;
inline constexpr uint8_t kReferenceUsageMap = 1;
inline constexpr size_t kUsageMapPageHeader = 4;
// The pages one usage-map page of a reference map covers.
inline constexpr uint64_t kPagesPerUsageMapPage = (kPageSize - kUsageMapPageHeader) * 8;

// One bitmap of a usage map: bit i stands for page first_page + i.
struct UsageMapBitmap {
  uint64_t first_page = 0;
  uint32_t map_page = 0;  // the usage-map page that holds it; 0 in an inline map
  ByteView bits;
};

// The bitmaps of the map row `map_row`, by first page: the one of an inline
// map, one for each map page a reference map lists. Throws db::Error for an
// unknown map kind or a map page of the wrong type.
std::vector<UsageMapBitmap> UsageMapBitmaps(const FileImage& image,
                                            const ByteView& map_row);

// Makes a new, zero-filled page an empty usage-map page (type 0x05).
void StartUsageMapPage(std::span<uint8_t> page);

// Returns the pages in ascending order. Throws db::Error for an unknown map
// kind, a map page of the wrong type, or a page beyond the end of the file
// (which also bounds the result by the file's size).
std::vector<uint32_t> DecodeUsageMap(const FileImage& image, RowPointer map);

// The same, for the bytes of a map row already at hand.
std::vector<uint32_t> DecodeUsageMap(const FileImage& image, const ByteView& map_row);

// Writes the set `pages` (ascending, no repeats) into the usage map row at
// `map`, which keeps its place and its size. An inline map keeps its start
// page while the pages fit its window, and otherwise starts at the block of
// window size that holds the first page (or at the first page itself); pages
// that no window of the row can hold turn it into a reference map. A
// reference map gets a new map page at the end of the file for each block of
// pages that had none; its other map pages are rewritten in place. Throws
// db::Error when even a reference map of this row cannot hold the pages.
void WriteUsageMap(WritableImage& image, RowPointer map,
                   const std::vector<uint32_t>& pages);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_USAGE_MAP_H_
