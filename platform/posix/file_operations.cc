// The POSIX system calls behind FileOperations.
#include "platform/file_operations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "core/error.h"
#include "platform/posix/system_error.h"

namespace platform {
namespace {

using posix::SystemError;

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileIdentity IdentityFromStat(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev),
          static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_size), Nanoseconds(info.st_mtim),
          Nanoseconds(info.st_ctim)};
}

struct stat StatOf(int fd, const std::filesystem::path& file) {
  struct stat info;
  if (fstat(fd, &info) != 0)
    throw SystemError("kann nicht abgefragt werden", file, errno);
  return info;
}

// Error codes with which copy_file_range says that it cannot copy between
// these files (other file systems, a kernel or file system without it).
bool KernelCopyNotPossible(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == ENOTSUP || error == EBADF || error == EPERM;
}

// Error codes with which link() says that the file system (FAT, some network
// shares) or the kernel's hard-link protection does not allow the link.
bool LinkNotPossible(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EMLINK ||
         error == ENOSYS || error == EXDEV;
}

}  // namespace

class NativeFileOperations final : public FileOperations {
 public:
  static int Descriptor(const File& file) { return static_cast<int>(file.handle_); }

  File Open(const std::filesystem::path& path, OpenMode mode) override {
    static constexpr int kFlags[] = {O_RDONLY, O_RDWR, O_RDWR | O_CREAT | O_EXCL};
    const int fd = open(path.c_str(), kFlags[static_cast<int>(mode)] | O_CLOEXEC, 0600);
    if (fd < 0)
      throw SystemError(mode == OpenMode::kCreateNew ? "kann nicht angelegt werden"
                                                     : "kann nicht geöffnet werden",
                        path, errno);
    return File(path, fd);
  }

  File CreateTemporaryBeside(const std::filesystem::path& beside) override {
    std::string pattern = beside.string() + ".tmp-XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) throw SystemError("kann nicht angelegt werden", pattern, errno);
    return File(pattern, fd);
  }

  void Close(File& file) override {
    const int result = close(Descriptor(file));
    file.handle_ = File::kNoHandle;
    if (result != 0 && errno != EINTR)
      throw SystemError("kann nicht geschlossen werden", file.path(), errno);
  }

  FileStatus Status(const File& file) override {
    const struct stat info = StatOf(Descriptor(file), file.path());
    return {IdentityFromStat(info), S_ISREG(info.st_mode)};
  }

  size_t ReadAt(const File& file, uint64_t offset, std::span<uint8_t> into) override {
    size_t done = 0;
    while (done < into.size()) {
      const ssize_t n = pread(Descriptor(file), into.data() + done, into.size() - done,
                              static_cast<off_t>(offset + done));
      if (n == 0) break;
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (errno != EINTR) {
        throw SystemError("kann nicht gelesen werden", file.path(), errno);
      }
    }
    return done;
  }

