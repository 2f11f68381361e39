#ifndef PREISLISTE_DB_ENGINE_MDB_FILE_IDENTITY_H_
#define PREISLISTE_DB_ENGINE_MDB_FILE_IDENTITY_H_

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <span>

// What tells whether the database file is still the one that was opened:
// the file itself (device and inode: a file put in its place by another
// program is another inode), its size, and its modification and change
// times. Every write sets both times to the present; a program that sets
// the modification time back moves the change time all the same, which no
// program can set. So a file written in between differs in at least one of
// them, on every file system that keeps these times.
namespace db::engine::mdb {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;

  bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& info);
// The identity of the file the name now stands for; a db::Error when it
// cannot be asked.
FileIdentity CurrentIdentity(const std::filesystem::path& file);

// A 64-bit FNV-1a hash: enough to notice an accidental change of bytes read
// earlier without keeping them.
std::uint64_t ContentHash(std::span<const std::uint8_t> bytes);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_FILE_IDENTITY_H_
