#include "db/engine/mdb/usage_map.h"

#include <string>

#include "db/engine/mdb/data_page.h"
#include "db/error.h"

namespace db::engine::mdb {
namespace {

constexpr uint8_t kInlineMap = 0;
constexpr uint8_t kReferenceMap = 1;
constexpr size_t kMapPageHeader = 4;
constexpr uint64_t kPagesPerMapPage = (kPageSize - kMapPageHeader) * 8;

void AddPages(const FileImage& image, const ByteView& bitmap, uint64_t first_page,
              std::vector<uint32_t>& pages) {
  for (size_t byte = 0; byte < bitmap.size(); ++byte) {
    const uint8_t bits = bitmap.U8(byte);
    for (int bit = 0; bit < 8; ++bit) {
      if (!(bits >> bit & 1)) continue;
      const uint64_t page = first_page + byte * 8 + bit;
      if (page >= image.page_count())
        throw Error("The database file is damaged: a usage map in " + bitmap.name() +
                    " lists page " + std::to_string(page) +
                    ", beyond the end of the file.");
      pages.push_back(static_cast<uint32_t>(page));
    }
  }
}

}  // namespace

std::vector<uint32_t> DecodeUsageMap(const FileImage& image, const ByteView& map_row) {
  std::vector<uint32_t> pages;
  switch (map_row.U8(0)) {
    case kInlineMap:
      AddPages(image, map_row.Sub(5, map_row.size() - 5), map_row.U32(1), pages);
      break;
    case kReferenceMap:
      for (size_t k = 0; 1 + 4 * k + 4 <= map_row.size(); ++k) {
        const uint32_t map_page = map_row.U32(1 + 4 * k);
        if (map_page == 0) continue;
        const ByteView page =
            PageOfType(image, map_page, PageType::kUsageMap, "a usage map");
        AddPages(image, page.Sub(kMapPageHeader, kPageSize - kMapPageHeader),
                 k * kPagesPerMapPage, pages);
      }
      break;
    default:
      throw Error("The database file is damaged: " + map_row.name() +
                  " holds a usage map of unknown kind " + std::to_string(map_row.U8(0)) +
                  ".");
  }
  return pages;
}

std::vector<uint32_t> DecodeUsageMap(const FileImage& image, RowPointer map) {
  return DecodeUsageMap(image, FindRow(image, map));
}

}  // namespace db::engine::mdb
