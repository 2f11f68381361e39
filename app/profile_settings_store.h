#ifndef PREISLISTE_APP_PROFILE_SETTINGS_STORE_H_
#define PREISLISTE_APP_PROFILE_SETTINGS_STORE_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "app/settings_store.h"

namespace app {

// Settings kept in an INI file, read with Windows' own INI functions
// (GetPrivateProfileStringW), the way Windows programs of the billing
// product's kind keep theirs. Section and key names are matched without
// regard to letter case, values are taken as written apart from surrounding
// blanks ("0,1" stays one value), the first of two equal keys counts. The
// file is read in the system's ANSI code page unless it starts with a
// UTF-16 byte order mark; values come back as UTF-8.
//
// A missing file stores no key. Unlike the Linux reader, Windows skips lines
// it cannot read without saying so; a value the run cannot use is still
// reported by the run.
class ProfileSettingsStore : public SettingsStore {
 public:
  explicit ProfileSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

  std::string Get(std::string_view section, std::string_view key,
                  std::string_view default_value) const override;

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

}  // namespace app

#endif  // PREISLISTE_APP_PROFILE_SETTINGS_STORE_H_
