// Times the two record loops of the price update on a large Import2.
//
//   loops_bench [rows]      (default 100000)
//
// Builds Import2 in a temporary price database: destinations whose names
// extend each other ("Land 17", "Land 17 Mobil", "Land 17 Mobil Premium"),
// some priced by name or prefix, the others left for the loops, so that both
// loops run a lookup for nearly every destination. Creates the name index as
// the pipeline does, then prints how long each loop takes and how many rows
// each priced.

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "core/currency.h"
#include "core/value.h"
#include "db/engine/connection.h"
#include "db/open_database.h"
#include "pricing/record_loops.h"
#include "run/run_view.h"
#include "run/tables.h"

namespace {

using pricing::ResolveLeadingNamePrices;
using pricing::ResolveMostCommonPrices;

class SilentView : public run::RunView {
 public:
  void SetOverallProgress(float) override {}
  void SetActionProgress(float) override {}
  void ShowMessage(const std::string& text, Icon, const std::string&) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
};

core::Value Money(int64_t ticks) {
  return core::Value::Money(core::Currency::FromTicks(ticks));
}

// One destination family of five rows: a known destination, an extension of
// it at the same purchase price (leading-name price), a longer extension at
// another price (searched down to its first word, in vain), a name known by
// prefix in other letter case and an unpriced row of that name (most common
// price).
void AddFamily(db::engine::Recordset& table, int family) {
  const std::string base = "Land " + std::to_string(family);
  const int64_t purchase = 100 + family % 400;  // 0.0100 .. 0.0499
  struct Row {
    std::string name;
    int64_t purchase;
    int state;  // 0: NULL
    int64_t price;
  } rows[] = {
      {base, purchase, run::kByName, purchase * 2},
      {base + " Mobil", purchase, 0, 0},
      {base + " Mobil Premium", purchase + 1, 0, 0},
      {"LAND " + std::to_string(family) + " FESTNETZ", purchase, run::kByPrefix,
       purchase * 3},
      {base + " Festnetz", purchase, 0, 0},
  };
  int serial = 0;
  for (const Row& row : rows) {
    table.AddNew();
    table.SetField("Vorwahl",
                   core::Value::Text("00" + std::to_string(family * 10 + serial++)));
    table.SetField("Ziel", core::Value::Text(row.name));
    table.SetField("PreisEk", Money(row.purchase));
    if (row.state != 0) {
      table.SetField("ImportState", core::Value::Integer(row.state));
      table.SetField("OldName", core::Value::Text(row.name));
      table.SetField("VkPreis", Money(row.price));
    }
    table.Update();
  }
}

int64_t CountState(db::engine::Connection& connection, int state) {
  const auto result = connection.ExecuteQuery(
      "SELECT Count(*) AS N FROM Import2 WHERE ImportState=" + std::to_string(state));
  const int64_t count = static_cast<int64_t>(result->Field("N").ToDouble());
  result->Close();
  return count;
}

// Wall time and processor time of one piece of work, in seconds. The
// processor time tells what the work costs on a machine busy with other jobs.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

template <typename Work>
Timing Measure(Work work) {
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpu_start = std::clock();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC};
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("loops_bench-" + std::to_string(getpid()) + ".db");
  sqlite3* raw = nullptr;
  sqlite3_open(file.c_str(), &raw);
  sqlite3_exec(raw, "PRAGMA user_version = 1;", nullptr, nullptr, nullptr);
  sqlite3_close(raw);

  int status = 0;
  try {
    db::engine::Connection connection;
    connection.set_connection_string(
        db::BuildConnectionString(file.string(), db::kDatabasePassword));
    connection.Open();
    connection.BeginTrans();
    connection.Execute(std::string(run::kCreateImport2Head) +
                       std::string(run::kCreateImport2Columns));
    const Timing fill = Measure([&] {
      const auto table = connection.OpenRecordset("Import2");
      for (int family = 0; family < rows / 5; ++family) AddFamily(*table, family);
      table->Close();
    });
    connection.Execute("CREATE INDEX Import2Ziel ON Import2 (Ziel)");

    SilentView view;
    const Timing most_common =
        Measure([&] { ResolveMostCommonPrices(connection, view); });
    const Timing leading_name =
        Measure([&] { ResolveLeadingNamePrices(connection, view); });
    std::printf("rows %d (filled in %.2f s)\n", rows / 5 * 5, fill.wall);
    std::printf("                         wall      cpu   rows priced\n");
    std::printf("most common price loop   %6.3f s %6.3f s %8lld\n", most_common.wall,
                most_common.cpu,
                static_cast<long long>(CountState(connection, run::kMostCommonPrice)));
    std::printf("leading-name price loop  %6.3f s %6.3f s %8lld\n", leading_name.wall,
                leading_name.cpu,
                static_cast<long long>(CountState(connection, run::kLeadingNamePrice)));
    std::printf("both loops               %6.3f s %6.3f s\n",
                most_common.wall + leading_name.wall, most_common.cpu + leading_name.cpu);
    connection.RollbackTrans();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Fehler: %s\n", error.what());
    status = 1;
  }
  std::filesystem::remove(file);
  return status;
}
