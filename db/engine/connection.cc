#include "db/engine/connection.h"

#include <sqlite3.h>

#include <filesystem>

#include "core/utf8.h"
#include "db/engine/connection_string.h"
#include "db/engine/core_types.h"
#include "db/engine/jetfile/jet_file_session.h"
#include "db/engine/jetsql/translate.h"
#include "db/engine/jetsql/translation_cache.h"
#include "db/engine/sqlite/sqlite_recordset.h"
#include "db/engine/sqlite/sqlite_schema.h"
#include "db/engine/sqlite/sqlite_session.h"
#include "db/engine/testing/connection_internals.h"
#include "platform/backup_files.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace db::engine {
namespace {

constexpr char kClosed[] = "Operation is not allowed when the object is closed.";
// Makes a translation of several statements (SELECT ... INTO is CREATE TABLE
// plus INSERT) all or nothing, inside or outside the run's transaction.
constexpr char kSavepoint[] = "SAVEPOINT jet_statement";
constexpr char kReleaseSavepoint[] = "RELEASE jet_statement";
constexpr char kUndoSavepoint[] = "ROLLBACK TO jet_statement";

// The copy of an SQLite file made when a transaction that will commit
// begins: kept as the newest backup at the commit, removed otherwise.
struct PendingBackup {
  std::filesystem::path database;
  std::filesystem::path staged;
  PendingBackup() = default;
  PendingBackup(const PendingBackup&) = delete;
  PendingBackup& operator=(const PendingBackup&) = delete;
  ~PendingBackup() {
    if (!staged.empty()) platform::RemoveFile(staged);
  }
};

// Copies the file, as the transaction just begun found it, beside it under
// a temporary name. The copy stays readable by this user only: a user who
// may write the file need not own it, so the owner's access could not always
// be given, and a restore gives the restored file the access of the file it
// replaces.
std::unique_ptr<PendingBackup> StageBackup(const std::filesystem::path& database,
                                           const SqliteSession& session) {
  auto pending = std::make_unique<PendingBackup>();
  pending->database = database;
  platform::File file = platform::File::CreateTemporaryBeside(database);
  pending->staged = file.path();
  file.Close();
  session.CopyInto(core::PathToUtf8(pending->staged));
  return pending;
}

}  // namespace

class Connection::Impl {
 public:
  explicit Impl(std::unique_ptr<SqliteSession> opened)
      : sqlite_file(std::move(opened)), session(sqlite_file.get()), schema(*session) {}
  explicit Impl(std::unique_ptr<JetFileSession> opened)
      : jet_file(std::move(opened)), session(&jet_file->session()), schema(*session) {}

  void Run(const jetsql::Translation& translation);

  // The statements run on an SQLite database file directly, or on the
  // in-memory copy of a Jet file's tables.
  std::unique_ptr<SqliteSession> sqlite_file;
  std::unique_ptr<JetFileSession> jet_file;
  SqliteSession* session;
  SqliteSchema schema;
  // Valid as long as the schema: cleared with it.
  jetsql::TranslationCache translations;
  // The SQLite file, and its copy while a transaction that will commit is
  // open.
  std::filesystem::path sqlite_path;
  std::unique_ptr<PendingBackup> pending_backup;

  void ForgetSchema() {
    schema.Clear();
    translations.Clear();
  }
};

void Connection::Impl::Run(const jetsql::Translation& translation) {
  if (translation.statements.size() == 1) {
    const jetsql::SqliteStatement& only = translation.statements.front();
    session->Run(only.sql, only.params);
    return;
  }
  session->Run(kSavepoint);
  try {
    for (const jetsql::SqliteStatement& statement : translation.statements)
      session->Run(statement.sql, statement.params);
  } catch (const Error&) {
    try {
      session->Run(kUndoSavepoint);
      session->Run(kReleaseSavepoint);
    } catch (const Error&) {
      // SQLite has already rolled back more than the savepoint; the first
      // failure is the one to report.
    }
    throw;
  }
  session->Run(kReleaseSavepoint);
}

Connection::Connection() = default;

Connection::~Connection() { Close(); }

