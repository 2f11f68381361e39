#include "db/engine/mdb/global_page_map.h"

#include <algorithm>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"

namespace db::engine::mdb {
namespace {

constexpr uint8_t kInlineMap = 0;
constexpr size_t kBitmapOffset = 5;  // kind byte, 4-byte start page

}  // namespace

GlobalPageMap GlobalPageMap::Read(const FileImage& image) {
  const ByteView row = FindRow(image, kLocation);
  if (row.size() <= kBitmapOffset || row.U8(0) != kInlineMap)
    throw Error("Die Datenbankdatei ist beschädigt: Seite 1 hat keine Seitenbelegung",
                Error::Kind::kDamaged);
  GlobalPageMap map;
  map.row_offset_ =
      static_cast<size_t>(row.bytes().data() - image.Page(kLocation.page).bytes().data());
  map.start_ = row.U32(1);
  const auto bits = row.bytes().subspan(kBitmapOffset);
  map.bitmap_.assign(bits.begin(), bits.end());
  return map;
}

bool GlobalPageMap::FreeBit(uint32_t page) const {
  const uint32_t index = page - start_;
  return bitmap_[index / 8] >> (index % 8) & 1;
}

bool GlobalPageMap::InUse(uint32_t page) const {
  if (page < start_ || page - start_ >= window_pages()) return true;
  return !FreeBit(page);
}

void GlobalPageMap::MarkInUse(uint32_t page, uint32_t file_pages) {
  if (page < start_) return;  // before the window: in use already
  if (page - start_ >= window_pages()) {
    const uint32_t new_start = page - page % window_pages();
    std::vector<uint8_t> moved(bitmap_.size(), 0);
    for (uint32_t i = 0; i < window_pages(); ++i) {
      const uint32_t covered = new_start + i;
      const bool was_covered = covered - start_ < window_pages();
      const bool free = was_covered ? FreeBit(covered) : covered >= file_pages;
      if (free) moved[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    }
    start_ = new_start;
    bitmap_ = std::move(moved);
  }
  const uint32_t index = page - start_;
  bitmap_[index / 8] &= static_cast<uint8_t>(~(1u << (index % 8)));
}

void GlobalPageMap::WriteTo(std::span<uint8_t> page) const {
  if (row_offset_ + kBitmapOffset + bitmap_.size() > page.size())
    throw Error("Die Seitenbelegung passt nicht in die neue Datenbankdatei",
                Error::Kind::kUnsupported);
  uint8_t* row = page.data() + row_offset_;
  for (int i = 0; i < 4; ++i) row[1 + i] = static_cast<uint8_t>(start_ >> (8 * i));
  std::copy(bitmap_.begin(), bitmap_.end(), row + kBitmapOffset);
}

}  // namespace db::engine::mdb
