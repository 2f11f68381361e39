#ifndef PREISLISTE_APP_INI_SETTINGS_STORE_H_
#define PREISLISTE_APP_INI_SETTINGS_STORE_H_

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings_store.h"

namespace app {

// Settings kept in an INI file ("[Options]" / "MwSt=19"), read with inih on
// the first Get and kept for the life of the object. Values are taken verbatim
// apart from surrounding blanks ("0,1" stays one value; quotes stay); section
// and key names are matched without regard to letter case; when a key occurs
// twice the first one counts. Lines may be indented.
//
// A missing file stores no key. A file that exists but cannot be read, or that
// has a line that is neither a section, a key=value pair nor a comment, makes
// Get throw: a silently skipped line would turn a setting into its default.
class IniSettingsStore : public SettingsStore {
 public:
  explicit IniSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

  std::string Get(std::string_view section, std::string_view key,
                  std::string_view default_value) const override;

  const std::filesystem::path& file() const { return file_; }

 private:
  void Load() const;

  std::filesystem::path file_;
  // Lower-case "section\nkey" -> value; empty until the first Get.
  mutable std::optional<std::map<std::string, std::string>> values_;
};

}  // namespace app

#endif  // PREISLISTE_APP_INI_SETTINGS_STORE_H_
