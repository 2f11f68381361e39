#include "db/engine/mdb/file_identity.h"

#include "db/engine/mdb/posix_file.h"

namespace db::engine::mdb {
namespace {

std::int64_t ModifiedNs(const struct stat& info) {
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
         info.st_mtim.tv_nsec;
}

}  // namespace

std::uint64_t ContentHash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

FileSnapshot ReadSnapshot(const std::filesystem::path& file) {
  const FileDescriptor fd = OpenForReading(file);
  const struct stat before = StatOf(fd, file);
  if (!S_ISREG(before.st_mode))
    throw Error(file.string() + " ist keine gewöhnliche Datei");
  FileSnapshot snapshot;
  snapshot.bytes = ReadToEnd(fd, file);
  const struct stat after = StatOf(fd, file);
  // Size and time before and after the read bracket it: a writer that was at
  // work meanwhile moved at least the time.
  if (ModifiedNs(before) != ModifiedNs(after) ||
      static_cast<std::uintmax_t>(after.st_size) != snapshot.bytes.size())
    throw Error(file.string() +
                " wurde während des Lesens von einem anderen Programm verändert");
  snapshot.identity = {snapshot.bytes.size(), ModifiedNs(after),
                       ContentHash(snapshot.bytes)};
  return snapshot;
}

}  // namespace db::engine::mdb
