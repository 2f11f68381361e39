// A whole run on a Jet Numbers.mdb (settings file, price file, backup and
// change list) with each of its file requests failing in turn, through the
// platform's FileOperations. Whatever fails, the operator finds Numbers.mdb
// as it was, no temporary file, and a German reason naming a file they know;
// or, once the new file is in place, the new file with the old one as backup.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/run_update.h"
#include "app/ini_settings_store.h"
#include "tests/app/fault_injection.h"
#include "tests/app/jet_numbers_file.h"
#include "tests/app/run_folder.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::FaultInjection;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

constexpr char kSettingsName[] = "update-preisliste.ini";
constexpr char kReportName[] = "aenderungen.csv";

// Known destinations at new prices and new ones; the prefixes the file lacks
// are dropped, so the run rewrites much of Numbers.
constexpr char kPriceFile[] =
    "#Vorwahl;Ziel;Preis\r\n"
    "004930;Deutschland Festnetz;0,012\r\n"
    "0043;\xD6sterreich;0,07\r\n"
    "004366;\xD6sterreich Mobil;0,2\r\n"
    "00998100;Neuland;0,08\r\n"
    "00998101;Neuland Mobil;0,3\r\n";

// A run folder: Numbers.mdb (numbers-pk), preise.csv and the settings file.
// The file times are set back and the clock is let pass a tick, so that the
// open does not wait for it (which would vary the number of requests).
struct SweepFolder {
  TempDir dir;
  std::string before;

  SweepFolder() {
    testing_support::CopyJetNumbersFile(dir.path());
    dir.WriteFile(kPriceFileName, kPriceFile);
    // The short price file replaces nearly the whole list on purpose.
    dir.WriteFile(kSettingsName,
                  "[Options]\r\nRatingDefaultMargin=60\r\nMinimumRatePerMinute=0.1\r\n"
                  "MwSt=19\r\nDB Path=" +
                      dir.path().string() + "\r\n[Pruefung]\r\nMaxWegfall=100\r\n");
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::directory_iterator(dir.path()))
      fs::last_write_time(entry.path(), past);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    before = ReadFileBytes(database());
  }
  fs::path database() const { return dir.path() / kDatabaseFileName; }
  std::set<std::string> Names() const { return testing_support::FolderNames(dir.path()); }
};

struct SweepRun {
  RunResult result;
  testing_support::RecordingView view;
};

SweepRun RunIn(const SweepFolder& folder) {
  const testing_support::CurrentFolder current(folder.dir.path());
  SweepRun run;
  const IniSettingsStore store(folder.dir.path() / kSettingsName);
  run.result = RunUpdate(store, NumberFormat{","}, run.view,
                         RunOptions{false, (folder.dir.path() / kReportName).string()});
  return run;
}

std::string AllMessages(const SweepRun& run) {
  std::string all;
  for (size_t i = 0; i < run.view.Messages().size(); ++i)
    all += "[" + run.view.Messages()[i] + " / " + run.view.Details()[i] + "] ";
  return all;
}

// The operator's message for the failure: in German with the
// reason for the code, naming a file the operator knows, never a temporary
// one, and none of the system's or a library's own words.
testing::AssertionResult TellsTheFailure(const SweepRun& run,
                                         platform::SystemErrorCode code) {
  const std::string all = AllMessages(run);
  const std::string reason = platform::SystemReason(code);
  const bool names_a_known_file = all.find(kDatabaseFileName) != std::string::npos ||
                                  all.find(kPriceFileName) != std::string::npos ||
                                  all.find(kSettingsName) != std::string::npos ||
                                  all.find(kReportName) != std::string::npos;
  const char* const foreign[] = {".tmp-", "filesystem error", "disk I/O error",
                                 "database or disk is full"};
  bool has_foreign =
      all.find(testing_support::NativeErrorText(code)) != std::string::npos;
  for (const char* text : foreign)
    has_foreign = has_foreign || all.find(text) != std::string::npos;
  if (all.find(reason) != std::string::npos && names_a_known_file && !has_foreign)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "expected a German reason (" << reason
                                     << ") naming a known file, got " << all;
}

// With the system's copy (Linux) and through the buffer (as on Windows),
// whose reads and writes then fail in turn too.
class JetFaultSweepTest : public testing::TestWithParam<bool> {};

