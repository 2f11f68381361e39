#include "db/engine/mdb/data_page_writer.h"

#include <algorithm>
#include <string>

#include "db/engine/core_types.h"
#include "db/engine/mdb/data_page.h"

namespace db::engine::mdb {
namespace {

constexpr size_t kHeaderSize = 14;
constexpr size_t kOffsetSize = 2;
constexpr size_t kMaxRowsPerPage = 255;
constexpr uint32_t kDeletedFlags = 0xC000;

void Put16(PageBytes& page, size_t offset, uint32_t value) {
  page[offset] = static_cast<uint8_t>(value);
  page[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// One page being filled: `end` is where the last row placed begins.
class PageFill {
 public:
  explicit PageFill(uint32_t owner) {
    page_.fill(0);
    page_[0] = static_cast<uint8_t>(PageType::kData);
    page_[1] = 0x01;
    for (int i = 0; i < 4; ++i) page_[4 + i] = static_cast<uint8_t>(owner >> (8 * i));
    Record();
  }

  bool Fits(size_t row_size) const {
    return rows_ < kMaxRowsPerPage && row_size + kOffsetSize <= Free();
  }

  void Add(const std::vector<uint8_t>& row) {
    end_ -= row.size();
    std::copy(row.begin(), row.end(), page_.begin() + end_);
    Put16(page_, kHeaderSize + kOffsetSize * rows_, static_cast<uint32_t>(end_));
    ++rows_;
    Record();
  }

  // A deleted row keeps its entry, flagged, and gives its bytes back.
  void AddDeleted() {
    Put16(page_, kHeaderSize + kOffsetSize * rows_,
          static_cast<uint32_t>(end_) | kDeletedFlags);
    ++rows_;
    Record();
  }

  bool empty() const { return rows_ == 0; }
  const PageBytes& page() const { return page_; }

 private:
  size_t Free() const { return end_ - kHeaderSize - kOffsetSize * rows_; }
  void Record() {
    Put16(page_, 2, static_cast<uint32_t>(Free()));
    Put16(page_, 12, static_cast<uint32_t>(rows_));
  }

  PageBytes page_;
  size_t end_ = kPageSize;
  size_t rows_ = 0;
};

}  // namespace

PageBytes EmptyDataPage(uint32_t owner) {
  PageFill fill(owner);
  fill.AddDeleted();
  return fill.page();
}

std::vector<PageBytes> LayOutDataPages(uint32_t owner,
                                       const std::vector<std::vector<uint8_t>>& rows) {
  std::vector<PageBytes> pages;
  PageFill fill(owner);
  for (const std::vector<uint8_t>& row : rows) {
    if (row.size() + kOffsetSize > kPageSize - kHeaderSize)
      throw Error("Eine Zeile von " + std::to_string(row.size()) +
                      " Bytes passt auf keine Datenseite",
                  Error::Kind::kUnsupported);
    if (!fill.Fits(row.size())) {
      pages.push_back(fill.page());
      fill = PageFill(owner);
    }
    fill.Add(row);
  }
  if (!fill.empty()) pages.push_back(fill.page());
  return pages;
}

}  // namespace db::engine::mdb
