#ifndef PREISLISTE_DB_ENGINE_MDB_INDEX_PAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_INDEX_PAGE_H_

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/index_key.h"

namespace db::engine::mdb {

// One entry of an index: the key and the row it stands for. Entries sort by key
// bytes, equal keys by row pointer.
struct IndexEntry {
  KeyBytes key;
  RowPointer row;
  friend auto operator<=>(const IndexEntry&, const IndexEntry&) = default;
};

// One page of an index B-tree. A leaf page (type 0x04) holds entries; an
// intermediate page (type 0x03) holds, for each child but the last, the child's
// last entry and the child's page number, and names the last child as its tail.
struct IndexPage {
  bool leaf = true;
  uint32_t table_page = 0;  // the table definition the index belongs to
  uint32_t prev = 0;        // neighbours on the same level, 0 for none
  uint32_t next = 0;
  uint32_t tail = 0;  // last child of an intermediate page, 0 for none
  // Bytes that every entry shares with the first one and that are stored only
  // there. Access fills it in when it splits a page, and leaves 0 otherwise.
  size_t prefix_length = 0;
  std::vector<IndexEntry> entries;
  std::vector<uint32_t> children;  // intermediate pages: child of each entry
};

// Bytes an entry occupies on a page before prefix compression: key, row pointer
// and, on an intermediate page, the child page number.
size_t EntrySize(const IndexEntry& entry, bool leaf);

// Most entry bytes (after prefix compression) that fit on one page.
inline constexpr size_t kMaxEntryBytes = 3616;

// Decodes page `number`. Anything that does not make sense (wrong page type, an
// entry that runs past the page, a shared prefix longer than the first entry, a
// free-space count that disagrees with the entries) is a db::Error naming the page.
IndexPage DecodeIndexPage(std::span<const uint8_t> bytes, uint32_t number);

// Throws the db::Error that describes index page `number` as damaged by `what`,
// for the page decoder and for the walk over a whole tree.
[[noreturn]] void ThrowDamagedIndexPage(uint32_t number, const std::string& what);

// Encodes a page as Jet lays it out; the space after the entries is zero. db::Error
// when the entries do not fit or do not all begin with the shared prefix.
std::vector<uint8_t> EncodeIndexPage(const IndexPage& page);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_INDEX_PAGE_H_
