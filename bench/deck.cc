#include "bench/deck.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <unordered_set>

#include "bench/random.h"
#include "bench/text.h"

namespace bench {
namespace {

constexpr int kCountryCount = 250;
constexpr std::string_view kHome = "Deutschland";

// German names of real countries; the rest of the 250 are invented.
constexpr std::string_view kKnownCountries[] = {
    "Ägypten",    "Albanien",   "Algerien",   "Argentinien",  "Äthiopien",
    "Australien", "Belgien",    "Bolivien",   "Brasilien",    "Bulgarien",
    "Chile",      "China",      "Dänemark",   "Ecuador",      "Estland",
    "Finnland",   "Frankreich", "Georgien",   "Griechenland", "Großbritannien",
    "Indien",     "Indonesien", "Irland",     "Island",       "Italien",
    "Japan",      "Jordanien",  "Kamerun",    "Kanada",       "Kenia",
    "Kolumbien",  "Kroatien",   "Kuba",       "Lettland",     "Litauen",
    "Luxemburg",  "Marokko",    "Mexiko",     "Nepal",        "Niederlande",
    "Nigeria",    "Norwegen",   "Österreich", "Pakistan",     "Peru",
    "Polen",      "Portugal",   "Rumänien",   "Russland",     "Schweden",
    "Schweiz",    "Senegal",    "Serbien",    "Slowakei",     "Slowenien",
    "Spanien",    "Südafrika",  "Südkorea",   "Syrien",       "Thailand",
    "Tschechien", "Tunesien",   "Türkei",     "Ukraine",      "Ungarn",
    "Uruguay",    "Usbekistan", "Vietnam",    "Weißrussland", "Zypern",
};

constexpr std::string_view kSyllables[] = {
    "ro",  "va",  "ben", "kal", "mer", "sto", "lü",  "dra",  "fen", "gor", "hal",
    "ist", "jo",  "ka",  "lem", "nor", "ös",  "pra", "quin", "ris", "sa",  "tor",
    "ul",  "wen", "zar", "bä",  "mö",  "gra", "tel", "vik",  "dun", "ald",
};
constexpr std::string_view kPlaceEndings[] = {
    "na", "burg", "ta", "ville", "o", "ia", "heim", "stadt", "is", "ar", "ek", "ün",
};
constexpr std::string_view kCarrierEndings[] = {"tel", "com",   "net",
                                                "fon", "mobil", "cell"};
constexpr std::string_view kCountryEndings[] = {"ien", "land", "istan", "ia", "ei"};
constexpr std::string_view kSpecials[] = {
    "Sonderdienste", "Satellit", "Mehrwertdienste", "Paging", "Audiotex", "Personal",
};
// Single words: a destination extended by one of them is found by cutting
// the name at its last blank.
constexpr std::string_view kExtensionWords[] = {
    "Plus",   "Premium", "Business", "Prepaid", "Extra",
    "Select", "Pro",     "Gold",     "Direkt",  "Spezial",
};
constexpr std::string_view kRenameWords[] = {
    "Netz", "Zentrum", "Region", "Fix", "GSM", "Ost", "West", "Nord", "Süd", "Land",
};

// What a destination's prefixes look like and what it costs.
struct Kind {
  std::string_view lead;  // digits after the country code
  int64_t low, high;      // purchase price range in 1/10000
  bool local = false;     // domestic prefix without a leading 0
};
constexpr Kind kFixed{"2", 50, 600};
constexpr Kind kMobile{"3", 200, 2500};
constexpr Kind kSpecial{"8", 500, 29000};
constexpr Kind kHomeFixed{"2", 50, 150};
constexpr Kind kHomeMobile{"15", 200, 600};
constexpr Kind kHomeService{"118", 2000, 20000, true};
// Per-prefix rates of the large destinations: thousands of distinct prices.
constexpr Kind kWideFixed{"2", 100, 29000};
constexpr Kind kWideMobile{"3", 100, 29000};
// In the large shape, this many of the largest countries have large destinations.
constexpr size_t kLargeCountries = 6;

struct Prefix {
  std::string working;
  std::string stored;
};

struct Country {
  std::string name;
  std::string code;
  int64_t budget = 0;  // price lines
  int64_t next_prefix = 2;
  bool home = false;
  bool large = false;  // few destinations, each prefix at its own price
};

// A priced destination of the price file that longer names may extend.
struct Parent {
  std::string name;
  int64_t purchase;
  Kind kind;
  std::vector<int64_t> prices;  // a large destination's prices per prefix
};

template <typename T, size_t n>
std::string_view Pick(Random& rng, const T (&list)[n]) {
  return list[rng.Below(n)];
}

// A purchase price on a whole tenth of a cent. Prices of destinations that
// must not borrow from a leading name end in 7 instead, so they never equal one.
int64_t RoundPrice(Random& rng, const Kind& kind) {
  return rng.Between(kind.low / 10, kind.high / 10) * 10;
}
int64_t OddPrice(Random& rng, const Kind& kind) { return RoundPrice(rng, kind) + 7; }

// A current selling price: the old purchase rate with margin, in whole cents.
int64_t SellingPrice(Random& rng, int64_t rate) {
  return (rate * 16 / 10 + rng.Between(50, 200) + 99) / 100 * 100;
}

class DeckBuilder {
 public:
  DeckBuilder(int64_t line_count, uint64_t seed, Shape shape)
      : line_count_(line_count), shape_(shape), rng_(seed) {}

