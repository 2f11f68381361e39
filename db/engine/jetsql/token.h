#ifndef PREISLISTE_DB_ENGINE_JETSQL_TOKEN_H_
#define PREISLISTE_DB_ENGINE_JETSQL_TOKEN_H_

#include <string>
#include <string_view>
#include <vector>

namespace db::engine::jetsql {

struct Token {
  enum class Kind {
    kName,        // plain name or keyword: Ziel, SELECT
    kQuotedName,  // [bracketed name]; never a keyword
    kString,      // 'text', with '' resolved to '
    kNumber,      // 12, 1.904, .1, 1E5 (no sign)
    kSymbol,      // ( ) , . ; * = <> < > <= >= + - / &
    kEnd,
  };
  Kind kind;
  std::string text;  // the name, the string's content, the number or symbol as written
};

// Splits a Jet SQL statement into tokens, ending with one kEnd token. Throws
// core::Error for a character that starts no token, and for a string or a
// bracketed name without its closing character.
std::vector<Token> Tokenize(std::string_view sql);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_TOKEN_H_
