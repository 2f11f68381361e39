#ifndef PREISLISTE_IMPORT_BYTE_SOURCE_H_
#define PREISLISTE_IMPORT_BYTE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace price_import {

// Where the bytes of a price file come from: a file on disk, or in tests any
// stand-in. Read() fills up to `capacity` bytes and returns how many it gave;
// 0 means the end of the data. A failing read throws an exception whose
// what() describes the failure; it is never reported as the end.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(char* buffer, size_t capacity) = 0;
  // Size in bytes when known beforehand (a regular file), else 0.
  virtual int64_t Length() const = 0;
};

// Opens a file for reading. Throws with a description when it cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_BYTE_SOURCE_H_