  Deck Build() {
    MakeCountries();
    for (Country& country : countries_) BuildCountry(country);
    AddFormerDomesticRows();
    AddStoredInternationalDomesticRows();
    TopUpNumbers();
    AddDroppedLines();
    ChooseLineFormats();
    return std::move(deck_);
  }

 private:
  // Claims a destination name (letter case ignored); false when taken.
  bool Claim(const std::string& name) {
    return used_names_.insert(FoldCase(name)).second;
  }

  std::string Word(std::span<const std::string_view> endings, int syllables) {
    std::string word;
    for (int i = 0; i < syllables; ++i) word += Pick(rng_, kSyllables);
    word += endings[rng_.Below(endings.size())];
    return Capitalize(word);
  }
  // A new name "<head> <word>", or "" when none was free after a few tries.
  std::string NewName(const std::string& head,
                      std::span<const std::string_view> endings) {
    for (int attempt = 0; attempt < 12; ++attempt) {
      std::string name = head + " " + Word(endings, attempt < 4 ? 2 : 3);
      if (Claim(name)) return name;
    }
    return "";
  }

  void MakeCountries() {
    std::vector<std::string> codes = {"1", "7"};
    for (int c = 30; c <= 69; ++c)
      if (c != 49) codes.push_back(std::to_string(c));
    for (int c = 200; c <= 299; ++c) codes.push_back(std::to_string(c));
    for (int c = 800; c <= 999; ++c) codes.push_back(std::to_string(c));
    for (size_t i = codes.size() - 1; i > 0; --i)
      std::swap(codes[i], codes[rng_.Below(i + 1)]);

    countries_.push_back({std::string(kHome), "49", 0, 2, true});
    Claim(countries_[0].name);
    for (std::string_view known : kKnownCountries) {
      countries_.push_back({std::string(known), codes[countries_.size()]});
      Claim(countries_.back().name);
    }
    while (countries_.size() < kCountryCount) {
      std::string name = Word(kCountryEndings, 2);
      if (Claim(name)) countries_.push_back({name, codes[countries_.size()]});
    }
    AssignBudgets();
    if (shape_ == Shape::kLarge)
      for (size_t c = 1; c <= kLargeCountries; ++c) countries_[c].large = true;
  }

  // Large countries carry many more prefixes than small ones (weight 1/(rank+5)).
  void AssignBudgets() {
    const int64_t dropped = DroppedLineCount();
    const int64_t home = line_count_ * 5 / 100;
    const int64_t abroad = line_count_ - dropped - home;
    countries_[0].budget = home;
    double weight_sum = 0;
    for (int rank = 0; rank < kCountryCount - 1; ++rank) weight_sum += 1.0 / (rank + 5);
    int64_t given = 0;
    for (int rank = 0; rank < kCountryCount - 1; ++rank) {
      Country& country = countries_[rank + 1];
      country.budget = static_cast<int64_t>(abroad / (rank + 5) / weight_sum);
      given += country.budget;
    }
    for (int64_t i = 0; given < abroad; ++i, ++given) ++countries_[1 + i % 249].budget;
  }

