#ifndef PREISLISTE_PLATFORM_DATABASE_FILE_H_
#define PREISLISTE_PLATFORM_DATABASE_FILE_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/file.h"
#include "platform/file_identity.h"

namespace platform {

// The database file from the open to the commit. Open() opens it for
// reading and remembers its identity; Read() reads parts of it as needed and
// remembers a hash of every part read. Replace() puts a new version in its
// place so that the file exists at every moment and, whenever the process is
// killed, holds the old bytes or the new ones, never a mixture:
//   1. a temporary file beside the original takes the original's access
//      (File::TakeAccessOf) and its bytes, copied by the system
//      (CopyFileStart: without passing through this process where the file
//      system allows) on a thread of its own, started by StartCopy() while
//      the caller still computes, or else by Replace(); Replace() waits for
//      it, sets the new size, writes the changed parts over the bytes, and
//      flushes the copy to the disk;
//   2. every part read through Read() that no change covers must be in the
//      copy as it was read, then the caller's check reads the copy back;
//   3. the original must be unchanged since the open: every part read
//      through Read() still as it was read, and the same file (device,
//      inode) with the same size, modification and change time (see
//      FileIdentity: a write anywhere moves the times); and no lock file may
//      have appeared beside it (the billing product opened it meanwhile);
//   4. the backup is made without moving the original: a hard link, or a
//      flushed copy where the folder allows no links, under a temporary
//      name, renamed to a dated name of its own (backup_files.h), and
//      linked as "<name>.bak" too where links are allowed; an older
//      "<name>.bak" that is no dated backup becomes one first;
//   5. the copy, closed, is renamed over the original, closed too (Windows
//      replaces no open file; the checks of step 3 are done by then), which
//      swaps the name from the old file to the new one in one step, and the
//      folder is flushed.
// The copy may thus be made long before the commit: the checks of steps 2
// and 3 cover whatever happened to the original meanwhile. Any failure
// before step 5, the copy's own included (it surfaces at Replace()), is a
// core::Error that leaves the original as it was and removes the temporary
// files; so does the end of the object without a commit, which waits for a
// copy under way first. Nothing here holds the whole file in memory: a run
// reads the parts it needs, and the commit costs a copy of the file by the
// system, overlapping the run where StartCopy() was called, plus the changed
// parts.
class DatabaseFile {
 public:
  // The points of Replace() that a crash test may stop the process at.
  enum class Step { kCopyWritten, kCopyFlushed, kCopyChecked, kBackupMade, kReplaced };
  // Reads the copy back and throws a core::Error if it is not sound.
  using CopyCheck = std::function<void(const std::filesystem::path& copy)>;
  using StepHook = std::function<void(Step)>;
  // Bytes of the new version at `offset`, in place of the original's.
  struct Change {
    uint64_t offset = 0;
    std::span<const uint8_t> bytes;
  };

  // Opens the file and, where the system can (Windows), keeps other writers
  // out until Replace() or the end of the object. Refuses (core::Error) a
  // file that is in use: its lock file lies beside it (on Windows only while
  // a program holds that open: a stale one left by a crash does not count)
  // or, on Windows, another program has the file open for writing. Refuses a
  // write-protected file (IsWriteProtected) and a name that is not a regular
  // file (renaming over a symbolic link would replace the link, not the
  // database).
  static DatabaseFile Open(const std::filesystem::path& path);

  // Movable, also while the copy is under way; not assignable (the old
  // file would close under its copying thread).
  DatabaseFile(DatabaseFile&& other) noexcept;
  DatabaseFile& operator=(DatabaseFile&&) = delete;
  ~DatabaseFile();

  const std::filesystem::path& path() const { return path_; }
  // The size at the open.
  uint64_t size() const { return identity_.size; }

  // Fills `into` with the bytes from `offset` on and remembers them (a hash)
  // for the commit's checks; a core::Error when the file ends before.
  void Read(uint64_t offset, std::span<uint8_t> into);
  // The bytes read through Read() so far.
  uint64_t bytes_read() const { return bytes_read_; }

  // Refuses (core::Error, naming the megabytes needed and free) when the
  // volume lacks room for step 1's copy: the file's size plus a margin for
  // the pages a run adds. For a caller that means to commit, right after the
  // open, so that a full disk stops the run before any work.
  void CheckRoomForCopy() const;

  // Starts step 1's copy of the whole file on a thread of its own, for a
  // caller that means to commit: the copy then overlaps its computing. Its
  // failure is kept for Replace() to throw. Does nothing when started
  // already. Reading through Read() goes on meanwhile.
  void StartCopy();

  // The new version is the original's first `new_size` bytes (extended by
  // zeros when it is longer) with `changes` written over them; the changes
  // must lie inside `new_size`. Returns the backup's dated name.
  std::filesystem::path Replace(uint64_t new_size, const std::vector<Change>& changes,
                                const CopyCheck& check, const StepHook& hook = {});

  // The new version is a copy of the file `source` (a backup, not the
  // original itself): steps 1 to 5 with the copy made from `source` instead
  // of the original, which thus stays a backup too. Returns the dated name
  // of the original's backup.
  std::filesystem::path ReplaceWithCopyOf(const std::filesystem::path& source,
                                          const CopyCheck& check,
                                          const StepHook& hook = {});

 private:
  struct ReadPart {
    uint64_t offset = 0;
    uint64_t length = 0;
    uint64_t hash = 0;
  };

  // The copy of step 1 and the thread that makes it.
  struct Copying;
  // A name this object created, removed again unless renamed into place.
  class TemporaryName;

  DatabaseFile(File file, FileIdentity identity);

  // Waits for the copy (started now if it was not) and hands it over, or
  // throws its failure.
  std::unique_ptr<Copying> FinishCopy();

  // The first part read that `file` no longer holds as read, leaving out the
  // parts that a change covers; none when all are as read.
  const ReadPart* FirstChangedPart(const File& file,
                                   const std::vector<Change>& changes) const;
  void CheckCopy(const File& copy, const std::vector<Change>& changes) const;
  void CheckUnchanged() const;
  // Step 4; returns the backup's dated name.
  std::filesystem::path MakeBackup(const std::filesystem::path& staging) const;
  // Steps 3 to 5 for the flushed and checked copy under `copy_name`.
  std::filesystem::path PutInPlace(const std::filesystem::path& copy_path,
                                   TemporaryName& copy_name,
                                   const std::function<void(Step)>& reached);

  std::filesystem::path path_;
  // On the heap, so that the copying thread's reference outlives a move.
  std::unique_ptr<File> file_;
  FileIdentity identity_;
  std::vector<ReadPart> read_;
  uint64_t bytes_read_ = 0;
  // After file_: ended (thread joined, copy removed) before file_ closes.
  std::unique_ptr<Copying> copying_;
};

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_DATABASE_FILE_H_
