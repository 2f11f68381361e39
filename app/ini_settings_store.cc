#include "app/ini_settings_store.h"

#include <ini.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/ascii.h"
#include "core/error.h"

namespace app {
namespace {

std::string MapKey(std::string_view section, std::string_view key) {
  return core::ToAsciiLower(section) + '\n' + core::ToAsciiLower(key);
}

core::Error BadFile(const std::filesystem::path& file, const std::string& why,
                    core::Error::Kind kind = core::Error::Kind::kBadInput) {
  return core::Error("Die Einstellungsdatei \"" + file.string() + "\" " + why, kind);
}

// inih reads each line into a buffer of INI_MAX_LINE bytes and would cut a
// longer line in two, silently shortening a value such as a long "DB Path";
// such a file is refused instead.
constexpr size_t kLongestLine = INI_MAX_LINE - 2;  // room for the line end and NUL

// inih would take an indented line for the continuation of the previous
// value, which would hide an indented key; indentation carries no meaning here.
std::string WithoutIndentation(std::istream& in, const std::filesystem::path& file) {
  std::string text, line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start != std::string::npos) {
      if (line.size() - start > kLongestLine)
        throw BadFile(file, "hat in Zeile " + std::to_string(number) + " mehr als " +
                                std::to_string(kLongestLine) + " Zeichen.");
      text += line.substr(start);
    }
    text += '\n';
  }
  return text;
}

int StoreFirst(void* user, const char* section, const char* name, const char* value) {
  auto& values = *static_cast<std::map<std::string, std::string>*>(user);
  values.emplace(MapKey(section, name), value);
  return 1;
}

}  // namespace

std::string IniSettingsStore::Get(std::string_view section, std::string_view key,
                                  std::string_view default_value) const {
  if (!values_) Load();
  const auto found = values_->find(MapKey(section, key));
  return found == values_->end() ? std::string(default_value) : found->second;
}

void IniSettingsStore::Load() const {
  std::map<std::string, std::string> values;
  std::error_code ignored;
  if (std::filesystem::exists(file_, ignored)) {
    std::ifstream in(file_, std::ios::binary);
    if (!in) throw BadFile(file_, "konnte nicht gelesen werden.", core::Error::Kind::kIo);
    const int bad_line =
        ini_parse_string(WithoutIndentation(in, file_).c_str(), StoreFirst, &values);
    if (bad_line < 0)
      throw BadFile(file_, "konnte nicht gelesen werden.", core::Error::Kind::kIo);
    if (bad_line > 0)
      throw BadFile(file_, "ist in Zeile " + std::to_string(bad_line) + " fehlerhaft.");
  }
  values_ = std::move(values);
}

}  // namespace app
