#ifndef PREISLISTE_DB_ENGINE_MDB_DATA_PAGE_WRITER_H_
#define PREISLISTE_DB_ENGINE_MDB_DATA_PAGE_WRITER_H_

#include <array>
#include <cstdint>
#include <vector>

#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

using PageBytes = std::array<uint8_t, kPageSize>;

// Lays encoded rows (EncodeRow) of one table out on data pages as Access
// and Jackcess do: a page starts with its 14-byte header (type 0x01, 0x01,
// the count of free bytes, the owner — the table definition's first page —,
// four zero bytes, the row count), then the rows' offsets; the rows lie from
// the end of the page downwards in their order, without gaps. A new page
// begins when the next row and its offset no longer fit, or when the page
// holds 255 rows, all a one-byte row number can address. The rows keep
// their order: row i of page p is the i-th row given to that page.
// Throws db::Error for a row that no page can hold.
// A data page of the table `owner` that holds no row, as Access leaves a
// page whose rows were all deleted: one deleted row of no bytes at the end
// of the page. (A page with a row count of 0, which Access does not write,
// makes mdbtools read an empty row from it.)
PageBytes EmptyDataPage(uint32_t owner);

std::vector<PageBytes> LayOutDataPages(uint32_t owner,
                                       const std::vector<std::vector<uint8_t>>& rows);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_DATA_PAGE_WRITER_H_
