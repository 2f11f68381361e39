#ifndef PREISLISTE_PRICING_RECORD_LOOPS_H_
#define PREISLISTE_PRICING_RECORD_LOOPS_H_

#include "db/engine/connection.h"
#include "run/run_view.h"

namespace pricing {

// The two record loops of the price update. Each walks the still unpriced
// rows of Import2 in name order, sets the action bar per row and throws
// (core::Error or another std::exception with a description) on any failure;
// the pipeline turns that into its message.

// Gives each unpriced row the most frequent selling price among the priced
// rows of the same destination name (state 3).
void ResolveMostCommonPrices(db::engine::Connection& connection, run::RunView& view);

// Gives each unpriced row the price of the row whose name is the longest
// leading part of this row's name, cut before a blank, at the same purchase
// price (state 4).
void ResolveLeadingNamePrices(db::engine::Connection& connection, run::RunView& view);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_RECORD_LOOPS_H_
