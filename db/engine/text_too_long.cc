#include "db/engine/text_too_long.h"

#include <string_view>
#include <utility>

#include "core/utf8.h"

namespace db::engine {
namespace {

// A value is shown whole up to this many characters; a longer one is cut
// and marked, so that a runaway line of the price file does not flood the
// message box.
constexpr size_t kShownCharacters = 60;

std::string Describe(std::string_view column, size_t limit, std::string_view value) {
  return std::string(column) + ": Text länger als " + std::to_string(limit) +
         " Zeichen: " + core::ShortenedText(value, kShownCharacters);
}

}  // namespace

TextTooLong::TextTooLong(std::string column, size_t limit, std::string value)
    : Error(Describe(column, limit, value), Kind::kConstraint),
      column_(std::move(column)),
      limit_(limit),
      value_(std::move(value)) {}

}  // namespace db::engine
