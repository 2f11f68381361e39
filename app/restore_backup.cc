#include "app/restore_backup.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <system_error>

#include "app/read_run_settings.h"
#include "core/error.h"
#include "core/utf8.h"
#include "db/open_database.h"
#include "platform/backup_files.h"
#include "platform/database_file.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using core::Error;

constexpr char kNotRestored[] =
    "Die Sicherung wurde nicht zurückgeholt; Numbers.mdb ist unverändert.";

std::string Utf8(const fs::path& path) { return core::PathToUtf8(path); }
std::string Name(const fs::path& path) { return Utf8(path.filename()); }

fs::path ChosenBackup(const fs::path& database, const std::string& named) {
  if (named.empty()) {
    const std::vector<platform::Backup> backups = platform::ListBackups(database);
    if (backups.empty())
      throw Error("Neben " + Utf8(database) + " liegt keine Sicherung (" +
                      Name(database) + ".JJJJ-MM-TT_hh-mm-ss.bak)",
                  Error::Kind::kNotFound);
    return backups.back().path;
  }
  fs::path path = core::PathFromUtf8(named);
  if (!path.has_parent_path()) path = database.parent_path() / path;
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    throw Error("Die Sicherung " + Utf8(path) + " gibt es nicht", Error::Kind::kNotFound);
  if (fs::equivalent(path, database, error))
    throw Error(Utf8(path) + " ist die Datenbank " + Name(database) + " selbst",
                Error::Kind::kBadInput);
  return path;
}

// What a database file is, as the operator knows it.
std::string KindName(bool jet) {
  return jet ? "eine Access-Datenbank (Jet 4)" : "eine SQLite-Datenbank";
}

// Throws unless `file` opens as a run would open it, and is of the kind
// `jet` says.
void CheckDatabase(const fs::path& file, bool jet, const std::string& shown) {
  if (db::IsJetFile(Utf8(file)) != jet)
    throw Error(shown + " ist " + KindName(!jet) + ", Numbers.mdb " + KindName(jet),
                Error::Kind::kBadInput);
  try {
    db::CheckOpensAsDatabase(Utf8(file));
  } catch (const Error& error) {
    throw Error(shown + " ist keine lesbare Datenbank: " + error.what(),
                Error::Kind::kDamaged);
  }
}

// What `backup` holds, for the message: the state replaced at the moment
// in its name, or else the file as last changed.
std::string StateOf(const fs::path& database, const fs::path& backup) {
  if (const auto dated = platform::ParseBackupName(Name(backup), Name(database))) {
    const std::string shown = platform::ShownStamp(dated->stamp);
    return "der Stand, der am " + shown.substr(0, 10) + " um " + shown.substr(11) +
           " ersetzt wurde";
  }
  const auto changed = fs::last_write_time(backup);
  const std::string shown = platform::ShownStamp(platform::BackupStamp(
      std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(changed))));
  return "der Stand von " + Name(backup) + " (zuletzt geändert am " +
         shown.substr(0, 10) + " um " + shown.substr(11) + ")";
}

}  // namespace

RunResult RestoreBackup(const SettingsStore& store, const NumberFormat& numbers,
                        run::RunView& view, const std::string& named) {
  const RunSettingsOrMessage read = ReadRunSettings(store, numbers);
  if (!read.settings) {
    view.ShowMessage(read.message, run::RunView::Icon::kError);
    return {};
  }
  const fs::path database =
      core::PathFromUtf8(read.settings->database_folder + kDatabaseFileName);
  std::string message;
  std::string detail;
  // Past the rename only the folder's flush can fail: then the backup is in
  // place, and the message must not say otherwise.
  bool replaced = false;
  try {
    const fs::path backup = ChosenBackup(database, named);
    const std::string state = StateOf(database, backup);
    platform::DatabaseFile file = platform::DatabaseFile::Open(database);
    const bool jet = db::IsJetFile(Utf8(database));
    CheckDatabase(backup, jet, Name(backup));
    const fs::path kept = file.ReplaceWithCopyOf(
        backup,
        [&](const fs::path& copy) {
          CheckDatabase(copy, jet, "Die Kopie " + Name(copy));
        },
        [&](platform::DatabaseFile::Step step) {
          replaced = replaced || step == platform::DatabaseFile::Step::kReplaced;
        });
    message = "Sicherung zurückgeholt: Numbers.mdb ist wieder " + state + ".";
    detail = "Zurückgeholt: " + Utf8(backup) +
             "\nDie ersetzte Datei ist jetzt die Sicherung " + Name(kept) +
             "; rückgängig machen mit --restore=" + Name(kept);
  } catch (const std::exception& error) {
    if (replaced)
      view.ShowMessage(std::string("Fehler: ") + error.what(),
                       run::RunView::Icon::kError);
    else
      view.ShowMessage(kNotRestored, run::RunView::Icon::kError, error.what());
    return {};
  }
  view.SetOverallProgress(100);
  view.ShowMessageWithSummary(message, run::RunView::Icon::kInformation, detail);
  return {RunOutcome::kCommitted, false};
}

}  // namespace app