  void WriteAt(File& file, uint64_t offset, std::span<const uint8_t> bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = pwrite(Descriptor(file), bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + done));
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else if (n < 0 && errno != EINTR) {
        throw SystemError("kann nicht geschrieben werden", file.path(), errno);
      }
    }
  }

  void Resize(File& file, uint64_t size) override {
    if (ftruncate(Descriptor(file), static_cast<off_t>(size)) != 0)
      throw SystemError("kann nicht auf die neue Größe gebracht werden", file.path(),
                        errno);
  }

  void Flush(File& file) override {
    if (fsync(Descriptor(file)) != 0)
      throw SystemError("kann nicht auf die Platte geschrieben werden", file.path(),
                        errno);
  }

  uint64_t CopyRange(const File& from, File& to, uint64_t offset,
                     uint64_t length) override {
    loff_t in = static_cast<loff_t>(offset);
    loff_t out = static_cast<loff_t>(offset);
    for (;;) {
      const ssize_t n = copy_file_range(Descriptor(from), &in, Descriptor(to), &out,
                                        static_cast<size_t>(length), 0);
      if (n >= 0) return static_cast<uint64_t>(n);
      if (errno == EINTR) continue;
      if (KernelCopyNotPossible(errno)) return 0;
      throw SystemError("kann nicht aus " + Name(from.path()) + " kopiert werden",
                        to.path(), errno);
    }
  }

  void StartWriteback(File& file, uint64_t offset, uint64_t length) noexcept override {
#ifdef SYNC_FILE_RANGE_WRITE
    sync_file_range(Descriptor(file), static_cast<off_t>(offset),
                    static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)file, (void)offset, (void)length;
#endif
  }

  // The billing product and other users of a shared folder must find the new
  // file with the rights they had on the old one. A folder that cannot give
  // them (another owner, a group this user is not in, a file system that
  // ignores them) makes the commit stop instead of leaving a file they
  // cannot open.
  void TakeAccessOf(File& file, const std::filesystem::path& original) override {
    struct stat info;
    if (lstat(original.c_str(), &info) != 0)
      throw SystemError("kann nicht abgefragt werden", original, errno);
    const auto refuse = [&](const std::string& reason) {
      return core::Error(OperatorName(file.path()) +
                             " kann Besitzer, Gruppe und Rechte von " + Name(original) +
                             " nicht übernehmen (" + reason + "); " + Name(original) +
                             " wurde nicht ersetzt",
                         core::Error::Kind::kPermission);
    };
    const int fd = Descriptor(file);
    // chown first: it may clear set-id bits that the chmod then restores.
    if (fchown(fd, info.st_uid, info.st_gid) != 0) throw refuse(SystemReason(errno));
    if (fchmod(fd, info.st_mode & 07777) != 0) throw refuse(SystemReason(errno));
    const struct stat taken = StatOf(fd, file.path());
    if (taken.st_uid != info.st_uid || taken.st_gid != info.st_gid ||
        (taken.st_mode & 07777) != (info.st_mode & 07777))
      throw refuse("das Dateisystem behält sie nicht");
  }

  void UseDefaultAccess(File& file) override {
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(Descriptor(file), 0666 & ~mask) != 0)
      throw SystemError("kann ihre Rechte nicht bekommen", file.path(), errno);
  }

  FileIdentity IdentityOf(const std::filesystem::path& path) override {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
      throw SystemError("kann nicht abgefragt werden", path, errno);
    return IdentityFromStat(info);
  }

  bool IsSymbolicLink(const std::filesystem::path& path) override {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
      throw SystemError("kann nicht abgefragt werden", path, errno);
    return S_ISLNK(info.st_mode);
  }

  std::optional<NameStatus> StatusOfName(const std::filesystem::path& path) override {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
      throw SystemError("kann nicht abgefragt werden", path, errno);
    }
    return NameStatus{IdentityFromStat(info), S_ISREG(info.st_mode), info.st_mtim.tv_sec};
  }

  // POSIX systems have no write-protection mark; permissions pass on instead.
  bool IsWriteProtected(const std::filesystem::path&) override { return false; }

  bool CanReadAndWrite(const std::filesystem::path& file) override {
    return access(file.c_str(), R_OK | W_OK) == 0;
  }

  bool CanCreateFilesIn(const std::filesystem::path& folder) override {
    return access(folder.c_str(), W_OK | X_OK) == 0;
  }

  bool TryHardLink(const std::filesystem::path& existing,
                   const std::filesystem::path& link) override {
    if (::link(existing.c_str(), link.c_str()) == 0) return true;
    if (LinkNotPossible(errno)) return false;
    throw SystemError("kann nicht angelegt werden", link, errno);
  }

  void RenameOver(const std::filesystem::path& from,
                  const std::filesystem::path& to) override {
    if (rename(from.c_str(), to.c_str()) != 0)
      throw FileError(
          to, OperatorName(from) + " kann nicht in " + Name(to) + " umbenannt werden",
          SystemReason(errno), KindOfSystemError(errno));
  }

  void Remove(const std::filesystem::path& path) override {
    if (unlink(path.c_str()) != 0)
      throw SystemError("kann nicht gelöscht werden", path, errno);
  }

  std::vector<std::filesystem::path> ListFolder(
      const std::filesystem::path& folder) override {
    DIR* const listing = opendir(folder.c_str());
    if (listing == nullptr)
      throw FolderFailure("kann nicht gelesen werden", folder, errno);
    std::vector<std::filesystem::path> entries;
    for (;;) {
      errno = 0;
      const dirent* const entry = readdir(listing);
      if (entry == nullptr) break;
      const std::string name = entry->d_name;
      if (name != "." && name != "..") entries.push_back(folder / name);
    }
    const int error = errno;
    closedir(listing);
    if (error != 0) throw FolderFailure("kann nicht gelesen werden", folder, error);
    return entries;
  }

  // Some file systems cannot flush a folder (EINVAL): nothing more to do there.
  void FlushFolder(const std::filesystem::path& folder) override {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = fd >= 0 && (fsync(fd) == 0 || errno == EINVAL);
    const int error = errno;
    if (fd >= 0) close(fd);
    if (!flushed)
      throw FolderFailure("kann nicht auf die Platte geschrieben werden", folder, error);
  }

  // POSIX systems do not tell whether a program holds a file (and not at all
  // over a network share): every file counts as held.
  bool IsHeldOpen(const std::filesystem::path&) override { return true; }

  VolumeSpace Space(const std::filesystem::path& folder) override {
    struct statvfs info;
    if (statvfs(folder.c_str(), &info) != 0)
      throw FolderFailure("kann nicht abgefragt werden", folder, errno);
    return {static_cast<uint64_t>(info.f_blocks) * info.f_frsize,
            static_cast<uint64_t>(info.f_bavail) * info.f_frsize};
  }
};

FileOperations& SystemFileOperations() {
  static NativeFileOperations operations;
  return operations;
}

}  // namespace platform
