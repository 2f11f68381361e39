#include "app/restore_backup.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <exception>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/read_run_settings.h"
#include "core/error.h"
#include "core/utf8.h"
#include "db/open_database.h"
#include "platform/backup_files.h"
#include "platform/database_file.h"
#include "platform/file.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using core::Error;

constexpr char kNotRestored[] =
    "Die Sicherung wurde nicht zurückgeholt; Numbers.mdb ist unverändert.";

std::string Utf8(const fs::path& path) { return core::PathToUtf8(path); }
std::string Name(const fs::path& path) { return Utf8(path.filename()); }

// The backup to restore, and when it was last written (for a file whose
// name carries no date; the newest dated backup always does).
struct Chosen {
  fs::path path;
  std::time_t modified = 0;
};

Chosen ChosenBackup(const fs::path& database, const std::string& named) {
  if (named.empty()) {
    const std::vector<platform::Backup> backups = platform::ListBackups(database);
    if (backups.empty())
      throw Error("Neben " + Utf8(database) + " liegt keine Sicherung (" +
                      Name(database) + ".JJJJ-MM-TT_hh-mm-ss.bak)",
                  Error::Kind::kNotFound);
    return {backups.back().path};
  }
  fs::path path = core::PathFromUtf8(named);
  if (!path.has_parent_path()) path = database.parent_path() / path;
  const std::optional<platform::NameStatus> status = platform::StatusOfName(path);
  if (!status)
    throw Error("Die Sicherung " + Utf8(path) + " gibt es nicht", Error::Kind::kNotFound);
  // A link is refused with folders and devices: the file it names could be
  // Numbers.mdb itself.
  if (!status->regular)
    throw Error("Die Sicherung " + Utf8(path) + " ist keine gewöhnliche Datei",
                Error::Kind::kBadInput);
  const platform::FileIdentity current = platform::CurrentIdentity(database);
  if (current.volume == status->identity.volume && current.file == status->identity.file)
    throw Error(Utf8(path) + " ist die Datenbank " + Name(database) + " selbst",
                Error::Kind::kBadInput);
  return {path, status->modified};
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

// The copy holds what the backup holds, which opened as a database: read
// back from the disk, so that a copy the disk did not keep is not put in
// place. Read failures name the copy as the new version of Numbers.mdb.
void CheckSameBytes(const fs::path& copy, const fs::path& backup) {
  const platform::File written = platform::File::OpenForReading(copy);
  const platform::File source = platform::File::OpenForReading(backup);
  constexpr size_t kPiece = 1 << 20;
  std::vector<uint8_t> copied(kPiece), held(kPiece);
  for (uint64_t offset = 0;; offset += kPiece) {
    const size_t length = written.ReadAt(offset, copied);
    const size_t expected = source.ReadAt(offset, held);
    const size_t same = static_cast<size_t>(
        std::mismatch(copied.begin(), copied.begin() + std::min(length, expected),
                      held.begin())
            .first -
        copied.begin());
    if (same < length || length != expected)
      throw Error("Die Kopie von " + Name(backup) + " enthält ab Byte " +
                      std::to_string(offset + same) + " nicht, was die Sicherung enthält",
                  Error::Kind::kIo);
    if (length < kPiece) return;
  }
}

// What `backup` holds, for the message: the state replaced at the moment
// in its name, or else the file as last changed.
std::string StateOf(const fs::path& database, const Chosen& backup) {
  if (const auto dated = platform::ParseBackupName(Name(backup.path), Name(database))) {
    const std::string shown = platform::ShownStamp(dated->stamp);
    return "der Stand, der am " + shown.substr(0, 10) + " um " + shown.substr(11) +
           " ersetzt wurde";
  }
  const std::string shown = platform::ShownStamp(platform::BackupStamp(backup.modified));
  return "der Stand von " + Name(backup.path) + " (zuletzt geändert am " +
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
    const Chosen chosen = ChosenBackup(database, named);
    const fs::path& backup = chosen.path;
    const std::string state = StateOf(database, chosen);
    platform::DatabaseFile file = platform::DatabaseFile::Open(database);
    const bool jet = db::IsJetFile(Utf8(database));
    CheckDatabase(backup, jet, Name(backup));
    const fs::path kept = file.ReplaceWithCopyOf(
        backup, [&](const fs::path& copy) { CheckSameBytes(copy, backup); },
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
