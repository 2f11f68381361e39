#ifndef PREISLISTE_IMPORT_PRICE_FILE_HEADER_H_
#define PREISLISTE_IMPORT_PRICE_FILE_HEADER_H_

#include <optional>
#include <string>
#include <string_view>

namespace price_import {

// What every price file begins with, in any letter case.
inline constexpr std::string_view kPriceFileHeader = "#Vorwahl";

// True when the first line of a file begins with kPriceFileHeader in any
// letter case. The rest of the line is not looked at.
bool IsPriceFileHeader(std::string_view first_line);

// Why a file whose first line is `first_line` (none: the file has no line,
// or it could not be read) is no price file, for the operator, in German:
// what the line begins with and what it must begin with. A byte-order mark,
// which a spreadsheet writes when it saves "CSV UTF-8", is named together
// with the remedy.
std::string WhyNoPriceFileHeader(const std::optional<std::string>& first_line,
                                 bool read_failed);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_PRICE_FILE_HEADER_H_