  int64_t DroppedLineCount() const {
    return line_count_ >= 20 ? line_count_ * 3 / 1000 + 1 : 0;
  }

  Prefix MakePrefix(Country& country, const Kind& kind) {
    const std::string digits =
        std::string(kind.lead) + std::to_string(country.next_prefix++);
    if (!country.home)
      return {"00" + country.code + digits, "00" + country.code + digits};
    if (kind.local) return {"0049111" + digits, digits};
    return {"0049" + digits, "0" + digits};
  }

  // Prefixes per destination: 1 to 40, about 7 on average.
  int64_t DestinationSize(int64_t left) {
    int64_t size = 1;
    while (size < 40 && rng_.Below(7) < 6) ++size;
    return std::min(size, left);
  }

  // A large country's destinations: a sixth to a third of its prefixes each.
  int64_t DestinationSize(const Country& country, int64_t left) {
    if (!country.large) return DestinationSize(left);
    return std::min(left, rng_.Between(country.budget / 6, country.budget / 3) + 1);
  }

  void BuildCountry(Country& country) {
    int64_t left = country.budget;
    if (left == 0) return;
    const Kind fixed = country.home ? kHomeFixed : country.large ? kWideFixed : kFixed;
    const Kind mobile = country.home    ? kHomeMobile
                        : country.large ? kWideMobile
                                        : kMobile;
    left -= AddKept(country, country.name, fixed, DestinationSize(country, left));
    const std::string mobile_name = country.name + " Mobil";
    if (left > 0 && Claim(mobile_name))
      left -= AddKept(country, mobile_name, mobile, DestinationSize(country, left));
    size_t special = 0;
    while (left > 0) {
      const int64_t size = DestinationSize(country, left);
      const uint64_t shape = rng_.Below(100);
      Kind kind = shape < 50     ? fixed
                  : shape < 80   ? mobile
                  : country.home ? kHomeService
                                 : kSpecial;
      const std::string head = shape < 50 || shape >= 80 ? country.name : mobile_name;
      const uint64_t fate = country.home ? 0 : rng_.Below(100);
      int64_t added = 0;
      if (fate >= 68 && fate < 82) added = AddExtension(country, size);
      if (fate >= 82) added = AddComputed(country, head, kind, size);
      if (added > 0) {
        left -= added;
        continue;
      }
      std::string name;
      if (shape >= 80 && special < std::size(kSpecials) &&
          Claim(head + " " + std::string(kSpecials[special])))
        name = head + " " + std::string(kSpecials[special++]);
      else
        name = NewName(head, shape >= 50 && shape < 80
                                 ? std::span<const std::string_view>(kCarrierEndings)
                                 : std::span<const std::string_view>(kPlaceEndings));
      if (name.empty())
        name = country.name;  // crowded: add prefixes to the country itself
      left -= (fate >= 55 && fate < 68) ? AddRenamed(country, name, kind, size)
                                        : AddKept(country, name, kind, size);
    }
    parents_.clear();
  }

  // A destination the current list knows by name; most of its prefixes too.
  int64_t AddKept(Country& country, const std::string& name, const Kind& kind,
                  int64_t size) {
    const int64_t purchase = RoundPrice(rng_, kind);
    const int64_t rate = std::max<int64_t>(
        10, purchase + rng_.Between(-purchase / 10, purchase / 10) / 10 * 10);
    std::optional<int64_t> price = SellingPrice(rng_, rate);
    std::optional<int64_t> old_rate = rate;
    const uint64_t oddity = rng_.Below(100);
    if (oddity < 3)
      price = old_rate = std::nullopt;  // never priced: computed afresh
    else if (oddity < 6)
      price = std::nullopt;  // the preparation computes it
    else if (oddity < 11)
      price = 500;  // below the minimum rate, kept

    const uint64_t spelling = rng_.Below(100);
    const std::string written = spelling < 8    ? UpperCase(name)
                                : spelling < 10 ? FoldCase(name)
                                                : name;
    Parent parent{name, purchase, kind, {}};
    for (int64_t i = 0; i < size; ++i) {
      const Prefix prefix = MakePrefix(country, kind);
      const int64_t own = country.large ? RoundPrice(rng_, kind) : purchase;
      if (country.large) parent.prices.push_back(own);
      deck_.lines.push_back({prefix.working, written, own, Path::kByName});
      if (i == 0 || rng_.Percent(90))
        deck_.numbers.push_back({prefix.stored, name, price, old_rate});
    }
    if (rng_.Percent(10)) {  // a prefix the supplier no longer lists
      deck_.numbers.push_back({MakePrefix(country, kind).stored, name, price, old_rate});
      if (country.home) ++deck_.kept_domestic;
    }
    parents_.push_back(std::move(parent));
    return size;
  }

