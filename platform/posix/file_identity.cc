#include "platform/file_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "platform/file.h"
#include "platform/posix/system_error.h"

namespace platform {
namespace {

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev),
          static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_size), Nanoseconds(info.st_mtim),
          Nanoseconds(info.st_ctim)};
}

}  // namespace

FileIdentity File::Identity() const {
  struct stat info;
  if (fstat(static_cast<int>(handle_), &info) != 0)
    throw posix::SystemError("kann nicht abgefragt werden", path_, errno);
  return IdentityOf(info);
}

FileIdentity CurrentIdentity(const std::filesystem::path& file) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0)
    throw posix::SystemError("kann nicht abgefragt werden", file, errno);
  return IdentityOf(info);
}

// File systems stamp writes from the kernel's coarse clock.
bool ChangedInThisTick(const FileIdentity& identity) {
  struct timespec now;
  if (clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0) return false;
  const std::int64_t present = Nanoseconds(now);
  return identity.modified_ns >= present || identity.changed_ns >= present;
}

}  // namespace platform
