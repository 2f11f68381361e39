#ifndef PREISLISTE_DB_ENGINE_SQLITE_SQLITE_RECORDSET_H_
#define PREISLISTE_DB_ENGINE_SQLITE_SQLITE_RECORDSET_H_

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/engine/jetsql/column_type.h"
#include "db/engine/jetsql/translate.h"
#include "db/engine/recordset.h"
#include "db/engine/sqlite/row_store.h"
#include "db/engine/sqlite/sqlite_session.h"

namespace db::engine {

// A Recordset over SQLite: the rows of one query, fetched completely at open
// into a RowStore. Fields are typed by the declared type of their column;
// expressions by what SQLite returns.
//
// With a base table the query's first column is that table's rowid (not a
// field): written fields are stored with UPDATE ... WHERE rowid=?, new rows
// with INSERT, each through a cached prepared statement, and the snapshot
// keeps the stored values. Without one the set is read-only.
class SqliteRecordset : public Recordset {
 public:
  static std::unique_ptr<Recordset> Open(SqliteSession& session,
                                         const jetsql::SqliteStatement& query,
                                         std::string base_table);

  bool IsEof() const override;
  void MoveFirst() override;
  void MoveLast() override;
  void MoveNext() override;
  int64_t RecordCount() const override;
  int64_t AbsolutePosition() const override;
  Value Field(std::string_view name) const override;
  void SetField(std::string_view name, const Value& value) override;
  void AddNew() override;
  void Update() override;
  void Close() override;

 private:
  struct Column {
    std::string name;          // as the query names it
    std::string table_column;  // the base table's column; empty for an expression
    jetsql::ColumnType type;
  };

  SqliteRecordset(SqliteSession& session, std::string base_table)
      : session_(session), base_table_(std::move(base_table)), rows_(0) {}
  void Fetch(const jetsql::SqliteStatement& query);
  void StoreField(sqlite3_stmt* statement, int index, size_t row, size_t column);

  size_t ColumnIndex(std::string_view name) const;
  void CheckOpen() const;
  void CheckCurrentRow() const;
  // Writes the new row or the pending fields of the current row to the table.
  void StorePending();
  void InsertNewRow();
  void UpdateCurrentRow();
  struct WriteSql {
    std::vector<size_t> columns;  // the pending columns it was built for
    std::string sql;
  };
  const std::string& SqlForPending(WriteSql& memo,
                                   std::string (SqliteRecordset::*build)() const);
  std::string BuildInsertSql() const;
  std::string BuildUpdateSql() const;
  void RunWithPending(const std::string& sql, const Value* rowid);

  SqliteSession& session_;
  std::string base_table_;  // empty: read-only
  std::vector<Column> columns_;
  RowStore rows_;
  std::vector<int64_t> rowids_;  // per row, with a base table
  size_t current_ = 0;           // == rows_.rows() at end-of-set and while adding
  bool adding_ = false;
  size_t row_before_adding_ = 0;  // current again once the new row is stored
  bool closed_ = false;
  std::vector<std::pair<size_t, Value>> pending_;  // column index, converted value
  WriteSql insert_sql_;
  WriteSql update_sql_;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_SQLITE_SQLITE_RECORDSET_H_
