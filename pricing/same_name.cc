#include "pricing/same_name.h"

#include <unicode/stringpiece.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a == b) return true;  // the usual case inside a run of equal names
  const auto unicode = [](std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  };
  return unicode(a).caseCompare(unicode(b), U_FOLD_CASE_DEFAULT) == 0;
}
