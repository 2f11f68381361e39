#include "db/engine/jetfile/jet_file_session.h"

#include <sqlite3.h>

#include <array>
#include <fstream>

#include "core/utf8.h"
#include "db/engine/core_types.h"
#include "db/engine/jetfile/jet_index_key_function.h"
#include "db/engine/jetfile/jet_table_layout.h"
#include "db/engine/jetfile/jet_value.h"
#include "db/engine/jetsql/sql_builder.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/image_check.h"
#include "db/engine/mdb/index_writer.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/table_writer.h"
#include "db/engine/mdb/writable_image.h"
#include "platform/database_file.h"
#include "platform/file.h"
#include "platform/file_error.h"

namespace db::engine {
namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name the file gives the table, found without regard to letter case.
std::string FindTable(const mdb::Catalog& catalog, std::string_view wanted) {
  if (wanted.empty())
    throw Error("es ist keine Tabelle angegeben, die geladen werden soll",
                Error::Kind::kBadInput);
  for (const std::string& name : catalog.UserTables())
    if (EqualIgnoringAsciiCase(name, wanted)) return name;
  throw Error("die Datenbank enthält keine Tabelle " + std::string(wanted),
              Error::Kind::kNotFound);
}

// Reads the copy back from the disk as the next run will and checks the
// table's structure (CheckTableImage, with the pages written searched for
// strays) and its row count. Reads only the pages these need.
void CheckWrittenCopy(const std::filesystem::path& copy, uint32_t table_page,
                      size_t row_count, const std::vector<uint32_t>& written,
                      uint64_t& bytes_read) {
  try {
    const platform::File reader = platform::File::OpenForReading(copy);
    const mdb::FileImage image(reader.Size(),
                               [&](uint64_t offset, std::span<uint8_t> into) {
                                 reader.ReadExactly(offset, into);
                                 bytes_read += into.size();
                               });
    mdb::Catalog::Read(image);
    mdb::CheckTableImage(image, table_page, /*exact_key_counts=*/true, &written);
    const uint32_t stored = mdb::TableDefinition::Read(image, table_page).row_count();
    if (stored != row_count)
      throw Error("sie hat " + std::to_string(stored) + " Zeilen statt " +
                      std::to_string(row_count),
                  Error::Kind::kDamaged);
  } catch (const platform::FileError& error) {
    // The device failed, not the new file: said as what it is.
    throw Error(std::string(error.what()) + "; die Datenbank wurde nicht ersetzt",
                error.kind());
  } catch (const Error& error) {
    throw Error("die neue Datei ist fehlerhaft (" + std::string(error.what()) +
                    "); die Datenbank wurde nicht ersetzt",
                error.kind());
  }
}

}  // namespace

// The open file and the pages read from it. The image reads through the
// database file, which remembers what it read for the commit's checks.
struct JetFileSession::File {
  std::unique_ptr<platform::DatabaseFile> database;
  mdb::FileImage image;
  std::string table;
  mdb::TableDefinition definition;
  uint64_t copy_bytes_read = 0;
};

bool HasJetHeader(const std::string& path) {
  std::ifstream in(core::PathFromUtf8(path), std::ios::binary);
  std::array<char, 19> start{};
  if (!in.read(start.data(), start.size())) return false;
  const std::string_view engine(start.data() + 4, 15);
  return engine == "Standard Jet DB" || engine == "Standard ACE DB";
}

JetFileSession::JetFileSession(std::unique_ptr<File> file,
                               std::unique_ptr<SqliteSession> session)
    : file_(std::move(file)), session_(std::move(session)) {}

JetFileSession::~JetFileSession() = default;

