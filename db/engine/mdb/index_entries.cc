#include "db/engine/mdb/index_entries.h"

#include <algorithm>

namespace db::engine::mdb {

std::vector<IndexEntry> IndexEntriesOf(const TableDefinition& table,
                                       const RealIndex& index,
                                       std::span<const StoredRow> rows) {
  const std::vector<KeyColumn> columns = KeyColumnsOf(table, index);
  std::vector<IndexEntry> entries;
  entries.reserve(rows.size());
  std::vector<Value> values(columns.size());
  for (const StoredRow& row : rows) {
    bool all_null = true;
    for (size_t i = 0; i < columns.size(); ++i) {
      values[i] = row.values.at(columns[i].position);
      all_null = all_null && values[i].is_null();
    }
    if (all_null && index.ignore_nulls()) continue;
    entries.push_back({IndexKey(columns, values), row.pointer});
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace db::engine::mdb
