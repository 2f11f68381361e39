#ifndef PREISLISTE_APP_SETTINGS_STORE_H_
#define PREISLISTE_APP_SETTINGS_STORE_H_

#include <string>
#include <string_view>

namespace app {

// Where the program's settings come from. The run reads four keys of one
// section, once, before anything is opened.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored value of key in section, or default_value when the key is not
  // stored. Throws std::runtime_error with a readable (German) description
  // when the store exists but cannot be read.
  virtual std::string Get(std::string_view section, std::string_view key,
                          std::string_view default_value) const = 0;
};

}  // namespace app

#endif  // PREISLISTE_APP_SETTINGS_STORE_H_
