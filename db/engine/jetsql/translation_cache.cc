#include "db/engine/jetsql/translation_cache.h"

#include <cstdint>
#include <vector>

#include "db/engine/core_types.h"
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

bool IsSymbol(const Token& token, std::string_view symbol) {
  return token.kind == Token::Kind::kSymbol && token.text == symbol;
}

// How the literal at tokens[i] is part of the shape.
enum class LiteralRole {
  kNone,     // no literal, or one kept verbatim
  kPattern,  // a LIKE pattern, perhaps in parentheses or after a plus
  kText,
  kNumber,
};

LiteralRole RoleOf(const std::vector<Token>& tokens, size_t i) {
  const Token& token = tokens[i];
  const bool after_sign =
      i > 0 && (IsSymbol(tokens[i - 1], "-") || IsSymbol(tokens[i - 1], "+"));
  if (token.kind == Token::Kind::kNumber) {
    // The parser folds a sign into the number; such a number stays verbatim.
    return after_sign ? LiteralRole::kNone : LiteralRole::kNumber;
  }
  if (token.kind != Token::Kind::kString) return LiteralRole::kNone;
  size_t j = i;
  while (j > 0 && (IsSymbol(tokens[j - 1], "(") || IsSymbol(tokens[j - 1], "+"))) --j;
  const bool after_like = j > 0 && tokens[j - 1].kind == Token::Kind::kName &&
                          EqualIgnoringAsciiCase(tokens[j - 1].text, "LIKE");
  return after_like ? LiteralRole::kPattern : LiteralRole::kText;
}

void AppendVerbatim(const Token& token, std::string* key) {
  *key += static_cast<char>('a' + static_cast<int>(token.kind));
  // The length first: a bracketed name may hold any other character.
  const auto length = static_cast<uint32_t>(token.text.size());
  key->append(reinterpret_cast<const char*>(&length), sizeof length);
  *key += token.text;
}

// Throws for a literal the translator might refuse; the caller then leaves
// the statement to the translator.
Shape ShapeOf(const std::vector<Token>& tokens, const TranslateOptions& options) {
  Shape shape;
  shape.key += options.with_rowid ? 'R' : '-';
  shape.key += options.table_name_is_query ? 'T' : '-';
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    switch (RoleOf(tokens, i)) {
      case LiteralRole::kPattern: {
        // The wildcards of a pattern choose the test: an equality with the
        // escapes resolved, or jet_like with the pattern as written.
        std::optional<std::string> literal = LikePattern::LiteralTextOf(token.text);
        shape.key += literal ? "=?" : "~?";
        shape.literals.push_back(Value::Text(literal ? *std::move(literal) : token.text));
        break;
      }
      case LiteralRole::kText:
        shape.key += "'?";
        shape.literals.push_back(Value::Text(token.text));
        break;
      case LiteralRole::kNumber: {
        // The type of a column made from a literal depends on the number's.
        Value value = NumberLiteral(token.text);
        shape.key += value.type() == Value::Type::kInteger ? "#?" : ".?";
        shape.literals.push_back(std::move(value));
        break;
      }
      case LiteralRole::kNone:
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
// class. The first probe adds an escaped character to each text, the second
// writes each text that is no pattern as a plain word: a text taken here for
// no pattern that is one after all then translates apart from its shape,
// whether or not it holds wildcards.
enum class Probe { kEscapedEnds, kPlainTexts };

std::string ProbeText(const std::vector<Token>& tokens, const Shape& shape, Probe probe) {
  std::string text;
  size_t literal = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    std::string written = token.text;
    const LiteralRole role = RoleOf(tokens, i);
    if (role != LiteralRole::kNone) {
      const Value& value = shape.literals[literal++];
      if (role == LiteralRole::kText && probe == Probe::kPlainTexts) {
        written.assign(1, 'q');
      } else if (token.kind == Token::Kind::kString) {
        written += "[q]";
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
// here and in two probes with every literal changed, which must translate to
// the same SQL with their own literals. This cannot prove that no other value
// would shape the SQL; it turns away the ways known to do so.
bool IsFunctionOfLiterals(const Translation& translation,
                          const std::vector<Token>& tokens, const Shape& shape,
                          const Schema& schema, const TranslateOptions& options) {
  if (translation.changes_schema || Params(translation) != shape.literals) return false;
  for (const Probe probe : {Probe::kEscapedEnds, Probe::kPlainTexts}) {
    try {
      const std::string probe_text = ProbeText(tokens, shape, probe);
      const Shape probed_shape = ShapeOf(Tokenize(probe_text), options);
      if (probed_shape.key != shape.key) return false;
      const Translation probed = jetsql::Translate(probe_text, schema, options);
      if (!SameExceptParams(probed, translation) ||
          Params(probed) != probed_shape.literals)
        return false;
    } catch (const Error&) {
      return false;
    }
  }
  return true;
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
