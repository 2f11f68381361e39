#ifndef PREISLISTE_DB_ENGINE_MDB_WRITABLE_IMAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_WRITABLE_IMAGE_H_

#include <cstdint>
#include <span>
#include <vector>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/global_page_map.h"

namespace db::engine::mdb {

// The writer's copy of a file image: pages to change in place, and new
// pages at the end of the file, each recorded as in use in the global page
// map. The readers (DataPage, TableDefinition, …) work on image() as on any
// file; nothing changes the original.
class WritableImage {
 public:
  explicit WritableImage(const FileImage& original);

  const FileImage& image() const { return image_; }
  uint32_t page_count() const { return image_.page_count(); }

  // The bytes of page `number`; throws db::Error for a page beyond the file
  // and for page 0, the header, which the writer never changes.
  std::span<uint8_t> Page(uint32_t number);

  // Adds a zero-filled page at the end of the file, marked in use, and
  // returns its number.
  uint32_t AppendPage();

  // The finished image, with the global page map written into page 1.
  FileImage Finish() &&;

 private:
  FileImage image_;
  GlobalPageMap page_map_;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_WRITABLE_IMAGE_H_
