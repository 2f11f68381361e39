#include "app/run_update.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/backup_settings.h"
#include "app/read_run_settings.h"
#include "app/run_checks.h"
#include "core/error.h"
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
  } catch (const core::Error&) {
  }
  db::CloseDatabase(&connection);
}

// What the run saw inside the transaction: the price file, the list before
// and the list that replaces it, and why the checks would stop the run.
struct RunSeen {
  price_import::PriceFileSeen file;
  std::vector<pricing::PriceListRow> old_rows;
  std::vector<pricing::PriceListRow> new_rows;
  std::vector<std::string> check_failures;
};

// Steps inside the transaction; false when the run stopped. A dry run rolls
// back where a real one commits.
bool ImportAndUpdate(db::engine::Connection& connection, const run::RunSettings& settings,
                     const CheckLimits& limits, run::RunView& view,
                     const RunOptions& options, RunSeen& seen) {
  try {
    connection.BeginTrans();
    if (!price_import::ImportPriceFile(connection, kPriceFileName, view, &seen.file)) {
      Abandon(connection);
      return false;
    }
    // After the import, which leaves Numbers alone, and before the pipeline
    // corrects it: the list as the run found it.
    seen.old_rows = pricing::ReadPriceList(connection);
    const auto read_new_list = [&] {
      seen.new_rows = pricing::ReadNewPriceList(connection);
    };
    if (!pricing::UpdatePrices(connection, settings, view, read_new_list)) {
      Abandon(connection);
      return false;
    }
    seen.check_failures =
        CheckNewList(limits, seen.file.lines, seen.old_rows, seen.new_rows);
    if (!seen.check_failures.empty() && !options.dry_run && !options.skip_checks) {
      view.ShowMessage("Falsche Datei", run::RunView::Icon::kError,
                       StopReason(seen.check_failures));
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

// What the last message says of the checks that failed, before the summary:
// what would have stopped a dry run, or what a run without checks let pass.
std::string CheckFailuresText(const RunSeen& seen, const RunOptions& options) {
  if (seen.check_failures.empty()) return {};
  std::string text = options.skip_checks
                         ? "Prüfung abgeschaltet (--ohne-pruefung); sie hätte den Lauf "
                           "angehalten:\n"
                         : "Ein echter Lauf hielte hier an: Falsche Datei\n";
  for (const std::string& reason : seen.check_failures) text += reason;
  return text + "\n";
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
  if (result.outcome == RunOutcome::kStopped || result.checks_failed) return 1;
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

  const CheckLimitsOrMessage limits = ReadCheckLimits(store);
  if (!limits.limits) {
    view.ShowMessage(limits.message, run::RunView::Icon::kError);
    return {};
  }

  // Kept open after the commit until the run is over; nothing is pending then.
  const std::unique_ptr<db::engine::Connection> connection = db::OpenDatabase(
      settings.database_folder, kDatabaseFileName, view, !options.dry_run);
  if (!connection) return {};
  RunSeen seen;
  if (!ImportAndUpdate(*connection, settings, *limits.limits, view, options, seen))
    return {};
  // Only once the new file is in place; it never fails the committed run.
  if (!options.dry_run)
    platform::PruneBackups(
        core::PathFromUtf8(settings.database_folder + kDatabaseFileName), *backups.count);

  RunResult result;
  result.outcome = options.dry_run ? RunOutcome::kDryRun : RunOutcome::kCommitted;
  result.checks_failed =
      options.dry_run && !options.skip_checks && !seen.check_failures.empty();
  view.SetOverallProgress(100);

  const std::vector<pricing::ChangeLine> lines =
      pricing::CompareLists(std::move(seen.old_rows), std::move(seen.new_rows));
  const std::string write_error =
      options.report_file.empty()
          ? std::string()
          : WriteChangeList(options.report_file,
                            settings.database_folder + kDatabaseFileName,
                            pricing::ChangeListText(lines));
  view.ShowMessageWithSummary(options.dry_run ? kDryRunFinishedMessage : kFinishedMessage,
                              result.checks_failed ? run::RunView::Icon::kError
                                                   : run::RunView::Icon::kInformation,
                              CheckFailuresText(seen, options) +
                                  PriceFileSummary(seen.file) +
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
