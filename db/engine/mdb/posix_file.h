#ifndef PREISLISTE_DB_ENGINE_MDB_POSIX_FILE_H_
#define PREISLISTE_DB_ENGINE_MDB_POSIX_FILE_H_

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "db/engine/core_types.h"

// Thin, exception-based wrappers of the POSIX calls that reading and replacing
// the database file needs. Every failure is a db::Error whose description
// names the file and the system's reason.
namespace db::engine::mdb {

// An open file descriptor, closed when the object goes out of scope.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

// "<file> <what>: <system reason>", for a failed call that set errno; `what`
// continues the file name ("kann nicht gelesen werden").
Error SystemError(std::string_view what, const std::filesystem::path& file, int error);

FileDescriptor OpenForReading(const std::filesystem::path& file);

// A file opened for reading at any offset, e.g. a copy read back.
class FileReader {
 public:
  // Opens the file; a db::Error when it cannot be opened.
  explicit FileReader(std::filesystem::path file);

  const std::filesystem::path& path() const { return path_; }
  // The size at the open.
  uint64_t size() const { return size_; }
  // Fills `into` with the bytes from `offset` on; a db::Error when the file
  // ends before.
  void Read(uint64_t offset, std::span<uint8_t> into) const;

 private:
  std::filesystem::path path_;
  FileDescriptor fd_;
  uint64_t size_ = 0;
};
struct stat StatOf(const FileDescriptor& fd, const std::filesystem::path& file);

// Flushes the file's data and metadata to the disk (fsync).
void Flush(const FileDescriptor& fd, const std::filesystem::path& file);

// Reads into `into` the bytes from `offset` on; returns how many there were:
// fewer than asked only where the file ends.
size_t ReadAt(const FileDescriptor& fd, uint64_t offset, std::span<uint8_t> into,
              const std::filesystem::path& file);
// Writes `bytes` at `offset`, growing the file when they reach past its end.
void WriteAt(const FileDescriptor& fd, uint64_t offset, std::span<const uint8_t> bytes,
             const std::filesystem::path& file);
// Sets the file's size: cuts it, or extends it with zeros.
void Resize(const FileDescriptor& fd, uint64_t size, const std::filesystem::path& file);

// Copies the bytes [0, length) of `from` to the same places in `to`, leaving
// both file positions alone. The kernel copies them without passing them
// through this process (copy_file_range; file systems that share blocks
// between files share them instead); where it cannot, they go through a
// buffer of 1 MiB (CopyThroughBuffer). Writing the copy back to the disk
// starts while the copy goes on, so that flushing `to` afterwards has less
// left to do. Returns the bytes copied: fewer than `length` only when `from`
// is shorter.
uint64_t CopyFileStart(const FileDescriptor& from, const FileDescriptor& to,
                       uint64_t length, const std::filesystem::path& from_name,
                       const std::filesystem::path& to_name);
// Copies the bytes [offset, offset + length) of `from` to the same places in
// `to` through the buffer; returns how many `from` had.
uint64_t CopyThroughBuffer(const FileDescriptor& from, const FileDescriptor& to,
                           uint64_t offset, uint64_t length,
                           const std::filesystem::path& from_name,
                           const std::filesystem::path& to_name);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_POSIX_FILE_H_
