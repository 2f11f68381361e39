#include "db/engine/mdb/index_page.h"

#include <algorithm>

#include "db/engine/core_types.h"

namespace db::engine::mdb {
namespace {

// Page layout (little-endian header, big-endian entries).
constexpr uint8_t kIntermediateType = 0x03;
constexpr uint8_t kLeafType = 0x04;
constexpr size_t kFreeSpaceAt = 2;
constexpr size_t kTablePageAt = 4;
constexpr size_t kPrevAt = 12;
constexpr size_t kNextAt = 16;
constexpr size_t kTailAt = 20;
constexpr size_t kPrefixLengthAt = 24;
constexpr size_t kUnknownAt = 26;
constexpr size_t kMaskAt = 27;
constexpr size_t kMaskBytes = 453;
constexpr size_t kEntriesAt = kMaskAt + kMaskBytes;
static_assert(kEntriesAt + kMaxEntryBytes == kPageSize);

constexpr size_t kRowPointerBytes = 4;
constexpr size_t kChildBytes = 4;

uint32_t Le(std::span<const uint8_t> b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

void PutLe(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void AppendBe(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Be(std::span<const uint8_t> b, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | b[i];
  return v;
}

// The bytes of an entry as it sits on a page, before prefix compression.
std::vector<uint8_t> EntryBytes(const IndexEntry& entry, bool leaf, uint32_t child) {
  std::vector<uint8_t> bytes = entry.key;
  AppendBe(bytes, entry.row.page, 3);
  bytes.push_back(entry.row.row);
  if (!leaf) AppendBe(bytes, child, 4);
  return bytes;
}

}  // namespace

void ThrowDamagedIndexPage(uint32_t number, const std::string& what) {
  throw Error("Die Indexseite " + std::to_string(number) + " ist beschädigt: " + what,
              Error::Kind::kDamaged);
}

size_t EntrySize(const IndexEntry& entry, bool leaf) {
  return entry.key.size() + kRowPointerBytes + (leaf ? 0 : kChildBytes);
}

IndexPage DecodeIndexPage(std::span<const uint8_t> bytes, uint32_t number) {
  if (bytes.size() != kPageSize) ThrowDamagedIndexPage(number, "falsche Seitengröße");
  if (bytes[0] != kLeafType && bytes[0] != kIntermediateType)
    ThrowDamagedIndexPage(number, "keine Indexseite");
  IndexPage page;
  page.leaf = bytes[0] == kLeafType;
  page.table_page = Le(bytes, kTablePageAt, 4);
  page.prev = Le(bytes, kPrevAt, 4);
  page.next = Le(bytes, kNextAt, 4);
  page.tail = Le(bytes, kTailAt, 4);
  const size_t prefix_length = Le(bytes, kPrefixLengthAt, 2);
  page.prefix_length = prefix_length;
  const size_t fixed = kRowPointerBytes + (page.leaf ? 0 : kChildBytes);

  // Each set bit of the mask marks where an entry ends, counted from the first
  // entry's start; entries after the first leave out the shared prefix.
  std::vector<uint8_t> prefix;
  size_t start = 0;
  for (size_t end = 1; end <= kMaxEntryBytes; ++end) {
    if (!(bytes[kMaskAt + end / 8] >> (end % 8) & 1)) continue;
    std::vector<uint8_t> entry = prefix;
    entry.insert(entry.end(), bytes.begin() + kEntriesAt + start,
                 bytes.begin() + kEntriesAt + end);
    if (start == 0) {
      if (prefix_length > entry.size())
        ThrowDamagedIndexPage(number, "gemeinsamer Anfang länger als sein Eintrag");
      prefix.assign(entry.begin(), entry.begin() + prefix_length);
    }
    if (entry.size() <= fixed) ThrowDamagedIndexPage(number, "Eintrag zu kurz");
    std::span<const uint8_t> tail(entry.data() + entry.size() - fixed, fixed);
    page.entries.push_back(
        {KeyBytes(entry.begin(), entry.end() - fixed), {Be(tail, 3), tail[3]}});
    if (!page.leaf) page.children.push_back(Be(tail.subspan(kRowPointerBytes), 4));
    start = end;
  }
  // The mask has bits for 7 bytes more than the page holds, and bit 0 would
  // mark an empty first entry: these must stay clear.
  if ((bytes[kMaskAt + kMaskBytes - 1] & 0xFE) || (bytes[kMaskAt] & 1)) {
    ThrowDamagedIndexPage(number, "Eintragsmaske markiert kein Eintragsende");
  }
  if (page.entries.empty() && prefix_length != 0)
    ThrowDamagedIndexPage(number, "gemeinsamer Anfang ohne Einträge");
  if (Le(bytes, kFreeSpaceAt, 2) != kMaxEntryBytes - start) {
    ThrowDamagedIndexPage(number, "freier Platz passt nicht zu den Einträgen");
  }
  return page;
}

std::vector<uint8_t> EncodeIndexPage(const IndexPage& page) {
  if (!page.leaf && page.children.size() != page.entries.size()) {
    throw Error(
        "Interner Fehler: eine innere Indexseite braucht eine Kindseite je Eintrag",
        Error::Kind::kInternal);
  }
  if (page.entries.empty() && page.prefix_length != 0) {
    throw Error(
        "Interner Fehler: eine leere Indexseite kann keinen gemeinsamen Anfang haben",
        Error::Kind::kInternal);
  }
  std::vector<uint8_t> bytes(kEntriesAt, 0);
  bytes[0] = page.leaf ? kLeafType : kIntermediateType;
  bytes[1] = 0x01;
  PutLe(bytes, kTablePageAt, page.table_page, 4);
  PutLe(bytes, kPrevAt, page.prev, 4);
  PutLe(bytes, kNextAt, page.next, 4);
  PutLe(bytes, kTailAt, page.tail, 4);
  // Access marks its intermediate pages so; what the byte means is not known.
  if (!page.leaf) bytes[kUnknownAt] = 0x01;
  PutLe(bytes, kPrefixLengthAt, static_cast<uint32_t>(page.prefix_length), 2);
  std::vector<uint8_t> first;
  for (size_t i = 0; i < page.entries.size(); ++i) {
    const std::vector<uint8_t> entry =
        EntryBytes(page.entries[i], page.leaf, page.leaf ? 0 : page.children[i]);
    if (i == 0) first = entry;
    if (entry.size() < page.prefix_length ||
        !std::equal(entry.begin(), entry.begin() + page.prefix_length, first.begin())) {
      throw Error(
          "Interner Fehler: ein Indexeintrag beginnt nicht mit dem gemeinsamen Anfang "
          "der Seite",
          Error::Kind::kInternal);
    }
    bytes.insert(bytes.end(), entry.begin() + (i == 0 ? 0 : page.prefix_length),
                 entry.end());
    const size_t end = bytes.size() - kEntriesAt;
    if (end > kMaxEntryBytes)
      throw Error("Interner Fehler: die Indexeinträge passen nicht auf eine Seite",
                  Error::Kind::kInternal);
    bytes[kMaskAt + end / 8] |= static_cast<uint8_t>(1 << (end % 8));
  }
  PutLe(bytes, kFreeSpaceAt, static_cast<uint32_t>(kPageSize - bytes.size()), 2);
  bytes.resize(kPageSize, 0);
  return bytes;
}

}  // namespace db::engine::mdb
