// Times ImportPriceFile on a generated price file: import_bench [lines] [seed].
// Prints the time of the import inside the run's transaction, of the commit,
// and of reading, decoding and splitting the same file without a database.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "bench/deck.h"
#include "bench/deck_files.h"
#include "db/open_database.h"
#include "import/import_price_file.h"
#include "import/line_decoder.h"
#include "import/price_file_reader.h"
#include "import/read_price_number.h"
#include "import/split_price_line.h"

namespace {

using price_import::ImportPriceFile;
using price_import::LineDecoder;
using price_import::OpenFileSource;
using price_import::PriceFileReader;
using price_import::PriceLineFields;
using price_import::ReadPriceNumber;
using price_import::SplitPriceLine;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class SilentView : public run::RunView {
 public:
  void SetOverallProgress(float) override {}
  void SetActionProgress(float) override { ++action_updates; }
  void ShowMessage(const std::string& text, Icon, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  long action_updates = 0;
};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Everything the import does per line except storing it.
double TimeParsingOnly(const fs::path& file, int64_t& lines) {
  const auto start = Clock::now();
  PriceFileReader reader(OpenFileSource(file));
  LineDecoder decoder;
  int64_t checksum = 0;
  reader.ReadFileLine();  // header
  while (std::optional<std::string> line = reader.ReadFileLine()) {
    decoder.ToUtf8(*line);
    const PriceLineFields fields = SplitPriceLine(*line);
    checksum +=
        ReadPriceNumber(fields[2].value_or("")).value_or(core::Currency()).ticks();
    ++lines;
  }
  const double seconds = SecondsSince(start);
  std::printf("sum of the prices read: %lld ticks\n", static_cast<long long>(checksum));
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t line_count = argc > 1 ? std::atoll(argv[1]) : 1'000'000;
  const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  const fs::path dir =
      fs::temp_directory_path() / ("import_bench_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path price_file = dir / "preise.csv";
  const fs::path database = dir / "Numbers.mdb";

  const bench::Deck deck = bench::GenerateDeck(line_count, seed);
  bench::WritePriceFile(price_file, deck);
  bench::WriteNumbersDatabase(database, deck);

  int64_t parsed_lines = 0;
  const double parse_seconds = TimeParsingOnly(price_file, parsed_lines);

  db::engine::Connection connection;
  connection.set_connection_string(
      db::BuildConnectionString(database.string(), db::kDatabasePassword));
  connection.Open();
  connection.BeginTrans();
  SilentView view;
  auto start = Clock::now();
  const std::clock_t cpu_start = std::clock();
  const bool imported = ImportPriceFile(connection, price_file.string(), view);
  const double import_seconds = SecondsSince(start);
  const double import_cpu_seconds =
      static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  start = Clock::now();
  connection.CommitTrans();
  const double commit_seconds = SecondsSince(start);
  connection.Close();

  std::printf(
      "lines %lld, file %.1f MB, imported %s\n", static_cast<long long>(parsed_lines),
      static_cast<double>(fs::file_size(price_file)) / 1e6, imported ? "yes" : "NO");
  std::printf(
      "import (in transaction) %.3f s (%.3f s CPU), commit %.3f s, %ld bar updates\n",
      import_seconds, import_cpu_seconds, commit_seconds, view.action_updates);
  std::printf("read + decode + split + price alone %.3f s\n", parse_seconds);
  fs::remove_all(dir);
  return imported ? 0 : 1;
}
