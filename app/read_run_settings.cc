#include "app/read_run_settings.h"

#include <exception>

namespace app {
namespace {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

constexpr char kNotStored[] = "#";

std::string NotANumberMessage(const char* key, const std::string& value) {
  return std::string("Die Einstellung \"") + key + "\" im Abschnitt [" + kOptionsSection +
         "] ist keine Zahl: \"" + value + "\"";
}

std::string MissingVatMessage() {
  return std::string("Die Einstellung \"") + kVatKey + "\" im Abschnitt [" +
         kOptionsSection +
         "] fehlt. Bitte den Mehrwertsteuersatz in Prozent eintragen, z. B. " + kVatKey +
         "=19.";
}

// Reads settings in the order the run needs them; the first failure wins.
class Reader {
 public:
  Reader(const SettingsStore& store, const NumberFormat& numbers)
      : store_(store), numbers_(numbers) {}

  RunSettingsOrMessage Read() {
    run::RunSettings settings;
    const std::optional<double> margin = Number(kMarginKey, "60");
    if (!margin) return Stop();
    settings.margin_percent = *margin;

    const std::optional<double> minimum = Number(kMinimumRateKey, OneTenthText(numbers_));
    if (!minimum) return Stop();
    const std::optional<core::Currency> minimum_rate =
        core::Currency::FromDouble(*minimum);
    if (!minimum_rate) return Stop(NotANumberMessage(kMinimumRateKey, last_value_));
    settings.minimum_rate = *minimum_rate;

    const std::optional<double> vat = Number(kVatKey, "");
    if (!vat) return Stop();
    settings.vat_fraction = *vat / 100;

    const std::string db_path = store_.Get(kOptionsSection, kDatabasePathKey, kNotStored);
    if (db_path == kNotStored) return Stop(kNoDatabasePathMessage);
    settings.database_folder = DatabaseFolder(db_path);
    return {settings, {}};
  }

 private:
  // The setting as a number; on failure the message is kept for Stop().
  std::optional<double> Number(const char* key, const std::string& default_value) {
    last_value_ = store_.Get(kOptionsSection, key, default_value);
    const std::optional<double> value = ReadSettingNumber(last_value_, numbers_);
    if (!value)
      message_ = (key == std::string(kVatKey) &&
                  last_value_.find_first_not_of(" \t") == std::string::npos)
                     ? MissingVatMessage()
                     : NotANumberMessage(key, last_value_);
    return value;
  }

  RunSettingsOrMessage Stop() { return {std::nullopt, message_}; }
  RunSettingsOrMessage Stop(std::string message) {
    return {std::nullopt, std::move(message)};
  }

  const SettingsStore& store_;
  const NumberFormat& numbers_;
  std::string last_value_;
  std::string message_;
};

}  // namespace

RunSettingsOrMessage ReadRunSettings(const SettingsStore& store,
                                     const NumberFormat& numbers) {
  try {
    return Reader(store, numbers).Read();
  } catch (const std::exception& error) {
    return {std::nullopt, error.what()};
  }
}

std::string DatabaseFolder(const std::string& db_path) {
  // Windows takes "/" as a separator too: "C:/Daten/" needs no other.
  if (!db_path.empty() && (db_path.back() == kPathSeparator || db_path.back() == '/'))
    return db_path;
  return db_path + kPathSeparator;
}

}  // namespace app
