#ifndef PREISLISTE_TESTS_RELIABILITY_FAULT_VFS_H_
#define PREISLISTE_TESTS_RELIABILITY_FAULT_VFS_H_

#include <cstdint>

namespace reliability {

// The file operations the shim counts and can make fail.
enum class IoOperation { kRead, kWrite, kSync, kLock };
inline constexpr IoOperation kIoOperations[] = {IoOperation::kRead, IoOperation::kWrite,
                                                IoOperation::kSync, IoOperation::kLock};
const char* IoOperationName(IoOperation operation);
// Which files a count or a fault is about: all, or only those SQLite deletes
// when it closes them (temporary database, statement journals, sorters).
enum class Files { kAll, kTemporary };

// An SQLite VFS for tests that wraps the platform's default VFS and becomes
// the default itself, so every database file a test opens goes through it.
// It passes every call on, counting reads, writes, syncs and lock requests of
// all files (database, journal and temporary files), and makes a chosen one fail the way
// a failing disk would: the n-th call of one kind returns the given error code instead of
// reaching the disk. Not thread-safe: one test thread at a time.
class FaultVfs {
 public:
  // Registers the shim as the default VFS; later calls do nothing.
  static void Install();
  // The name of the wrapped VFS, to open a file with no faults and no counting.
  static const char* RealVfsName();

  // Starts counting afresh and fails nothing.
  static void Reset();
  // Starts counting afresh; the `nth` call (1-based) of `operation` on
  // `files` returns `error`, and when `persistent` is set so does every later
  // one of its kind there.
  static void Arm(IoOperation operation, int64_t nth, int error, bool persistent,
                  Files files = Files::kAll);
  // Calls of `operation` on `files` since the last Reset or Arm.
  static int64_t Count(IoOperation operation, Files files = Files::kAll);
  // Calls made to fail since the last Reset or Arm.
  static int64_t Failures();
};

}  // namespace reliability

#endif  // PREISLISTE_TESTS_RELIABILITY_FAULT_VFS_H_
