#ifndef PREISLISTE_DB_TABLES_H_
#define PREISLISTE_DB_TABLES_H_

#include <array>
#include <string_view>

// The tables of the price database as the program sees them, the codes that
// record how each imported row got its selling price, and the statements that
// move dial prefixes between their two forms.
namespace db {

// The billing product's price list: Number, Name, Price_EUR, Rate_EK,
// GraceTime, Profile (and possibly more columns the program never names).
inline constexpr std::string_view kNumbers = "Numbers";
// Working copy of Numbers with prefixes in the working form.
inline constexpr std::string_view kNumbersPrevious = "NumbersPrevious";
// The imported price file, and the new list being built.
inline constexpr std::string_view kImport2 = "Import2";
// Highest current selling price per destination name.
inline constexpr std::string_view kTmpMaxPreis = "tmpMaxPreis";

inline constexpr std::string_view kCreateImport2Head = "CREATE TABLE Import2 (";
inline constexpr std::string_view kCreateImport2Columns =
    "Vorwahl VARCHAR(255), Ziel VARCHAR(255), PreisEk CURRENCY, ImportState INTEGER, "
    "OldName VARCHAR(255), VkPreis CURRENCY);";
// Serves the record loops' lookups: the first by destination name, the second
// by name and purchase price, each exactly, so that no lookup walks the rows
// of a large destination. Dropping Import2 drops it too.
inline constexpr std::string_view kCreateImport2Index =
    "CREATE INDEX Import2Ziel ON Import2 (Ziel, PreisEk)";

// How a row of Import2 got its selling price (column ImportState; NULL while
// undecided). The codes live only in Import2 during a run.
enum ImportState : int {
  kByName = 1,            // highest current price of the same destination name
  kByPrefix = 2,          // current price of the same prefix
  kMostCommonPrice = 3,   // most frequent price among imported rows of the name
  kLeadingNamePrice = 4,  // price of a leading part of the name, same purchase price
  kComputed = 5,          // purchase price x factor, cent-rounded, at least the minimum
  kKeptDomestic = 6,      // domestic prefix of the current list the file lacks
};
// Added to states 1 and 2 while a matched row without price gets a computed
// one, so that the minimum rate reaches exactly those rows; removed at once.
inline constexpr int kJustComputedOffset = 10;
// Marks rows that have just received a computed price in the final stretch.
inline constexpr int kJustComputedFinal = 19;

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

}  // namespace db

#endif  // PREISLISTE_DB_TABLES_H_
