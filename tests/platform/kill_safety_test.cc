// A process killed at any moment of a commit leaves the database whole: the
// old file or the new one, never a mixture, and the next run works.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "platform/backup_files.h"
#include "platform/database_file.h"
#include "tests/support/test_files.h"

namespace platform {

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

// Large enough that writing the copy takes a while, so that the random kills
// below land inside the writes as well as between the steps.
std::string Image(char fill) { return std::string(4 << 20, fill); }

// Replaces the file by `image` as a whole: one change over all its bytes.
void ReplaceWith(DatabaseFile&& file, const std::string& image,
                 const DatabaseFile::StepHook& hook = {}) {
  file.Replace(
      image.size(), {{0, {reinterpret_cast<const uint8_t*>(image.data()), image.size()}}},
      [](const std::filesystem::path&) {}, hook);
}

// Runs `commit` in a child process and returns the signal that ended it (0
// when it exited).
int RunInChild(const std::function<void()>& commit) {
  const pid_t child = fork();
  if (child == 0) {
    try {
      commit();
    } catch (...) {
      _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

class KillAtStepTest : public testing::TestWithParam<DatabaseFile::Step> {};

TEST_P(KillAtStepTest, LeavesTheOldOrTheNewFileAndTheNextRunWorks) {
  const DatabaseFile::Step kill_at = GetParam();
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", Image('o'));
  const int signal = RunInChild([&] {
    ReplaceWith(DatabaseFile::Open(database), Image('n'), [&](DatabaseFile::Step step) {
      if (step == kill_at) raise(SIGKILL);
    });
  });
  ASSERT_EQ(signal, SIGKILL);
  const bool replaced = kill_at >= DatabaseFile::Step::kReplaced;
  EXPECT_EQ(ReadFileBytes(database), Image(replaced ? 'n' : 'o'));
  if (kill_at >= DatabaseFile::Step::kBackupMade) {
    EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), Image('o'));
  }

  ReplaceWith(DatabaseFile::Open(database), "next run");
  EXPECT_EQ(ReadFileBytes(database), "next run");
}

INSTANTIATE_TEST_SUITE_P(EveryStep, KillAtStepTest,
                         testing::Values(DatabaseFile::Step::kCopyWritten,
                                         DatabaseFile::Step::kCopyFlushed,
                                         DatabaseFile::Step::kCopyChecked,
                                         DatabaseFile::Step::kBackupMade,
                                         DatabaseFile::Step::kReplaced));

// A restore killed at any of its steps leaves the file it replaces or the
// backup's copy as Numbers.mdb, and the backup itself as it was.
TEST_P(KillAtStepTest, DuringARestoreLeavesTheOldOrTheRestoredFile) {
  const DatabaseFile::Step kill_at = GetParam();
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", Image('n'));
  const auto backup = dir.WriteFile("Numbers.mdb.2026-12-01_10-00-00.bak", Image('o'));
  const int signal = RunInChild([&] {
    DatabaseFile::Open(database).ReplaceWithCopyOf(
        backup, [](const std::filesystem::path&) {},
        [&](DatabaseFile::Step step) {
          if (step == kill_at) raise(SIGKILL);
        });
  });
  ASSERT_EQ(signal, SIGKILL);
  const bool restored = kill_at >= DatabaseFile::Step::kReplaced;
  EXPECT_EQ(ReadFileBytes(database), Image(restored ? 'o' : 'n'));
  EXPECT_EQ(ReadFileBytes(backup), Image('o'));
  if (kill_at >= DatabaseFile::Step::kBackupMade) {
    EXPECT_EQ(ReadFileBytes(ListBackups(database).back().path), Image('n'));
  }
}

// Kills at moments no hook chooses: a child commits two images in turn, over
// and over, and is killed after a random delay.
TEST(KillAtRandomMomentTest, DatabaseIsAlwaysOneWholeImage) {
  TempDir dir;
  const std::string a = Image('a');
  const std::string b = Image('b');
  const auto database = dir.WriteFile("Numbers.mdb", a);
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> delay_us(0, 40000);
  for (int round = 0; round < 25; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) ReplaceWith(DatabaseFile::Open(database), i % 2 ? a : b);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status))
        << "the committing child ended on its own: " << status;
    const std::string bytes = ReadFileBytes(database);
    ASSERT_TRUE(bytes == a || bytes == b)
        << "round " << round << ": a mixed or cut file of " << bytes.size() << " bytes";
  }
}

}  // namespace
}  // namespace platform
