#include "bench/deck.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "bench/deck_files.h"
#include "bench/text.h"
#include "core/error.h"

namespace bench {
namespace {

// The working form of a stored Numbers prefix, or "" for a stored 0049.. one,
// which the run's working copy drops.
std::string WorkingForm(const std::string& stored) {
  if (stored.starts_with("0049")) return "";
  if (!stored.starts_with("0")) return "0049111" + stored;
  if (!stored.starts_with("00")) return "0049" + stored.substr(1);
  return stored;
}

bool IsDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), ::isdigit);
}

// Decides each line's pricing path from the deck's data alone, by the rules
// of the pricing pipeline in their order, to confirm that the generated data
// really takes the paths it is labelled with.
std::vector<Path> ClassifyLines(const Deck& deck) {
  std::set<std::string> known_names, known_prefixes;
  for (const NumbersRow& row : deck.numbers) {
    known_names.insert(FoldCase(row.name));
    if (std::string working = WorkingForm(row.number); !working.empty())
      known_prefixes.insert(working);
  }
  std::vector<Path> paths(deck.lines.size(), Path::kComputed);
  std::set<std::string> matched_names;
  std::set<std::pair<std::string, int64_t>> priced;  // (folded name, purchase)
  std::vector<size_t> open;
  for (size_t i = 0; i < deck.lines.size(); ++i) {
    const PriceLine& line = deck.lines[i];
    const std::string name = FoldCase(line.name);
    if (!IsDigits(line.prefix) || line.purchase > 30000)
      paths[i] = Path::kDropped;
    else if (known_names.contains(name))
      paths[i] = Path::kByName;
    else if (known_prefixes.contains(line.prefix))
      paths[i] = Path::kByPrefix;
    else
      open.push_back(i);
    if (paths[i] == Path::kByName || paths[i] == Path::kByPrefix) {
      matched_names.insert(name);
      priced.insert({name, line.purchase});
    }
  }
  std::vector<size_t> unmatched;
  for (size_t i : open) {
    const std::string name = FoldCase(deck.lines[i].name);
    if (matched_names.contains(name)) {
      paths[i] = Path::kMostCommon;
      priced.insert({name, deck.lines[i].purchase});
    } else {
      unmatched.push_back(i);
    }
  }
  // Shorter names first, as the second record loop orders them.
  std::sort(unmatched.begin(), unmatched.end(), [&](size_t a, size_t b) {
    return FoldCase(deck.lines[a].name) < FoldCase(deck.lines[b].name);
  });
  for (size_t i : unmatched) {
    const std::string name = FoldCase(deck.lines[i].name);
    for (size_t blank = name.rfind(' '); blank != std::string::npos && blank > 0;
         blank = name.rfind(' ', blank - 1)) {
      if (priced.contains({name.substr(0, blank), deck.lines[i].purchase})) {
        paths[i] = Path::kLeadingName;
        priced.insert({name, deck.lines[i].purchase});
        break;
      }
    }
  }
  return paths;
}

int64_t CountKeptDomestic(const Deck& deck) {
  std::set<std::string> listed;
  for (const PriceLine& line : deck.lines) listed.insert(line.prefix);
  int64_t kept = 0;
  for (const NumbersRow& row : deck.numbers) {
    const std::string working = WorkingForm(row.number);
    kept += working.starts_with("0049") && !listed.contains(working);
  }
  return kept;
}

TEST(DeckTest, SameSeedSameDeckOtherSeedOtherDeck) {
  const Deck a = GenerateDeck(3000, 7), b = GenerateDeck(3000, 7),
             c = GenerateDeck(3000, 8);
  ASSERT_EQ(a.lines.size(), b.lines.size());
  ASSERT_EQ(a.numbers.size(), b.numbers.size());
  for (size_t i = 0; i < a.lines.size(); ++i) {
    EXPECT_EQ(a.lines[i].prefix, b.lines[i].prefix);
    EXPECT_EQ(a.lines[i].name, b.lines[i].name);
    EXPECT_EQ(a.lines[i].purchase, b.lines[i].purchase);
  }
  for (size_t i = 0; i < a.numbers.size(); ++i) {
    EXPECT_EQ(a.numbers[i].number, b.numbers[i].number);
    EXPECT_EQ(a.numbers[i].price, b.numbers[i].price);
  }
  size_t same = 0;
  for (size_t i = 0; i < std::min(a.lines.size(), c.lines.size()); ++i)
    same +=
        a.lines[i].name == c.lines[i].name && a.lines[i].purchase == c.lines[i].purchase;
  EXPECT_LT(same, a.lines.size() / 2);
}

