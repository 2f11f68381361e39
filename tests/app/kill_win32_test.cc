// Kills update-preisliste.exe (TerminateProcess, as the task manager or a
// power cut ends it) at moments spread over a run on a Jet Numbers.mdb and
// its commit, and checks that Numbers.mdb is then the old file byte for byte
// or the new one an uninterrupted run writes, and that the next run
// succeeds. The run's length is measured first; the kill moments are parts
// of it, plus the moments the commit's copy and backup appear.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/jet_numbers_file.h"
#include "tests/app/win32_program.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing_support::ChildProcess;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

// A price file of `lines` prefixes over a few hundred destinations, large
// enough that a run lasts a good part of a second under Wine.
std::string PriceFile(int lines) {
  std::ostringstream text;
  text << "#Vorwahl;Ziel;Preis\r\n";
  for (int i = 0; i < lines; ++i)
    text << "00" << (100000 + i) << ";Ziel " << i % 400 << ";0," << (10 + i % 90)
         << "\r\n";
  return text.str();
}

bool HasEntryStartingWith(const fs::path& folder, const std::string& start) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored))
    if (entry.path().filename().string().starts_with(start)) return true;
  return false;
}

// When to kill: after a time, or once the folder shows a step of the commit.
struct KillPoint {
  std::string name;
  std::chrono::milliseconds after{0};
  std::function<bool(const fs::path& folder)> reached;
};

class KillWin32Test : public testing::Test {
 protected:
  // A folder with the Jet file, the price file and the settings.
  fs::path FreshFolder(const std::string& name) {
    const fs::path folder = dir_.path() / name;
    fs::create_directory(folder);
    testing_support::CopyJetNumbersFile(folder);
    std::ofstream(folder / "preise.csv", std::ios::binary) << prices_;
    testing_support::WriteUtf16Settings(folder / "update-preisliste.ini", folder);
    return folder;
  }

  DWORD RunToTheEnd(const fs::path& folder) {
    ChildProcess child(testing_support::ProgramUnderTest(), {}, folder,
                       folder / "update-preisliste.ini");
    EXPECT_TRUE(child.WaitFor(std::chrono::minutes(1)));
    return child.ExitStatus();
  }

  // Whether the kill came before the program ended by itself.
  bool RunUntil(const fs::path& folder, const KillPoint& point) {
    const Clock::time_point start = Clock::now();
    ChildProcess child(testing_support::ProgramUnderTest(), {}, folder,
                       folder / "update-preisliste.ini");
    for (;;) {
      if (child.WaitFor(std::chrono::milliseconds(0))) return false;
      const bool due =
          point.reached ? point.reached(folder) : Clock::now() - start >= point.after;
      if (due) {
        child.Terminate();
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  TempDir dir_;
  std::string prices_ = PriceFile(20000);
};

TEST_F(KillWin32Test, KilledRunsLeaveTheOldFileOrTheNewOneAndTheNextRunSucceeds) {
  const fs::path reference = FreshFolder("reference");
  const std::string before = ReadFileBytes(reference / "Numbers.mdb");
  ASSERT_EQ(RunToTheEnd(reference), 0u) << ReadFileBytes(reference / "err.txt");
  const std::string after = ReadFileBytes(reference / "Numbers.mdb");
  ASSERT_NE(after, before);
  // The second run is timed: the first pays for starting Wine's services.
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(RunToTheEnd(reference), 0u);
  const auto run_time =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  const std::string after_twice = ReadFileBytes(reference / "Numbers.mdb");

  std::vector<KillPoint> points;
  for (const double part : {0.15, 0.3, 0.45, 0.6, 0.7, 0.78, 0.82, 0.85, 0.88})
    points.push_back(
        {"after " + std::to_string(static_cast<int>(part * 100)) + "%",
         std::chrono::milliseconds(static_cast<int>(part * run_time.count())), nullptr});
  points.push_back({"copy being written", {}, [](const fs::path& folder) {
                      return HasEntryStartingWith(folder, "Numbers.mdb.tmp-");
                    }});
  points.push_back({"backup made", {}, [](const fs::path& folder) {
                      return fs::exists(folder / "Numbers.mdb.bak");
                    }});

  int index = 0, old_files = 0, new_files = 0;
  std::ostringstream report;
  for (const KillPoint& point : points) {
    SCOPED_TRACE(point.name);
    const fs::path folder = FreshFolder("kill-" + std::to_string(++index));
    const bool killed = RunUntil(folder, point);
    ASSERT_TRUE(fs::exists(folder / "Numbers.mdb"));
    const std::string left = ReadFileBytes(folder / "Numbers.mdb");
    const bool old = left == before;
    EXPECT_TRUE(old || left == after)
        << "Numbers.mdb is neither the old nor the new file";
    (old ? old_files : new_files)++;
    if (!killed) {
      EXPECT_EQ(ReadFileBytes(folder / "err.txt"), "");
    }

    EXPECT_EQ(RunToTheEnd(folder), 0u) << ReadFileBytes(folder / "err.txt");
    EXPECT_EQ(ReadFileBytes(folder / "Numbers.mdb"), old ? after : after_twice);
    EXPECT_FALSE(HasEntryStartingWith(folder, "Numbers.mdb.tmp-"));
    report << point.name << ": " << (killed ? "killed" : "ended first") << ", Numbers "
           << (old ? "old" : "new") << "\n";
  }
  EXPECT_GT(old_files, 0) << "no kill landed before the file was replaced";
  std::cout << "run " << run_time.count() << " ms\n" << report.str();
}

}  // namespace
}  // namespace app
