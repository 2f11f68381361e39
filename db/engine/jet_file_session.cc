#include "db/engine/jet_file_session.h"

#include <sqlite3.h>

#include <array>
#include <fstream>

#include "db/engine/ascii.h"
#include "db/engine/error.h"
#include "db/engine/jet_index_key_function.h"
#include "db/engine/jet_table_layout.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/file_replace.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace db::engine {
namespace {

constexpr char kTable[] = "Numbers";

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name the file gives the table, found without regard to letter case.
std::string FindTable(const mdb::Catalog& catalog) {
  for (const std::string& name : catalog.UserTables())
    if (EqualIgnoringAsciiCase(name, kTable)) return name;
  throw Error(std::string("die Datenbank enthält keine Tabelle ") + kTable);
}

void CheckPassword(const mdb::Header& header, std::string_view password) {
  try {
    header.CheckPassword(password);
  } catch (const Error&) {
    throw Error("das Datenbankkennwort stimmt nicht");
  }
}

}  // namespace

struct JetFileSession::File {
  mdb::DatabaseFile database;
  mdb::FileImage image;
  std::string table;
  mdb::TableDefinition definition;
};

bool HasJetHeader(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
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
                                                     std::string_view password) {
  const std::string shown = BaseName(path);
  try {
    mdb::DatabaseFile database = mdb::DatabaseFile::Open(path);
    mdb::FileImage image(
        std::vector<uint8_t>(database.bytes().begin(), database.bytes().end()));
    const mdb::Header header = mdb::Header::Parse(image);
    CheckPassword(header, password);
    const mdb::Catalog catalog = mdb::Catalog::Read(image);
    const std::string table = FindTable(catalog);
    mdb::TableDefinition definition =
        mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
    const SqliteTableLayout layout = LayOutTable(
        table, definition, catalog.Properties(table), catalog.Relationships(table));

    auto session = SqliteSession::OpenInMemory(shown);
    session->Run(layout.create_table);
    for (const SqliteIndexLayout& index : layout.indexes) {
      RegisterIndexKeyFunction(session->handle(), index.function, index.columns);
      session->Run(index.create);
    }
    session->Run("BEGIN");
    mdb::TableReader(image, definition).ForEachRow([&](const mdb::StoredRow& row) {
      session->Run(layout.insert_row, row.values);
    });
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
        File{std::move(database), std::move(image), table, std::move(definition)});
    return std::unique_ptr<JetFileSession>(
        new JetFileSession(std::move(file), std::move(session)));
  } catch (const Error& error) {
    throw Error(shown + ": " + error.what());
  }
}

void JetFileSession::WriteNumbers() const {
  // The native writer of the table's pages and indexes is not part of the
  // program yet. Refusing here, before anything is written, keeps the file
  // exactly as it was: the run rolls back.
  throw Error("Die Tabelle " + file_->table + " kann noch nicht in die Jet-Datei " +
              file_->database.path().filename().string() + " geschrieben werden");
}

}  // namespace db::engine
