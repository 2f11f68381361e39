#ifndef PREISLISTE_DB_ENGINE_MDB_FILE_IMAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_FILE_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace db::engine::mdb {

// Every Jet 4 file is made of pages of this size; page 0 is the header.
inline constexpr size_t kPageSize = 4096;

// A read-only window on some bytes of the file, named for error messages
// ("page 7", "row 3 of page 12"). Every read is bounds-checked: reading past
// the end throws db::Error naming the window, so a damaged file can never
// make the reader touch memory outside it. Multi-byte numbers are
// little-endian, as everywhere in the file except inside index keys.
class ByteView {
 public:
  ByteView(std::span<const uint8_t> bytes, std::string name);

  size_t size() const { return bytes_.size(); }
  std::span<const uint8_t> bytes() const { return bytes_; }
  const std::string& name() const { return name_; }

  uint8_t U8(size_t offset) const;
  uint16_t U16(size_t offset) const;
  uint32_t U24(size_t offset) const;
  uint32_t U32(size_t offset) const;
  int16_t I16(size_t offset) const;
  int32_t I32(size_t offset) const;
  int64_t I64(size_t offset) const;
  float F32(size_t offset) const;
  double F64(size_t offset) const;

  // The bytes [offset, offset + length), checked, under the same name.
  ByteView Sub(size_t offset, size_t length) const;
  // Throws unless [offset, offset + length) lies inside the view.
  void Require(size_t offset, size_t length) const;

 private:
  std::span<const uint8_t> bytes_;
  std::string name_;
};

// The whole file in memory, as pages. The bytes are kept exactly as read
// (page 0 still masked), so a writer can copy the image and change pages.
class FileImage {
 public:
  // Reads the file; throws db::Error when it cannot be read.
  static FileImage ReadFile(const std::string& path);

  // Takes the bytes of a file. Whether they make a Jet 4 file is the
  // header's question (a Jet 3 file has smaller pages).
  explicit FileImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  // Whole pages only: a cut-off last page counts as missing.
  uint32_t page_count() const { return static_cast<uint32_t>(bytes_.size() / kPageSize); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  // For the writer, which changes and extends its own copy of an image
  // (see WritableImage); readers never need it.
  std::vector<uint8_t>& mutable_bytes() { return bytes_; }

  // Page `number`; throws db::Error for a page beyond the end of the file.
  ByteView Page(uint32_t number) const;

 private:
  std::vector<uint8_t> bytes_;
};

// A row's address, as the file stores it in four bytes: the row number in the
// low byte, the page number in the upper three.
struct RowPointer {
  uint32_t page = 0;
  uint8_t row = 0;

  static RowPointer FromStored(uint32_t stored) {
    return {stored >> 8, static_cast<uint8_t>(stored & 0xFF)};
  }
  uint32_t ToStored() const { return page << 8 | row; }
  bool operator==(const RowPointer&) const = default;
  auto operator<=>(const RowPointer&) const = default;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_FILE_IMAGE_H_
