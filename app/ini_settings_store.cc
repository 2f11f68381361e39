#include "app/ini_settings_store.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <vector>

#include "core/ascii.h"
#include "core/error.h"
#include "core/utf8.h"
#include "import/line_decoder.h"
#include "platform/file.h"

namespace app {
namespace {

using Values = std::map<std::string, std::string>;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char kBlanks[] = " \t";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }

std::string MapKey(std::string_view section, std::string_view key) {
  return core::ToAsciiLower(section) + '\n' + core::ToAsciiLower(key);
}

std::string_view Trimmed(std::string_view text) {
  const size_t start = text.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

class Parser {
 public:
  explicit Parser(const std::filesystem::path& file) : file_(core::PathToUtf8(file)) {}

  core::Error Refused(const std::string& why) const {
    return core::Error("Die Einstellungsdatei \"" + file_ + "\" " + why,
                       core::Error::Kind::kBadInput);
  }

  // The file's bytes as UTF-8, by the encoding rules of the header.
  std::string Decode(std::string bytes) const {
    if (bytes.starts_with(kUtf8Mark)) return bytes.substr(kUtf8Mark.size());
    if (bytes.starts_with(kUtf16BeMark))
      throw Refused(
          "ist in UTF-16 Big Endian gespeichert. Bitte als UTF-8 oder ANSI speichern.");
    if (bytes.starts_with(kUtf16LeMark)) {
      if (bytes.size() % 2 != 0)
        throw Refused("ist als UTF-16 gespeichert, endet aber mitten in einem Zeichen.");
      std::u16string units;
      for (size_t i = kUtf16LeMark.size(); i < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                       static_cast<uint8_t>(bytes[i + 1]) << 8);
      return core::Utf16ToUtf8(units);
    }
    // Valid UTF-8 stays; anything else is read as Windows-1252, as price files are.
    price_import::LineDecoder().ToUtf8(bytes);
    return bytes;
  }

  Values Parse(std::string_view text) {
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (line.ends_with('\r')) line.remove_suffix(1);
      ++number_;
      ReadLine(line);
      start = end + 1;
    }
    return std::move(values_);
  }

 private:
  // Names the line by its number and its text, control characters shown as "?".
  core::Error LineRefused(std::string_view line, const std::string& why) const {
    std::string text = core::ShortenedText(Trimmed(line), 80);
    for (char& c : text)
      if (IsControl(c)) c = '?';
    return Refused("ist in Zeile " + std::to_string(number_) + " fehlerhaft: \"" + text +
                   "\" " + why);
  }

  void ReadLine(std::string_view line) {
    if (std::any_of(line.begin(), line.end(), IsControl))
      throw LineRefused(line, "enthält ein Steuerzeichen.");
    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == ';' || content.front() == '#') return;
    if (content.front() == '[') return ReadSection(line, content);
    const size_t equals = content.find('=');
    const std::string_view key = Trimmed(content.substr(0, equals));
    if (equals == std::string_view::npos || key.empty())
      throw LineRefused(line,
                        "ist weder ein Abschnitt ([Name]) noch eine Einstellung "
                        "(Name=Wert) noch ein Kommentar (; Text).");
    if (!section_)
      throw LineRefused(line,
                        "steht vor dem ersten Abschnitt. Bitte den Abschnitt "
                        "darüber angeben, z. B. [Options].");
    Store(key, Value(line, content.substr(equals + 1)));
  }

  // "[Name]", perhaps followed by a comment.
  void ReadSection(std::string_view line, std::string_view content) {
    const size_t close = content.find(']');
    const std::string_view after =
        close == std::string_view::npos ? "" : Trimmed(content.substr(close + 1));
    const std::string_view name =
        close == std::string_view::npos ? "" : Trimmed(content.substr(1, close - 1));
    if (name.empty() || !(after.empty() || after.front() == ';'))
      throw LineRefused(line, "ist kein Abschnittsname der Form [Name].");
    section_ = std::string(name);
  }

  std::string Value(std::string_view line, std::string_view raw) const {
    const std::string_view value = Trimmed(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      return std::string(value.substr(1, value.size() - 2));
    for (size_t at = raw.find(';'); at != std::string_view::npos;
         at = raw.find(';', at + 1))
      if (at > 0 && (raw[at - 1] == ' ' || raw[at - 1] == '\t'))
        throw LineRefused(
            line,
            "hat einen Kommentar hinter dem Wert. Bitte den Kommentar in eine "
            "eigene Zeile schreiben oder, wenn das \";\" zum Wert gehört, den Wert "
            "in Anführungszeichen setzen.");
    return std::string(value);
  }

  void Store(std::string_view key, std::string value) {
    const std::string map_key = MapKey(*section_, key);
    const auto [at, added] = lines_.emplace(map_key, number_);
    if (!added)
      throw Refused("enthält \"" + std::string(key) + "\" im Abschnitt [" + *section_ +
                    "] zweimal (Zeilen " + std::to_string(at->second) + " und " +
                    std::to_string(number_) + "). Bitte eine der Zeilen löschen.");
    values_.emplace(map_key, std::move(value));
  }

  std::string file_;
  int number_ = 0;
  std::optional<std::string> section_;
  Values values_;
  std::map<std::string, int> lines_;  // where each key was set
};

std::string ReadBytes(const std::filesystem::path& path, const Parser& parser) {
  const platform::File file = platform::File::OpenForReading(path);
  if (!file.IsRegularFile()) throw parser.Refused("ist keine Datei.");
  std::string bytes(file.Size(), '\0');
  file.ReadExactly(0, std::span(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()));
  return bytes;
}

}  // namespace

std::string IniSettingsStore::Get(std::string_view section, std::string_view key,
                                  std::string_view default_value) const {
  if (!values_) Load();
  const auto found = values_->find(MapKey(section, key));
  return found == values_->end() ? std::string(default_value) : found->second;
}

void IniSettingsStore::Load() const {
  std::error_code ignored;
  if (!std::filesystem::exists(file_, ignored)) {
    values_.emplace();
    return;
  }
  Parser parser(file_);
  values_ = parser.Parse(parser.Decode(ReadBytes(file_, parser)));
}

}  // namespace app
