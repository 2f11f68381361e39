#include "db/engine/mdb/file_image.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>

#include "db/engine/core_types.h"

namespace db::engine::mdb {

ByteView::ByteView(std::span<const uint8_t> bytes, std::string name)
    : bytes_(bytes), name_(std::move(name)) {}

void ByteView::Require(size_t offset, size_t length) const {
  if (offset > bytes_.size() || length > bytes_.size() - offset)
    throw Error("Die Datenbankdatei ist beschädigt: " + name_ + " endet bei Byte " +
                    std::to_string(bytes_.size()) + ", gebraucht werden aber " +
                    std::to_string(length) + " Bytes ab Byte " + std::to_string(offset),
                Error::Kind::kDamaged);
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

FileImage FileImage::ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw Error("Die Datenbankdatei " + path.string() + " kann nicht gelesen werden",
                Error::Kind::kIo);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                             std::istreambuf_iterator<char>()};
  if (in.bad())
    throw Error("Die Datenbankdatei " + path.string() + " kann nicht gelesen werden",
                Error::Kind::kIo);
  return FileImage(std::move(bytes));
}

FileImage::FileImage(std::vector<uint8_t> bytes)
    : size_(bytes.size()), bytes_(std::move(bytes)) {}

FileImage::FileImage(uint64_t size, ReadBytes read)
    : size_(size), read_(std::move(read)) {}

FileImage::FileImage(ChangesOf, const FileImage& original)
    : size_(original.page_count() * uint64_t{kPageSize}), base_(&original) {}

FileImage::FileImage(FileImage&&) noexcept = default;
FileImage& FileImage::operator=(FileImage&&) noexcept = default;
FileImage::~FileImage() = default;

FileImage::PageBytes& FileImage::Hold(uint32_t number) const {
  auto page = std::make_unique<PageBytes>();
  if (read_) read_(uint64_t{number} * kPageSize, *page);
  if (held_.size() <= number) held_.resize(size_t{number} + 1);
  held_[number] = std::move(page);
  return *held_[number];
}

ByteView FileImage::Page(uint32_t number) const {
  if (number >= page_count())
    throw Error("Die Datenbankdatei ist beschädigt: sie verweist auf Seite " +
                    std::to_string(number) + ", hat aber nur " +
                    std::to_string(page_count()) + " Seiten",
                Error::Kind::kDamaged);
  std::span<const uint8_t> bytes;
  if (const PageBytes* held = Held(number)) {
    bytes = *held;
  } else if (base_) {
    return base_->Page(number);
  } else if (read_) {
    bytes = Hold(number);
  } else {
    bytes = std::span(bytes_).subspan(size_t{number} * kPageSize, kPageSize);
  }
  return ByteView(bytes, "Seite " + std::to_string(number));
}

std::span<const uint8_t> FileImage::Start() const {
  if (size_ >= kPageSize) return Page(0).bytes();
  if (base_) return base_->Start();
  if (!read_) return bytes_;
  if (start_.size() != size_) {
    std::vector<uint8_t> start(size_);
    read_(0, start);
    start_ = std::move(start);
  }
  return start_;
}

const std::vector<uint8_t>& FileImage::bytes() const {
  if (read_ || base_)
    throw Error("Interner Fehler: die Datenbankdatei liegt nicht ganz im Speicher",
                Error::Kind::kInternal);
  return bytes_;
}

std::vector<uint8_t> FileImage::ToBytes() const {
  if (!read_ && !base_) return bytes_;
  std::vector<uint8_t> bytes;
  bytes.reserve(size_);
  for (uint32_t number = 0; number < page_count(); ++number) {
    const std::span<const uint8_t> page = Page(number).bytes();
    bytes.insert(bytes.end(), page.begin(), page.end());
  }
  if (read_ && bytes.size() < size_) {
    std::vector<uint8_t> tail(size_ - bytes.size());
    read_(bytes.size(), tail);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
  }
  return bytes;
}

std::vector<uint32_t> FileImage::ChangedPages() const {
  std::vector<uint32_t> pages;
  if (!base_) return pages;
  for (uint32_t number = 0; number < held_.size(); ++number)
    if (held_[number]) pages.push_back(number);
  return pages;
}

std::span<uint8_t> FileImage::ChangePage(uint32_t number) {
  if (!base_)
    throw Error("Interner Fehler: nur eine Kopie eines Abbilds wird geändert",
                Error::Kind::kInternal);
  if (number == page_count()) {
    size_ += kPageSize;
    held_.resize(size_t{number} + 1);
    held_[number] = std::make_unique<PageBytes>();
  } else if (!Held(number)) {
    const std::span<const uint8_t> original = base_->Page(number).bytes();
    auto page = std::make_unique<PageBytes>();
    std::copy(original.begin(), original.end(), page->begin());
    if (held_.size() <= number) held_.resize(size_t{number} + 1);
    held_[number] = std::move(page);
  }
  return *held_.at(number);
}

}  // namespace db::engine::mdb
