#ifndef PREISLISTE_DB_ENGINE_MDB_POSIX_FILE_H_
#define PREISLISTE_DB_ENGINE_MDB_POSIX_FILE_H_

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "db/engine/error.h"

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
struct stat StatOf(const FileDescriptor& fd, const std::filesystem::path& file);

// Reads from the current position to the end of the file.
std::string ReadToEnd(const FileDescriptor& fd, const std::filesystem::path& file);
void WriteAll(const FileDescriptor& fd, std::string_view bytes,
              const std::filesystem::path& file);
// Flushes the file's data and metadata to the disk (fsync).
void Flush(const FileDescriptor& fd, const std::filesystem::path& file);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_POSIX_FILE_H_
