#ifndef PREISLISTE_DB_ENGINE_MDB_WRITABLE_IMAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_WRITABLE_IMAGE_H_

#include <cstdint>
#include <span>
#include <vector>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/global_page_map.h"

namespace db::engine::mdb {

// The writer's version of a file image: pages to change in place, and new
// pages at the end of the file, each recorded as in use in the global page
// map. Only the pages it changes or adds are held here; the others are read
// from the original, which must outlive it and is never changed. The readers
// (DataPage, TableDefinition, …) work on image() as on any file.
class WritableImage {
 public:
  explicit WritableImage(const FileImage& original);

  const FileImage& image() const { return image_; }
  uint32_t page_count() const { return image_.page_count(); }

  // The bytes of page `number`; throws db::Error for a page beyond the file
  // and for page 0, the header, which the writer never changes. Views of
  // the page taken before its first change keep the original's bytes.
  std::span<uint8_t> Page(uint32_t number);

  // Adds a zero-filled page at the end of the file, marked in use, and
  // returns its number.
  uint32_t AppendPage();

  // The finished image, with the global page map written into page 1 (and
  // into its map pages, new ones added for a reference map). Its
  // ChangedPages() are the pages that differ from the original's (or are
  // new); it reads the others from the original.
  FileImage Finish() &&;

 private:
  FileImage image_;
  GlobalPageMap page_map_;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_WRITABLE_IMAGE_H_