// Every line takes the path it is labelled with, every path is well
// represented, and the sizes are as asked.
class DeckMixTest : public ::testing::TestWithParam<std::tuple<int64_t, Shape>> {};

TEST_P(DeckMixTest, LabelsMatchThePipelineRulesAndEveryPathIsUsed) {
  const auto [n, shape] = GetParam();
  const Deck deck = GenerateDeck(n, 1, shape);
  ASSERT_EQ(static_cast<int64_t>(deck.lines.size()), n);
  EXPECT_GE(static_cast<int64_t>(deck.numbers.size()), n * 9 / 10);
  EXPECT_LE(static_cast<int64_t>(deck.numbers.size()), n * 12 / 10);

  const std::vector<Path> classified = ClassifyLines(deck);
  int64_t mismatches = 0;
  for (size_t i = 0; i < deck.lines.size(); ++i)
    if (classified[i] != deck.lines[i].path && ++mismatches <= 5)
      ADD_FAILURE() << deck.lines[i].prefix << " " << deck.lines[i].name << " labelled "
                    << static_cast<int>(deck.lines[i].path) << ", takes "
                    << static_cast<int>(classified[i]);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(CountKeptDomestic(deck), deck.kept_domestic);

  // Shares in percent of the lines: {low, high} for each path. The large
  // destinations' fates fall in bigger lumps, so their shares vary more.
  const bool large = shape == Shape::kLarge;
  const std::map<Path, std::pair<int, int>> shares = {
      {Path::kDropped, {0, 1}},
      {Path::kByName, {large ? 30 : 40, large ? 80 : 75}},
      {Path::kByPrefix, {large ? 2 : 4, 15}},
      {Path::kMostCommon, {large ? 1 : 2, 10}},
      {Path::kLeadingName, {large ? 2 : 4, 20}},
      {Path::kComputed, {large ? 4 : 8, 25}},
  };
  const auto counts = deck.PathCounts();
  for (const auto& [path, range] : shares) {
    const int64_t count = counts[static_cast<int>(path)];
    EXPECT_GT(count, 0) << static_cast<int>(path);
    EXPECT_GE(count * 100, range.first * n) << static_cast<int>(path);
    EXPECT_LE(count * 100, range.second * n) << static_cast<int>(path);
  }
  EXPECT_GE(deck.kept_domestic * 100, n);
}

INSTANTIATE_TEST_SUITE_P(SizesAndShapes, DeckMixTest,
                         ::testing::Combine(::testing::Values(10000, 50000),
                                            ::testing::Values(Shape::kMixed,
                                                              Shape::kLarge)));

// The large shape: a few destinations with thousands of prefixes at many
// distinct purchase prices, some of them extending each other at those prices.
TEST(DeckTest, LargeShapeHasLargeDestinationsAtManyPrices) {
  const Deck deck = GenerateDeck(100000, 1, Shape::kLarge);
  std::map<std::string, std::set<int64_t>> prices;
  std::map<std::string, int64_t> sizes;
  for (const PriceLine& line : deck.lines) {
    prices[FoldCase(line.name)].insert(line.purchase);
    ++sizes[FoldCase(line.name)];
  }
  int64_t large = 0, extending_large = 0;
  for (const auto& [name, size] : sizes) {
    if (size < 1000) continue;
    ++large;
    EXPECT_GE(prices[name].size(), 500u) << name;
    for (size_t blank = name.rfind(' '); blank != std::string::npos && blank > 0;
         blank = name.rfind(' ', blank - 1))
      extending_large += sizes[name.substr(0, blank)] >= 1000;
  }
  EXPECT_GE(large, 6);
  EXPECT_LE(large, 40);
  EXPECT_GT(extending_large, 0);
}

