#ifndef PREISLISTE_PRICING_JET_TEXT_LITERAL_H_
#define PREISLISTE_PRICING_JET_TEXT_LITERAL_H_

#include <string>
#include <string_view>

namespace pricing {

// Turns a name into the text that goes between the apostrophes of a Jet
// LIKE '...' pattern so that the pattern matches exactly that name (letter
// case aside) and nothing else: the apostrophe is doubled, and the pattern
// characters %, _ and [ become the one-character lists [%], [_] and [[].
// A ] outside a list is an ordinary character and stays as it is.
//   O'Higgins -> O''Higgins   100% Mobil -> 100[%] Mobil   A_B -> A[_]B
std::string JetLikeLiteral(std::string_view text);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_JET_TEXT_LITERAL_H_
