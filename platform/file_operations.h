#ifndef PREISLISTE_PLATFORM_FILE_OPERATIONS_H_
#define PREISLISTE_PLATFORM_FILE_OPERATIONS_H_

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "platform/file.h"
#include "platform/file_identity.h"

// Every request the platform layer makes of the system about files and
// folders goes through one replaceable object, as SQLite's VFS and LevelDB's
// Env do: File, file_system.h, file_identity.h and lock_file.h only forward
// to it. A test installs a wrapper (FileOperationsWrapper) that counts the
// requests or makes one of them fail, and the code under test takes its real
// path around the failure. A normal run pays one virtual call per request,
// next to a system call.
//
// Every failure is a FileError (file_error.h) that names the file and says
// the system's reason in German (SystemFailure).
namespace platform {

// What File::Size, IsRegularFile and Identity ask the open file.
struct FileStatus {
  FileIdentity identity;
  bool regular = false;
};

// What a name stands for, as StatusOfName tells it: a symbolic link is
// described itself, not the file it points to.
struct NameStatus {
  FileIdentity identity;
  bool regular = false;      // an ordinary file: no link, folder or device
  std::time_t modified = 0;  // the last write of the contents, calendar time
};

// The volume that holds a folder.
struct VolumeSpace {
  uint64_t capacity = 0;
  uint64_t available = 0;  // the bytes this user may still write
};

class FileOperations {
 public:
  enum class OpenMode {
    kRead,       // an existing file; writers kept out where the system can
    kReadWrite,  // an existing file
    kCreateNew,  // a file that must not exist yet, for this user only
  };

  virtual ~FileOperations() = default;

  // Open files (see File for what each does).
  virtual File Open(const std::filesystem::path& path, OpenMode mode) = 0;
  virtual File CreateTemporaryBeside(const std::filesystem::path& beside) = 0;
  virtual void Close(File& file) = 0;
  virtual FileStatus Status(const File& file) = 0;
  // One read: the bytes from `offset` on, fewer only where the file ends.
  virtual size_t ReadAt(const File& file, uint64_t offset, std::span<uint8_t> into) = 0;
  virtual void WriteAt(File& file, uint64_t offset, std::span<const uint8_t> bytes) = 0;
  virtual void Resize(File& file, uint64_t size) = 0;
  virtual void Flush(File& file) = 0;
  // Copies [offset, offset + length) of `from` to `to` by the system, without
  // passing the bytes through this process; returns the bytes copied, 0 where
  // the system cannot copy between these files (the caller copies through a
  // buffer then) or `from` ends at `offset`.
  virtual uint64_t CopyRange(const File& from, File& to, uint64_t offset,
                             uint64_t length) = 0;
  // Starts writing [offset, offset + length) of `file` to the disk without
  // waiting: a head start for the flush that follows, which reports any
  // failure, so its own failure is none.
  virtual void StartWriteback(File& file, uint64_t offset, uint64_t length) noexcept = 0;
  virtual void TakeAccessOf(File& file, const std::filesystem::path& original) = 0;
  virtual void UseDefaultAccess(File& file) = 0;

  // Names and folders (see file_system.h, file_identity.h).
  virtual FileIdentity IdentityOf(const std::filesystem::path& path) = 0;
  virtual bool IsSymbolicLink(const std::filesystem::path& path) = 0;
  // None where nothing has the name (or a folder on its way is missing).
  virtual std::optional<NameStatus> StatusOfName(const std::filesystem::path& path) = 0;
  virtual bool IsWriteProtected(const std::filesystem::path& path) = 0;
  virtual bool CanReadAndWrite(const std::filesystem::path& file) = 0;
  virtual bool CanCreateFilesIn(const std::filesystem::path& folder) = 0;
  virtual bool TryHardLink(const std::filesystem::path& existing,
                           const std::filesystem::path& link) = 0;
  virtual void RenameOver(const std::filesystem::path& from,
                          const std::filesystem::path& to) = 0;
  virtual void Remove(const std::filesystem::path& path) = 0;
  // The entries of the folder (without "." and ".."), as paths inside it, in
  // no particular order.
  virtual std::vector<std::filesystem::path> ListFolder(
      const std::filesystem::path& folder) = 0;
  virtual void FlushFolder(const std::filesystem::path& folder) = 0;
  virtual bool IsHeldOpen(const std::filesystem::path& path) = 0;
  virtual VolumeSpace Space(const std::filesystem::path& folder) = 0;
};

// The operations in use: the system's own unless a test installed others.
FileOperations& CurrentFileOperations();

// The system's own operations, for wrappers to pass on to.
FileOperations& SystemFileOperations();

// Makes `operations` the current ones for the life of the object, then
// restores the previous. Not for use while another thread uses files.
class InstalledFileOperations {
 public:
  explicit InstalledFileOperations(FileOperations& operations);
  ~InstalledFileOperations();
  InstalledFileOperations(const InstalledFileOperations&) = delete;
  InstalledFileOperations& operator=(const InstalledFileOperations&) = delete;

