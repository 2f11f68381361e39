#ifndef PREISLISTE_DB_ENGINE_MDB_TABLE_READER_H_
#define PREISLISTE_DB_ENGINE_MDB_TABLE_READER_H_

#include <functional>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"

namespace db::engine::mdb {

// One row of a table and the address the table's indexes use for it.
struct StoredRow {
  RowPointer pointer;
  std::vector<Value> values;  // in the order of TableDefinition::columns()
};

// Reads the rows of a table in the order the file keeps them: its owned
// pages (usage map) in ascending order, and on each page its rows by row
// number, leaving out deleted rows. A row that outgrew its page and moved
// (see DataPage::RowKind) is read where its data is, as the independent
// readers do, but reported with its old address, the one its index entries
// point to. Every page must be a data page of this table.
class TableReader {
 public:
  TableReader(const FileImage& image, const TableDefinition& definition)
      : image_(image), definition_(definition) {}

  // Calls `visit` for each row, in order; throws db::Error on damage.
  void ForEachRow(const std::function<void(const StoredRow&)>& visit) const;
  // The same, with the row's stored bytes instead of its values.
  void ForEachRawRow(const std::function<void(RowPointer, const ByteView&)>& visit) const;
  std::vector<StoredRow> ReadAll() const;

 private:
  const FileImage& image_;
  const TableDefinition& definition_;
};

}  // namespace db::engine::mdb

#endif  // PREISLISTE_DB_ENGINE_MDB_TABLE_READER_H_
