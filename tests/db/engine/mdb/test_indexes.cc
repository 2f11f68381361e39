#include "tests/db/engine/mdb/test_indexes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "db/engine/mdb/catalog.h"
#include "tests/db/engine/mdb/jet_files.h"

namespace db::engine::mdb {

void ForEachStoredIndex(const std::string& folder,
                        const std::function<void(const StoredIndex&)>& visit) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(mdb_test::TestJetFolder() / folder)) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << folder;
  for (const auto& path : files) {
    const std::string file = path.filename().string();
    const FileImage image = FileImage::ReadFile(path.string());
    const Catalog catalog = Catalog::Read(image);
    for (const std::string& table : catalog.UserTables()) {
      const TableDefinition definition =
          TableDefinition::Read(image, catalog.TableDefinitionPage(table));
      const std::vector<StoredRow> rows = TableReader(image, definition).ReadAll();
      for (size_t i = 0; i < definition.real_indexes().size(); ++i) {
        SCOPED_TRACE(file + ", table " + table + ", index " + std::to_string(i));
        visit({file, table, i, image, definition, rows});
      }
    }
  }
}

}  // namespace db::engine::mdb