TEST(DeckTest, DestinationNamesExtendEachOther) {
  const Deck deck = GenerateDeck(20000, 1);
  std::set<std::string> names;
  for (const PriceLine& line : deck.lines) names.insert(line.name);
  EXPECT_TRUE(names.contains("Italien"));
  EXPECT_TRUE(names.contains("Italien Mobil"));
  int64_t three_words_under_mobil = 0;
  for (const std::string& name : names)
    three_words_under_mobil += name.starts_with("Italien Mobil ");
  EXPECT_GT(three_words_under_mobil, 0);
}

TEST(TextTest, CaseAndCodePage) {
  EXPECT_EQ(UpperCase("Österreich Mobil ß"), "ÖSTERREICH MOBIL ß");
  EXPECT_EQ(FoldCase("ÄGYPTEN Mobil"), "ägypten mobil");
  EXPECT_EQ(Capitalize("überland"), "Überland");
  EXPECT_EQ(ToWindows1252("Türkei"), "T\xFCrkei");
  EXPECT_EQ(ToWindows1252("Großbritannien"),
            "Gro\xDF"
            "britannien");
  EXPECT_THROW(ToWindows1252("\xE2\x82\xAC"), core::Error);
}

TEST(DeckFilesTest, PriceText) {
  const std::pair<int64_t, const char*> cases[] = {
      {127, "0,0127"}, {1000, "0,1"}, {30000, "3"},
      {35000, "3,5"},  {0, "0"},      {12340, "1,234"},
  };
  for (const auto& [ticks, text] : cases) EXPECT_EQ(PriceText(ticks), text) << ticks;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "bench-deck-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> QueryColumn(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sql;
  std::vector<std::string> values;
  while (statement && sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    values.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return values;
}

TEST(DeckFilesTest, WrittenFilesHoldTheDeck) {
  TempFolder folder;
  const Deck deck = GenerateDeck(5000, 3);
  WritePriceFile(folder.path() / "preise.csv", deck);
  WriteNumbersDatabase(folder.path() / "Numbers.mdb", deck);

  const std::string csv = ReadBytes(folder.path() / "preise.csv");
  EXPECT_TRUE(csv.starts_with("#Vorwahl;Ziel;Preis\r\n"));
  size_t line_ends = 0, quoted = 0, fifth = 0;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    ++line_ends;
    EXPECT_TRUE(line.ends_with("\r")) << line;
    quoted += line.find('"') != std::string::npos;
    fifth += std::count(line.begin(), line.end(), ';') == 4;
  }
  EXPECT_EQ(line_ends, deck.lines.size() + 1);
  EXPECT_GT(quoted, 0u);
  EXPECT_GT(fifth, 0u);
  EXPECT_NE(csv.find(",0"), std::string::npos);             // decimal commas
  EXPECT_NE(csv.find("\xD6sterreich"), std::string::npos);  // Windows-1252 Ö
  EXPECT_EQ(csv.find("\xC3"), std::string::npos);           // no UTF-8 left

  const auto db = folder.path() / "Numbers.mdb";
  EXPECT_EQ(QueryColumn(db, "SELECT COUNT(*) FROM Numbers"),
            std::vector<std::string>{std::to_string(deck.numbers.size())});
  EXPECT_EQ(QueryColumn(db, "SELECT type FROM pragma_table_info('Numbers')"),
            (std::vector<std::string>{"VARCHAR(255)", "VARCHAR(255)", "CURRENCY",
                                      "CURRENCY", "INTEGER", "VARCHAR(255)"}));
  EXPECT_NE(QueryColumn(db, "SELECT COUNT(*) FROM Numbers WHERE Name = 'Österreich'"),
            std::vector<std::string>{"0"});  // names stored as UTF-8
  int64_t price_sum = 0, null_prices = 0;
  for (const NumbersRow& row : deck.numbers) {
    price_sum += row.price.value_or(0);
    null_prices += !row.price;
  }
  EXPECT_EQ(QueryColumn(db,
                        "SELECT SUM(CAST(ROUND(Price_EUR * 10000) AS INTEGER)), "
                        "COUNT(*) - COUNT(Price_EUR) FROM Numbers")[0],
            std::to_string(price_sum));
  EXPECT_EQ(QueryColumn(db, "SELECT COUNT(*) - COUNT(Price_EUR) FROM Numbers")[0],
            std::to_string(null_prices));
}

}  // namespace
}  // namespace bench
