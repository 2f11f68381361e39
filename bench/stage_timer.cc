// Times the stages of one update run through the core library: opens
// <folder>/Numbers.mdb, imports <folder>/preise.csv and updates the prices in
// one transaction, and commits, exactly as the program does. The stages are
// told apart by the values of the overall progress bar, so the product needs
// no timing code of its own.
//
//   stage_timer <folder> [--states]
//
// Prints "stage <name> <seconds>" lines and "total <seconds>"; with --states
// also "state <ImportState> <rows>" as Import2 holds them once the domestic
// rows have been added (the query's own time is left out of the stages).
// Settings: margin 60, minimum rate 0.1, VAT 19 %, as scripts/bench uses.

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/run_settings.h"
#include "db/open_database.h"
#include "db/run_view.h"
#include "import/import_price_file.h"
#include "pricing/update_prices.h"

namespace {

using Clock = std::chrono::steady_clock;

// Overall progress values that end each stage, in the order they are shown.
struct Stage {
  const char* name;
  float end_value;
};
constexpr Stage kStages[] = {
    {"import", 14}, {"prep", 32},  {"matching", 45},
    {"loop1", 70},  {"loop2", 80}, {"writeback", 100},
};
// Overall value at which Import2 holds every state, domestic rows included,
// before the prefixes go back to the stored form.
constexpr float kAllStatesValue = 84;

class TimingView : public db::RunView {
 public:
  TimingView(db::Connection** connection, bool want_states)
      : connection_(connection), want_states_(want_states), start_(Clock::now()) {}

  void SetOverallProgress(float value) override {
    const double at = Now();
    if (value == 0 && import_start_ < 0) import_start_ = at;
    if (next_stage_ < std::size(kStages) && value == kStages[next_stage_].end_value)
      stage_ends_[next_stage_++] = at;
    if (want_states_ && value == kAllStatesValue && states_.empty()) {
      const Clock::time_point paused = Clock::now();
      ReadStates();
      excluded_ += Clock::now() - paused;
    }
  }
  void SetActionProgress(float) override { ++action_updates_; }
  void ShowMessage(const std::string& text, Icon) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }

  // Seconds since start, without the time spent on the state query.
  double Now() const {
    return std::chrono::duration<double>(Clock::now() - start_ - excluded_).count();
  }

  void Print(double committed) const {
    double previous = import_start_;
    std::printf("stage open %.4f\n", import_start_);
    for (size_t i = 0; i < next_stage_; ++i) {
      std::printf("stage %s %.4f\n", kStages[i].name, stage_ends_[i] - previous);
      previous = stage_ends_[i];
    }
    std::printf("stage commit %.4f\n", committed - previous);
    std::printf("total %.4f\n", committed);
    std::printf("action_updates %lld\n", action_updates_);
    for (const auto& [state, rows] : states_)
      std::printf("state %s %lld\n", state.c_str(), rows);
  }

 private:
  void ReadStates() {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(
            (*connection_)->native_handle(),
            "SELECT ImportState, COUNT(*) FROM Import2 GROUP BY ImportState", -1, &query,
            nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "state query failed\n");
      return;
    }
    while (sqlite3_step(query) == SQLITE_ROW) {
      const unsigned char* state = sqlite3_column_text(query, 0);
      states_.push_back({state ? reinterpret_cast<const char*>(state) : "NULL",
                         sqlite3_column_int64(query, 1)});
    }
    sqlite3_finalize(query);
  }

  db::Connection** connection_;
  bool want_states_;
  Clock::time_point start_;
  Clock::duration excluded_{};
  double import_start_ = -1;
  double stage_ends_[std::size(kStages)] = {};
  size_t next_stage_ = 0;
  long long action_updates_ = 0;
  std::vector<std::pair<std::string, long long>> states_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--states") != 0)) {
    std::fprintf(stderr, "usage: %s <folder> [--states]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
  RunSettings settings;
  settings.vat_fraction = 0.19;
  settings.database_folder = folder.string() + "/";

  db::Connection* connection = nullptr;
  TimingView view(&connection, argc == 3);
  try {
    std::unique_ptr<db::Connection> owned =
        db::OpenDatabase(settings.database_folder, "Numbers.mdb", view);
    if (!owned) return 1;
    connection = owned.get();
    connection->BeginTrans();
    if (!ImportPriceFile(*connection, (folder / "preise.csv").string(), view) ||
        !UpdatePrices(*connection, settings, view)) {
      connection->RollbackTrans();
      return 1;
    }
    connection->CommitTrans();
    view.Print(view.Now());
    db::CloseDatabase(connection);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "stage_timer: %s\n", error.what());
    return 1;
  }
  return 0;
}
