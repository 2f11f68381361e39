#ifndef PREISLISTE_RUN_TABLES_H_
#define PREISLISTE_RUN_TABLES_H_

#include <string_view>

// The tables of the price database as the program sees them, and the codes
// that record how each imported row got its selling price.
namespace run {

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

}  // namespace run

#endif  // PREISLISTE_RUN_TABLES_H_
