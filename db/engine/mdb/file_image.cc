#include "db/engine/mdb/file_image.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>

#include "db/engine/error.h"

namespace db::engine::mdb {

ByteView::ByteView(std::span<const uint8_t> bytes, std::string name)
    : bytes_(bytes), name_(std::move(name)) {}

void ByteView::Require(size_t offset, size_t length) const {
  if (offset > bytes_.size() || length > bytes_.size() - offset)
    throw Error("Die Datenbankdatei ist beschädigt: " + name_ + " endet bei Byte " +
                std::to_string(bytes_.size()) + ", gebraucht werden aber " +
                std::to_string(length) + " Bytes ab Byte " + std::to_string(offset));
}

uint8_t ByteView::U8(size_t offset) const {
  Require(offset, 1);
  return bytes_[offset];
}

uint16_t ByteView::U16(size_t offset) const {
  Require(offset, 2);
  return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

uint32_t ByteView::U24(size_t offset) const {
  Require(offset, 3);
  return bytes_[offset] | bytes_[offset + 1] << 8 | uint32_t{bytes_[offset + 2]} << 16;
}

uint32_t ByteView::U32(size_t offset) const {
  Require(offset, 4);
  return bytes_[offset] | bytes_[offset + 1] << 8 | bytes_[offset + 2] << 16 |
         uint32_t{bytes_[offset + 3]} << 24;
}

int16_t ByteView::I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }

int32_t ByteView::I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }

int64_t ByteView::I64(size_t offset) const {
  const uint64_t low = U32(offset);
  const uint64_t high = U32(offset + 4);
  return static_cast<int64_t>(high << 32 | low);
}

float ByteView::F32(size_t offset) const { return std::bit_cast<float>(U32(offset)); }

double ByteView::F64(size_t offset) const {
  return std::bit_cast<double>(static_cast<uint64_t>(I64(offset)));
}

ByteView ByteView::Sub(size_t offset, size_t length) const {
  Require(offset, length);
  return ByteView(bytes_.subspan(offset, length), name_);
}

FileImage FileImage::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("Die Datenbankdatei " + path + " kann nicht gelesen werden");
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                             std::istreambuf_iterator<char>()};
  if (in.bad()) throw Error("Die Datenbankdatei " + path + " kann nicht gelesen werden");
  return FileImage(std::move(bytes));
}

ByteView FileImage::Page(uint32_t number) const {
  if (number >= page_count())
    throw Error("Die Datenbankdatei ist beschädigt: sie verweist auf Seite " +
                std::to_string(number) + ", hat aber nur " +
                std::to_string(page_count()) + " Seiten");
  return ByteView(std::span(bytes_).subspan(size_t{number} * kPageSize, kPageSize),
                  "Seite " + std::to_string(number));
}

}  // namespace db::engine::mdb
