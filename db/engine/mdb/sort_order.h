#ifndef PREISLISTE_DB_ENGINE_MDB_SORT_ORDER_H_
#define PREISLISTE_DB_ENGINE_MDB_SORT_ORDER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "db/engine/mdb/file_image.h"

namespace db::engine::mdb {

// The collating order of text, as the header stores it for the database and
// a column definition for each text column: four bytes, the Windows locale id
// in the first three (the language in the low 16 bits, the sort variant in
// the third byte: German phone book is 0x00010407, German 0x00000407) and a
// version in the fourth. Jet 4's General order, the only one whose index keys
// the writer knows, is 0x409 version 0; Access 2010 and later also write 0x409
// version 1, a newer General order with other keys.
struct SortOrder {
  uint32_t locale = 0;
  uint8_t version = 0;
  bool operator==(const SortOrder&) const = default;
};
inline constexpr SortOrder kGeneralSortOrder{0x409, 0};

// The four bytes at `offset` of `view`.
SortOrder ReadSortOrder(const ByteView& view, size_t offset);

// The name Access gives the order in its options, in German ("Allgemein –
// Legacy", "Deutsch (Telefonbuch)", "Türkisch", …); an order Access does not
// offer by that locale is named by its hex id, e.g. "0x0001041A", with its
// version when that is not 0.
std::string SortOrderName(SortOrder order);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_SORT_ORDER_H_
