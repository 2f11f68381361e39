// Times the stages of one update run through the core library: opens
// <folder>/Numbers.mdb, imports <folder>/preise.csv and updates the prices in
// one transaction, and commits, exactly as the program does. The stages are
// told apart by the values of the overall progress bar, so the product needs
// no timing code of its own.
//
//   stage_timer <folder> [--states] [--profile-sql] [--pragma <setting>]...
//
// Prints "stage <name> <wall seconds> <CPU seconds>" lines and "total
// <seconds>"; with --states
// also "state <ImportState> <rows>" as Import2 holds them once the domestic
// rows have been added (the query's own time is left out of the stages).
// --pragma runs "PRAGMA <setting>" on the run's connection before the
// transaction begins (for example cache_size=-1048576 or temp_store=MEMORY):
// experiments on the engine's settings that need no change to the product. --profile-sql
// prints the SQLite statements that took longest, summed over their executions ("sql
// <seconds> <count> <text>"), from SQLite's own statement profile. Settings: margin 60,
// minimum rate 0.1, VAT 19 %, as scripts/bench uses.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "db/engine/testing/connection_internals.h"
#include "db/open_database.h"
#include "import/import_price_file.h"
#include "pricing/update_prices.h"
#include "run/run_settings.h"
#include "run/run_view.h"

namespace {

using price_import::ImportPriceFile;
using pricing::UpdatePrices;

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

class TimingView : public run::RunView {
 public:
  TimingView(db::engine::Connection** connection, bool want_states)
      : connection_(connection), want_states_(want_states), start_(Clock::now()) {}

  void SetOverallProgress(float value) override {
    const double at = Now();
    if (value == 0 && import_start_ < 0) {
      import_start_ = at;
      import_start_cpu_ = CpuNow();
    }
    if (next_stage_ < std::size(kStages) && value == kStages[next_stage_].end_value) {
      stage_cpu_ends_[next_stage_] = CpuNow();
      stage_ends_[next_stage_++] = at;
    }
    if (want_states_ && value == kAllStatesValue && states_.empty()) {
      const Clock::time_point paused = Clock::now();
      ReadStates();
      excluded_ += Clock::now() - paused;
    }
  }
  void SetActionProgress(float) override { ++action_updates_; }
  void ShowMessage(const std::string& text, Icon, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }

  // Seconds since start, without the time spent on the state query.
  double Now() const {
    return std::chrono::duration<double>(Clock::now() - start_ - excluded_).count();
  }

  static double CpuNow() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

  void Print(double committed, double committed_cpu) const {
    double previous = import_start_, previous_cpu = import_start_cpu_;
    std::printf("stage open %.4f %.4f\n", import_start_, import_start_cpu_);
    for (size_t i = 0; i < next_stage_; ++i) {
      std::printf("stage %s %.4f %.4f\n", kStages[i].name, stage_ends_[i] - previous,
                  stage_cpu_ends_[i] - previous_cpu);
      previous = stage_ends_[i];
      previous_cpu = stage_cpu_ends_[i];
    }
    std::printf("stage commit %.4f %.4f\n", committed - previous,
                committed_cpu - previous_cpu);
    std::printf("total %.4f\n", committed);
    std::printf("action_updates %lld\n", action_updates_);
    for (const auto& [state, rows] : states_)
      std::printf("state %s %lld\n", state.c_str(), rows);
  }

 private:
  void ReadStates() {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(
            db::engine::ConnectionInternals::NativeHandle(**connection_),
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

  db::engine::Connection** connection_;
  bool want_states_;
  Clock::time_point start_;
  Clock::duration excluded_{};
  double import_start_ = -1, import_start_cpu_ = 0;
  double stage_ends_[std::size(kStages)] = {};
  double stage_cpu_ends_[std::size(kStages)] = {};
  size_t next_stage_ = 0;
  long long action_updates_ = 0;
  std::vector<std::pair<std::string, long long>> states_;
};

// Execution time per statement text, from SQLite's profile callback.
class SqlProfile {
 public:
  void Attach(sqlite3* db) {
    sqlite3_trace_v2(db, SQLITE_TRACE_PROFILE, &SqlProfile::OnProfile, this);
  }
  void Print(size_t top) const {
    std::vector<std::pair<std::string, Entry>> entries(totals_.begin(), totals_.end());
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
      return a.second.nanos > b.second.nanos;
    });
    for (size_t i = 0; i < std::min(top, entries.size()); ++i)
      std::printf("sql %.3f %lld %s\n    plan%s\n", entries[i].second.nanos / 1e9,
                  entries[i].second.count, entries[i].first.c_str(),
                  entries[i].second.plan.c_str());
  }

