#ifndef PREISLISTE_APP_RESTORE_BACKUP_H_
#define PREISLISTE_APP_RESTORE_BACKUP_H_

#include <string>

#include "app/run_update.h"
#include "app/setting_number.h"
#include "app/settings_store.h"
#include "run/run_view.h"

namespace app {

// --restore: puts a backup back as Numbers.mdb in the folder the settings
// name (DB Path): the newest dated backup when `named` is empty, else the
// file `named` (a bare file name is looked up in the database folder, a path
// is taken as given). The backup must open as a run would open it and be of
// the same kind as Numbers.mdb (Jet or SQLite); Numbers.mdb is replaced as a
// commit replaces it (in-use check, a checked copy renamed over it, the
// folder flushed) and kept as a dated backup itself, so that the restore can
// be undone. Says which backup it restored and of when; on any failure says
// why, with Numbers.mdb as it was. kCommitted on success, kStopped otherwise.
RunResult RestoreBackup(const SettingsStore& store, const NumberFormat& numbers,
                        run::RunView& view, const std::string& named);

}  // namespace app

#endif  // PREISLISTE_APP_RESTORE_BACKUP_H_
