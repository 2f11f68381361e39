#ifndef PREISLISTE_DB_ENGINE_MDB_FILE_IDENTITY_H_
#define PREISLISTE_DB_ENGINE_MDB_FILE_IDENTITY_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// What tells whether the database file is still the one that was read at
// the open: size, modification time and a hash of the content. Another
// program that wrote to the file in between changes at least one of them
// (the hash catches a write that kept size and time, e.g. a restored time).
namespace db::engine::mdb {

struct FileIdentity {
  std::uintmax_t size = 0;
  std::int64_t modified_ns = 0;
  std::uint64_t content_hash = 0;

  bool operator==(const FileIdentity&) const = default;
};

// The file's bytes together with their identity, read in one go; a file that
// changes while it is read is a db::Error.
struct FileSnapshot {
  std::string bytes;
  FileIdentity identity;
};

FileSnapshot ReadSnapshot(const std::filesystem::path& file);

// A 64-bit FNV-1a hash: enough to notice an accidental change, cheap enough to
// compute twice per run over a database of some megabytes.
std::uint64_t ContentHash(std::string_view bytes);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_FILE_IDENTITY_H_
