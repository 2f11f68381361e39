#ifndef PREISLISTE_DB_JET_EMITTER_H_
#define PREISLISTE_DB_JET_EMITTER_H_

#include "db/jet/ast.h"
#include "db/jet/translate.h"

namespace db::jet {

// Writes the SQLite statements that give a parsed Jet statement its Jet
// meaning: text compared without regard to case (collation JETNOCASE), Jet's
// LIKE, "&", IsNumeric and MID, currency rounding on every write into a
// CURRENCY column, VARCHAR(n) limits, SELECT ... INTO as CREATE TABLE plus
// INSERT. Literals become ? parameters. Throws db::Error for what SQLite
// could not be told (a SELECT * INTO from a missing table, column counts that
// do not fit, an invalid LIKE pattern).
Translation EmitSqlite(const ast::Statement& statement, const Schema& schema,
                       const TranslateOptions& options);

}  // namespace db::jet

#endif  // PREISLISTE_DB_JET_EMITTER_H_