 private:
  struct Entry {
    long long count = 0;
    double nanos = 0;
    std::string plan;
  };
  static int OnProfile(unsigned, void* self, void* statement, void* nanos) {
    auto* prepared = static_cast<sqlite3_stmt*>(statement);
    const char* sql = sqlite3_sql(prepared);
    Entry& entry = static_cast<SqlProfile*>(self)->totals_[sql ? sql : "?"];
    if (entry.count++ == 0 && sql) entry.plan = Plan(sqlite3_db_handle(prepared), sql);
    entry.nanos += static_cast<double>(*static_cast<sqlite3_int64*>(nanos));
    return 0;
  }
  // The query plan, taken when the statement first ran, so that the tables
  // it names still exist.
  static std::string Plan(sqlite3* db, const std::string& sql) {
    if (sql.starts_with("CREATE") || sql.starts_with("DROP") ||
        sql.starts_with("COMMIT") || sql.starts_with("BEGIN"))
      return "";
    sqlite3_stmt* explain = nullptr;
    std::string plan;
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &explain,
                           nullptr) == SQLITE_OK)
      while (sqlite3_step(explain) == SQLITE_ROW)
        plan += std::string(" | ") +
                reinterpret_cast<const char*>(sqlite3_column_text(explain, 3));
    sqlite3_finalize(explain);
    return plan;
  }
  std::map<std::string, Entry> totals_;
};

}  // namespace

int main(int argc, char** argv) {
  bool want_states = false;
  std::vector<std::string> pragmas;
  bool profile_sql = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--states") == 0)
      want_states = true;
    else if (std::strcmp(argv[i], "--pragma") == 0 && i + 1 < argc)
      pragmas.push_back(std::string("PRAGMA ") + argv[++i]);
    else if (std::strcmp(argv[i], "--profile-sql") == 0)
      profile_sql = true;
    else
      argc = 0;  // usage
  }
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: stage_timer <folder> [--states] [--profile-sql] [--pragma "
                 "<setting>]...\n");
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
  run::RunSettings settings;
  settings.vat_fraction = 0.19;
  settings.database_folder = folder.string() + "/";

  db::engine::Connection* connection = nullptr;
  SqlProfile profile;
  TimingView view(&connection, want_states);
  try {
    std::unique_ptr<db::engine::Connection> owned =
        db::OpenDatabase(settings.database_folder, "Numbers.mdb", view, true);
    if (!owned) return 1;
    connection = owned.get();
    for (const std::string& pragma : pragmas)
      if (sqlite3_exec(db::engine::ConnectionInternals::NativeHandle(*connection),
                       pragma.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::fprintf(
            stderr, "%s: %s\n", pragma.c_str(),
            sqlite3_errmsg(db::engine::ConnectionInternals::NativeHandle(*connection)));
    if (profile_sql)
      profile.Attach(db::engine::ConnectionInternals::NativeHandle(*connection));
    connection->BeginTrans();
    if (!ImportPriceFile(*connection, (folder / "preise.csv").string(), view) ||
        !UpdatePrices(*connection, settings, view)) {
      connection->RollbackTrans();
      return 1;
    }
    connection->CommitTrans();
    view.Print(view.Now(), TimingView::CpuNow());
    if (profile_sql) profile.Print(25);
    db::CloseDatabase(connection);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "stage_timer: %s\n", error.what());
    return 1;
  }
  return 0;
}
