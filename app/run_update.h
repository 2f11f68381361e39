#ifndef PREISLISTE_APP_RUN_UPDATE_H_
#define PREISLISTE_APP_RUN_UPDATE_H_

#include <string>

#include "app/setting_number.h"
#include "app/settings_store.h"
#include "run/run_view.h"

namespace app {

// How a run ended. kCommitted: Numbers was replaced and "Fertig!" has been
// shown; the front-end now closes. kDryRun: a dry run went through and was
// rolled back as planned, its last message has been shown; the front-end
// closes too. kStopped: a message has been shown and Numbers is as it was; the
// front-end stays until the operator closes it.
enum class RunOutcome { kCommitted, kDryRun, kStopped };

// What the command line adds to a run.
struct RunOptions {
  // Roll back instead of committing; the file is not written.
  bool dry_run = false;
  // Where the change list goes once the outcome is final; empty: nowhere.
  std::string report_file;
  // Commit even when the checks of the new list (app/run_checks.h) fail.
  bool skip_checks = false;
};

struct RunResult {
  RunOutcome outcome = RunOutcome::kStopped;
  // The change list was asked for and could not be written ("Fehler: ..."
  // has been shown after the last message).
  bool report_not_written = false;
  // A dry run whose new list failed the checks: a real run would stop.
  bool checks_failed = false;
};

// 0: committed, or a dry run that would have committed; 1: stopped, or a dry
// run that would have stopped; 3: the change list could not be written (the
// database outcome stands).
int ExitStatus(const RunResult& result);

// File names of one run; the price file is looked up by the import.
inline constexpr char kDatabaseFileName[] = "Numbers.mdb";
inline constexpr char kPriceFileName[] = "preise.csv";
inline constexpr char kFinishedMessage[] = "Fertig!";
inline constexpr char kDryRunFinishedMessage[] =
    "Probelauf beendet – nichts wurde geändert.";

// One price update: reads the settings, opens the price database, imports the
// price file and rebuilds Numbers in one transaction, checks the new list
// (app/run_checks.h), then commits, sets the overall bar to 100 and shows
// "Fertig!" with the summary: the price file, its lines and the changes. Any
// failure is shown on the view and rolls back; a failed check shows "Falsche
// Datei" with the reasons. Nothing is opened when the settings are unusable.
// A failing begin, commit or rollback is shown as "Fehler: <description>" and
// stops the run. Once the commit has put the new file in place, the oldest
// backups of the database beyond [Sicherung] Anzahl and the disk's bounds are
// removed (platform::PruneBackups), which never fails the run. Callers make
// sure it runs only once per program start.
RunOutcome RunUpdate(const SettingsStore& store, const NumberFormat& numbers,
                     run::RunView& view);

// The same run with options. The run reads Numbers after the transaction has
// begun and the new list before the working tables are dropped, with
// read-only queries, for the checks and the summary. A dry run checks as a
// real one would and shows what would stop it in its last message. The
// change list, when asked for, is written after the commit or the dry run's
// rollback, never after a stop.
RunResult RunUpdate(const SettingsStore& store, const NumberFormat& numbers,
                    run::RunView& view, const RunOptions& options);

}  // namespace app

#endif  // PREISLISTE_APP_RUN_UPDATE_H_
