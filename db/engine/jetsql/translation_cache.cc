#include "db/engine/jetsql/translation_cache.h"

#include <cstdint>
#include <vector>

#include "db/engine/ascii.h"
#include "db/engine/error.h"
#include "db/engine/jetsql/like_pattern.h"
#include "db/engine/jetsql/parser.h"
#include "db/engine/jetsql/token.h"

namespace db::engine::jetsql {
namespace {

// Shapes are few (one per statement the program builds); the bound only
// keeps a caller that builds statements without end from growing it.
constexpr size_t kMaxShapes = 256;

// A statement's tokens with each literal replaced by the class of its value,
// and the literals' values in the order of the text. Two statements of one
// shape differ only in the values of their literals.
struct Shape {
  std::string key;
  std::vector<Value> literals;
};

bool IsLike(const Token& token) {
  return token.kind == Token::Kind::kName && EqualIgnoringAsciiCase(token.text, "LIKE");
}

bool IsSign(const Token& token) {
  return token.kind == Token::Kind::kSymbol && (token.text == "-" || token.text == "+");
}

void AppendVerbatim(const Token& token, std::string* key) {
  *key += static_cast<char>('a' + static_cast<int>(token.kind));
  // The length first: a bracketed name may hold any other character.
  const auto length = static_cast<uint32_t>(token.text.size());
  key->append(reinterpret_cast<const char*>(&length), sizeof length);
  *key += token.text;
}

// The value a LIKE pattern gives its test, and whether it has wildcards.
// Most patterns are names without any of the pattern's special characters.
Value LikeLiteral(const std::string& pattern, bool* has_wildcard) {
  if (pattern.find_first_of("%_[") == std::string::npos) {
    *has_wildcard = false;
    return Value::Text(pattern);
  }
  const LikePattern compiled(pattern);
  const auto& literal = compiled.literal_text();
  *has_wildcard = !literal;
  return Value::Text(literal ? *literal : pattern);
}

// Throws for a literal the translator might refuse; the caller then leaves
// the statement to the translator.
Shape ShapeOf(const std::vector<Token>& tokens, const TranslateOptions& options) {
  Shape shape;
  shape.key += options.with_rowid ? 'R' : '-';
  shape.key += options.table_name_is_query ? 'T' : '-';
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const bool after_like = i > 0 && IsLike(tokens[i - 1]);
    const bool after_sign = i > 0 && IsSign(tokens[i - 1]);
    if (token.kind == Token::Kind::kString && after_like) {
      // The wildcards of a pattern choose the test: an equality with the
      // escapes resolved, or jet_like with the pattern as written.
      bool has_wildcard = false;
      shape.literals.push_back(LikeLiteral(token.text, &has_wildcard));
      shape.key += has_wildcard ? "~?" : "=?";
    } else if (token.kind == Token::Kind::kString) {
      shape.key += "'?";
      shape.literals.push_back(Value::Text(token.text));
    } else if (token.kind == Token::Kind::kNumber && !after_sign) {
      // The type of a column made from a literal depends on the number's
      // type. A signed number becomes one literal, so it stays verbatim.
      Value value = NumberLiteral(token.text);
      shape.key += value.type() == Value::Type::kInteger ? "#?" : ".?";
      shape.literals.push_back(std::move(value));
    } else {
      AppendVerbatim(token, &shape.key);
    }
    shape.key += ' ';
  }
  return shape;
}

std::string Quoted(std::string_view text, char open, char close) {
  std::string quoted(1, open);
  for (const char c : text) {
    quoted += c;
    if (c == close && close == '\'') quoted += c;
  }
  return quoted + close;
}

// The statement again, with every literal changed to another value of its
// class.
std::string ProbeText(const std::vector<Token>& tokens, const Shape& shape) {
  std::string text;
  size_t literal = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const bool abstracted =
        token.kind == Token::Kind::kString ||
        (token.kind == Token::Kind::kNumber && !(i > 0 && IsSign(tokens[i - 1])));
    std::string written = token.text;
    if (abstracted) {
      const Value& value = shape.literals[literal++];
      if (token.kind == Token::Kind::kString) {
        // After LIKE an escaped character, so that a pattern and a text that
        // merely follows LIKE (LIKE 'a' & x) translate apart.
        written += i > 0 && IsLike(tokens[i - 1]) ? "[q]" : "q";
      } else if (value.type() == Value::Type::kInteger) {
        const int64_t n = value.integer();
        written = std::to_string(n < INT64_MAX - 7919 ? n + 7919 : n - 7919);
      } else {
        written = std::to_string(value.real() * 2 + 0.375);
      }
    }
    switch (token.kind) {
      case Token::Kind::kString:
        text += Quoted(written, '\'', '\'');
        break;
      case Token::Kind::kQuotedName:
        text += Quoted(written, '[', ']');
        break;
      case Token::Kind::kEnd:
        break;
      default:
        text += written;
    }
    text += ' ';
  }
  return text;
}

std::vector<Value> Params(const Translation& translation) {
  std::vector<Value> params;
  for (const SqliteStatement& statement : translation.statements)
    params.insert(params.end(), statement.params.begin(), statement.params.end());
  return params;
}

bool SameExceptParams(const Translation& a, const Translation& b) {
  if (a.returns_rows != b.returns_rows || a.base_table != b.base_table ||
      a.changes_schema != b.changes_schema || a.statements.size() != b.statements.size())
    return false;
  for (size_t i = 0; i < a.statements.size(); ++i)
    if (a.statements[i].sql != b.statements[i].sql) return false;
  return true;
}

// Whether the translation's parameters are exactly its literals, in order,
// and stay so for other values: the same statement with every literal
// changed must translate to the same SQL with the changed literals.
bool IsFunctionOfLiterals(const Translation& translation,
                          const std::vector<Token>& tokens, const Shape& shape,
                          const Schema& schema, const TranslateOptions& options) {
  if (translation.changes_schema || Params(translation) != shape.literals) return false;
  try {
    const std::string probe_text = ProbeText(tokens, shape);
    const Shape probe = ShapeOf(Tokenize(probe_text), options);
    if (probe.key != shape.key) return false;
    const Translation probed = jetsql::Translate(probe_text, schema, options);
    return SameExceptParams(probed, translation) && Params(probed) == probe.literals;
  } catch (const Error&) {
    return false;
  }
}

void Substitute(const std::vector<Value>& literals, Translation* translation) {
  size_t next = 0;
  for (SqliteStatement& statement : translation->statements)
    for (Value& param : statement.params) param = literals[next++];
}

}  // namespace

Translation TranslationCache::Translate(std::string_view jet_sql, const Schema& schema,
                                        const TranslateOptions& options) {
  std::vector<Token> tokens;
  Shape shape;
  try {
    tokens = Tokenize(jet_sql);
    shape = ShapeOf(tokens, options);
  } catch (const Error&) {
    return jetsql::Translate(jet_sql, schema, options);  // refuses it as it should
  }
  const auto found = shapes_.find(shape.key);
  if (found == shapes_.end()) {
    Translation translation = jetsql::Translate(jet_sql, schema, options);
    if (shapes_.size() >= kMaxShapes) shapes_.clear();
    Model model;
    if (IsFunctionOfLiterals(translation, tokens, shape, schema, options))
      model = translation;
    shapes_.emplace(std::move(shape.key), std::move(model));
    return translation;
  }
  if (!found->second) return jetsql::Translate(jet_sql, schema, options);
  Translation translation = *found->second;
  Substitute(shape.literals, &translation);
  return translation;
}

}  // namespace db::engine::jetsql
