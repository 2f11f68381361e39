#ifndef PREISLISTE_PRICING_RECORD_PROGRESS_H_
#define PREISLISTE_PRICING_RECORD_PROGRESS_H_

#include <cstdint>
#include <functional>

#include "db/engine/recordset.h"
#include "run/run_view.h"

namespace pricing {

// The action bar's value while a record loop works on a row: the row's 1-based
// position times 100, divided by the number of rows in the loop, so the first
// of four rows shows 25 and the last one 100. The product is taken in 64 bits
// (no realistic row count overflows it) and the division in double precision.
// Throws core::Error when the count is not positive or the product overflows.
float RecordProgress(int64_t position, int64_t count);

// Walks a record loop's rows from the first to the end. Before each row's work
// the action bar shows RecordProgress(position, count); after it the set moves
// on, which stores what the work wrote into the row. The count is taken once,
// by moving to the last row and back. An empty set is not walked and leaves the
// action bar alone. The set is closed at the end.
void WalkRecords(db::engine::Recordset& rows, run::RunView& view,
                 const std::function<void(db::engine::Recordset& row)>& work);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_RECORD_PROGRESS_H_
