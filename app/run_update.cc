#include "app/run_update.h"

#include <exception>
#include <memory>
#include <string>

#include "app/read_run_settings.h"
#include "db/open_database.h"
#include "import/import_price_file.h"
#include "pricing/update_prices.h"

namespace app {
namespace {

// Rolls back what the transaction did and closes; a failure here changes
// nothing for the operator, who has already seen why the run stopped.
void Abandon(db::engine::Connection& connection) {
  try {
    connection.RollbackTrans();
  } catch (const std::exception&) {
  }
  db::CloseDatabase(&connection);
}

// Steps inside the transaction; false when the run stopped.
bool ImportAndUpdate(db::engine::Connection& connection, const db::RunSettings& settings,
                     db::RunView& view) {
  try {
    connection.BeginTrans();
    if (!price_import::ImportPriceFile(connection, kPriceFileName, view) ||
        !pricing::UpdatePrices(connection, settings, view)) {
      Abandon(connection);
      return false;
    }
    connection.CommitTrans();
    return true;
  } catch (const std::exception& error) {
    view.ShowMessage(std::string("Fehler: ") + error.what(), db::RunView::Icon::kError);
    Abandon(connection);
    return false;
  }
}

}  // namespace

RunOutcome RunUpdate(const SettingsStore& store, const NumberFormat& numbers,
                     db::RunView& view) {
  const RunSettingsOrMessage read = ReadRunSettings(store, numbers);
  if (!read.settings) {
    view.ShowMessage(read.message, db::RunView::Icon::kError);
    return RunOutcome::kStopped;
  }
  const db::RunSettings& settings = *read.settings;

  // Kept open after the commit until the run is over; nothing is pending then.
  const std::unique_ptr<db::engine::Connection> connection =
      db::OpenDatabase(settings.database_folder, kDatabaseFileName, view);
  if (!connection) return RunOutcome::kStopped;
  if (!ImportAndUpdate(*connection, settings, view)) return RunOutcome::kStopped;

  view.SetOverallProgress(100);
  view.ShowMessage(kFinishedMessage, db::RunView::Icon::kInformation);
  return RunOutcome::kCommitted;
}

}  // namespace app
