#ifndef PREISLISTE_CORE_ASCII_H_
#define PREISLISTE_CORE_ASCII_H_

#include <algorithm>
#include <string>
#include <string_view>

// Digits and letter case of plain ASCII, independent of the process locale:
// for the fixed words of the program's own formats (the price file header,
// file names, setting and connection-string keys), for SQL keywords and the
// names of tables and columns (matched without regard to case, as SQLite
// does), and for number grammars.
// Text that the operator wrote (destination names) is compared with Unicode
// case folding instead (db/engine/jetsql/case_fold.h).
namespace core {

constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

inline std::string ToAsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

}  // namespace core

#endif  // PREISLISTE_CORE_ASCII_H_
