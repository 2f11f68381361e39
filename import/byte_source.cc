#include "import/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace price_import {
namespace {

std::string Describe(const char* what, const std::filesystem::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

class FileSource : public ByteSource {
 public:
  FileSource(int fd, int64_t length, std::filesystem::path path)
      : fd_(fd), length_(length), path_(std::move(path)) {}
  ~FileSource() override { close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  size_t Read(char* buffer, size_t capacity) override {
    for (;;) {
      const ssize_t n = read(fd_, buffer, capacity);
      if (n >= 0) return static_cast<size_t>(n);
      if (errno != EINTR) throw std::runtime_error(Describe("Cannot read", path_, errno));
    }
  }
  int64_t Length() const override { return length_; }

 private:
  int fd_;
  int64_t length_;
  std::filesystem::path path_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error(Describe("Cannot open", path, errno));
  struct stat info;
  const int64_t length =
      fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : 0;
  return std::make_unique<FileSource>(fd, length, path);
}

}  // namespace price_import