TEST_P(JetFaultSweepTest, EveryFailingFileRequestLeavesTheOldFileOrTheWholeNewOne) {
  const bool kernel_copy = GetParam();
  // The run without faults: its requests, and the file it writes.
  std::vector<FaultInjection::Request> run_requests, other_requests;
  std::string committed;
  {
    const SweepFolder folder;
    FaultInjection counting(kernel_copy);
    const SweepRun run = RunIn(folder);
    ASSERT_EQ(run.result.outcome, RunOutcome::kCommitted) << AllMessages(run);
    ASSERT_FALSE(run.result.report_not_written) << AllMessages(run);
    run_requests = counting.requests(FaultInjection::Thread::kRun);
    other_requests = counting.requests(FaultInjection::Thread::kOther);
    committed = ReadFileBytes(folder.database());
    ASSERT_NE(committed, folder.before);
    EXPECT_EQ(ReadFileBytes(folder.dir.path() / "Numbers.mdb.bak"), folder.before);
  }
  // The new file is in place from this request on.
  size_t in_place = run_requests.size();
  for (size_t i = 0; i < run_requests.size(); ++i)
    if (run_requests[i].operation == "RenameOver" &&
        run_requests[i].file.filename() == kDatabaseFileName)
      in_place = i;
  ASSERT_LT(in_place, run_requests.size()) << "no rename over Numbers.mdb";

  struct Case {
    FaultInjection::Target target;
    FaultInjection::Request request;
  };
  std::vector<Case> cases;
  for (const auto& [thread, requests] :
       {std::pair{FaultInjection::Thread::kRun, &run_requests},
        std::pair{FaultInjection::Thread::kOther, &other_requests}})
    for (size_t i = 0; i < requests->size(); ++i) {
      cases.push_back({{thread, i, FaultInjection::Fault::kError}, (*requests)[i]});
      if ((*requests)[i].writes)
        cases.push_back(
            {{thread, i, FaultInjection::Fault::kShortWrite}, (*requests)[i]});
    }
  std::cout << "A run makes " << run_requests.size()
            << " file requests on its own thread "
            << "and " << other_requests.size() << " on the copying thread; "
            << cases.size() << " cases.\n";

  const std::set<std::string> untouched = {kDatabaseFileName, kPriceFileName,
                                           kSettingsName};
  for (const Case& c : cases) {
    const bool on_run_thread = c.target.thread == FaultInjection::Thread::kRun;
    SCOPED_TRACE(
        std::string(on_run_thread ? "run thread" : "copying thread") + ", request " +
        std::to_string(c.target.index) + ": " + c.request.operation + " " +
        c.request.file.filename().string() +
        (c.target.fault == FaultInjection::Fault::kShortWrite ? ", short write" : ""));
    const SweepFolder folder;
    SweepRun run;
    platform::SystemErrorCode code = 0;
    {
      FaultInjection injection(c.target, kernel_copy);
      run = RunIn(folder);
      EXPECT_TRUE(injection.fired()) << "the request was not made";
      code = injection.code();
    }
    // Removing a name that is gone already is part of every commit, and
    // closing a file that was only read loses nothing: such failures may
    // leave the run to commit.
    const bool tolerated =
        c.request.operation == "Remove" || c.request.operation == "Close";
    const bool after_in_place = on_run_thread && c.target.index > in_place;
    if (after_in_place || (tolerated && run.result.outcome == RunOutcome::kCommitted)) {
      EXPECT_EQ(run.result.outcome, RunOutcome::kCommitted) << AllMessages(run);
      EXPECT_TRUE(ReadFileBytes(folder.database()) == committed);
      EXPECT_TRUE(ReadFileBytes(folder.dir.path() / "Numbers.mdb.bak") == folder.before);
      std::set<std::string> expected = untouched;
      expected.insert("Numbers.mdb.bak");
      if (!run.result.report_not_written) expected.insert(kReportName);
      EXPECT_EQ(folder.Names(), expected);
      if (run.result.report_not_written) {
        EXPECT_TRUE(TellsTheFailure(run, code));
      }
      continue;
    }
    EXPECT_EQ(run.result.outcome, RunOutcome::kStopped) << AllMessages(run);
    EXPECT_TRUE(ReadFileBytes(folder.database()) == folder.before);
    EXPECT_TRUE(TellsTheFailure(run, code));
    // The backup is made before the rename; a run stopped between the two
    // leaves it, a second name of the unchanged file.
    std::set<std::string> names = folder.Names();
    if (names.erase("Numbers.mdb.bak") == 1) {
      EXPECT_TRUE(ReadFileBytes(folder.dir.path() / "Numbers.mdb.bak") == folder.before);
    }
    EXPECT_EQ(names, untouched);
  }
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Copy, JetFaultSweepTest, testing::Values(false),
                         [](const auto&) { return std::string("buffer"); });
#else
INSTANTIATE_TEST_SUITE_P(Copy, JetFaultSweepTest, testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "system" : "buffer");
});
#endif

}  // namespace
}  // namespace app
