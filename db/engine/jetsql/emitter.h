#ifndef PREISLISTE_DB_ENGINE_JETSQL_EMITTER_H_
#define PREISLISTE_DB_ENGINE_JETSQL_EMITTER_H_

#include "db/engine/jetsql/ast.h"
#include "db/engine/jetsql/translate.h"

namespace db::engine::jetsql {

// Writes the SQLite statements that give a parsed Jet statement its Jet
// meaning: text compared without regard to case (collation JETNOCASE), Jet's
// LIKE, "&", IsNumeric and MID, currency rounding on every write into a
// CURRENCY column, VARCHAR(n) limits, SELECT ... INTO as CREATE TABLE plus
// INSERT. Literals become ? parameters. Throws core::Error for what SQLite
// could not be told (a SELECT * INTO from a missing table, column counts that
// do not fit, an invalid LIKE pattern).
Translation EmitSqlite(const ast::Statement& statement, const Schema& schema,
                       const TranslateOptions& options);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_EMITTER_H_
