#include "db/engine/mdb/index_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/index_entries.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/mdb/table_writer.h"
#include "tests/db/engine/mdb/jet_files.h"

namespace db::engine::mdb {
namespace {

struct Loaded {
  FileImage image;
  uint32_t definition_page;
  std::vector<std::vector<Value>> rows;
};

Loaded Load(const std::string& relative) {
  FileImage image = FileImage::ReadFile(mdb_test::JetFile(relative).string());
  const uint32_t page = Catalog::Read(image).TableDefinitionPage("Numbers");
  std::vector<std::vector<Value>> rows;
  for (const StoredRow& row :
       TableReader(image, TableDefinition::Read(image, page)).ReadAll())
    rows.push_back(row.values);
  return {std::move(image), page, std::move(rows)};
}

// The rows in reverse order, written with their indexes rebuilt: each index
// read from its new root holds exactly the entries of the rows as the file
// now keeps them, and its count of distinct keys.
TEST(IndexWriterTest, RebuiltIndexesHoldTheEntriesOfTheNewRows) {
  for (const char* name : {"numbers/numbers-pk.mdb", "numbers/numbers-autoid.mdb",
                           "numbers/numbers-big.mdb"}) {
    SCOPED_TRACE(name);
    Loaded loaded = Load(name);
    std::reverse(loaded.rows.begin(), loaded.rows.end());
    WritableImage writable(loaded.image);
    ReplaceTableRows(writable, loaded.definition_page, loaded.rows, RebuildIndexes);
    const FileImage written = std::move(writable).Finish();

    const TableDefinition table = TableDefinition::Read(written, loaded.definition_page);
    const std::vector<StoredRow> stored = TableReader(written, table).ReadAll();
    ASSERT_EQ(stored.size(), loaded.rows.size());
    ASSERT_FALSE(table.real_indexes().empty());
    for (const RealIndex& index : table.real_indexes()) {
      const std::vector<IndexEntry> expected = IndexEntriesOf(table, index, stored);
      const IndexTree tree = ReadIndex(written, index.first_page, table.first_page());
      EXPECT_TRUE(tree.entries == expected) << "index with root " << index.first_page;
      size_t distinct = 0;
      for (size_t i = 0; i < expected.size(); ++i)
        distinct += i == 0 || expected[i].key != expected[i - 1].key;
      EXPECT_EQ(index.key_count, distinct);
    }
  }
}

TEST(IndexWriterTest, RefusesARepeatedKeyInAUniqueIndex) {
  Loaded loaded = Load("numbers/numbers-pk.mdb");
  loaded.rows.push_back(loaded.rows.front());
  WritableImage writable(loaded.image);
  try {
    ReplaceTableRows(writable, loaded.definition_page, loaded.rows, RebuildIndexes);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("eindeutige Index"), std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace db::engine::mdb