void Connection::Open() {
  if (impl_)
    throw Error("Operation is not allowed when the object is open.",
                Error::Kind::kInternal);
  const ConnectionSettings settings = ParseConnectionString(connection_string_);
  if (HasJetHeader(settings.data_source)) {
    impl_ = std::make_unique<Impl>(JetFileSession::Open(
        settings.data_source, settings.database_password, jet_file_table_, will_commit_));
  } else {
    impl_ =
        std::make_unique<Impl>(SqliteSession::Open(settings.data_source, busy_timeout_));
    impl_->sqlite_path = core::PathFromUtf8(settings.data_source);
  }
  impl_->schema.set_working_tables(working_tables_);
}

Connection::State Connection::state() const {
  return impl_ ? State::kOpen : State::kClosed;
}

void Connection::Close() {
  if (!impl_) return;
  if (sqlite3_get_autocommit(impl_->session->handle()) == 0) {
    try {
      impl_->session->Run("ROLLBACK");
    } catch (const Error&) {
      // Closing the file discards the transaction anyway.
    }
  }
  impl_.reset();
}

void Connection::BeginTrans() {
  if (!impl_) throw Error(kClosed, Error::Kind::kInternal);
  impl_->session->Run("BEGIN IMMEDIATE");
  // Before the first change, holding the write lock: the copy is the file as
  // the commit will find it. A Jet file keeps its backup at the replace.
  if (impl_->sqlite_file && will_commit_)
    impl_->pending_backup = StageBackup(impl_->sqlite_path, *impl_->sqlite_file);
}

void Connection::CommitTrans() {
  if (!impl_) throw Error(kClosed, Error::Kind::kInternal);
  // The Jet file takes the rows first: when it cannot, the transaction stays
  // open for the caller to roll back, and neither database has changed.
  if (impl_->jet_file) impl_->jet_file->WriteTable();
  // The backup is in place before the commit, as with a Jet file; should the
  // commit fail, it is one more backup of the unchanged file.
  if (const auto pending = std::move(impl_->pending_backup)) {
    platform::KeepAsBackup(pending->database, pending->staged);
    platform::FlushFolderOf(pending->database);
  }
  impl_->session->Run("COMMIT");
}

void Connection::RollbackTrans() {
  if (!impl_) throw Error(kClosed, Error::Kind::kInternal);
  // Tables created or dropped in the transaction come and go with it.
  impl_->ForgetSchema();
  impl_->pending_backup.reset();
  impl_->session->Run("ROLLBACK");
}

bool Connection::InTransaction() const {
  return impl_ && sqlite3_get_autocommit(impl_->session->handle()) == 0;
}

void Connection::Execute(std::string_view jet_sql) {
  if (!impl_) throw Error(kClosed, Error::Kind::kInternal);
  const jetsql::Translation translation =
      impl_->translations.Translate(jet_sql, impl_->schema);
  // Forget the cached tables after a change, whether or not it went through.
  struct ClearOnExit {
    Impl* impl;
    ~ClearOnExit() {
      if (impl) impl->ForgetSchema();
    }
  } clear{translation.changes_schema ? impl_.get() : nullptr};
  impl_->Run(translation);
}

std::unique_ptr<Recordset> Connection::ExecuteQuery(std::string_view jet_sql) {
  if (!impl_) throw Error(kClosed, Error::Kind::kInternal);
  const jetsql::Translation translation =
      impl_->translations.Translate(jet_sql, impl_->schema);
  if (!translation.returns_rows || translation.statements.size() != 1)
    throw Error("The statement returns no rows: " + std::string(jet_sql),
                Error::Kind::kInternal);
  return SqliteRecordset::Open(*impl_->session, translation.statements.front(), "");
}

std::unique_ptr<Recordset> Connection::OpenRecordset(std::string_view source) {
  if (!impl_) throw Error(kClosed, Error::Kind::kInternal);
  jetsql::TranslateOptions options;
  options.with_rowid = true;
  options.table_name_is_query = true;
  const jetsql::Translation translation =
      impl_->translations.Translate(source, impl_->schema, options);
  if (!translation.returns_rows || translation.statements.size() != 1)
    throw Error("A record set needs a table or a SELECT: " + std::string(source),
                Error::Kind::kInternal);
  return SqliteRecordset::Open(*impl_->session, translation.statements.front(),
                               translation.base_table);
}

sqlite3* ConnectionInternals::NativeHandle(const Connection& connection) {
  return connection.impl_ ? connection.impl_->session->handle() : nullptr;
}

const jetsql::Schema& ConnectionInternals::Schema(const Connection& connection) {
  if (!connection.impl_) throw Error(kClosed, Error::Kind::kInternal);
  return connection.impl_->schema;
}

}  // namespace db::engine
