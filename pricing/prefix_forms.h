#ifndef PREISLISTE_PRICING_PREFIX_FORMS_H_
#define PREISLISTE_PRICING_PREFIX_FORMS_H_

#include <array>
#include <string_view>

namespace pricing {

// Prefix forms. Numbers stores prefixes as the list writes them: international
// "00..", national "0.." (without 49) and local (no leading 0). During a run
// every prefix is in the working form "00..": national 030 is 004930, local 118
// is 0049111118. Stored prefixes that already begin with 0049 have no working
// form and are dropped from the working copy.
//
// Stored to working form, on NumbersPrevious, in this order. The third
// statement also turns the "0111.." prefixes made by the second into 0049111..
inline constexpr std::array<std::string_view, 3> kToWorkingForm = {
    "DELETE FROM NumbersPrevious WHERE Number LIKE '0049%';",
    "UPDATE NumbersPrevious SET [Number] = '0111' & [Number] WHERE [Number] NOT LIKE "
    "'0%';",
    "UPDATE NumbersPrevious SET [Number] = '0049' & MID([Number],2) WHERE [Number] NOT "
    "LIKE '00%' AND [Number] LIKE '0%';",
};
// Working to stored form, on Import2, in this order: 004930 -> 030,
// 0049111118 -> 0111118 -> 118.
inline constexpr std::array<std::string_view, 2> kToStoredForm = {
    "UPDATE Import2 SET [Vorwahl] = '0' & MID([Vorwahl],5) WHERE [Vorwahl] LIKE '0049%';",
    "UPDATE Import2 SET [Vorwahl] = MID([Vorwahl],5) WHERE [Vorwahl] LIKE '0111%';",
};

}  // namespace pricing

#endif  // PREISLISTE_PRICING_PREFIX_FORMS_H_
