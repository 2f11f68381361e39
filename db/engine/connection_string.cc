#include "db/engine/connection_string.h"

#include "db/engine/core_types.h"

namespace db::engine {
namespace {

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

bool SameKey(std::string_view a, std::string_view b) {
  return EqualIgnoringAsciiCase(a, b);
}

}  // namespace

ConnectionSettings ParseConnectionString(std::string_view text) {
  ConnectionSettings settings;
  while (!text.empty()) {
    const size_t end = text.find(';');
    const std::string_view piece = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t equals = piece.find('=');
    if (equals == std::string_view::npos) {
      if (!Trim(piece).empty())
        throw Error("Connection string: '" + std::string(piece) + "' is not key=value",
                    Error::Kind::kBadInput);
      continue;
    }
    const std::string_view key = Trim(piece.substr(0, equals));
    const std::string value(Unquote(Trim(piece.substr(equals + 1))));
    if (SameKey(key, "Provider")) {
      settings.provider = value;
    } else if (SameKey(key, "Data Source")) {
      settings.data_source = value;
    } else if (SameKey(key, "Jet OLEDB:Database Password")) {
      settings.database_password = value;
    }
  }
  if (!SameKey(settings.provider, kJetProvider))
    throw Error("Provider '" + settings.provider +
                    "' is not supported; the price database " + "needs " +
                    std::string(kJetProvider),
                Error::Kind::kBadInput);
  if (settings.data_source.empty())
    throw Error("The connection string names no Data Source", Error::Kind::kBadInput);
  return settings;
}

}  // namespace db::engine
