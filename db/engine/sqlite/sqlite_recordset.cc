#include "db/engine/sqlite/sqlite_recordset.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

#include "db/engine/core_types.h"

namespace db::engine {
namespace {

constexpr char kNoCurrentRow[] =
    "Either BOF or EOF is True, or the current record has been deleted. Requested "
    "operation requires a current record.";
constexpr char kClosed[] = "Operation is not allowed when the object is closed.";

std::string Quoted(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string_view ColumnText(sqlite3_stmt* statement, int index) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
  return {text ? text : "", static_cast<size_t>(sqlite3_column_bytes(statement, index))};
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

std::unique_ptr<Recordset> SqliteRecordset::Open(SqliteSession& session,
                                                 const jetsql::SqliteStatement& query,
                                                 std::string base_table) {
  std::unique_ptr<SqliteRecordset> set(
      new SqliteRecordset(session, std::move(base_table)));
  set->Fetch(query);
  return set;
}

void SqliteRecordset::Fetch(const jetsql::SqliteStatement& query) {
  sqlite3_stmt* statement = session_.Prepare(query.sql, query.params);
  const int first = base_table_.empty() ? 0 : 1;  // skip the rowid
  const int count = sqlite3_column_count(statement);
  if (count <= first)
    throw Error("The query returns no fields: " + query.sql, Error::Kind::kInternal);
  for (int i = first; i < count; ++i) {
    Column column{sqlite3_column_name(statement, i), {}, {}};
    column.type =
        jetsql::ColumnType::FromDeclared(OrEmpty(sqlite3_column_decltype(statement, i)));
    if (!base_table_.empty() &&
        EqualIgnoringAsciiCase(OrEmpty(sqlite3_column_table_name(statement, i)),
                               base_table_))
      column.table_column = OrEmpty(sqlite3_column_origin_name(statement, i));
    columns_.push_back(std::move(column));
  }
  rows_ = RowStore(columns_.size());
  while (session_.Step(statement)) {
    const size_t row = rows_.AddRow();
    if (first == 1) rowids_.push_back(sqlite3_column_int64(statement, 0));
    for (size_t c = 0; c < columns_.size(); ++c)
      StoreField(statement, static_cast<int>(c) + first, row, c);
  }
}

// Types the value by the column's declared type where the stored value allows
// it: CURRENCY columns hold whole prices as integers, and a number in a text
// column is text. Anything else keeps SQLite's storage class.
void SqliteRecordset::StoreField(sqlite3_stmt* statement, int index, size_t row,
                                 size_t column) {
  const jetsql::ColumnType::Kind kind = columns_[column].type.kind;
  const int storage = sqlite3_column_type(statement, index);
  if (storage == SQLITE_NULL) return;
  if (kind == jetsql::ColumnType::Kind::kText || storage == SQLITE_TEXT ||
      storage == SQLITE_BLOB) {
    rows_.SetText(row, column, ColumnText(statement, index));
  } else if (storage == SQLITE_INTEGER) {
    const int64_t number = sqlite3_column_int64(statement, index);
    Value value = Value::Integer(number);
    if (kind == jetsql::ColumnType::Kind::kCurrency &&
        number <= INT64_MAX / Currency::kScale &&
        number >= INT64_MIN / Currency::kScale) {
      value = Value::Money(Currency::FromTicks(number * Currency::kScale));
    } else if (kind == jetsql::ColumnType::Kind::kDouble) {
      value = Value::Double(static_cast<double>(number));
    }
    rows_.Set(row, column, value);
  } else {
    const double number = sqlite3_column_double(statement, index);
    const auto amount = kind == jetsql::ColumnType::Kind::kCurrency
                            ? Currency::FromDouble(number)
                            : std::nullopt;
    rows_.Set(row, column, amount ? Value::Money(*amount) : Value::Double(number));
  }
}

bool SqliteRecordset::IsEof() const {
  CheckOpen();
  return !adding_ && current_ >= rows_.rows();
}

void SqliteRecordset::MoveFirst() {
  CheckOpen();
  StorePending();
  current_ = 0;
}

void SqliteRecordset::MoveLast() {
  CheckOpen();
  StorePending();
  current_ = rows_.rows() == 0 ? 0 : rows_.rows() - 1;
}

void SqliteRecordset::MoveNext() {
  CheckOpen();
  if (!adding_) CheckCurrentRow();
  StorePending();
  ++current_;
}

int64_t SqliteRecordset::RecordCount() const {
  CheckOpen();
  return static_cast<int64_t>(rows_.rows());
}

int64_t SqliteRecordset::AbsolutePosition() const {
  return IsEof() ? kPositionEof : static_cast<int64_t>(current_) + 1;
}

Value SqliteRecordset::Field(std::string_view name) const {
  CheckCurrentRow();
  const size_t column = ColumnIndex(name);
  for (const auto& [index, value] : pending_)
    if (index == column) return value;
  return adding_ ? Value::Null() : rows_.Get(current_, column);
}

void SqliteRecordset::SetField(std::string_view name, const Value& value) {
  CheckCurrentRow();
  const size_t column = ColumnIndex(name);
  if (base_table_.empty())
    throw Error("Field " + std::string(name) +
                    " cannot be changed: the rows do not come from one table",
                Error::Kind::kInternal);
  if (columns_[column].table_column.empty())
    throw Error("Field " + std::string(name) +
                    " cannot be changed: it is not a column of " + base_table_,
                Error::Kind::kInternal);
  Value converted =
      jetsql::ConvertForColumn(columns_[column].type, value, columns_[column].name);
  auto same = std::find_if(pending_.begin(), pending_.end(),
                           [column](const auto& entry) { return entry.first == column; });
  if (same != pending_.end()) {
    same->second = std::move(converted);
  } else {
    pending_.emplace_back(column, std::move(converted));
  }
}

void SqliteRecordset::AddNew() {
  CheckOpen();
  if (base_table_.empty())
    throw Error("Rows cannot be added: the rows do not come from one table",
                Error::Kind::kInternal);
  StorePending();
  adding_ = true;
  row_before_adding_ = current_;
  current_ = rows_.rows();
}

void SqliteRecordset::Update() {
  CheckOpen();
  StorePending();
}

void SqliteRecordset::Close() {
  CheckOpen();
  closed_ = true;
  adding_ = false;
  pending_.clear();
  rows_ = RowStore(0);
  rowids_ = {};
}

size_t SqliteRecordset::ColumnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (EqualIgnoringAsciiCase(columns_[i].name, name)) return i;
  throw Error(
      "Item cannot be found in the collection corresponding to the requested name "
      "or ordinal: " +
          std::string(name),
      Error::Kind::kNotFound);
}

void SqliteRecordset::CheckOpen() const {
  if (closed_) throw Error(kClosed, Error::Kind::kInternal);
}

void SqliteRecordset::CheckCurrentRow() const {
  if (IsEof()) throw Error(kNoCurrentRow, Error::Kind::kInternal);
}

void SqliteRecordset::StorePending() {
  if (adding_) {
    InsertNewRow();
  } else if (!pending_.empty()) {
    UpdateCurrentRow();
  }
}

// The new row goes to the table only: the import adds a million rows that
// nobody reads back through the set, and keeping them would double its cost.
void SqliteRecordset::InsertNewRow() {
  RunWithPending(SqlForPending(insert_sql_, &SqliteRecordset::BuildInsertSql), nullptr);
  pending_.clear();
  adding_ = false;
  current_ = row_before_adding_;
}

void SqliteRecordset::UpdateCurrentRow() {
  const Value rowid = Value::Integer(rowids_[current_]);
  RunWithPending(SqlForPending(update_sql_, &SqliteRecordset::BuildUpdateSql), &rowid);
  for (const auto& [column, value] : pending_) rows_.Set(current_, column, value);
  pending_.clear();
}

// The import writes a million rows with the same three fields: the text is
// built once per set of columns and shares one prepared statement.
const std::string& SqliteRecordset::SqlForPending(WriteSql& memo,
                                                  std::string (SqliteRecordset::*build)()
                                                      const) {
  std::sort(pending_.begin(), pending_.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  const bool same =
      memo.columns.size() == pending_.size() &&
      std::equal(memo.columns.begin(), memo.columns.end(), pending_.begin(),
                 [](size_t column, const auto& entry) { return column == entry.first; });
  if (!same || memo.sql.empty()) {
    memo.columns.clear();
    for (const auto& entry : pending_) memo.columns.push_back(entry.first);
    memo.sql = (this->*build)();
  }
  return memo.sql;
}

std::string SqliteRecordset::BuildInsertSql() const {
  std::string sql = "INSERT INTO " + Quoted(base_table_);
  if (pending_.empty()) return sql + " DEFAULT VALUES";
  std::string names, marks;
  for (const auto& [column, value] : pending_) {
    if (!names.empty()) names += ',', marks += ',';
    names += Quoted(columns_[column].table_column);
    marks += '?';
  }
  return sql + " (" + names + ") VALUES (" + marks + ")";
}

std::string SqliteRecordset::BuildUpdateSql() const {
  std::string sql = "UPDATE " + Quoted(base_table_) + " SET ";
  for (size_t i = 0; i < pending_.size(); ++i) {
    if (i != 0) sql += ',';
    sql += Quoted(columns_[pending_[i].first].table_column);
    sql += "=?";
  }
  return sql + " WHERE rowid=?";
}

// Runs `sql` with the pending values bound in order, then `rowid` if given.
void SqliteRecordset::RunWithPending(const std::string& sql, const Value* rowid) {
  sqlite3_stmt* statement = session_.Prepare(sql, {});
  int index = 0;
  for (const auto& [column, value] : pending_)
    if (BindValue(statement, ++index, value) != SQLITE_OK) session_.Fail();
  if (rowid != nullptr && BindValue(statement, ++index, *rowid) != SQLITE_OK)
    session_.Fail();
  while (session_.Step(statement)) {
  }
}

}  // namespace db::engine
