#include "db/jet/translate.h"

#include "db/jet/emitter.h"
#include "db/jet/parser.h"

namespace db::jet {

Translation Translate(std::string_view jet_sql, const Schema& schema,
                      const TranslateOptions& options) {
  return EmitSqlite(ParseStatement(jet_sql, options.table_name_is_query), schema,
                    options);
}

}  // namespace db::jet
