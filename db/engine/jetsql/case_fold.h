#ifndef PREISLISTE_DB_ENGINE_JETSQL_CASE_FOLD_H_
#define PREISLISTE_DB_ENGINE_JETSQL_CASE_FOLD_H_

#include <string>
#include <string_view>

namespace db::engine::jetsql {

// Text comparison of the price database: code point order after simple
// Unicode case folding, so "a" equals "A" and "ä" equals "Ä", while accents
// stay significant ("a" differs from "ä"). Plain ASCII is compared with a
// byte loop and Latin-1 letters are folded without ICU, which is consulted
// only for the other characters, because sorting a million rows calls this
// for every comparison. Bytes that are no valid UTF-8 sort after every
// character. Returns <0, 0 or >0.
int CompareIgnoringCase(std::string_view a, std::string_view b);

// The case-folded code points of a UTF-8 text, replacing the contents of
// *out (a buffer the caller may reuse). Invalid bytes become code points
// beyond U+10FFFF, so they only ever match themselves.
void FoldCodePoints(std::string_view text, std::u32string* out);

// One code point, folded the same way.
char32_t FoldCodePoint(char32_t c);

}  // namespace db::engine::jetsql

#endif  // PREISLISTE_DB_ENGINE_JETSQL_CASE_FOLD_H_
