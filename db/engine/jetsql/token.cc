#include "db/engine/jetsql/token.h"

#include "db/engine/core_types.h"

namespace db::engine::jetsql {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view sql) : sql_(sql) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    tokens.reserve(sql_.size() / 4 + 2);
    while (true) {
      while (pos_ < sql_.size() && IsBlank(sql_[pos_])) ++pos_;
      if (pos_ == sql_.size()) break;
      // A period right after a name qualifies it (Import2.Ziel); elsewhere
      // a period before a digit starts a number (.1).
      const bool after_name = !tokens.empty() && pos_ == last_end_ &&
                              (tokens.back().kind == Token::Kind::kName ||
                               tokens.back().kind == Token::Kind::kQuotedName);
      tokens.push_back(Next(after_name));
      last_end_ = pos_;
    }
    tokens.push_back({Token::Kind::kEnd, ""});
    return tokens;
  }

 private:
  Token Next(bool after_name) {
    const char c = sql_[pos_];
    if (IsNameStart(c)) return Name();
    if (c == '[') return QuotedName();
    if (c == '\'') return String();
    if (IsDigit(c) ||
        (c == '.' && !after_name && pos_ + 1 < sql_.size() && IsDigit(sql_[pos_ + 1]))) {
      return Number();
    }
    return Symbol();
  }

  Token Name() {
    const size_t start = pos_;
    while (pos_ < sql_.size() && IsNameChar(sql_[pos_])) ++pos_;
    return {Token::Kind::kName, std::string(sql_.substr(start, pos_ - start))};
  }

  Token QuotedName() {
    const size_t end = sql_.find(']', pos_ + 1);
    if (end == std::string_view::npos) {
      throw Error("Syntax error in SQL statement: '[' without closing ']'",
                  Error::Kind::kInternal);
    }
    std::string name(sql_.substr(pos_ + 1, end - pos_ - 1));
    if (name.empty())
      throw Error("Syntax error in SQL statement: empty name []", Error::Kind::kInternal);
    // SQLite reads a statement only up to a NUL byte, so such a name could
    // never be emitted intact.
    if (name.find('\0') != std::string::npos) {
      throw Error("Syntax error in SQL statement: name holds a NUL character",
                  Error::Kind::kInternal);
    }
    pos_ = end + 1;
    return {Token::Kind::kQuotedName, std::move(name)};
  }

  Token String() {
    std::string text;
    ++pos_;
    while (true) {
      const size_t end = sql_.find('\'', pos_);
      if (end == std::string_view::npos) {
        throw Error("Syntax error in SQL statement: text literal without closing quote",
                    Error::Kind::kInternal);
      }
      text.append(sql_.substr(pos_, end - pos_));
      pos_ = end + 1;
      if (pos_ < sql_.size() && sql_[pos_] == '\'') {  // '' is one quote
        text += '\'';
        ++pos_;
        continue;
      }
      return {Token::Kind::kString, std::move(text)};
    }
  }

  Token Number() {
    const size_t start = pos_;
    SkipDigits();
    if (pos_ < sql_.size() && sql_[pos_] == '.') {
      ++pos_;
      SkipDigits();
    }
    if (pos_ < sql_.size() && (sql_[pos_] == 'e' || sql_[pos_] == 'E')) {
      size_t exponent = pos_ + 1;
      if (exponent < sql_.size() && (sql_[exponent] == '+' || sql_[exponent] == '-')) {
        ++exponent;
      }
      if (exponent < sql_.size() && IsDigit(sql_[exponent])) {
        pos_ = exponent;
        SkipDigits();
      }
    }
    return {Token::Kind::kNumber, std::string(sql_.substr(start, pos_ - start))};
  }

  void SkipDigits() {
    while (pos_ < sql_.size() && IsDigit(sql_[pos_])) ++pos_;
  }

  Token Symbol() {
    static constexpr std::string_view kTwoChar[] = {"<>", "<=", ">="};
    for (std::string_view symbol : kTwoChar) {
      if (sql_.substr(pos_, 2) == symbol) {
        pos_ += 2;
        return {Token::Kind::kSymbol, std::string(symbol)};
      }
    }
    const char c = sql_[pos_];
    if (std::string_view("(),.;*=<>+-/&").find(c) == std::string_view::npos) {
      throw Error("Syntax error in SQL statement near '" + Printable(c) + "'",
                  Error::Kind::kInternal);
    }
    ++pos_;
    return {Token::Kind::kSymbol, std::string(1, c)};
  }

  static std::string Printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
    static constexpr char kHex[] = "0123456789ABCDEF";
    return std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
  }

  std::string_view sql_;
  size_t pos_ = 0;
  size_t last_end_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view sql) { return Tokenizer(sql).Run(); }

}  // namespace db::engine::jetsql
