#ifndef PREISLISTE_DB_ENGINE_JETFILE_JET_FILE_SESSION_H_
#define PREISLISTE_DB_ENGINE_JETFILE_JET_FILE_SESSION_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/sqlite/sqlite_session.h"

namespace db::engine {

// True when the file at `path` begins as a Jet or ACE database does
// ("Standard Jet DB" / "Standard ACE DB" after four bytes); a file that
// cannot be read is none. Paths here are UTF-8 text, as the connection
// string holds them.
bool HasJetHeader(const std::string& path);

// A Jet 4 database file behind the connection: the bridge between the Jet
// file format (db/engine/mdb) and the SQLite database the statements run on.
//
// Open() opens the file and reads the pages it needs (header, catalog, the
// definition and data pages of `table_name`, the one table it serves; never
// the other tables' pages). It
// refuses the file, with the reason as the description, when it is in use
// (its lock file lies beside it), is no Jet 4 file the reader handles, has
// another password than `password` (a file without one opens with any), has
// no such table, or holds one the writer could not reproduce exactly (see
// jet_table_layout.h). It then loads the table into a new in-memory SQLite
// database, which session() hands out.
//
// Only that table is loaded: the caller names the one table it reads and
// rewrites. The file's other tables are neither loaded nor ever written.
class JetFileSession {
 public:
  // With `will_commit`, the system's copy of the file for WriteTable() starts
  // once the table's layout is known, on a thread of its own
  // (platform::DatabaseFile::StartCopy), and goes on while the rows load and
  // the caller's statements run; without it, the file is not copied unless
  // WriteTable() is called.
  static std::unique_ptr<JetFileSession> Open(const std::string& path,
                                              std::string_view password,
                                              std::string_view table_name,
                                              bool will_commit);
  ~JetFileSession();

  SqliteSession& session() const { return *session_; }

  // Writes the table's rows from the in-memory database into the file:
  // the table's pages and indexes are rebuilt in memory over the pages read
  // at the open; the system copies the file beside it, the changed and new
  // pages are written into the copy, which is flushed, read back (the table,
  // the page map) and checked, and renamed over the file, the old file kept
  // as a dated backup (platform::DatabaseFile, platform/backup_files.h).
  // Called inside the open transaction, before it is committed; throws, with
  // the file unchanged, when the rows cannot be written, the copy is not
  // sound, the file changed since the open or its lock file appeared.
  void WriteTable() const;

  // The bytes read from the file so far and, by a commit, from its copy:
  // what the run had to read, which does not grow with the other tables.
  uint64_t BytesRead() const;

 private:
  struct File;
  std::vector<std::vector<Value>> TableRows() const;
  JetFileSession(std::unique_ptr<File> file, std::unique_ptr<SqliteSession> session);

  std::unique_ptr<File> file_;
  std::unique_ptr<SqliteSession> session_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_JETFILE_JET_FILE_SESSION_H_
