#include "db/engine/mdb/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace db::engine::mdb {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

Error SystemError(std::string_view what, const std::filesystem::path& file, int error) {
  return Error(file.string() + " " + std::string(what) + ": " + std::strerror(error));
}

FileDescriptor OpenForReading(const std::filesystem::path& file) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw SystemError("kann nicht geöffnet werden", file, errno);
  return FileDescriptor(fd);
}

struct stat StatOf(const FileDescriptor& fd, const std::filesystem::path& file) {
  struct stat info;
  if (fstat(fd.get(), &info) != 0)
    throw SystemError("kann nicht abgefragt werden", file, errno);
  return info;
}

std::string ReadToEnd(const FileDescriptor& fd, const std::filesystem::path& file) {
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n == 0) return bytes;
    if (n > 0) {
      bytes.append(buffer, static_cast<size_t>(n));
    } else if (errno != EINTR) {
      throw SystemError("kann nicht gelesen werden", file, errno);
    }
  }
}

void WriteAll(const FileDescriptor& fd, std::string_view bytes,
              const std::filesystem::path& file) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd.get(), bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
    } else if (n < 0 && errno != EINTR) {
      throw SystemError("kann nicht geschrieben werden", file, errno);
    }
  }
}

void Flush(const FileDescriptor& fd, const std::filesystem::path& file) {
  if (fsync(fd.get()) != 0)
    throw SystemError("kann nicht auf die Platte geschrieben werden", file, errno);
}

}  // namespace db::engine::mdb
