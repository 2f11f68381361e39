#include "db/engine/mdb/file_identity.h"

#include <cerrno>

#include "db/engine/mdb/posix_file.h"

namespace db::engine::mdb {
namespace {

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev),
          static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_size), Nanoseconds(info.st_mtim),
          Nanoseconds(info.st_ctim)};
}

FileIdentity CurrentIdentity(const std::filesystem::path& file) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0)
    throw SystemError("kann nicht abgefragt werden", file, errno);
  return IdentityOf(info);
}

std::uint64_t ContentHash(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const std::uint8_t c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3u;
  }
  return hash;
}

}  // namespace db::engine::mdb
