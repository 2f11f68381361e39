#include "platform/file.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/file_operations.h"

namespace platform {
namespace {

using OpenMode = FileOperations::OpenMode;

FileOperations& Operations() { return CurrentFileOperations(); }

constexpr uint64_t kBufferSize = 1 << 20;
// The system copies, and hands the copy's pages to the disk, in stretches of
// this size.
constexpr uint64_t kStretch = 32 << 20;

}  // namespace

File File::OpenForReading(const std::filesystem::path& path) {
  return Operations().Open(path, OpenMode::kRead);
}

File File::OpenForWriting(const std::filesystem::path& path) {
  return Operations().Open(path, OpenMode::kReadWrite);
}

File File::CreateNew(const std::filesystem::path& path) {
  return Operations().Open(path, OpenMode::kCreateNew);
}

File File::CreateTemporaryBeside(const std::filesystem::path& beside) {
  return Operations().CreateTemporaryBeside(beside);
}

File::File(File&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_) {
  other.handle_ = kNoHandle;
}

// A failure to close an abandoned file changes nothing for the caller, whose
// own failure (if any) is the one to report.
File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    try {
      Close();
    } catch (const core::Error&) {
    }
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    other.handle_ = kNoHandle;
  }
  return *this;
}

File::~File() {
  try {
    Close();
  } catch (const core::Error&) {
  }
}

void File::Close() {
  if (handle_ != kNoHandle) Operations().Close(*this);
}

uint64_t File::Size() const { return Operations().Status(*this).identity.size; }

bool File::IsRegularFile() const { return Operations().Status(*this).regular; }

FileIdentity File::Identity() const { return Operations().Status(*this).identity; }

size_t File::ReadAt(uint64_t offset, std::span<uint8_t> into) const {
  return Operations().ReadAt(*this, offset, into);
}

void File::ReadExactly(uint64_t offset, std::span<uint8_t> into) const {
  if (ReadAt(offset, into) != into.size())
    throw core::Error(
        path_.string() + " endet vor Byte " + std::to_string(offset + into.size()),
        core::Error::Kind::kDamaged);
}

void File::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  Operations().WriteAt(*this, offset, bytes);
}

void File::Resize(uint64_t size) { Operations().Resize(*this, size); }

void File::Flush() { Operations().Flush(*this); }

void File::TakeAccessOf(const std::filesystem::path& original) {
  Operations().TakeAccessOf(*this, original);
}

void File::UseDefaultAccess() { Operations().UseDefaultAccess(*this); }

uint64_t CopyThroughBuffer(const File& from, File& to, uint64_t offset, uint64_t length) {
  std::vector<uint8_t> buffer(std::min(length, kBufferSize));
  uint64_t done = 0;
  uint64_t written_back = 0;
  while (done < length) {
    const auto chunk = std::span(buffer).first(std::min(length - done, kBufferSize));
    const size_t n = from.ReadAt(offset + done, chunk);
    to.WriteAt(offset + done, chunk.first(n));
    done += n;
    if (n < chunk.size()) break;
    if (done - written_back >= kStretch) {
      Operations().StartWriteback(to, offset + written_back, done - written_back);
      written_back = done;
    }
  }
  return done;
}

// Where the system reports the end of `from` early, or cannot copy at all,
// the rest goes through the buffer, which finds the true end: some file
// systems report an early end for files they cannot copy.
uint64_t CopyFileStart(const File& from, File& to, uint64_t length) {
  uint64_t done = 0;
  while (done < length) {
    const uint64_t n =
        Operations().CopyRange(from, to, done, std::min(length - done, kStretch));
    if (n == 0) return done + CopyThroughBuffer(from, to, done, length - done);
    Operations().StartWriteback(to, done, n);
    done += n;
  }
  return done;
}

}  // namespace platform
