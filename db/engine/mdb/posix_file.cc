#include "db/engine/mdb/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

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

FileReader::FileReader(std::filesystem::path file)
    : path_(std::move(file)), fd_(OpenForReading(path_)) {
  size_ = static_cast<uint64_t>(StatOf(fd_, path_).st_size);
}

void FileReader::Read(uint64_t offset, std::span<uint8_t> into) const {
  if (ReadAt(fd_, offset, into, path_) != into.size())
    throw Error(path_.string() + " endet vor Byte " +
                std::to_string(offset + into.size()));
}

struct stat StatOf(const FileDescriptor& fd, const std::filesystem::path& file) {
  struct stat info;
  if (fstat(fd.get(), &info) != 0)
    throw SystemError("kann nicht abgefragt werden", file, errno);
  return info;
}

size_t ReadAt(const FileDescriptor& fd, uint64_t offset, std::span<uint8_t> into,
              const std::filesystem::path& file) {
  size_t done = 0;
  while (done < into.size()) {
    const ssize_t n = pread(fd.get(), into.data() + done, into.size() - done,
                            static_cast<off_t>(offset + done));
    if (n == 0) break;
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (errno != EINTR) {
      throw SystemError("kann nicht gelesen werden", file, errno);
    }
  }
  return done;
}

void WriteAt(const FileDescriptor& fd, uint64_t offset, std::span<const uint8_t> bytes,
             const std::filesystem::path& file) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(fd.get(), bytes.data() + done, bytes.size() - done,
                             static_cast<off_t>(offset + done));
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      throw SystemError("kann nicht geschrieben werden", file, errno);
    }
  }
}

void Resize(const FileDescriptor& fd, uint64_t size, const std::filesystem::path& file) {
  if (ftruncate(fd.get(), static_cast<off_t>(size)) != 0)
    throw SystemError("kann nicht auf die neue Größe gebracht werden", file, errno);
}

namespace {

constexpr uint64_t kBufferSize = 1 << 20;
// After each stretch of this size the copy's pages are handed to the disk.
constexpr uint64_t kWritebackStretch = 32 << 20;

// Starts writing [offset, offset + length) of the file to the disk without
// waiting for it. Only a head start for the flush that follows, which
// reports any failure; so its own failure is no error.
void StartWriteback(const FileDescriptor& fd, uint64_t offset, uint64_t length) {
#ifdef SYNC_FILE_RANGE_WRITE
  sync_file_range(fd.get(), static_cast<off_t>(offset), static_cast<off_t>(length),
                  SYNC_FILE_RANGE_WRITE);
#else
  (void)fd, (void)offset, (void)length;
#endif
}

// Error codes with which copy_file_range says that it cannot copy between
// these files (other file systems, a kernel or file system without it).
bool KernelCopyNotPossible(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == ENOTSUP || error == EBADF || error == EPERM;
}

}  // namespace

uint64_t CopyThroughBuffer(const FileDescriptor& from, const FileDescriptor& to,
                           uint64_t offset, uint64_t length,
                           const std::filesystem::path& from_name,
                           const std::filesystem::path& to_name) {
  std::vector<uint8_t> buffer(std::min(length, kBufferSize));
  uint64_t done = 0;
  uint64_t written_back = 0;
  while (done < length) {
    const auto chunk = std::span(buffer).first(std::min(length - done, kBufferSize));
    const size_t n = ReadAt(from, offset + done, chunk, from_name);
    WriteAt(to, offset + done, chunk.first(n), to_name);
    done += n;
    if (n < chunk.size()) break;
    if (done - written_back >= kWritebackStretch) {
      StartWriteback(to, offset + written_back, done - written_back);
      written_back = done;
    }
  }
  return done;
}

uint64_t CopyFileStart(const FileDescriptor& from, const FileDescriptor& to,
                       uint64_t length, const std::filesystem::path& from_name,
                       const std::filesystem::path& to_name) {
  loff_t in = 0;
  loff_t out = 0;
  uint64_t written_back = 0;
  while (static_cast<uint64_t>(in) < length) {
    const uint64_t left = length - static_cast<uint64_t>(in);
    const ssize_t n = copy_file_range(from.get(), &in, to.get(), &out,
                                      std::min(left, kWritebackStretch), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && !KernelCopyNotPossible(errno))
      throw SystemError("kann nicht kopiert werden", to_name, errno);
    // The rest through the buffer where the kernel cannot copy it, and where
    // it reports the end of `from`: some file systems report an early end
    // for files they cannot copy, and the buffer finds the true one.
    if (n <= 0)
      return static_cast<uint64_t>(in) + CopyThroughBuffer(from, to,
                                                           static_cast<uint64_t>(in),
                                                           left, from_name, to_name);
    StartWriteback(to, written_back, static_cast<uint64_t>(out) - written_back);
    written_back = static_cast<uint64_t>(out);
  }
  return static_cast<uint64_t>(in);
}

void Flush(const FileDescriptor& fd, const std::filesystem::path& file) {
  if (fsync(fd.get()) != 0)
    throw SystemError("kann nicht auf die Platte geschrieben werden", file, errno);
}

}  // namespace db::engine::mdb
