#include "app/write_file_atomically.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/error.h"

namespace app {
namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw core::Error(path + ": " + std::strerror(error));
}

// The new file gets the permissions an ordinary new file would get.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// 0, or the errno of the first step that failed.
int WriteTemporary(int fd, const std::string& bytes) {
  if (fchmod(fd, NewFileMode()) != 0) return errno;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    done += static_cast<size_t>(written);
  }
  // On the disk before the rename makes it the file, so a crash leaves the
  // old file or the complete new one.
  if (fsync(fd) != 0) return errno;
  return 0;
}

}  // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) Fail(path, errno);
  int error = WriteTemporary(fd, bytes);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(name.data(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(name.data());
    Fail(path, error);
  }
}

}  // namespace app
