#ifndef PREISLISTE_DB_ENGINE_MDB_FILE_REPLACE_H_
#define PREISLISTE_DB_ENGINE_MDB_FILE_REPLACE_H_

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "db/engine/mdb/file_identity.h"

namespace db::engine::mdb {

// The database file from the open to the commit. Open() reads it whole and
// remembers its identity; Replace() puts a new image in its place so that the
// file exists at every moment and, whenever the process is killed, holds the
// old bytes or the new ones, never a mixture:
//   1. the image goes into a temporary file beside the original, takes the
//      original's owner, group and mode, and is flushed to the disk;
//   2. the caller's check reads that copy back;
//   3. the original must be unchanged since the open, and no lock file may
//      have appeared beside it (the billing product opened it meanwhile);
//   4. the backup "<name>.bak" is made without moving the original: a hard
//      link, or a flushed copy where the folder allows no links, under a
//      temporary name, renamed over the previous backup;
//   5. the copy is renamed over the original, which swaps the name from the
//      old file to the new one in one step, and the folder is flushed.
// Any failure before step 5 is a db::Error that leaves the original as it was
// and removes the temporary files.
class DatabaseFile {
 public:
  // The points of Replace() that a crash test may stop the process at.
  enum class Step { kCopyWritten, kCopyFlushed, kCopyChecked, kBackupMade, kReplaced };
  // Reads the copy back and throws a db::Error if it is not sound.
  using CopyCheck = std::function<void(const std::filesystem::path& copy)>;
  using StepHook = std::function<void(Step)>;

  // Reads the file. Refuses (db::Error) a file that is in use, i.e. that has
  // its lock file beside it, and a name that is not a regular file (renaming
  // over a symbolic link would replace the link, not the database).
  static DatabaseFile Open(const std::filesystem::path& path);

  const std::filesystem::path& path() const { return path_; }
  const std::string& bytes() const { return snapshot_.bytes; }
  std::filesystem::path BackupPath() const;

  void Replace(std::string_view image, const CopyCheck& check,
               const StepHook& hook = {}) const;

 private:
  DatabaseFile(std::filesystem::path path, FileSnapshot snapshot)
      : path_(std::move(path)), snapshot_(std::move(snapshot)) {}

  void CheckUnchanged() const;
  void MakeBackup(const std::filesystem::path& staging) const;

  std::filesystem::path path_;
  FileSnapshot snapshot_;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_FILE_REPLACE_H_
