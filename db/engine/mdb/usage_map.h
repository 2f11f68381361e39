#ifndef PREISLISTE_DB_ENGINE_MDB_USAGE_MAP_H_
#define PREISLISTE_DB_ENGINE_MDB_USAGE_MAP_H_

#include <cstdint>
#include <vector>

#include "db/engine/mdb/file_image.h"

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
// Returns the pages in ascending order. Throws db::Error for an unknown map
// kind, a map page of the wrong type, or a page beyond the end of the file
// (which also bounds the result by the file's size).
std::vector<uint32_t> DecodeUsageMap(const FileImage& image, RowPointer map);

// The same, for the bytes of a map row already at hand.
std::vector<uint32_t> DecodeUsageMap(const FileImage& image, const ByteView& map_row);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_USAGE_MAP_H_
