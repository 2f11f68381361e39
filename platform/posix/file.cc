#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/posix/system_error.h"

namespace platform {
namespace {

using core::Error;
using posix::SystemError;

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

struct stat StatOf(int fd, const std::filesystem::path& file) {
  struct stat info;
  if (fstat(fd, &info) != 0)
    throw SystemError("kann nicht abgefragt werden", file, errno);
  return info;
}

}  // namespace

File File::OpenForReading(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw SystemError("kann nicht geöffnet werden", path, errno);
  return File(path, fd);
}

File File::OpenForWriting(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) throw SystemError("kann nicht geöffnet werden", path, errno);
  return File(path, fd);
}

File File::CreateNew(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) throw SystemError("kann nicht angelegt werden", path, errno);
  return File(path, fd);
}

File File::CreateTemporaryBeside(const std::filesystem::path& beside) {
  std::string pattern = beside.string() + ".tmp-XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0)
    throw SystemError("(temporäre Kopie) kann nicht angelegt werden", pattern, errno);
  return File(pattern, fd);
}

File::File(File&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_) {
  other.handle_ = kNoHandle;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != kNoHandle) close(Descriptor(handle_));
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    other.handle_ = kNoHandle;
  }
  return *this;
}

File::~File() {
  if (handle_ != kNoHandle) close(Descriptor(handle_));
}

uint64_t File::Size() const {
  return static_cast<uint64_t>(StatOf(Descriptor(handle_), path_).st_size);
}

bool File::IsRegularFile() const {
  return S_ISREG(StatOf(Descriptor(handle_), path_).st_mode);
}

void File::ReadExactly(uint64_t offset, std::span<uint8_t> into) const {
  if (ReadAt(offset, into) != into.size())
    throw Error(
        path_.string() + " endet vor Byte " + std::to_string(offset + into.size()),
        Error::Kind::kIo);
}

size_t File::ReadAt(uint64_t offset, std::span<uint8_t> into) const {
  size_t done = 0;
  while (done < into.size()) {
    const ssize_t n = pread(Descriptor(handle_), into.data() + done, into.size() - done,
                            static_cast<off_t>(offset + done));
    if (n == 0) break;
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (errno != EINTR) {
      throw SystemError("kann nicht gelesen werden", path_, errno);
    }
  }
  return done;
}

void File::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(Descriptor(handle_), bytes.data() + done,
                             bytes.size() - done, static_cast<off_t>(offset + done));
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      throw SystemError("kann nicht geschrieben werden", path_, errno);
    }
  }
}

void File::Resize(uint64_t size) {
  if (ftruncate(Descriptor(handle_), static_cast<off_t>(size)) != 0)
    throw SystemError("kann nicht auf die neue Größe gebracht werden", path_, errno);
}

void File::Flush() {
  if (fsync(Descriptor(handle_)) != 0)
    throw SystemError("kann nicht auf die Platte geschrieben werden", path_, errno);
}

void File::Close() {
  if (handle_ == kNoHandle) return;
  const int result = close(Descriptor(handle_));
  handle_ = kNoHandle;
  if (result != 0 && errno != EINTR)
    throw SystemError("kann nicht geschlossen werden", path_, errno);
}

// The billing product and other users of a shared folder must find the new
// file with the rights they had on the old one. A folder that cannot give
// them (another owner, a group this user is not in, a file system that
// ignores them) makes the commit stop instead of leaving a file they
// cannot open.
void File::TakeAccessOf(const std::filesystem::path& original) {
  struct stat info;
  if (lstat(original.c_str(), &info) != 0)
    throw SystemError("kann nicht abgefragt werden", original, errno);
  const auto refuse = [&](const std::string& reason) {
    return Error("Die neue Datei " + Name(path_) +
                     " kann Besitzer, Gruppe und Rechte von " + Name(original) +
                     " nicht übernehmen (" + reason + "); " + Name(original) +
                     " wurde nicht ersetzt",
                 Error::Kind::kPermission);
  };
  const int fd = Descriptor(handle_);
  // chown first: it may clear set-id bits that the chmod then restores.
  if (fchown(fd, info.st_uid, info.st_gid) != 0) throw refuse(std::strerror(errno));
  if (fchmod(fd, info.st_mode & 07777) != 0) throw refuse(std::strerror(errno));
  const struct stat taken = StatOf(fd, path_);
  if (taken.st_uid != info.st_uid || taken.st_gid != info.st_gid ||
      (taken.st_mode & 07777) != (info.st_mode & 07777))
    throw refuse("das Dateisystem behält sie nicht");
}

void File::UseDefaultAccess() {
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(Descriptor(handle_), 0666 & ~mask) != 0)
    throw SystemError("kann ihre Rechte nicht bekommen", path_, errno);
}

namespace {

constexpr uint64_t kBufferSize = 1 << 20;
// After each stretch of this size the copy's pages are handed to the disk.
constexpr uint64_t kWritebackStretch = 32 << 20;

// Starts writing [offset, offset + length) of the file to the disk without
// waiting for it. Only a head start for the flush that follows, which
// reports any failure; so its own failure is no error.
void StartWriteback(int fd, uint64_t offset, uint64_t length) {
#ifdef SYNC_FILE_RANGE_WRITE
  sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length),
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
    if (done - written_back >= kWritebackStretch) {
      StartWriteback(Descriptor(to.handle_), offset + written_back, done - written_back);
      written_back = done;
    }
  }
  return done;
}

uint64_t CopyFileStart(const File& from, File& to, uint64_t length) {
  loff_t in = 0;
  loff_t out = 0;
  uint64_t written_back = 0;
  while (static_cast<uint64_t>(in) < length) {
    const uint64_t left = length - static_cast<uint64_t>(in);
    const ssize_t n =
        copy_file_range(Descriptor(from.handle_), &in, Descriptor(to.handle_), &out,
                        std::min(left, kWritebackStretch), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && !KernelCopyNotPossible(errno))
      throw SystemError("kann nicht kopiert werden", to.path(), errno);
    // The rest through the buffer where the kernel cannot copy it, and where
    // it reports the end of `from`: some file systems report an early end
    // for files they cannot copy, and the buffer finds the true one.
    if (n <= 0)
      return static_cast<uint64_t>(in) +
             CopyThroughBuffer(from, to, static_cast<uint64_t>(in), left);
    StartWriteback(Descriptor(to.handle_), written_back,
                   static_cast<uint64_t>(out) - written_back);
    written_back = static_cast<uint64_t>(out);
  }
  return static_cast<uint64_t>(in);
}

}  // namespace platform
