#ifndef PREISLISTE_APP_READ_RUN_SETTINGS_H_
#define PREISLISTE_APP_READ_RUN_SETTINGS_H_

#include <optional>
#include <string>

#include "app/setting_number.h"
#include "app/settings_store.h"
#include "run/run_settings.h"

namespace app {

// The section that holds the run's settings, and its keys.
inline constexpr char kOptionsSection[] = "Options";
inline constexpr char kMarginKey[] = "RatingDefaultMargin";
inline constexpr char kMinimumRateKey[] = "MinimumRatePerMinute";
inline constexpr char kVatKey[] = "MwSt";
inline constexpr char kDatabasePathKey[] = "DB Path";

// The message shown when "DB Path" is not stored.
inline constexpr char kNoDatabasePathMessage[] =
    "Es konnte kein Datenbankpfad gefunden werden!";

// Either the settings of a run or the error message that stops it.
struct RunSettingsOrMessage {
  std::optional<run::RunSettings> settings;
  std::string message;
};

// Reads the four settings of section "Options" with their defaults (margin 60,
// minimum rate 0.1, VAT none, DB Path "#" for "not stored"), numbers in the
// given format. Stops with a message naming the key when a number cannot be
// read or "MwSt" is missing, with kNoDatabasePathMessage when "DB Path" is not
// stored, and with the store's description when the store cannot be read.
RunSettingsOrMessage ReadRunSettings(const SettingsStore& store,
                                     const NumberFormat& numbers);

// The database folder for a "DB Path" value: the value with the path
// separator appended unless it already ends in one; "" gives the root "/".
std::string DatabaseFolder(const std::string& db_path);

}  // namespace app

#endif  // PREISLISTE_APP_READ_RUN_SETTINGS_H_