std::unique_ptr<JetFileSession> JetFileSession::Open(const std::string& path,
                                                     std::string_view password,
                                                     std::string_view table_name,
                                                     bool will_commit) {
  const std::string shown = BaseName(path);
  try {
    auto database = std::make_unique<platform::DatabaseFile>(
        platform::DatabaseFile::Open(core::PathFromUtf8(path)));
    if (will_commit) database->CheckRoomForCopy();
    mdb::FileImage image(database->size(), [file = database.get()](
                                               uint64_t offset, std::span<uint8_t> into) {
      file->Read(offset, into);
    });
    const mdb::Header header = mdb::Header::Parse(image);
    header.CheckPassword(password);
    const mdb::Catalog catalog = mdb::Catalog::Read(image);
    const std::string table = FindTable(catalog, table_name);
    mdb::TableDefinition definition =
        mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
    const SqliteTableLayout layout =
        LayOutTable(table, header.sort_order(), definition, catalog.Properties(table),
                    catalog.Relationships(table));
    // Only a file this run can use is copied; the rest of the open and the
    // run overlap the copy.
    if (will_commit) database->StartCopy();

    auto session = SqliteSession::OpenInMemory(shown);
    session->Run(layout.create_table);
    session->Run("BEGIN");
    mdb::TableReader(image, definition).ForEachRow([&](const mdb::StoredRow& row) {
      session->Run(layout.insert_row, row.values);
    });
    // Built over the loaded rows in one sort, not entry by entry as they
    // arrive; a unique index refuses duplicates all the same.
    for (const SqliteIndexLayout& index : layout.indexes) {
      RegisterIndexKeyFunction(*session, index.function, index.columns);
      session->Run(index.create);
      if (!index.unique) continue;
      SqliteSession::UniqueKey key{table, index.name, {}};
      for (const mdb::KeyColumn& column : index.columns)
        key.columns.push_back(column.name);
      session->NameUniqueIndex(index.sqlite_name, std::move(key));
    }
    if (layout.autonumber_counter) {
      // Jet's counter holds the last number given; SQLite continues after
      // the larger of its sequence and the largest key.
      const std::vector<Value> params = {Value::Text(table),
                                         Value::Integer(*layout.autonumber_counter)};
      session->Run("DELETE FROM sqlite_sequence WHERE name = ?", {params[0]});
      session->Run("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)", params);
    }
    session->Run("COMMIT");

    auto file = std::make_unique<File>(
        File{std::move(database), std::move(image), table, std::move(definition), 0});
    return std::unique_ptr<JetFileSession>(
        new JetFileSession(std::move(file), std::move(session)));
  } catch (const Error& error) {
    throw Error(shown + ": " + error.what(), error.kind());
  }
}

// The rows of the table in the in-memory database, in row-id order (the
// order they were loaded and inserted), typed for the writer.
std::vector<std::vector<Value>> JetFileSession::TableRows() const {
  const mdb::TableDefinition& definition = file_->definition;
  jetsql::SqlBuilder select;
  select.Append("SELECT ");
  for (const mdb::ColumnDefinition& column : definition.columns()) {
    if (&column != &definition.columns().front()) select.Append(", ");
    select.Name(column.name);
  }
  select.Append(" FROM ").Name(file_->table).Append(" ORDER BY rowid");
  sqlite3_stmt* statement = session_->Prepare(select.Finish().sql, {});
  std::vector<std::vector<Value>> rows;
  while (session_->Step(statement)) {
    rows.emplace_back();
    for (size_t i = 0; i < definition.columns().size(); ++i) {
      const mdb::ColumnDefinition& column = definition.columns()[i];
      rows.back().push_back(JetValue(column.column_type(),
                                     sqlite3_column_value(statement, static_cast<int>(i)),
                                     column.name));
    }
  }
  return rows;
}

void JetFileSession::WriteTable() const {
  const std::vector<std::vector<Value>> rows = TableRows();
  mdb::WritableImage writable(file_->image);
  mdb::ReplaceTableRows(writable, file_->definition.first_page(), rows,
                        mdb::RebuildIndexes);
  const mdb::FileImage written = std::move(writable).Finish();
  const std::vector<uint32_t> pages = written.ChangedPages();
  std::vector<platform::DatabaseFile::Change> changes;
  changes.reserve(pages.size());
  for (const uint32_t page : pages)
    changes.push_back({uint64_t{page} * mdb::kPageSize, written.Page(page).bytes()});
  const uint32_t table_page = file_->definition.first_page();
  file_->database->Replace(
      written.size(), changes, [&](const std::filesystem::path& copy) {
        CheckWrittenCopy(copy, table_page, rows.size(), pages, file_->copy_bytes_read);
      });
}

uint64_t JetFileSession::BytesRead() const {
  return file_->database->bytes_read() + file_->copy_bytes_read;
}

}  // namespace db::engine
