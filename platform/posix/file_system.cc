#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/system_error.h"

namespace platform {
namespace {

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

// Error codes with which link() says that the file system (FAT, some network
// shares) or the kernel's hard-link protection does not allow the link.
bool LinkNotPossible(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EMLINK ||
         error == ENOSYS || error == EXDEV;
}

}  // namespace

bool IsSymbolicLink(const std::filesystem::path& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0)
    throw posix::SystemError("kann nicht abgefragt werden", path, errno);
  return S_ISLNK(info.st_mode);
}

bool TryHardLink(const std::filesystem::path& existing,
                 const std::filesystem::path& link) {
  if (::link(existing.c_str(), link.c_str()) == 0) return true;
  if (LinkNotPossible(errno)) return false;
  throw posix::SystemError("(Sicherung) kann nicht angelegt werden", link, errno);
}

void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (rename(from.c_str(), to.c_str()) != 0)
    throw FileError(to, Name(from) + " kann nicht in " + Name(to) + " umbenannt werden",
                    std::strerror(errno), posix::KindOfSystemError(errno));
}

void FlushFolderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // Some file systems cannot flush a folder (EINVAL): nothing more to do there.
  const bool flushed = fd >= 0 && (fsync(fd) == 0 || errno == EINVAL);
  const int error = errno;
  if (fd >= 0) close(fd);
  if (!flushed)
    throw FileError(file,
                    Name(file) + " wurde ersetzt, aber der Ordner " + folder.string() +
                        " konnte nicht auf die Platte geschrieben werden",
                    std::strerror(error), posix::KindOfSystemError(error));
}

bool IsHeldOpen(const std::filesystem::path&) { return true; }

bool CanReadAndWrite(const std::filesystem::path& file) {
  return access(file.c_str(), R_OK | W_OK) == 0;
}

bool CanCreateFilesIn(const std::filesystem::path& folder) {
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsWriteProtected(const std::filesystem::path&) { return false; }

void RemoveFile(const std::filesystem::path& path) noexcept { unlink(path.c_str()); }

}  // namespace platform
