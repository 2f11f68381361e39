#ifndef PREISLISTE_APP_INI_SETTINGS_STORE_H_
#define PREISLISTE_APP_INI_SETTINGS_STORE_H_

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings_store.h"

namespace app {

// Settings kept in an INI file ("[Options]" / "MwSt=19"), read on the first
// Get and kept for the life of the object. The same rules on every system:
// - Encoding: UTF-16 LE or UTF-8 when the file starts with that byte order
//   mark; else UTF-8 when the bytes are valid UTF-8 (Notepad's default);
//   else Windows-1252 (older editors).
// - Lines end in CR LF or LF. Blank lines and lines starting with ";" or "#"
//   are comments; indentation carries no meaning.
// - "[Name]" starts a section (a ";" comment may follow it); "Key = Value" is
//   a setting. Section and key names are matched without regard to letter
//   case; blanks around names and values are removed, then one pair of
//   enclosing quotes ("..." or '...'); "0,1" stays one value.
// Refused, with a German description that names the file and the line:
// - a line that is none of these, or holds a control character;
// - a setting before the first section;
// - a blank and ";" after an unquoted value ("DB Path=Z:\Kasse ; Kasse"):
//   dropping it as a comment could name another, existing folder, and a
//   ";" may belong to a folder name; quotes keep it as part of the value;
// - the same key twice in one section: which of the two the operator meant
//   cannot be known;
// - a file that starts with a UTF-16 BE byte order mark or whose UTF-16 text
//   is cut in the middle of a character.
//
// A missing file stores no key; one that exists but cannot be read makes Get
// throw the system's reason, naming the file.
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
