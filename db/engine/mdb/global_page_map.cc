#include "db/engine/mdb/global_page_map.h"

#include <algorithm>
#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kBitmapOffset = 5;  // kind byte, 4-byte start page

void PutU32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool GlobalPageMap::Bitmap::FreeBit(uint64_t page) const {
  const uint64_t index = page - first_page;
  return bits[index / 8] >> (index % 8) & 1;
}

GlobalPageMap GlobalPageMap::Read(const FileImage& image) {
  const ByteView row = FindRow(image, kLocation);
  if (row.size() <= kBitmapOffset ||
      (row.U8(0) != kInlineUsageMap && row.U8(0) != kReferenceUsageMap))
    throw Error("Die Datenbankdatei ist beschädigt: Seite 1 hat keine Seitenbelegung",
                Error::Kind::kDamaged);
  GlobalPageMap map;
  map.reference_ = row.U8(0) == kReferenceUsageMap;
  map.row_offset_ =
      static_cast<size_t>(row.bytes().data() - image.Page(kLocation.page).bytes().data());
  map.row_size_ = row.size();
  for (const UsageMapBitmap& bitmap : UsageMapBitmaps(image, row)) {
    const auto bits = bitmap.bits.bytes();
    map.bitmaps_.push_back(
        {bitmap.first_page, bitmap.map_page, {bits.begin(), bits.end()}, false, false});
  }
  return map;
}

uint32_t GlobalPageMap::window_start() const {
  return bitmaps_.empty() ? 0 : static_cast<uint32_t>(bitmaps_.front().first_page);
}

uint32_t GlobalPageMap::window_pages() const {
  return bitmaps_.empty() ? 0 : static_cast<uint32_t>(bitmaps_.front().bits.size() * 8);
}

const GlobalPageMap::Bitmap* GlobalPageMap::Covering(uint32_t page) const {
  for (const Bitmap& bitmap : bitmaps_)
    if (bitmap.Covers(page)) return &bitmap;
  return nullptr;
}

bool GlobalPageMap::InUse(uint32_t page) const {
  const Bitmap* bitmap = Covering(page);
  return bitmap == nullptr || !bitmap->FreeBit(page);
}

void GlobalPageMap::MarkInUse(uint32_t page, uint32_t file_pages) {
  if (Covering(page) == nullptr) {
    if (!reference_) {
      if (page < window_start()) return;  // before the window: in use already
      MoveInlineWindow(page, file_pages);
    } else {
      const uint64_t block = page / kPagesPerUsageMapPage;
      if (1 + 4 * (block + 1) > row_size_) return;  // no entry for it: in use
      Bitmap added{block * kPagesPerUsageMapPage, 0,
                   std::vector<uint8_t>(kPageSize - kUsageMapPageHeader, 0), true, true};
      for (uint64_t i = 0; i < kPagesPerUsageMapPage; ++i)
        if (added.first_page + i >= file_pages)
          added.bits[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
      bitmaps_.insert(std::upper_bound(bitmaps_.begin(), bitmaps_.end(), added,
                                       [](const Bitmap& a, const Bitmap& b) {
                                         return a.first_page < b.first_page;
                                       }),
                      std::move(added));
    }
  }
  for (Bitmap& bitmap : bitmaps_) {
    if (!bitmap.Covers(page)) continue;
    const uint64_t index = page - bitmap.first_page;
    bitmap.bits[index / 8] &= static_cast<uint8_t>(~(1u << (index % 8)));
    bitmap.changed = true;
  }
}

void GlobalPageMap::MoveInlineWindow(uint32_t page, uint32_t file_pages) {
  Bitmap& window = bitmaps_.front();
  const uint32_t pages = window_pages();
  const uint32_t new_start = page - page % pages;
  std::vector<uint8_t> moved(window.bits.size(), 0);
  for (uint32_t i = 0; i < pages; ++i) {
    const uint32_t covered = new_start + i;
    const bool free =
        window.Covers(covered) ? window.FreeBit(covered) : covered >= file_pages;
    if (free) moved[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
  }
  window.first_page = new_start;
  window.bits = std::move(moved);
}

std::optional<size_t> GlobalPageMap::NextBlockWithoutMapPage() const {
  if (!reference_) return std::nullopt;
  for (const Bitmap& bitmap : bitmaps_)
    if (bitmap.map_page == 0) return bitmap.first_page / kPagesPerUsageMapPage;
  return std::nullopt;
}

void GlobalPageMap::SetMapPage(size_t block, uint32_t page) {
  for (Bitmap& bitmap : bitmaps_)
    if (bitmap.first_page == block * kPagesPerUsageMapPage) bitmap.map_page = page;
}

void GlobalPageMap::WriteTo(
    const std::function<std::span<uint8_t>(uint32_t)>& page) const {
  const std::span<uint8_t> page1 = page(kLocation.page);
  if (row_offset_ + row_size_ > page1.size())
    throw Error("Die Seitenbelegung passt nicht in die neue Datenbankdatei",
                Error::Kind::kUnsupported);
  const std::span<uint8_t> row = page1.subspan(row_offset_, row_size_);
  if (!reference_) {
    PutU32(row, 1, window_start());
    std::copy(bitmaps_.front().bits.begin(), bitmaps_.front().bits.end(),
              row.begin() + kBitmapOffset);
    return;
  }
  for (const Bitmap& bitmap : bitmaps_) {
    if (bitmap.map_page == 0)
      throw Error("Interner Fehler: ein Teil der Seitenbelegung hat keine Seite",
                  Error::Kind::kInternal);
    PutU32(row, 1 + 4 * (bitmap.first_page / kPagesPerUsageMapPage), bitmap.map_page);
    if (!bitmap.changed) continue;
    const std::span<uint8_t> map_page = page(bitmap.map_page);
    if (bitmap.added) StartUsageMapPage(map_page);
    std::copy(bitmap.bits.begin(), bitmap.bits.end(),
              map_page.begin() + kUsageMapPageHeader);
  }
}

}  // namespace db::engine::mdb
