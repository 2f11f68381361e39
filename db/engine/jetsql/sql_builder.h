#ifndef PREISLISTE_DB_ENGINE_JETSQL_SQL_BUILDER_H_
#define PREISLISTE_DB_ENGINE_JETSQL_SQL_BUILDER_H_

#include <string>
#include <string_view>

#include "db/engine/jetsql/ast.h"
#include "db/engine/jetsql/translate.h"

namespace db::engine::jetsql {

// The collation of every text comparison, registered by RegisterSqliteFunctions.
inline constexpr std::string_view kCollate = " COLLATE JETNOCASE";

// Builds the text and the parameters of one SQLite statement. Expressions
// are written fully parenthesised, because SQLite's operator precedence is not
// Jet's (|| binds tightest in SQLite, & loosest of the arithmetic in Jet).
class SqlBuilder {
 public:
  SqlBuilder() { statement_.sql.reserve(512); }
  SqlBuilder& Append(std::string_view text) {
    statement_.sql += text;
    return *this;
  }
  // A name in backquotes, embedded backquotes doubled. Not double quotes:
  // SQLite reads a double-quoted name that matches no column as a text.
  SqlBuilder& Name(std::string_view name);
  SqlBuilder& Param(Value value);

  void Expression(const ast::Expr& expr);
  // The expression followed by COLLATE JETNOCASE (parenthesised forms only,
  // so the collation applies to the whole operand).
  void Collated(const ast::Expr& expr);

  // The select items as written; an unnamed expression is named Expr1000
  // plus its position, as Jet names it.
  void SelectItems(const ast::Select& select);
  // FROM, JOIN, WHERE, GROUP BY and ORDER BY of a SELECT.
  void SelectTail(const ast::Select& select);
  void WholeSelect(const ast::Select& select);

  SqliteStatement Finish() { return std::move(statement_); }

 private:
  void Binary(const ast::Expr& expr);
  void BinaryTerms(const ast::Expr& expr);
  void Like(const ast::Expr& expr);
  void Function(const ast::Expr& expr);
  void InTest(const ast::Expr& expr);

  SqliteStatement statement_;
};

// The name Jet gives the unnamed result column at `position` (0-based).
std::string GeneratedColumnName(size_t position);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_SQL_BUILDER_H_
