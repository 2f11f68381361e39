#ifndef PREISLISTE_PLATFORM_FILE_H_
#define PREISLISTE_PLATFORM_FILE_H_

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/file_identity.h"

// Files as the program needs them on every system it runs on: opened in
// binary, read and written at offsets, flushed to the disk. Every request
// goes through the current FileOperations (file_operations.h). Every failure
// is a FileError whose description names the file and the system's reason
// in German, ready for the operator after "Fehler: ".
namespace platform {

// An open file, closed when the object goes out of scope.
class File {
 public:
  // An existing file, for reading. Others may read it meanwhile; where the
  // system can keep writers out while it is open (Windows), it does.
  static File OpenForReading(const std::filesystem::path& path);
  // An existing file, for reading and writing.
  static File OpenForWriting(const std::filesystem::path& path);
  // A file that must not exist yet, readable and writable by this user only.
  static File CreateNew(const std::filesystem::path& path);
  // A new file "<beside>.tmp-XXXXXX" in the folder of `beside`, under a name
  // no other run can hold, readable and writable by this user only.
  static File CreateTemporaryBeside(const std::filesystem::path& beside);

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  const std::filesystem::path& path() const { return path_; }
  uint64_t Size() const;
  bool IsRegularFile() const;
  FileIdentity Identity() const;

  // Reads into `into` the bytes from `offset` on; returns how many there
  // were: fewer than asked only where the file ends.
  size_t ReadAt(uint64_t offset, std::span<uint8_t> into) const;
  // Fills `into` with the bytes from `offset` on; an error when the file
  // ends before.
  void ReadExactly(uint64_t offset, std::span<uint8_t> into) const;
  // Writes `bytes` at `offset`, growing the file when they reach past its end.
  void WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
  // Sets the size: cuts the file, or extends it with zeros.
  void Resize(uint64_t size);
  // Writes the file's data and metadata through to the disk.
  void Flush();
  // Gives the file the owner, group and permissions (POSIX) or attributes
  // (Windows) of `original`, so that everyone who could use the original
  // can use this file in its place. Refuses when the file system cannot
  // keep them, naming `original`.
  void TakeAccessOf(const std::filesystem::path& original);
  // Gives the file the permissions a newly made file of this user gets.
  void UseDefaultAccess();
  // Closes the file now. Windows neither renames nor deletes an open file,
  // so a file is closed before it is moved into place.
  void Close();

 private:
  // The system's own operations (one per system) open and use the handle.
  friend class NativeFileOperations;

  // An open file descriptor on POSIX systems, a HANDLE on Windows.
  using Handle = std::intptr_t;
  static constexpr Handle kNoHandle = -1;

  File(std::filesystem::path path, Handle handle)
      : path_(std::move(path)), handle_(handle) {}

  std::filesystem::path path_;
  Handle handle_ = kNoHandle;
};

// Copies the bytes [0, length) of `from` to the same places in `to`. The
// system copies them without passing them through this process where it can
// (copy_file_range on Linux; file systems that share blocks between files
// share them instead); else they go through a buffer (CopyThroughBuffer).
// Writing the copy to the disk starts while the copy goes on, so that
// flushing `to` afterwards has less left to do. Returns the bytes copied:
// fewer than `length` only when `from` is shorter.
uint64_t CopyFileStart(const File& from, File& to, uint64_t length);
// Copies the bytes [offset, offset + length) of `from` to the same places in
// `to` through a buffer of 1 MiB; returns how many `from` had.
uint64_t CopyThroughBuffer(const File& from, File& to, uint64_t offset, uint64_t length);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_FILE_H_
