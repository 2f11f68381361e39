#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_TEST_INDEXES_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_TEST_INDEXES_H_

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace db::engine::mdb {

// One index of a user table of a test file, with what it is made from.
struct StoredIndex {
  std::string file;  // e.g. "compIndexTestV2000.mdb"
  std::string table;
  size_t number;  // into definition.real_indexes()
  const FileImage& image;
  const TableDefinition& definition;
  const std::vector<StoredRow>& rows;

  const RealIndex& index() const { return definition.real_indexes()[number]; }
};

// Calls `visit` for every index of every user table of every file in `folder`
// of the Jet test files (mdb_test::TestJetFolder()), files in name order. A
// missing or empty folder fails the test.
void ForEachStoredIndex(const std::string& folder,
                        const std::function<void(const StoredIndex&)>& visit);

}  // namespace db::engine::mdb

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_TEST_INDEXES_H_
