#include "db/engine/mdb/writable_image.h"

#include <string>

#include "db/engine/core_types.h"

namespace db::engine::mdb {

WritableImage::WritableImage(const FileImage& original)
    : image_(FileImage::ChangesOf{}, original),
      page_map_(GlobalPageMap::Read(original)) {}

std::span<uint8_t> WritableImage::Page(uint32_t number) {
  if (number == 0 || number >= page_count())
    throw Error("Der Schreiber greift auf Seite " + std::to_string(number) +
                    " zu, die er nicht ändern darf",
                Error::Kind::kInternal);
  return image_.ChangePage(number);
}

uint32_t WritableImage::AppendPage() {
  const uint32_t number = page_count();
  page_map_.MarkInUse(number, number);
  image_.ChangePage(number);
  return number;
}

FileImage WritableImage::Finish() && {
  // A reference page map that grew into a new block of pages records them
  // on a map page of its own, itself a new page.
  while (const auto block = page_map_.NextBlockWithoutMapPage())
    page_map_.SetMapPage(*block, AppendPage());
  page_map_.WriteTo([this](uint32_t number) { return image_.ChangePage(number); });
  return std::move(image_);
}

}  // namespace db::engine::mdb
