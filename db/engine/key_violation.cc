#include "db/engine/key_violation.h"

#include <utility>

namespace db::engine {
namespace {

std::string Describe(const std::string& table, const std::string& key,
                     const std::vector<std::string>& columns, const std::string& reason) {
  std::string names;
  for (const std::string& column : columns) names += (names.empty() ? "" : ", ") + column;
  std::string text = "Tabelle " + table + ", Schlüssel ";
  text += key.empty() ? names : key + " (" + names + ")";
  text += ": ein Wert käme zweimal vor";
  if (!reason.empty()) text += " (" + reason + ")";
  return text;
}

}  // namespace

KeyViolation::KeyViolation(std::string table, std::string key,
                           std::vector<std::string> columns, const std::string& reason)
    : Error(Describe(table, key, columns, reason), Kind::kConstraint),
      table_(std::move(table)),
      key_(std::move(key)),
      columns_(std::move(columns)) {}

}  // namespace db::engine
