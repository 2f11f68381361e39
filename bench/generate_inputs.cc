// Writes a benchmark input: preise.csv and Numbers.mdb for a given number of
// price lines, the same for the same seed.
//
//   generate_inputs <lines> <folder> [seed [mixed|large]]
//
// The shape (default mixed) is explained at bench::Shape.
// Prints how many lines are meant for each pricing path.

#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>

#include "bench/deck.h"
#include "bench/deck_files.h"

namespace {

bool ParseNumber(std::string_view text, uint64_t& value) {
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

constexpr const char* kPathNames[bench::kPathCount] = {
    "dropped by cleaning", "1 name match",   "2 prefix match",
    "3 most common price", "4 leading name", "5 computed",
};

}  // namespace

int main(int argc, char** argv) {
  uint64_t lines = 0;
  uint64_t seed = 1;
  const std::string_view shape_name = argc == 5 ? argv[4] : "mixed";
  if (argc < 3 || argc > 5 || !ParseNumber(argv[1], lines) ||
      (argc >= 4 && !ParseNumber(argv[3], seed)) ||
      (shape_name != "mixed" && shape_name != "large")) {
    std::fprintf(stderr, "usage: %s <lines> <folder> [seed [mixed|large]]\n", argv[0]);
    return 2;
  }
  const bench::Shape shape =
      shape_name == "large" ? bench::Shape::kLarge : bench::Shape::kMixed;
  try {
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder);
    const bench::Deck deck =
        bench::GenerateDeck(static_cast<int64_t>(lines), seed, shape);
    bench::WritePriceFile(folder / "preise.csv", deck);
    bench::WriteNumbersDatabase(folder / "Numbers.mdb", deck);

    std::printf("price lines %zu, Numbers rows %zu\n", deck.lines.size(),
                deck.numbers.size());
    const auto counts = deck.PathCounts();
    for (int path = 0; path < bench::kPathCount; ++path)
      std::printf("  %-20s %8lld\n", kPathNames[path],
                  static_cast<long long>(counts[path]));
    std::printf("  %-20s %8lld (Numbers rows)\n", "6 kept domestic",
                static_cast<long long>(deck.kept_domestic));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "generate_inputs: %s\n", error.what());
    return 1;
  }
  return 0;
}