  // The supplier renamed a destination: its known prefixes match by prefix,
  // its new ones take the most common of their prices.
  int64_t AddRenamed(Country& country, const std::string& old_name, const Kind& kind,
                     int64_t size) {
    std::string name;
    for (std::string_view word : kRenameWords)
      if (Claim(old_name + " " + std::string(word))) {
        name = old_name + " " + std::string(word);
        break;
      }
    if (name.empty()) return AddKept(country, old_name, kind, size);
    const int64_t purchase = RoundPrice(rng_, kind);
    const int64_t price = SellingPrice(rng_, purchase);
    const int64_t known = std::max<int64_t>(1, size * 65 / 100);
    for (int64_t i = 0; i < size; ++i) {
      const Prefix prefix = MakePrefix(country, kind);
      const int64_t own = country.large ? RoundPrice(rng_, kind) : purchase;
      if (i < known) {
        deck_.lines.push_back({prefix.working, name, own, Path::kByPrefix});
        const int64_t old_price = rng_.Percent(20) ? price + 100 : price;
        deck_.numbers.push_back({prefix.stored, old_name, old_price, purchase});
      } else {
        const std::string written = rng_.Percent(30) ? UpperCase(name) : name;
        deck_.lines.push_back({prefix.working, written, own, Path::kMostCommon});
      }
    }
    return size;
  }

  // A new destination whose name extends a priced one at the same purchase
  // price ("Italien Mobil" -> "Italien Mobil Plus"); may itself be extended.
  int64_t AddExtension(Country& country, int64_t size) {
    if (parents_.empty()) return 0;
    const Parent parent = parents_[rng_.Below(parents_.size())];
    const size_t first = rng_.Below(std::size(kExtensionWords));
    for (size_t i = 0; i < std::size(kExtensionWords); ++i) {
      std::string name =
          parent.name + " " +
          std::string(kExtensionWords[(first + i) % std::size(kExtensionWords)]);
      if (!Claim(name)) continue;
      Parent child{name, parent.purchase, parent.kind, {}};
      for (int64_t j = 0; j < size; ++j) {
        // A large destination's extension takes its prices from the parent's.
        const int64_t own = parent.prices.empty()
                                ? parent.purchase
                                : parent.prices[rng_.Below(parent.prices.size())];
        if (!parent.prices.empty()) child.prices.push_back(own);
        deck_.lines.push_back(
            {MakePrefix(country, parent.kind).working, name, own, Path::kLeadingName});
      }
      parents_.push_back(std::move(child));
      return size;
    }
    return 0;
  }

  // A new destination with nothing to borrow from: its price is computed.
  int64_t AddComputed(Country& country, const std::string& head, const Kind& kind,
                      int64_t size) {
    const std::string name = NewName(head, kPlaceEndings);
    if (name.empty()) return 0;
    const int64_t purchase = OddPrice(rng_, kind);
    for (int64_t i = 0; i < size; ++i)
      deck_.lines.push_back({MakePrefix(country, kind).working, name,
                             country.large ? OddPrice(rng_, kind) : purchase,
                             Path::kComputed});
    return size;
  }

