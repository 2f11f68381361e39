#ifndef PREISLISTE_APP_RUN_UPDATE_H_
#define PREISLISTE_APP_RUN_UPDATE_H_

#include "app/setting_number.h"
#include "app/settings_store.h"
#include "db/run_view.h"

namespace app {

// How a run ended. kCommitted: Numbers was replaced and "Fertig!" has been
// shown; the front-end now closes. kStopped: a message has been shown and
// Numbers is as it was; the front-end stays until the operator closes it.
enum class RunOutcome { kCommitted, kStopped };

// File names of one run; the price file is looked up by the import.
inline constexpr char kDatabaseFileName[] = "Numbers.mdb";
inline constexpr char kPriceFileName[] = "preise.csv";
inline constexpr char kFinishedMessage[] = "Fertig!";

// One price update: reads the settings, opens the price database, imports the
// price file and rebuilds Numbers in one transaction, then commits, sets the
// overall bar to 100 and shows "Fertig!". Any failure is shown on the view
// and rolls back; nothing is opened when the settings are unusable. A failing
// begin, commit or rollback is shown as "Fehler: <description>" and stops the
// run. Callers make sure it runs only once per program start.
RunOutcome RunUpdate(const SettingsStore& store, const NumberFormat& numbers,
                     db::RunView& view);

}  // namespace app

#endif  // PREISLISTE_APP_RUN_UPDATE_H_
