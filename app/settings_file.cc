#include "app/settings_file.h"

#include <string>
#include <system_error>

#include "app/ini_settings_store.h"
#include "core/error.h"
#include "core/utf8.h"
#include "platform/settings_location.h"

namespace app {
namespace {

// Settings of a user who has no settings file: the run cannot go on without
// them (MwSt has no default), and the operator needs to know where to put it.
class NoSettingsFile : public SettingsStore {
 public:
  explicit NoSettingsFile(const std::vector<std::filesystem::path>& places) {
    message_ = "Es wurde keine Einstellungsdatei gefunden. Gesucht wurde: ";
    for (size_t i = 0; i < places.size(); ++i)
      message_ += (i == 0                   ? "\""
                   : i + 1 == places.size() ? " und \""
                                            : ", \"") +
                  core::PathToUtf8(places[i]) + "\"";
    message_ += ".";
  }

  std::string Get(std::string_view, std::string_view, std::string_view) const override {
    throw core::Error(message_, core::Error::Kind::kNotFound);
  }

 private:
  std::string message_;
};

}  // namespace

std::vector<std::filesystem::path> SettingsFilePlaces() {
  const std::filesystem::path explicit_file =
      platform::PathFromEnvironment("UPDATE_PREISLISTE_SETTINGS");
  if (!explicit_file.empty()) return {explicit_file};
  return platform::SettingsFileCandidates("update-preisliste.ini");
}

std::unique_ptr<SettingsStore> OpenSettingsFile() {
  const std::vector<std::filesystem::path> places = SettingsFilePlaces();
  for (const auto& place : places) {
    std::error_code ignored;
    if (std::filesystem::exists(place, ignored))
      return std::make_unique<IniSettingsStore>(place);
  }
  return std::make_unique<NoSettingsFile>(places);
}

}  // namespace app
