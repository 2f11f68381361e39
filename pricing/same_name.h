#ifndef PREISLISTE_PRICING_SAME_NAME_H_
#define PREISLISTE_PRICING_SAME_NAME_H_

#include <string_view>

// True when two UTF-8 destination names are equal apart from letter case, by
// Unicode case folding: "GERMANY MOBILE" equals "Germany Mobile" and "ÄGYPTEN"
// equals "ägypten", but accents stay significant ("a" is not "ä"). This is the
// comparison the database uses for names, so the loops group rows the way the
// database sorts them.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

#endif  // PREISLISTE_PRICING_SAME_NAME_H_
