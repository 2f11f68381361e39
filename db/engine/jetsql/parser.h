#ifndef PREISLISTE_DB_ENGINE_JETSQL_PARSER_H_
#define PREISLISTE_DB_ENGINE_JETSQL_PARSER_H_

#include <string>
#include <string_view>

#include "db/engine/jetsql/ast.h"

namespace db::engine::jetsql {

// Parses one statement of the Jet SQL subset the program speaks (SELECT with
// INTO, one INNER JOIN, WHERE, GROUP BY, ORDER BY; INSERT INTO ... SELECT or
// VALUES; UPDATE with an optional INNER JOIN; DELETE; CREATE TABLE;
// CREATE [UNIQUE] INDEX; DROP TABLE; DROP INDEX), optionally closed by a
// semicolon. With `allow_table_name` a lone table name is a statement too.
// Throws core::Error with a description for anything else.
ast::Statement ParseStatement(std::string_view sql, bool allow_table_name);

// The value of a number token: an integer when it has neither "." nor an
// exponent and fits in 64 bits, a double otherwise. Throws core::Error
// for text that is no number.
Value NumberLiteral(const std::string& text);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_PARSER_H_
