#ifndef PREISLISTE_IMPORT_PRICE_FILE_LINES_H_
#define PREISLISTE_IMPORT_PRICE_FILE_LINES_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/currency.h"
#include "import/split_price_line.h"

namespace price_import {

// Why a data line does not look like a line of a price list. The import
// stores it all the same; the run decides from the count whether the file is
// a price list at all.
enum class LineFault {
  kNone,
  kTooFewFields,     // fewer than three ';'-separated fields
  kPrefixNotDigits,  // the prefix is empty or holds more than digits
  kPriceMissing,     // the price field is empty
  kPriceNotNumber,   // the price is not read to its end ("0,09x5", "12 ct")
  kPriceNegative,
};

// What the import saw of the data lines of one price file: the counts the
// run's summary shows and the malformed lines its check looks at.
struct PriceFileLines {
  struct Line {
    int64_t number;    // as an editor counts lines
    std::string text;  // UTF-8, shortened
    LineFault fault;
  };
  static constexpr size_t kLinesKept = 5;

  int64_t read = 0;  // data lines, each stored as a row of Import2
  // Rows the preparation deletes: no numeric prefix, or else a purchase
  // price above 3.
  int64_t prefix_not_number = 0;
  int64_t price_above_limit = 0;
  int64_t malformed = 0;
  std::vector<Line> first_malformed;  // the first kLinesKept
  // Lines with too few fields that hold a comma or a tab instead: the file
  // was saved with another separator.
  int64_t other_separator = 0;

  int64_t taken() const { return read - prefix_not_number - price_above_limit; }

  // Counts one data line: its text (UTF-8), its fields and the price stored.
  void Count(int64_t number, std::string_view text, const PriceLineFields& fields,
             core::Currency price);
};

// The price file a run read: where the import found it and its lines.
struct PriceFileSeen {
  std::filesystem::path path;  // as LocatePriceFile gave it
  PriceFileLines lines;
};

// What is wrong with a line split into `fields`, if anything.
LineFault FaultOf(const PriceLineFields& fields, core::Currency price);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_PRICE_FILE_LINES_H_
