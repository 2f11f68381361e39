#include "db/engine/jetsql/translate.h"

#include "db/engine/jetsql/emitter.h"
#include "db/engine/jetsql/parser.h"

namespace db::engine::jetsql {

Translation Translate(std::string_view jet_sql, const Schema& schema,
                      const TranslateOptions& options) {
  return EmitSqlite(ParseStatement(jet_sql, options.table_name_is_query), schema,
                    options);
}

}  // namespace db::engine::jetsql
