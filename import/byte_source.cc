#include "import/byte_source.h"

#include <stdexcept>
#include <string>

#include "platform/file.h"
#include "platform/file_error.h"

namespace price_import {
namespace {

std::string Describe(const char* what, const platform::FileError& error) {
  return std::string(what) + " " + error.file().string() + ": " + error.reason();
}

class FileSource : public ByteSource {
 public:
  explicit FileSource(platform::File file)
      : file_(std::move(file)), length_(file_.IsRegularFile() ? file_.Size() : 0) {}

  size_t Read(char* buffer, size_t capacity) override {
    try {
      const size_t n = file_.ReadAt(
          position_, std::span(reinterpret_cast<uint8_t*>(buffer), capacity));
      position_ += n;
      return n;
    } catch (const platform::FileError& error) {
      throw core::Error(Describe("Lesefehler in", error), error.kind());
    }
  }
  int64_t Length() const override { return static_cast<int64_t>(length_); }

 private:
  platform::File file_;
  uint64_t length_;
  uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path) {
  try {
    return std::make_unique<FileSource>(platform::File::OpenForReading(path));
  } catch (const platform::FileError& error) {
    throw core::Error(Describe("Kann nicht öffnen:", error), error.kind());
  }
}

}  // namespace price_import
