#ifndef PREISLISTE_TESTS_APP_FAULT_INJECTION_H_
#define PREISLISTE_TESTS_APP_FAULT_INJECTION_H_

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_error.h"
#include "platform/file_operations.h"

namespace testing_support {

// A FileOperations wrapper, installed for its lifetime, that numbers the
// requests and makes one chosen request fail. The requests of the thread
// that installed it and those of other threads (the copy of the database is
// made on a thread of its own) are numbered apart, so that the numbering does
// not depend on how the threads interleave.
class FaultInjection : public platform::FileOperationsWrapper {
 public:
  enum class Thread { kRun, kOther };
  enum class Fault {
    kError,       // the request fails with the system's error
    kShortWrite,  // a write writes its first half, then the disk is full
  };
  struct Request {
    std::string operation;
    std::filesystem::path file;
    bool writes = false;  // a WriteAt of more than one byte
  };
  struct Target {
    Thread thread = Thread::kRun;
    size_t index = 0;
    Fault fault = Fault::kError;
  };

  // Counts only. Without `kernel_copy`, the system is said to copy nothing
  // itself (as on Windows), so that copies go through the buffer.
  explicit FaultInjection(bool kernel_copy = true);
  FaultInjection(Target target, bool kernel_copy);
  ~FaultInjection() override = default;

  const std::vector<Request>& requests(Thread thread) const {
    return requests_[static_cast<int>(thread)];
  }
  // Whether the target was reached; the code it failed with.
  bool fired() const { return fired_.has_value(); }
  platform::SystemErrorCode code() const { return fired_.value_or(0); }

  platform::File Open(const std::filesystem::path& path, OpenMode mode) override;
  platform::File CreateTemporaryBeside(const std::filesystem::path& beside) override;
  void Close(platform::File& file) override;
  platform::FileStatus Status(const platform::File& file) override;
  size_t ReadAt(const platform::File& file, uint64_t offset,
                std::span<uint8_t> into) override;
  void WriteAt(platform::File& file, uint64_t offset,
               std::span<const uint8_t> bytes) override;
  void Resize(platform::File& file, uint64_t size) override;
  void Flush(platform::File& file) override;
  uint64_t CopyRange(const platform::File& from, platform::File& to, uint64_t offset,
                     uint64_t length) override;
  void TakeAccessOf(platform::File& file, const std::filesystem::path& original) override;
  void UseDefaultAccess(platform::File& file) override;
  platform::FileIdentity IdentityOf(const std::filesystem::path& path) override;
  bool IsSymbolicLink(const std::filesystem::path& path) override;
  std::optional<platform::NameStatus> StatusOfName(
      const std::filesystem::path& path) override;
  bool IsWriteProtected(const std::filesystem::path& path) override;
  bool CanReadAndWrite(const std::filesystem::path& file) override;
  bool CanCreateFilesIn(const std::filesystem::path& folder) override;
  bool TryHardLink(const std::filesystem::path& existing,
                   const std::filesystem::path& link) override;
  void RenameOver(const std::filesystem::path& from,
                  const std::filesystem::path& to) override;
  void Remove(const std::filesystem::path& path) override;
  std::vector<std::filesystem::path> ListFolder(
      const std::filesystem::path& folder) override;
  void FlushFolder(const std::filesystem::path& folder) override;
  bool IsHeldOpen(const std::filesystem::path& path) override;
  platform::VolumeSpace Space(const std::filesystem::path& folder) override;

 private:
  // Records the request; the code to fail it with when it is the target.
  std::optional<platform::SystemErrorCode> Next(const char* operation,
                                                const std::filesystem::path& file,
                                                bool writes, bool reads);
  // Throws the failure "<file> <what>: <reason>" when the request is the
  // target: a read error where `reads`, else a full disk.
  void FailIfTarget(const char* operation, const char* what,
                    const std::filesystem::path& file, bool reads = false);

  std::optional<Target> target_;
  bool kernel_copy_ = true;
  std::thread::id run_thread_;
  std::mutex mutex_;
  std::vector<Request> requests_[2];
  std::optional<platform::SystemErrorCode> fired_;
  platform::InstalledFileOperations installed_;
};

// The system's codes for a read error and a full disk.
platform::SystemErrorCode ReadErrorCode();
platform::SystemErrorCode DiskFullCode();
// The system's own (English or localised) text for `code`.
std::string NativeErrorText(platform::SystemErrorCode code);

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_FAULT_INJECTION_H_
