#ifndef PREISLISTE_PRICING_UPDATE_PRICES_H_
#define PREISLISTE_PRICING_UPDATE_PRICES_H_

#include "app/run_settings.h"
#include "db/connection.h"
#include "db/run_view.h"

// Turns the imported price file (Import2) and the current price list
// (Numbers) into the new price list and replaces Numbers with it, inside the
// caller's transaction. Returns false after showing "Fehler: <description>"
// when any step fails; the caller then rolls back.
bool UpdatePrices(db::Connection& connection, const RunSettings& settings,
                  db::RunView& view);

#endif  // PREISLISTE_PRICING_UPDATE_PRICES_H_
