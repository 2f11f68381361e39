#include "pricing/jet_text_literal.h"

namespace pricing {

std::string JetLikeLiteral(std::string_view text) {
  std::string literal;
  literal.reserve(text.size() + 8);
  for (const char c : text) {
    switch (c) {
      case '\'':
        literal += "''";
        break;
      case '%':
      case '_':
      case '[':
        literal += '[';
        literal += c;
        literal += ']';
        break;
      default:
        literal += c;
    }
  }
  return literal;
}

}  // namespace pricing
