#include "db/engine/mdb/usage_map.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"

namespace db::engine::mdb {
namespace {

void AddPages(const FileImage& image, const ByteView& bitmap, uint64_t first_page,
              std::vector<uint32_t>& pages) {
  for (size_t byte = 0; byte < bitmap.size(); ++byte) {
    const uint8_t bits = bitmap.U8(byte);
    for (int bit = 0; bit < 8; ++bit) {
      if (!(bits >> bit & 1)) continue;
      const uint64_t page = first_page + byte * 8 + bit;
      if (page >= image.page_count())
        throw Error("Die Datenbankdatei ist beschädigt: eine Seitenliste in " +
                        bitmap.name() + " verzeichnet Seite " + std::to_string(page) +
                        " hinter dem Ende der Datei",
                    Error::Kind::kDamaged);
      pages.push_back(static_cast<uint32_t>(page));
    }
  }
}

bool AnyPageIn(const std::vector<uint32_t>& pages, uint64_t begin, uint64_t end) {
  const auto page = std::lower_bound(pages.begin(), pages.end(), begin);
  return page != pages.end() && *page < end;
}

// Sets the bits of the pages in [first_page, first_page + bitmap bits) and
// clears the others.
void FillBitmap(std::span<uint8_t> bitmap, uint64_t first_page,
                const std::vector<uint32_t>& pages) {
  std::fill(bitmap.begin(), bitmap.end(), 0);
  const uint64_t end = first_page + bitmap.size() * 8;
  for (auto page = std::lower_bound(pages.begin(), pages.end(), first_page);
       page != pages.end() && *page < end; ++page) {
    const uint64_t index = *page - first_page;
    bitmap[index / 8] |= static_cast<uint8_t>(1u << (index % 8));
  }
}

void PutU32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The start page of an inline map of `window` pages that holds all `pages`,
// preferring the current start and then the block of the first page; none
// when the pages span more than one window.
std::optional<uint32_t> InlineStart(uint32_t current, uint64_t window,
                                    const std::vector<uint32_t>& pages) {
  if (pages.empty()) return current;
  const auto holds = [&](uint64_t start) {
    return pages.front() >= start && pages.back() < start + window;
  };
  const uint32_t block = static_cast<uint32_t>(pages.front() - pages.front() % window);
  for (const uint32_t start : {current, block, pages.front()})
    if (holds(start)) return start;
  return std::nullopt;
}

// The row's bytes inside the image, writable.
std::span<uint8_t> MapRow(WritableImage& image, RowPointer map) {
  const ByteView row = FindRow(image.image(), map);
  const size_t offset = static_cast<size_t>(row.bytes().data() -
                                            image.image().Page(map.page).bytes().data());
  return image.Page(map.page).subspan(offset, row.size());
}

void WriteReferenceMap(WritableImage& image, RowPointer map,
                       const std::vector<uint32_t>& pages, bool was_reference) {
  const size_t entries = (MapRow(image, map).size() - 1) / 4;
  const uint64_t blocks = pages.empty() ? 0 : pages.back() / kPagesPerUsageMapPage + 1;
  if (blocks > entries)
    throw Error("Die Seitenliste in " + FindRow(image.image(), map).name() +
                    " kann nicht so viele Seiten aufnehmen",
                Error::Kind::kUnsupported);
  std::vector<uint32_t> map_pages(entries, 0);
  if (was_reference) {
    const ByteView row = FindRow(image.image(), map);
    for (size_t k = 0; k < entries; ++k) map_pages[k] = row.U32(1 + 4 * k);
  }
  for (size_t k = 0; k < blocks; ++k) {
    if (map_pages[k] != 0) continue;
    if (!AnyPageIn(pages, k * kPagesPerUsageMapPage, (k + 1) * kPagesPerUsageMapPage))
      continue;
    map_pages[k] = image.AppendPage();
    StartUsageMapPage(image.Page(map_pages[k]));
  }
  const std::span<uint8_t> row = MapRow(image, map);
  std::fill(row.begin(), row.end(), 0);
  row[0] = kReferenceUsageMap;
  for (size_t k = 0; k < entries; ++k) {
    PutU32(row, 1 + 4 * k, map_pages[k]);
    if (map_pages[k] == 0) continue;
    PageOfType(image.image(), map_pages[k], PageType::kUsageMap, "eine Seitenliste");
    FillBitmap(image.Page(map_pages[k]).subspan(kUsageMapPageHeader),
               k * kPagesPerUsageMapPage, pages);
  }
}

}  // namespace

void WriteUsageMap(WritableImage& image, RowPointer map,
                   const std::vector<uint32_t>& pages) {
  if (!std::is_sorted(pages.begin(), pages.end()) ||
      std::adjacent_find(pages.begin(), pages.end()) != pages.end())
    throw Error("Interner Fehler: die Seiten einer Seitenliste sind nicht aufsteigend",
                Error::Kind::kInternal);
  if (!pages.empty() && pages.back() >= image.page_count())
    throw Error("Interner Fehler: eine Seitenliste soll Seite " +
                    std::to_string(pages.back()) + " hinter dem Ende der Datei aufnehmen",
                Error::Kind::kInternal);
  const std::span<uint8_t> row = MapRow(image, map);
  if (row.size() <= 5)
    throw Error("Die Seitenliste in Seite " + std::to_string(map.page) + " ist zu kurz",
                Error::Kind::kDamaged);
  if (row[0] == kInlineUsageMap) {
    const uint32_t current = FindRow(image.image(), map).U32(1);
    if (const auto start = InlineStart(current, (row.size() - 5) * 8, pages)) {
      PutU32(row, 1, *start);
      FillBitmap(row.subspan(5), *start, pages);
      return;
    }
  } else if (row[0] != kReferenceUsageMap) {
    throw Error(
        "Die Datenbankdatei ist beschädigt: " + FindRow(image.image(), map).name() +
            " enthält eine Seitenliste unbekannter Art",
        Error::Kind::kDamaged);
  }
  WriteReferenceMap(image, map, pages, row[0] == kReferenceUsageMap);
}

std::vector<UsageMapBitmap> UsageMapBitmaps(const FileImage& image,
                                            const ByteView& map_row) {
  std::vector<UsageMapBitmap> bitmaps;
  switch (map_row.U8(0)) {
    case kInlineUsageMap:
      bitmaps.push_back({map_row.U32(1), 0, map_row.Sub(5, map_row.size() - 5)});
      break;
    case kReferenceUsageMap:
      for (size_t k = 0; 1 + 4 * k + 4 <= map_row.size(); ++k) {
        const uint32_t map_page = map_row.U32(1 + 4 * k);
        if (map_page == 0) continue;
        const ByteView page =
            PageOfType(image, map_page, PageType::kUsageMap, "eine Seitenliste");
        bitmaps.push_back(
            {k * kPagesPerUsageMapPage, map_page,
             page.Sub(kUsageMapPageHeader, kPageSize - kUsageMapPageHeader)});
      }
      break;
    default:
      throw Error("Die Datenbankdatei ist beschädigt: " + map_row.name() +
                      " enthält eine Seitenliste unbekannter Art " +
                      std::to_string(map_row.U8(0)),
                  Error::Kind::kDamaged);
  }
  return bitmaps;
}

void StartUsageMapPage(std::span<uint8_t> page) {
  page[0] = static_cast<uint8_t>(PageType::kUsageMap);
  page[1] = 0x01;
}

std::vector<uint32_t> DecodeUsageMap(const FileImage& image, const ByteView& map_row) {
  std::vector<uint32_t> pages;
  for (const UsageMapBitmap& bitmap : UsageMapBitmaps(image, map_row))
    AddPages(image, bitmap.bits, bitmap.first_page, pages);
  return pages;
}

std::vector<uint32_t> DecodeUsageMap(const FileImage& image, RowPointer map) {
  return DecodeUsageMap(image, FindRow(image, map));
}

}  // namespace db::engine::mdb
