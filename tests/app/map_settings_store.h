#ifndef PREISLISTE_TESTS_APP_MAP_SETTINGS_STORE_H_
#define PREISLISTE_TESTS_APP_MAP_SETTINGS_STORE_H_

#include <map>
#include <string>

#include "app/settings_store.h"

namespace testing_support {

// Settings held in memory, those of section "Options" under their key, the
// others as "Section/Key"; a key not in the map is not stored. Counts the reads so tests
// can tell whether the settings were read.
class MapSettingsStore : public app::SettingsStore {
 public:
  explicit MapSettingsStore(std::map<std::string, std::string> options)
      : options_(std::move(options)) {}

  std::string Get(std::string_view section, std::string_view key,
                  std::string_view default_value) const override {
    ++reads;
    // Keys of other sections are stored as "Section/Key".
    const std::string name = section == "Options"
                                 ? std::string(key)
                                 : std::string(section) + "/" + std::string(key);
    const auto found = options_.find(name);
    return found == options_.end() ? std::string(default_value) : found->second;
  }

  mutable int reads = 0;

 private:
  std::map<std::string, std::string> options_;
};

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_MAP_SETTINGS_STORE_H_
