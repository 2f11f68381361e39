#ifndef PREISLISTE_DB_ENGINE_JETSQL_TRANSLATION_CACHE_H_
#define PREISLISTE_DB_ENGINE_JETSQL_TRANSLATION_CACHE_H_

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "db/engine/jetsql/translate.h"

namespace db::engine::jetsql {

// Translates like Translate, reusing the translation of an earlier statement
// that differs only in its literals. The record loops send tens of thousands
// of lookups that differ only in a name or a price; parsing and emitting
// each cost several times what SQLite's prepared-statement cache leaves.
//
// Valid for one schema: Clear() whenever a table is created, dropped or
// altered, or a transaction that may have done so is rolled back.
class TranslationCache {
 public:
  Translation Translate(std::string_view jet_sql, const Schema& schema,
                        const TranslateOptions& options = {});
  void Clear() { shapes_.clear(); }

 private:
  // A reusable translation, or none when the shape's translation did not
  // prove a function of its literals alone: it changes the schema, a
  // parameter is no literal of the text, or a literal's value shaped the SQL
  // (found on the shape's first statement and two probes of it).
  using Model = std::optional<Translation>;

  std::unordered_map<std::string, Model> shapes_;
};

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_TRANSLATION_CACHE_H_
