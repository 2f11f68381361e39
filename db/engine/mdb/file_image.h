#ifndef PREISLISTE_DB_ENGINE_MDB_FILE_IMAGE_H_
#define PREISLISTE_DB_ENGINE_MDB_FILE_IMAGE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
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

// Reads the bytes of a file at `offset` into `into`, all of them; throws
// db::Error when it cannot.
using ReadBytes = std::function<void(uint64_t offset, std::span<uint8_t> into)>;

// The pages of a file as the readers see them. The bytes are kept exactly
// as stored (page 0 still masked). Three kinds:
//   - in memory: all bytes at hand (tests, tools, the fuzzer);
//   - read on demand: a page is read through a ReadBytes the first time it
//     is asked for and kept from then on, so a run holds the pages it reads
//     and never the rest of a large file; every view of a page stays valid
//     while the image lives;
//   - changed (WritableImage): pages of an original image with some of them
//     changed and new ones at the end; the others are the original's own,
//     which must outlive it.
class FileImage {
 public:
  // Reads the whole file into memory; throws db::Error when it cannot be read.
  static FileImage ReadFile(const std::filesystem::path& path);

  // Takes the bytes of a file. Whether they make a Jet 4 file is the
  // header's question (a Jet 3 file has smaller pages).
  explicit FileImage(std::vector<uint8_t> bytes);
  // A file of `size` bytes whose pages `read` reads on demand.
  FileImage(uint64_t size, ReadBytes read);

  FileImage(FileImage&&) noexcept;
  FileImage& operator=(FileImage&&) noexcept;
  FileImage(const FileImage&) = delete;
  FileImage& operator=(const FileImage&) = delete;
  ~FileImage();

  // The file's size in bytes.
  uint64_t size() const { return size_; }
  // Whole pages only: a cut-off last page counts as missing.
  uint32_t page_count() const { return static_cast<uint32_t>(size_ / kPageSize); }

  // Page `number`; throws db::Error for a page beyond the end of the file.
  ByteView Page(uint32_t number) const;
  // The file's first bytes, a whole page or the whole file when it is
  // shorter: what tells a Jet file from anything else.
  std::span<const uint8_t> Start() const;

  // All bytes of an image in memory (a db::Error for the other kinds).
  const std::vector<uint8_t>& bytes() const;
  // All bytes of any image, page after page (reads every page).
  std::vector<uint8_t> ToBytes() const;

  // The pages a changed image holds itself (changed or new), ascending.
  std::vector<uint32_t> ChangedPages() const;

 private:
  friend class WritableImage;
  using PageBytes = std::array<uint8_t, kPageSize>;

  // A changed image of `original` without changes yet.
  struct ChangesOf {};
  FileImage(ChangesOf, const FileImage& original);
  // The page of a changed image to write into: a copy of the original's
  // first; page_count() for a new zero-filled page at the end.
  std::span<uint8_t> ChangePage(uint32_t number);
  const PageBytes* Held(uint32_t number) const {
    return number < held_.size() ? held_[number].get() : nullptr;
  }
  PageBytes& Hold(uint32_t number) const;

  uint64_t size_ = 0;
  std::vector<uint8_t> bytes_;       // in memory
  ReadBytes read_;                   // read on demand
  const FileImage* base_ = nullptr;  // changed: the original
  // The pages read (on demand) or changed, by number.
  mutable std::vector<std::unique_ptr<PageBytes>> held_;
  mutable std::vector<uint8_t> start_;  // Start() of a file shorter than a page
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
