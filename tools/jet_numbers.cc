#include "tools/jet_numbers.h"

#include <sqlite3.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/jetfile/jet_value.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/index_writer.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_writer.h"
#include "db/engine/mdb/writable_image.h"

namespace tools {
namespace {

namespace mdb = db::engine::mdb;

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// The rows of Numbers in `file`, each value typed for its Jet column.
std::vector<std::vector<core::Value>> ReadRows(const std::filesystem::path& file,
                                               const mdb::TableDefinition& table) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, SqliteCloser> db(raw);
  std::string select = "SELECT ";
  for (const mdb::ColumnDefinition& column : table.columns())
    select += (&column == &table.columns().front() ? "\"" : ", \"") + column.name + "\"";
  select += " FROM Numbers ORDER BY rowid";
  sqlite3_stmt* prepared = nullptr;
  if (opened != SQLITE_OK ||
      sqlite3_prepare_v2(raw, select.c_str(), -1, &prepared, nullptr) != SQLITE_OK)
    throw core::Error(file.string() + ": " + sqlite3_errmsg(raw),
                      core::Error::Kind::kOther);
  std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(prepared);
  std::vector<std::vector<core::Value>> rows;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(prepared)) == SQLITE_ROW) {
    rows.emplace_back();
    for (size_t c = 0; c < table.columns().size(); ++c)
      rows.back().push_back(db::engine::JetValue(
          table.columns()[c].column_type(),
          sqlite3_column_value(prepared, static_cast<int>(c)), table.columns()[c].name));
  }
  if (step != SQLITE_DONE)
    throw core::Error(file.string() + ": " + sqlite3_errmsg(raw),
                      core::Error::Kind::kOther);
  return rows;
}

}  // namespace

size_t WriteJetNumbers(const std::filesystem::path& sqlite_file,
                       const std::filesystem::path& jet_template,
                       const std::filesystem::path& output) {
  const mdb::FileImage original = mdb::FileImage::ReadFile(jet_template.string());
  const uint32_t definition_page =
      mdb::Catalog::Read(original).TableDefinitionPage("Numbers");
  const auto rows =
      ReadRows(sqlite_file, mdb::TableDefinition::Read(original, definition_page));
  mdb::WritableImage image(original);
  mdb::ReplaceTableRows(image, definition_page, rows, mdb::RebuildIndexes);
  const mdb::FileImage written = std::move(image).Finish();

  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  for (uint32_t page = 0; page < written.page_count(); ++page) {
    const std::span<const uint8_t> bytes = written.Page(page).bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  out.close();
  if (!out) throw core::Error("cannot write " + output.string(), core::Error::Kind::kIo);
  return rows.size();
}

}  // namespace tools
