#include "tests/db/engine/mdb/read_whole_file.h"

#include <string>

#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/header.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace mdb_test {

namespace mdb = db::engine::mdb;

size_t ReadWholeFile(std::vector<uint8_t> bytes) {
  const mdb::FileImage image(std::move(bytes));
  mdb::Header::Parse(image);
  const mdb::Catalog catalog = mdb::Catalog::Read(image);
  size_t rows = 0;
  for (const std::string& table : catalog.UserTables()) {
    const auto definition =
        mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
    catalog.Properties(table);
    catalog.Relationships(table);
    mdb::TableReader(image, definition).ForEachRow([&](const mdb::StoredRow&) {
      ++rows;
    });
  }
  return rows;
}

}  // namespace mdb_test
