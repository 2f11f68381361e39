// Makes every single read, write, sync and lock request of a complete run
// fail in turn, once or from then on, and checks that the run either stops
// with a message and leaves Numbers exactly as it was, or, when SQLite could
// work around the failure, commits exactly the list of an undisturbed run.
// Nothing may crash or leak.
//
// The small run fails every operation. The generated run of
// RELIABILITY_FAULT_LINES (default 2000) lines has larger statements, so that
// statement journals and page reads happen in mid-run; it fails about
// RELIABILITY_FAULT_CASES (default 40) operations of each kind, evenly
// spread, or all of them when that is 0.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_update.h"
#include "bench/deck.h"
#include "bench/deck_files.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/reliability/database_dump.h"
#include "tests/reliability/fault_vfs.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using app::kFinishedMessage;
using app::NumberFormat;
using app::RunOutcome;
using app::RunUpdate;
using testing_support::CurrentFolder;
using testing_support::MapSettingsStore;
using testing_support::RecordingView;
using testing_support::TempDir;

struct Fault {
  IoOperation operation;
  int error;
  const char* error_name;
};

constexpr Fault kFaults[] = {
    {IoOperation::kRead, SQLITE_IOERR_READ, "SQLITE_IOERR_READ"},
    {IoOperation::kWrite, SQLITE_IOERR_WRITE, "SQLITE_IOERR_WRITE"},
    {IoOperation::kWrite, SQLITE_FULL, "SQLITE_FULL"},
    {IoOperation::kSync, SQLITE_IOERR_FSYNC, "SQLITE_IOERR_FSYNC"},
    {IoOperation::kLock, SQLITE_IOERR_LOCK, "SQLITE_IOERR_LOCK"},
};

struct RunRecord {
  RunOutcome outcome;
  std::vector<std::string> messages;
};

// One whole run of the program's driver in the folder, as the program makes
// it: margin 60, minimum rate 0.1, VAT 19.
RunRecord RunIn(const fs::path& folder) {
  const MapSettingsStore store({{"RatingDefaultMargin", "60"},
                                {"MinimumRatePerMinute", "0.1"},
                                {"MwSt", "19"},
                                {"DB Path", folder.string()}});
  RecordingView view;
  const CurrentFolder here(folder);
  const RunOutcome outcome = RunUpdate(store, NumberFormat{}, view);
  return {outcome, view.Messages()};
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += "[" + text + "] ";
  return joined;
}

int EnvironmentNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

class IoFaultTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { FaultVfs::Install(); }
  void TearDown() override { FaultVfs::Reset(); }

  // A fresh copy of the input folder's Numbers.mdb and preise.csv.
  fs::path FreshCopy(const std::string& name) const {
    const fs::path folder = work_.path() / name;
    fs::create_directories(folder);
    for (const char* file : {"Numbers.mdb", "preise.csv"})
      fs::copy_file(input() / file, folder / file, fs::copy_options::overwrite_existing);
    return folder;
  }

  fs::path input() const { return work_.path() / "input"; }

  // Fails about `cases_per_kind` evenly spread operations of each kind (all
  // when 0) on `files` in turn and checks each run; prints a table of the
  // outcomes. Returns the number of runs with a fault.
  int64_t Sweep(int64_t cases_per_kind, Files files = Files::kAll) {
    const std::string before =
        DumpDatabase(input() / "Numbers.mdb", FaultVfs::RealVfsName());
    const fs::path clean = FreshCopy("clean");
    FaultVfs::Reset();
    const RunRecord clean_run = RunIn(clean);
    EXPECT_EQ(clean_run.outcome, RunOutcome::kCommitted) << Joined(clean_run.messages);
    int64_t counts[4];
    for (IoOperation operation : kIoOperations)
      counts[static_cast<int>(operation)] = FaultVfs::Count(operation, files);
    FaultVfs::Reset();
    const std::string after =
        DumpDatabase(clean / "Numbers.mdb", FaultVfs::RealVfsName());
    EXPECT_NE(after, before);
    if (testing::Test::HasFailure()) return 0;
    int64_t all_cases = 0;

    std::ostringstream report;
    report << "operation  error               mode           calls  cases  stopped  "
              "committed  Numbers old/new\n";
    for (const Fault& fault : kFaults) {
      for (bool persistent : {false, true}) {
        const int64_t calls = counts[static_cast<int>(fault.operation)];
        const int64_t stride =
            cases_per_kind > 0 ? std::max<int64_t>(1, calls / cases_per_kind) : 1;
        int64_t cases = 0, stopped = 0, committed = 0, intact = 0;
        for (int64_t nth = 1; nth <= calls; nth += stride) {
          SCOPED_TRACE(std::string(IoOperationName(fault.operation)) + " #" +
                       std::to_string(nth) + " -> " + fault.error_name +
                       (persistent ? " from then on" : " once"));
          ++cases;
          const fs::path folder = FreshCopy("case");
          FaultVfs::Arm(fault.operation, nth, fault.error, persistent, files);
          const RunRecord run = RunIn(folder);
          const int64_t failures = FaultVfs::Failures();
          FaultVfs::Reset();
          EXPECT_GT(failures, 0) << "the run made fewer calls than the clean one";

          // Read back as the next user would, through the platform's own VFS.
          const std::string seen =
              DumpDatabase(folder / "Numbers.mdb", FaultVfs::RealVfsName());
          if (run.outcome == RunOutcome::kStopped) {
            ++stopped;
            EXPECT_FALSE(run.messages.empty()) << "stopped without a message";
            EXPECT_EQ(seen, before) << Joined(run.messages);
            intact += seen == before;
          } else {
            ++committed;
            EXPECT_EQ(seen, after) << Joined(run.messages);
            EXPECT_EQ(run.messages, std::vector<std::string>{kFinishedMessage});
            intact += seen == after;
          }
        }
        report << std::left << std::setw(11) << IoOperationName(fault.operation)
               << std::setw(20) << fault.error_name << std::setw(13)
               << (persistent ? "from then on" : "once") << std::right << std::setw(7)
               << calls << std::setw(7) << cases << std::setw(9) << stopped
               << std::setw(11) << committed << std::setw(17) << intact << "\n";
        all_cases += cases;
      }
    }
    std::cout << report.str();
    return all_cases;
  }

  TempDir work_;
};

TEST_F(IoFaultTest, EveryFailingFileOperationOfASmallRun) {
  fs::create_directories(input());
  testing_support::RunSqlite(
      input() / "Numbers.mdb",
      std::string(testing_support::kNumbersSchema) + testing_support::kNumbersRows);
  work_.WriteFile("input/preise.csv", testing_support::kPriceFile);
  Sweep(0);
}

TEST_F(IoFaultTest, FailingFileOperationsAllOverAGeneratedRun) {
  const bench::Deck deck =
      bench::GenerateDeck(EnvironmentNumber("RELIABILITY_FAULT_LINES", 2000), 1);
  fs::create_directories(input());
  bench::WritePriceFile(input() / "preise.csv", deck);
  bench::WriteNumbersDatabase(input() / "Numbers.mdb", deck);
  FaultVfs::Reset();
  Sweep(EnvironmentNumber("RELIABILITY_FAULT_CASES", 40));
}

// The working tables, statement journals and sorters spill into temporary
// files; one of them failing must end the run as the database file would.
TEST_F(IoFaultTest, FailingTemporaryFilesEndTheRunAsTheDatabaseFileWould) {
  const bench::Deck deck = bench::GenerateDeck(2000, 1);
  fs::create_directories(input());
  bench::WritePriceFile(input() / "preise.csv", deck);
  bench::WriteNumbersDatabase(input() / "Numbers.mdb", deck);
  FaultVfs::Reset();
  EXPECT_GT(Sweep(EnvironmentNumber("RELIABILITY_FAULT_CASES", 40), Files::kTemporary), 0)
      << "the run used no temporary file";
}

}  // namespace
}  // namespace reliability