 private:
  FileOperations* previous_;
};

// Passes every call on to `target`: a base for wrappers that change some.
class FileOperationsWrapper : public FileOperations {
 public:
  explicit FileOperationsWrapper(FileOperations& target) : target_(target) {}

  File Open(const std::filesystem::path& path, OpenMode mode) override {
    return target_.Open(path, mode);
  }
  File CreateTemporaryBeside(const std::filesystem::path& beside) override {
    return target_.CreateTemporaryBeside(beside);
  }
  void Close(File& file) override { target_.Close(file); }
  FileStatus Status(const File& file) override { return target_.Status(file); }
  size_t ReadAt(const File& file, uint64_t offset, std::span<uint8_t> into) override {
    return target_.ReadAt(file, offset, into);
  }
  void WriteAt(File& file, uint64_t offset, std::span<const uint8_t> bytes) override {
    target_.WriteAt(file, offset, bytes);
  }
  void Resize(File& file, uint64_t size) override { target_.Resize(file, size); }
  void Flush(File& file) override { target_.Flush(file); }
  uint64_t CopyRange(const File& from, File& to, uint64_t offset,
                     uint64_t length) override {
    return target_.CopyRange(from, to, offset, length);
  }
  void StartWriteback(File& file, uint64_t offset, uint64_t length) noexcept override {
    target_.StartWriteback(file, offset, length);
  }
  void TakeAccessOf(File& file, const std::filesystem::path& original) override {
    target_.TakeAccessOf(file, original);
  }
  void UseDefaultAccess(File& file) override { target_.UseDefaultAccess(file); }
  FileIdentity IdentityOf(const std::filesystem::path& path) override {
    return target_.IdentityOf(path);
  }
  bool IsSymbolicLink(const std::filesystem::path& path) override {
    return target_.IsSymbolicLink(path);
  }
  std::optional<NameStatus> StatusOfName(const std::filesystem::path& path) override {
    return target_.StatusOfName(path);
  }
  bool IsWriteProtected(const std::filesystem::path& path) override {
    return target_.IsWriteProtected(path);
  }
  bool CanReadAndWrite(const std::filesystem::path& file) override {
    return target_.CanReadAndWrite(file);
  }
  bool CanCreateFilesIn(const std::filesystem::path& folder) override {
    return target_.CanCreateFilesIn(folder);
  }
  bool TryHardLink(const std::filesystem::path& existing,
                   const std::filesystem::path& link) override {
    return target_.TryHardLink(existing, link);
  }
  void RenameOver(const std::filesystem::path& from,
                  const std::filesystem::path& to) override {
    target_.RenameOver(from, to);
  }
  void Remove(const std::filesystem::path& path) override { target_.Remove(path); }
  std::vector<std::filesystem::path> ListFolder(
      const std::filesystem::path& folder) override {
    return target_.ListFolder(folder);
  }
  void FlushFolder(const std::filesystem::path& folder) override {
    target_.FlushFolder(folder);
  }
  bool IsHeldOpen(const std::filesystem::path& path) override {
    return target_.IsHeldOpen(path);
  }
  VolumeSpace Space(const std::filesystem::path& folder) override {
    return target_.Space(folder);
  }

 protected:
  FileOperations& target() const { return target_; }

 private:
  FileOperations& target_;
};

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_FILE_OPERATIONS_H_