  // Domestic prefixes of the current list that the price file lacks: they
  // stay in the list.
  void AddFormerDomesticRows() {
    Country& home = countries_[0];
    const int64_t count = home.budget * 40 / 100;
    const Kind kinds[] = {kHomeFixed, kHomeMobile, kHomeService};
    for (int64_t i = 0; i < count; ++i) {
      const Kind& kind = kinds[rng_.Below(3)];
      const int64_t rate = RoundPrice(rng_, kind);
      deck_.numbers.push_back({MakePrefix(home, kind).stored, home.name + " Alt",
                               SellingPrice(rng_, rate), rate});
      ++deck_.kept_domestic;
    }
  }

  // Rows already stored as 0049..: the working copy drops them.
  void AddStoredInternationalDomesticRows() {
    Country& home = countries_[0];
    for (int64_t i = 0; i < line_count_ / 1000 + 1; ++i)
      deck_.numbers.push_back(
          {MakePrefix(home, kHomeFixed).working, home.name, 300, 100});
  }

  // Destinations the supplier dropped, so that the current list has about as
  // many rows as the price file.
  void TopUpNumbers() {
    int64_t budget_sum = 0;
    for (size_t c = 1; c < countries_.size(); ++c) budget_sum += countries_[c].budget;
    if (budget_sum == 0) return;
    while (static_cast<int64_t>(deck_.numbers.size()) < line_count_) {
      int64_t pick = rng_.Below(budget_sum);
      size_t c = 1;
      while (c + 1 < countries_.size() && pick >= countries_[c].budget)
        pick -= countries_[c++].budget;
      Country& country = countries_[c];
      std::string name = NewName(country.name, kPlaceEndings);
      if (name.empty()) name = country.name + " Alt";
      const int64_t rate = RoundPrice(rng_, kFixed);
      const int64_t size =
          DestinationSize(line_count_ - static_cast<int64_t>(deck_.numbers.size()));
      for (int64_t i = 0; i < size; ++i)
        deck_.numbers.push_back(
            {MakePrefix(country, kFixed).stored, name, SellingPrice(rng_, rate), rate});
    }
  }

  // Lines the cleaning removes: a word as prefix, or a price above 3, spread
  // over the file.
  void AddDroppedLines() {
    std::vector<std::pair<size_t, PriceLine>> dropped;
    for (int64_t i = 0; i < DroppedLineCount(); ++i) {
      PriceLine line;
      line.path = Path::kDropped;
      if (i % 2 == 0) {
        line.prefix = i % 4 == 0 ? "n/a" : "Vorwahl";
        line.name = "Unbekannt";
        line.purchase = 1000;
      } else {
        Country& country = countries_[1 + rng_.Below(countries_.size() - 1)];
        line.prefix = MakePrefix(country, kSpecial).working;
        line.name = country.name + " Premium Dienste";
        line.purchase = rng_.Between(30001, 99999);  // above 3
      }
      dropped.push_back({rng_.Below(deck_.lines.size() + 1), std::move(line)});
    }
    std::stable_sort(dropped.begin(), dropped.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PriceLine> merged;
    merged.reserve(deck_.lines.size() + dropped.size());
    auto next = dropped.begin();
    for (size_t i = 0; i <= deck_.lines.size(); ++i) {
      for (; next != dropped.end() && next->first == i; ++next)
        merged.push_back(next->second);
      if (i < deck_.lines.size()) merged.push_back(std::move(deck_.lines[i]));
    }
    deck_.lines = std::move(merged);
  }

  void ChooseLineFormats() {
    for (PriceLine& line : deck_.lines) {
      const uint64_t format = rng_.Below(100);
      line.quote_name = format < 6;
      line.quote_all = format >= 6 && format < 8;
      line.padded = format == 8;
      line.fifth_field_price = format == 9;
    }
  }

  const int64_t line_count_;
  const Shape shape_;
  Random rng_;
  Deck deck_;
  std::vector<Country> countries_;
  std::vector<Parent> parents_;  // of the country being built
  std::unordered_set<std::string> used_names_;
};

}  // namespace

std::array<int64_t, kPathCount> Deck::PathCounts() const {
  std::array<int64_t, kPathCount> counts{};
  for (const PriceLine& line : lines) ++counts[static_cast<int>(line.path)];
  return counts;
}

Deck GenerateDeck(int64_t line_count, uint64_t seed, Shape shape) {
  return DeckBuilder(line_count, seed, shape).Build();
}

}  // namespace bench
