#ifndef PREISLISTE_BENCH_TEXT_H_
#define PREISLISTE_BENCH_TEXT_H_

#include <string>
#include <string_view>

// Letter case and code page for the generator's names, which use ASCII and
// the Latin-1 letters (ä, ö, ü, ß, ...) only: enough for German destination
// names, without pulling ICU into the generator.
namespace bench {

std::string UpperCase(std::string_view utf8);
std::string FoldCase(std::string_view utf8);  // lower case; ß stays ß
std::string Capitalize(std::string_view utf8);
// Latin-1 letters become their single Windows-1252 bytes; ASCII is unchanged.
std::string ToWindows1252(std::string_view utf8);

}  // namespace bench

#endif  // PREISLISTE_BENCH_TEXT_H_
