#include "db/engine/sqlite/sqlite_session.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/utf8.h"
#include "db/engine/core_types.h"
#include "db/engine/jetsql/sqlite_functions.h"
#include "db/engine/sqlite/sqlite_error.h"
#include "platform/file_system.h"

namespace db::engine {
namespace {

constexpr size_t kCachedStatements = 128;
// Pages of the database file kept in memory (negative: KiB), taken only as
// needed. A price list of a million rows takes about 60 MB; while the
// pages a run changes fit, nothing is spilled to the file and read back, and
// the transaction keeps its changes out of the file until the commit, so
// readers stay unblocked that long.
constexpr char kCacheSizePragma[] = "PRAGMA cache_size = -262144";
// SQLite's temporary database holds the run's working tables (a million
// price lines make about 260 MB of them), and temp files hold statement
// journals, sorters and transient indexes beyond what fits in memory. In
// memory all of it would stay resident to the end of the run; in a temp file
// behind a bounded cache the pages the run is working on stay cached and the
// rest waits in the operating system's file cache, at no measurable cost in
// time. Crash safety is untouched: the rollback journal of the database file
// and its syncs protect the transaction, temp files never did, and a failing
// temp file fails the statement, so the transaction is rolled back.
constexpr char kTempStorePragma[] = "PRAGMA temp_store = FILE";
// Set after temp_store, which discards the temporary database, and after the
// file has proved readable: a pragma naming a database reads its schema.
constexpr char kTempCacheSizePragma[] = "PRAGMA temp.cache_size = -65536";
// Debian's SQLite is built to overwrite deleted content with zeros, in the
// pages a change writes and in every page a delete frees, which must then be
// journaled and written once more: deleting all rows of a table and dropping the
// working tables rewrite all their pages. FAST zeroes only within the pages
// written anyway; a freed page may keep old rows of the price list, the same
// kind of data the file holds.
constexpr const char* kSecureDeletePragmas[] = {"PRAGMA main.secure_delete = FAST",
                                                "PRAGMA temp.secure_delete = FAST"};

// Sets up the library once, on the thread that opens the first database,
// before any other use of SQLite in the process. SQLite keeps statistics of
// every allocation, under a global mutex, unless told not to; nothing here
// reads them, and a run makes millions of allocations. Once SQLite has been
// initialized, by other code of the process, the call fails and changes
// nothing.
void ConfigureLibrary() {
  [[maybe_unused]] static const int configured =
      sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

// The last part of a path, with either separator: the name the operator knows.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Refuses what SQLite would accept but is no price database: a missing file
// (SQLite must never create one), a folder, and an empty file, which SQLite
// treats as a new, empty database. A file this user may not read and write
// is refused with that reason; SQLite would only say that it cannot open it.
void CheckIsDatabaseFile(const std::filesystem::path& file) {
  const std::string shown = file.string();
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (!std::filesystem::exists(status))
    throw Error("Datei nicht gefunden: " + shown, Error::Kind::kNotFound);
  if (std::filesystem::is_directory(status))
    throw Error(shown + " ist ein Ordner, keine Datei", Error::Kind::kBadInput);
  if (!std::filesystem::is_regular_file(status))
    throw Error(shown + " ist keine gewöhnliche Datei", Error::Kind::kBadInput);
  const auto size = std::filesystem::file_size(file, error);
  if (error) throw Error(shown + ": " + error.message(), Error::Kind::kIo);
  if (size == 0)
    throw Error(shown + " ist leer, also keine Datenbank", Error::Kind::kBadInput);
  if (!platform::CanReadAndWrite(file)) {
    throw Error("Keine Berechtigung, " + shown + " zu lesen und zu schreiben (" +
                    std::strerror(errno) + ")",
                Error::Kind::kPermission);
  }
}

// Every change is first recorded in a journal file beside the database, which
// is what makes a commit atomic. Without write access to the folder the first
// change of a run would fail, so refuse the database before any work.
void CheckFolderTakesJournal(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  if (!platform::CanCreateFilesIn(folder)) {
    throw Error("Keine Berechtigung, im Ordner " + folder.string() +
                    " zu schreiben: ohne Journal neben " + file.filename().string() +
                    " kann das Update nicht abgesichert werden",
                Error::Kind::kPermission);
  }
}

// Why SQLite cannot read a file that exists, in the operator's terms.
std::string Unreadable(const std::string& shown, int code) {
  const std::string cause = std::string(" (") + sqlite3_errstr(code) + ")";
  switch (code & 0xff) {
    case SQLITE_NOTADB:
      return shown + " ist keine Datenbank" + cause;
    case SQLITE_CORRUPT:
      return shown + " ist beschädigt" + cause;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return shown + " ist von einem anderen Programm gesperrt" + cause;
    default:
      return shown + ":" + cause;
  }
}

}  // namespace

SqliteSession::SqliteSession(sqlite3* db, std::string file_name)
    : db_(db),
      file_name_(std::move(file_name)),
      cache_(std::make_unique<StatementCache>(db, file_name_, kCachedStatements)) {}

SqliteSession::~SqliteSession() {
  cache_.reset();  // statements first: a connection with statements stays open
  sqlite3_close_v2(db_);
}

std::unique_ptr<SqliteSession> SqliteSession::Open(
    const std::string& path, std::chrono::milliseconds busy_timeout) {
  // An absolute path can never be taken for a "file:" URI.
  std::error_code error;
  const std::filesystem::path file =
      std::filesystem::absolute(core::PathFromUtf8(path), error);
  if (error) throw Error(path + ": " + error.message(), Error::Kind::kIo);
  CheckIsDatabaseFile(file);
  CheckFolderTakesJournal(file);

  ConfigureLibrary();
  sqlite3* db = nullptr;
  // One thread uses a connection, so it needs no mutex of its own. Serialized
  // mode would lock one on every call, and in a process with other threads
  // (the window's toolkit starts some) those locks lose their cheap path.
  const int opened =
      sqlite3_open_v2(core::PathToUtf8(file).c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  // From here the session owns the handle, whatever happens.
  std::unique_ptr<SqliteSession> session(new SqliteSession(db, BaseName(path)));
  if (db == nullptr) throw Error(file.string() + ": out of memory", Error::Kind::kOther);
  if (opened != SQLITE_OK)
    throw Error(file.string() + ": " + sqlite3_errmsg(db), Error::Kind::kIo);
  if (sqlite3_db_readonly(db, "main") == 1)
    throw Error("Keine Berechtigung, " + file.string() + " zu schreiben",
                Error::Kind::kPermission);
  sqlite3_busy_timeout(db, static_cast<int>(busy_timeout.count()));
  session->Configure();
  session->CheckReadable(file.string());
  session->Tune();
  return session;
}

std::unique_ptr<SqliteSession> SqliteSession::OpenInMemory(
    const std::string& shown_name) {
  ConfigureLibrary();
  sqlite3* db = nullptr;
  const int opened = sqlite3_open_v2(
      ":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
      nullptr);
  std::unique_ptr<SqliteSession> session(new SqliteSession(db, shown_name));
  if (db == nullptr) throw Error(shown_name + ": out of memory", Error::Kind::kOther);
  if (opened != SQLITE_OK)
    throw Error(shown_name + ": " + sqlite3_errmsg(db), Error::Kind::kOther);
  session->Configure();
  session->Tune();
  return session;
}

void SqliteSession::CopyInto(const std::string& path) const {
  // SQLite's backup refuses a source connection inside a write transaction;
  // a second connection reads the committed state, which this connection's
  // write lock keeps as it is.
  sqlite3* source = nullptr;
  sqlite3* target = nullptr;
  const auto close = [&] {
    sqlite3_close_v2(target);
    sqlite3_close_v2(source);
  };
  const auto fail = [&](const std::string& reason) {
    close();
    throw Error("Die Sicherung von " + file_name_ + " kann nicht angelegt werden (" +
                    BaseName(path) + "): " + reason,
                Error::Kind::kIo);
  };
  sqlite3_open_v2(sqlite3_db_filename(db_, "main"), &source,
                  SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_open_v2(path.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                  nullptr);
  if (source == nullptr || target == nullptr) fail("out of memory");
  if (sqlite3_errcode(source) != SQLITE_OK) fail(sqlite3_errmsg(source));
  if (sqlite3_errcode(target) != SQLITE_OK) fail(sqlite3_errmsg(target));
  sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
  if (backup == nullptr) fail(sqlite3_errmsg(target));
  const int stepped = sqlite3_backup_step(backup, -1);
  sqlite3_backup_finish(backup);
  if (stepped != SQLITE_DONE) fail(sqlite3_errstr(stepped));
  close();
}

void SqliteSession::Configure() {
  // Names are emitted in double quotes; SQLite's legacy rule would read a
  // double-quoted name that matches no column as a text literal, so that a
  // statement naming a missing column ran instead of failing.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  Run(kTempStorePragma);
  jetsql::RegisterSqliteFunctions(db_, &refused_text_);
}

void SqliteSession::Tune() {
  Run(kCacheSizePragma);
  Run(kTempCacheSizePragma);
  for (const char* pragma : kSecureDeletePragmas) Run(pragma);
}

// Opening reads nothing; reading the schema proves that the file is a
// complete SQLite database (SQLite reports a truncated file as malformed).
void SqliteSession::CheckReadable(const std::string& shown) {
  try {
    sqlite3_stmt* statement = Prepare("SELECT count(*) FROM sqlite_master", {});
    while (Step(statement)) {
    }
  } catch (const Error& error) {
    throw Error(Unreadable(shown, sqlite3_errcode(db_)), error.kind());
  }
}

sqlite3_stmt* SqliteSession::Prepare(const std::string& sql,
                                     const std::vector<Value>& params) {
  sqlite3_stmt* statement = cache_->Get(sql);
  for (size_t i = 0; i < params.size(); ++i)
    if (BindValue(statement, static_cast<int>(i + 1), params[i]) != SQLITE_OK) Fail();
  return statement;
}

bool SqliteSession::Step(sqlite3_stmt* statement) {
  refused_text_.reset();
  function_failure_.reset();
  const int result = sqlite3_step(statement);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) {
    sqlite3_reset(statement);
    return false;
  }
  // Keep the message, then reset: a failed statement must not stay active
  // and hold its locks.
  const int code = sqlite3_extended_errcode(db_);
  const std::string message = sqlite3_errmsg(db_);
  sqlite3_reset(statement);
  if (refused_text_) throw TextTooLong(std::move(*refused_text_));
  if (function_failure_) throw Error(std::move(*function_failure_));
  if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) {
    if (std::optional<KeyViolation> violation = KeyViolationOf(message))
      throw std::move(*violation);
  }
  throw SqliteFailure(code, message, file_name_);
}

void SqliteSession::NameUniqueIndex(const std::string& index, UniqueKey key) {
  unique_keys_[index] = std::move(key);
}

// SQLite names either the index ("UNIQUE constraint failed: index 'X'") or,
// for an index on plain columns, the columns ("... failed: T.a, T.b").
std::optional<KeyViolation> SqliteSession::KeyViolationOf(
    const std::string& message) const {
  constexpr std::string_view kStart = "UNIQUE constraint failed: ";
  if (message.compare(0, kStart.size(), kStart) != 0) return std::nullopt;
  const std::string rest = message.substr(kStart.size());
  constexpr std::string_view kIndex = "index '";
  if (rest.compare(0, kIndex.size(), kIndex) == 0) {
    if (rest.size() < kIndex.size() + 1 || rest.back() != '\'') return std::nullopt;
    const std::string index = rest.substr(kIndex.size(), rest.size() - kIndex.size() - 1);
    const auto known = unique_keys_.find(index);
    if (known == unique_keys_.end()) return std::nullopt;
    const UniqueKey& key = known->second;
    return KeyViolation(key.table, key.name, key.columns, message);
  }
  std::string table;
  std::vector<std::string> columns;
  size_t from = 0;
  while (from <= rest.size()) {
    const size_t comma = rest.find(", ", from);
    const std::string qualified =
        rest.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    const size_t dot = qualified.find('.');
    if (dot == std::string::npos) return std::nullopt;
    if (!table.empty() && qualified.substr(0, dot) != table) return std::nullopt;
    table = qualified.substr(0, dot);
    columns.push_back(qualified.substr(dot + 1));
    if (comma == std::string::npos) break;
    from = comma + 2;
  }
  return KeyViolation(table, "", columns, message);
}

void SqliteSession::Run(const std::string& sql, const std::vector<Value>& params) {
  sqlite3_stmt* statement = Prepare(sql, params);
  while (Step(statement)) {
  }
}

void SqliteSession::Fail() const { ThrowSqliteError(db_, file_name_); }

int BindValue(sqlite3_stmt* statement, int index, const Value& value) {
  switch (value.type()) {
    case Value::Type::kNull:
      return sqlite3_bind_null(statement, index);
    case Value::Type::kText:
      return sqlite3_bind_text(statement, index, value.text().data(),
                               static_cast<int>(value.text().size()), SQLITE_STATIC);
    case Value::Type::kInteger:
      return sqlite3_bind_int64(statement, index, value.integer());
    case Value::Type::kDouble:
      return sqlite3_bind_double(statement, index, value.real());
    case Value::Type::kCurrency:
      return sqlite3_bind_double(statement, index, value.currency().ToDouble());
  }
  return SQLITE_MISUSE;
}

}  // namespace db::engine
