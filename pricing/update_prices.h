#ifndef PREISLISTE_PRICING_UPDATE_PRICES_H_
#define PREISLISTE_PRICING_UPDATE_PRICES_H_

#include <functional>

#include "db/engine/connection.h"
#include "run/run_settings.h"
#include "run/run_view.h"

namespace pricing {

// Turns the imported price file (Import2) and the current price list
// (Numbers) into the new price list and replaces Numbers with it, inside the
// caller's transaction. Returns false after showing "Fehler: <description>"
// when any step fails; the caller then rolls back.
//
// `new_list_written`, when set, is called once Numbers holds the new rows and
// Import2 still holds how each got its price, just before the working tables
// are dropped; it may read, and must change nothing. What it throws fails the
// pipeline like any step.
bool UpdatePrices(db::engine::Connection& connection, const run::RunSettings& settings,
                  run::RunView& view, const std::function<void()>& new_list_written = {});

}  // namespace pricing

#endif  // PREISLISTE_PRICING_UPDATE_PRICES_H_
