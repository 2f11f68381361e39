#include "app/run_update.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/backup_settings.h"
#include "app/read_run_settings.h"
#include "core/utf8.h"
#include "db/open_database.h"
#include "import/import_price_file.h"
#include "platform/backup_files.h"
#include "platform/write_file_atomically.h"
#include "pricing/change_list.h"
#include "pricing/change_summary.h"
#include "pricing/price_list_rows.h"
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

// The old and the new list, read inside the transaction when a report is
// wanted.
struct ListsSeen {
  std::vector<pricing::PriceListRow> old_rows;
  std::vector<pricing::PriceListRow> new_rows;
};

// Steps inside the transaction; false when the run stopped. A dry run rolls
// back where a real one commits.
bool ImportAndUpdate(db::engine::Connection& connection, const run::RunSettings& settings,
                     run::RunView& view, const RunOptions& options,
                     std::optional<ListsSeen>& lists) {
  try {
    connection.BeginTrans();
    std::function<void()> read_new_list;
    if (options.wants_report()) {
      lists.emplace();
      // Before the import, which leaves Numbers alone, and before the pipeline
      // corrects it: the list as the run found it.
      lists->old_rows = pricing::ReadPriceList(connection);
      read_new_list = [&] { lists->new_rows = pricing::ReadNewPriceList(connection); };
    }
    if (!price_import::ImportPriceFile(connection, kPriceFileName, view) ||
        !pricing::UpdatePrices(connection, settings, view, read_new_list)) {
      Abandon(connection);
      return false;
    }
    if (options.dry_run)
      connection.RollbackTrans();
    else
      connection.CommitTrans();
    return true;
  } catch (const std::exception& error) {
    view.ShowMessage(std::string("Fehler: ") + error.what(), run::RunView::Icon::kError);
    Abandon(connection);
    return false;
  }
}

// Writes the change list; returns why it could not, or nothing. A report
// named like the database would replace the price list just committed.
// Both names are UTF-8 (the command line and the settings are read so).
std::string WriteChangeList(const std::string& file, const std::string& database,
                            const std::string& text) {
  const std::filesystem::path path = core::PathFromUtf8(file);
  std::error_code no_such_file;
  if (std::filesystem::equivalent(path, core::PathFromUtf8(database), no_such_file))
    return file + ": Das ist die Datenbank selbst";
  try {
    platform::WriteFileAtomically(path, text);
  } catch (const std::exception& error) {
    return error.what();
  }
  return {};
}

}  // namespace

int ExitStatus(const RunResult& result) {
  if (result.outcome == RunOutcome::kStopped) return 1;
  return result.report_not_written ? 3 : 0;
}

RunOutcome RunUpdate(const SettingsStore& store, const NumberFormat& numbers,
                     run::RunView& view) {
  return RunUpdate(store, numbers, view, RunOptions{}).outcome;
}

RunResult RunUpdate(const SettingsStore& store, const NumberFormat& numbers,
                    run::RunView& view, const RunOptions& options) {
  const RunSettingsOrMessage read = ReadRunSettings(store, numbers);
  if (!read.settings) {
    view.ShowMessage(read.message, run::RunView::Icon::kError);
    return {};
  }
  const run::RunSettings& settings = *read.settings;
  const BackupCountOrMessage backups = ReadBackupCount(store);
  if (!backups.count) {
    view.ShowMessage(backups.message, run::RunView::Icon::kError);
    return {};
  }

  // Kept open after the commit until the run is over; nothing is pending then.
  const std::unique_ptr<db::engine::Connection> connection = db::OpenDatabase(
      settings.database_folder, kDatabaseFileName, view, !options.dry_run);
  if (!connection) return {};
  std::optional<ListsSeen> lists;
  if (!ImportAndUpdate(*connection, settings, view, options, lists)) return {};
  // Only once the new file is in place; it never fails the committed run.
  if (!options.dry_run)
    platform::PruneBackups(
        core::PathFromUtf8(settings.database_folder + kDatabaseFileName), *backups.count);

  RunResult result;
  result.outcome = options.dry_run ? RunOutcome::kDryRun : RunOutcome::kCommitted;
  const char* const last_message =
      options.dry_run ? kDryRunFinishedMessage : kFinishedMessage;
  view.SetOverallProgress(100);
  if (!lists) {
    view.ShowMessage(last_message, run::RunView::Icon::kInformation);
    return result;
  }

  const std::vector<pricing::ChangeLine> lines =
      pricing::CompareLists(std::move(lists->old_rows), std::move(lists->new_rows));
  const std::string write_error =
      options.report_file.empty()
          ? std::string()
          : WriteChangeList(options.report_file,
                            settings.database_folder + kDatabaseFileName,
                            pricing::ChangeListText(lines));
  view.ShowMessageWithSummary(last_message, run::RunView::Icon::kInformation,
                              pricing::SummaryText(pricing::Summarize(lines)));
  if (!write_error.empty()) {
    view.ShowMessage(
        "Fehler: Die Änderungsliste konnte nicht geschrieben werden: " + write_error,
        run::RunView::Icon::kError);
    result.report_not_written = true;
  }
  return result;
}

}  // namespace app
