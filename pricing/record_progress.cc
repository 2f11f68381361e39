#include "pricing/record_progress.h"

#include <string>

#include "core/error.h"

namespace pricing {

float RecordProgress(int64_t position, int64_t count) {
  if (count <= 0)
    throw core::Error("Division by zero: the record loop has no rows to count",
                      core::Error::Kind::kInternal);
  int64_t scaled = 0;
  if (__builtin_mul_overflow(position, int64_t{100}, &scaled))
    throw core::Error("Overflow: record position " + std::to_string(position) +
                          " is too large for the progress bar",
                      core::Error::Kind::kInternal);
  return static_cast<float>(static_cast<double>(scaled) / static_cast<double>(count));
}

void WalkRecords(db::engine::Recordset& rows, run::RunView& view,
                 const std::function<void(db::engine::Recordset& row)>& work) {
  if (!rows.IsEof()) {
    rows.MoveLast();
    rows.MoveFirst();
    const int64_t count = rows.RecordCount();
    while (!rows.IsEof()) {
      view.SetActionProgress(RecordProgress(rows.AbsolutePosition(), count));
      work(rows);
      rows.MoveNext();
    }
  }
  rows.Close();
}

}  // namespace pricing
