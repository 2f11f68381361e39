// A whole run on a Jet Numbers.mdb (settings file, price file, backup,
// retention and change list), and a --restore of a backup, with each of their
// file requests failing in turn, through the platform's FileOperations.
// Whatever fails, the operator finds Numbers.mdb as it was, no temporary file,
// and a German reason naming a file they know; or, once the new file is in
// place, the new file with the old one as backup.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/ini_settings_store.h"
#include "app/restore_backup.h"
#include "app/run_update.h"
#include "platform/backup_files.h"
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

// A backup of the original file, as a run on 1 December would have left it.
constexpr char kOlderBackupName[] = "Numbers.mdb.2026-12-01_10-00-00.bak";

// A run folder: Numbers.mdb (numbers-pk), preise.csv and the settings file;
// for a restore, Numbers.mdb holds `current` and the original is the dated
// backup kOlderBackupName. The file times are set back and the clock is let
// pass a tick, so that the open does not wait for it (which would vary the
// number of requests).
struct SweepFolder {
  TempDir dir;
  std::string before;

  explicit SweepFolder(const std::string& current = "") {
    testing_support::CopyJetNumbersFile(dir.path());
    if (!current.empty()) {
      fs::rename(database(), dir.path() / kOlderBackupName);
      dir.WriteFile(kDatabaseFileName, current);
    }
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

// --restore without a name: the newest backup.
SweepRun RestoreIn(const SweepFolder& folder) {
  const testing_support::CurrentFolder current(folder.dir.path());
  SweepRun run;
  const IniSettingsStore store(folder.dir.path() / kSettingsName);
  run.result = RestoreBackup(store, NumberFormat{","}, run.view, "");
  return run;
}

// Takes the dated backups of Numbers.mdb out of `names` (all but `except`)
// and returns them.
std::vector<std::string> TakeDatedBackups(std::set<std::string>& names,
                                          const std::string& except = "") {
  std::vector<std::string> dated;
  for (auto name = names.begin(); name != names.end();) {
    if (*name != except && platform::ParseBackupName(*name, kDatabaseFileName)) {
      dated.push_back(*name);
      name = names.erase(name);
    } else {
      ++name;
    }
  }
  return dated;
}

// Whether `names` (the folder's, all but `except`) hold the backup of the
// file replaced, with the bytes `replaced`: one dated backup and
// Numbers.mdb.bak, a second name of it; both are taken out of `names`. A run
// stopped after the backup was made (before the rename) may leave either
// (`required` false): copies of the unchanged file.
testing::AssertionResult HasTheBackup(const fs::path& folder,
                                      std::set<std::string>& names,
                                      const std::string& replaced, bool required,
                                      const std::string& except = "") {
  std::vector<std::string> backups = TakeDatedBackups(names, except);
  const size_t dated = backups.size();
  if (names.erase("Numbers.mdb.bak") == 1) backups.push_back("Numbers.mdb.bak");
  if (dated > 1 || (required && backups.size() != 2))
    return testing::AssertionFailure()
           << dated << " dated backups among " << backups.size() << " backups";
  for (const std::string& name : backups)
    if (ReadFileBytes(folder / name) != replaced)
      return testing::AssertionFailure() << name << " is not the file replaced";
  return testing::AssertionSuccess();
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

using Request = FaultInjection::Request;

struct Case {
  FaultInjection::Target target;
  Request request;
};

// Each request of a run without faults failing, and each write of more than
// a byte also cut short.
std::vector<Case> CasesOf(const std::vector<Request>& run_requests,
                          const std::vector<Request>& other_requests) {
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
  return cases;
}

std::string Described(const Case& c) {
  return std::string(c.target.thread == FaultInjection::Thread::kRun ? "run thread"
                                                                     : "copying thread") +
         ", request " + std::to_string(c.target.index) + ": " + c.request.operation +
         " " + c.request.file.filename().string() +
         (c.target.fault == FaultInjection::Fault::kShortWrite ? ", short write" : "");
}

// The request (on the run's thread) that puts the new file in place.
size_t InPlace(const std::vector<Request>& requests) {
  for (size_t i = 0; i < requests.size(); ++i)
    if (requests[i].operation == "RenameOver" &&
        requests[i].file.filename() == kDatabaseFileName)
      return i;
  return requests.size();
}

// Removing a name that is gone already is part of every commit, and closing
// a file that was only read loses nothing: such failures may leave the run
// to commit.
bool Tolerated(const Case& c) {
  return c.request.operation == "Remove" || c.request.operation == "Close";
}

// Whether the run or restore got past the request that failed: it is after
// the rename into place, or one that need not stop it.
bool MayCommit(const Case& c, size_t in_place, const RunResult& result) {
  return (c.target.thread == FaultInjection::Thread::kRun && c.target.index > in_place) ||
         (Tolerated(c) && result.outcome == RunOutcome::kCommitted);
}

// `what` with the case's request failing; `code` is the failure's.
SweepRun WithFault(const Case& c, bool kernel_copy, const std::function<SweepRun()>& what,
                   platform::SystemErrorCode& code) {
  FaultInjection injection(c.target, kernel_copy);
  SweepRun run = what();
  EXPECT_TRUE(injection.fired()) << "the request was not made";
  code = injection.code();
  return run;
}

const std::set<std::string> kUntouched = {kDatabaseFileName, kPriceFileName,
                                          kSettingsName};

// With the system's copy (Linux) and through the buffer (as on Windows),
// whose reads and writes then fail in turn too.
class JetFaultSweepTest : public testing::TestWithParam<bool> {};

TEST_P(JetFaultSweepTest, EveryFailingFileRequestLeavesTheOldFileOrTheWholeNewOne) {
  const bool kernel_copy = GetParam();
  // The run without faults: its requests, and the file it writes.
  std::vector<Request> run_requests, other_requests;
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
    std::set<std::string> names = folder.Names();
    EXPECT_TRUE(HasTheBackup(folder.dir.path(), names, folder.before, true));
  }
  const size_t in_place = InPlace(run_requests);
  ASSERT_LT(in_place, run_requests.size()) << "no rename over Numbers.mdb";
  const std::vector<Case> cases = CasesOf(run_requests, other_requests);
  std::cout << "A run makes " << run_requests.size()
            << " file requests on its own thread "
            << "and " << other_requests.size() << " on the copying thread; "
            << cases.size() << " cases.\n";

  for (const Case& c : cases) {
    SCOPED_TRACE(Described(c));
    const SweepFolder folder;
    platform::SystemErrorCode code = 0;
    const SweepRun run = WithFault(
        c, kernel_copy, [&] { return RunIn(folder); }, code);
    std::set<std::string> names = folder.Names();
    if (MayCommit(c, in_place, run.result)) {
      EXPECT_EQ(run.result.outcome, RunOutcome::kCommitted) << AllMessages(run);
      EXPECT_TRUE(ReadFileBytes(folder.database()) == committed);
      EXPECT_TRUE(HasTheBackup(folder.dir.path(), names, folder.before, true));
      std::set<std::string> expected = kUntouched;
      if (!run.result.report_not_written) expected.insert(kReportName);
      EXPECT_EQ(names, expected);
      if (run.result.report_not_written) {
        EXPECT_TRUE(TellsTheFailure(run, code));
      }
      continue;
    }
    EXPECT_EQ(run.result.outcome, RunOutcome::kStopped) << AllMessages(run);
    EXPECT_TRUE(ReadFileBytes(folder.database()) == folder.before);
    EXPECT_TRUE(TellsTheFailure(run, code));
    EXPECT_TRUE(HasTheBackup(folder.dir.path(), names, folder.before, false));
    EXPECT_EQ(names, kUntouched);
  }
}

// A restore of the newest backup over the file a run made. Whatever fails,
// Numbers.mdb is that file still (with the backup untouched, and at most a
// backup of it) or the restored backup with the file it replaced as the
// newest backup.
TEST_P(JetFaultSweepTest, EveryFailingFileRequestOfARestoreLeavesTheFileOrTheBackup) {
  const bool kernel_copy = GetParam();
  std::string current;
  {
    const SweepFolder folder;
    const SweepRun run = RunIn(folder);
    ASSERT_EQ(run.result.outcome, RunOutcome::kCommitted) << AllMessages(run);
    current = ReadFileBytes(folder.database());
  }
  std::vector<Request> run_requests, other_requests;
  {
    const SweepFolder folder(current);
    const std::string original = ReadFileBytes(folder.dir.path() / kOlderBackupName);
    FaultInjection counting(kernel_copy);
    const SweepRun run = RestoreIn(folder);
    ASSERT_EQ(run.result.outcome, RunOutcome::kCommitted) << AllMessages(run);
    ASSERT_TRUE(ReadFileBytes(folder.database()) == original);
    run_requests = counting.requests(FaultInjection::Thread::kRun);
    other_requests = counting.requests(FaultInjection::Thread::kOther);
  }
  const size_t in_place = InPlace(run_requests);
  ASSERT_LT(in_place, run_requests.size()) << "no rename over Numbers.mdb";
  const std::vector<Case> cases = CasesOf(run_requests, other_requests);
  std::cout << "A restore makes " << run_requests.size() << " file requests on its own "
            << "thread and " << other_requests.size() << " on others; " << cases.size()
            << " cases.\n";

  for (const Case& c : cases) {
    SCOPED_TRACE(Described(c));
    const SweepFolder folder(current);
    const fs::path older_backup = folder.dir.path() / kOlderBackupName;
    const std::string original = ReadFileBytes(older_backup);
    platform::SystemErrorCode code = 0;
    const SweepRun run = WithFault(
        c, kernel_copy, [&] { return RestoreIn(folder); }, code);
    std::set<std::string> names = folder.Names();
    if (MayCommit(c, in_place, run.result)) {
      EXPECT_EQ(ExitStatus(run.result), 0) << AllMessages(run);
      EXPECT_TRUE(ReadFileBytes(folder.database()) == original);
      EXPECT_NE(AllMessages(run).find("Sicherung zurückgeholt"), std::string::npos)
          << AllMessages(run);
      EXPECT_TRUE(
          HasTheBackup(folder.dir.path(), names, current, true, kOlderBackupName));
    } else {
      EXPECT_EQ(run.result.outcome, RunOutcome::kStopped) << AllMessages(run);
      EXPECT_EQ(ExitStatus(run.result), 1);
      EXPECT_TRUE(ReadFileBytes(folder.database()) == current);
      EXPECT_TRUE(TellsTheFailure(run, code));
      EXPECT_TRUE(
          HasTheBackup(folder.dir.path(), names, current, false, kOlderBackupName));
    }
    EXPECT_TRUE(ReadFileBytes(older_backup) == original);
    EXPECT_EQ(names.erase(kOlderBackupName), 1u);
    EXPECT_EQ(names, kUntouched);
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
