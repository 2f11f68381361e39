#ifndef PREISLISTE_DB_ENGINE_CONNECTION_H_
#define PREISLISTE_DB_ENGINE_CONNECTION_H_

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/recordset.h"

namespace db::engine {

// The one connection of a run to the price database. It speaks the Jet SQL
// dialect of the billing product's database: every statement text is
// translated (db/engine/jetsql) into SQLite SQL and executed by SQLite, on
// one of two kinds of file, told apart by their header: an SQLite file that
// stands in for the Jet file, used directly; or the billing product's Jet 4
// file, whose one table named by set_jet_file_table() is loaded into an
// in-memory SQLite database at the open (see jet_file_session.h) and written
// back at the commit.
//
// Set up like an ADO connection: properties first, then Open(). Every
// operation that fails throws core::Error with a description; nothing fails
// silently. Not thread-safe; one thread uses it at a time.
class Connection {
 public:
  enum class State { kClosed = 0, kOpen = 1 };

  Connection();
  ~Connection();  // rolls back an open transaction and closes
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // "Provider=...;Data Source=...;..." keys in any letter case. The provider
  // must be Microsoft.Jet.OLEDB.4.0; Data Source names the database file.
  void set_connection_string(std::string text) { connection_string_ = std::move(text); }
  // How long an operation waits for another program's lock on the file
  // before it fails with "database is locked (...)". Takes effect at Open().
  void set_busy_timeout(std::chrono::milliseconds timeout) { busy_timeout_ = timeout; }
  // Tables (names in any letter case) that live only during the run: when a
  // statement creates one, it goes into SQLite's temporary database (a temp
  // file behind a bounded cache), never into the database file; unqualified
  // names find it first there. It belongs to the transaction like any table
  // (a rollback discards it). Creating one while the file holds a table of
  // that name fails. Takes effect at Open().
  void set_working_tables(std::vector<std::string> names) {
    working_tables_ = std::move(names);
  }
  // The table (name in any letter case) that a Jet 4 file serves: only it
  // is loaded at Open() and written back into the file at CommitTrans().
  // Opening a Jet file without one, or whose catalog lacks it, fails.
  // Unused for an SQLite file, whose tables are all there.
  void set_jet_file_table(std::string name) { jet_file_table_ = std::move(name); }
  // Whether the caller means to commit (not a dry run): a Jet file then
  // starts the commit's copy of itself at Open(), so that it overlaps the
  // statements (see JetFileSession::Open); an SQLite file is copied at
  // BeginTrans(), before any change, and the copy kept as the newest backup
  // (platform/backup_files.h) at CommitTrans(). A run that only rolls back
  // never copies the file. Takes effect at Open().
  void set_will_commit(bool will_commit) { will_commit_ = will_commit; }

  // Opens the file named by the connection string. Never creates a file: a
  // missing, empty, unreadable, read-only or non-database file throws and
  // leaves the state closed, and so does a Jet file that JetFileSession
  // refuses (the description gives the reason). The database password is
  // checked for a Jet file and accepted unchecked for an SQLite file, which
  // carries none. Opening an open connection throws.
  void Open();
  State state() const;
  // Closes; an open transaction is rolled back first. Closing a closed
  // connection does nothing. Never throws.
  void Close();

  // BeginTrans takes the write lock at once, so a busy database fails here
  // rather than half-way through a run. Statements that create and drop
  // tables belong to the transaction: a rollback undoes them too.
  void BeginTrans();
  // On a Jet file, its table is written into the file first; when that fails
  // the transaction stays open and nothing has changed.
  void CommitTrans();
  void RollbackTrans();
  // True while a transaction is open. SQLite ends one on its own after some
  // failures (an I/O error, a full disk, no memory, a busy database), and
  // every later statement would then be committed at once.
  bool InTransaction() const;

  // Runs one Jet statement that returns no rows, completely, before returning.
  void Execute(std::string_view jet_sql);
  // Runs a row-returning Jet SELECT and returns its rows as a snapshot,
  // positioned on the first row (or at end-of-set when there is none).
  std::unique_ptr<Recordset> ExecuteQuery(std::string_view jet_sql);
  // Opens a changeable record set on a table name or a one-table SELECT.
  std::unique_ptr<Recordset> OpenRecordset(std::string_view source);

 private:
  // Tests and benchmarks only (db/engine/testing/connection_internals.h).
  friend class ConnectionInternals;

  class Impl;
  std::string connection_string_;
  std::chrono::milliseconds busy_timeout_{5000};
  std::vector<std::string> working_tables_;
  std::string jet_file_table_;
  bool will_commit_ = false;
  std::unique_ptr<Impl> impl_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_CONNECTION_H_
