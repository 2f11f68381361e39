#ifndef PREISLISTE_DB_ENGINE_RECORDSET_H_
#define PREISLISTE_DB_ENGINE_RECORDSET_H_

#include <cstdint>
#include <string_view>

#include "db/engine/core_types.h"

namespace db::engine {

// The rows of a query or table, fetched completely when the set is opened:
// rows and their order stay fixed however the table changes meanwhile, and
// RecordCount and AbsolutePosition are exact.
//
// When the rows come from one table, fields can be written: a field written on
// the current row is stored in the table when the set moves to the next row or
// on Update() (any other move stores them too). AddNew() + SetField() +
// Update() appends a row to the table; the set keeps the rows it was opened
// with (RecordCount does not grow) and returns to the row it was on.
// Fields are named in any letter case. Every failure throws core::Error.
// A record set must not outlive its connection.
class Recordset {
 public:
  virtual ~Recordset() = default;

  // True when the set has no rows or has moved past its last row.
  virtual bool IsEof() const = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveLast() = 0;
  // Stores pending field writes of the current row, then moves on.
  virtual void MoveNext() = 0;
  virtual int64_t RecordCount() const = 0;
  // 1-based ordinal of the current row; kPositionEof at end-of-set.
  virtual int64_t AbsolutePosition() const = 0;
  static constexpr int64_t kPositionEof = -3;  // as ADO reports it

  // Typed by the column's declared type: CURRENCY columns give currency
  // values, INTEGER columns integers, text columns text; NULL stays NULL.
  virtual Value Field(std::string_view name) const = 0;
  // Converted to the column's declared type; a CURRENCY value is rounded to
  // four decimals and a text longer than a VARCHAR(n) column allows fails.
  virtual void SetField(std::string_view name, const Value& value) = 0;

  // Starts an empty new row; Update() inserts it.
  virtual void AddNew() = 0;
  // Stores the new row or the pending writes of the current row.
  virtual void Update() = 0;
  // Discards pending writes; the set may not be used afterwards.
  virtual void Close() = 0;
};

}  // namespace db::engine

#endif  // PREISLISTE_DB_ENGINE_RECORDSET_H_
