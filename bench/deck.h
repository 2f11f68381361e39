#ifndef PREISLISTE_BENCH_DECK_H_
#define PREISLISTE_BENCH_DECK_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A synthetic carrier deck for benchmarks: a supplier price file and the
// current price list it updates, shaped like real A-Z decks (about 250
// countries, each with fixed-line, regional, mobile, carrier and special
// destinations whose names extend each other, several prefixes each, German
// national and local prefixes). Every destination is given a fate that sends
// its rows down one pricing path, so that one run exercises all of them.
namespace bench {

// The path a price line is meant to take through the pricing pipeline.
enum class Path : int {
  kDropped = 0,      // removed by the cleaning (prefix not a number, price above 3)
  kByName = 1,       // destination name known in the current list
  kByPrefix = 2,     // renamed destination, prefix known in the current list
  kMostCommon = 3,   // renamed destination, new prefix: most common price of the name
  kLeadingName = 4,  // new destination extending a known one at the same purchase price
  kComputed = 5,     // new destination, nothing to borrow from
};
inline constexpr int kPathCount = 6;

// One data line of preise.csv. Texts are UTF-8; the file writer encodes them.
struct PriceLine {
  std::string prefix;    // working form ("0039..", "004930..")
  std::string name;      // destination as the supplier spells it
  int64_t purchase = 0;  // purchase price in 1/10000
  Path path = Path::kComputed;
  // How the line is written: the file looks like a hand-edited export.
  bool quote_name = false;
  bool quote_all = false;
  bool padded = false;             // blanks around the fields
  bool fifth_field_price = false;  // a stale third field, the price as numeric fifth
};

// One row of the current Numbers table, prefix in the stored form.
struct NumbersRow {
  std::string number;
  std::string name;
  std::optional<int64_t> price;  // Price_EUR in 1/10000
  std::optional<int64_t> rate;   // Rate_EK in 1/10000
};

struct Deck {
  std::vector<PriceLine> lines;
  std::vector<NumbersRow> numbers;
  // Rows of Numbers expected to survive as kept domestic prefixes.
  int64_t kept_domestic = 0;

  std::array<int64_t, kPathCount> PathCounts() const;
};

// How the prefixes spread over the destinations.
enum class Shape {
  kMixed,  // 1-40 prefixes per destination, one purchase price each
  // The largest countries' destinations hold a large share of the country's
  // prefixes (thousands from 100,000 lines on), each prefix at its own
  // purchase price, as North American decks list NPA-NXX prefixes under a
  // handful of names; some of these names extend each other.
  kLarge,
};

// The same (line_count, seed, shape) always gives the same deck, on every
// platform. The deck has exactly line_count price lines and about as many
// Numbers rows.
Deck GenerateDeck(int64_t line_count, uint64_t seed, Shape shape = Shape::kMixed);

}  // namespace bench

#endif  // PREISLISTE_BENCH_DECK_H_
