#include "db/engine/text_too_long.h"

#include <string_view>
#include <utility>

namespace db::engine {
namespace {

// A value is shown whole up to this many characters; a longer one is cut
// and marked, so that a runaway line of the price file does not flood the
// message box.
constexpr size_t kShownCharacters = 60;

std::string Shortened(std::string_view utf8) {
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    if (characters++ == kShownCharacters)
      return std::string(utf8.substr(0, i)) + "\xE2\x80\xA6";  // …
  }
  return std::string(utf8);
}

std::string Describe(std::string_view column, size_t limit, std::string_view value) {
  return std::string(column) + ": Text länger als " + std::to_string(limit) +
         " Zeichen: " + Shortened(value);
}

}  // namespace

TextTooLong::TextTooLong(std::string column, size_t limit, std::string value)
    : Error(Describe(column, limit, value)),
      column_(std::move(column)),
      limit_(limit),
      value_(std::move(value)) {}

}  // namespace db::engine
