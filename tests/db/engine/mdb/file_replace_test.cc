#include "db/engine/mdb/file_replace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "db/engine/error.h"
#include "db/engine/mdb/lock_file.h"
#include "tests/support/test_files.h"

namespace db::engine::mdb {
namespace {

using testing_support::FolderNames;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

const std::string kOld = "old database image\n" + std::string(10000, 'o');
const std::string kNew = "new database image\n" + std::string(20000, 'n');

void AcceptCopy(const std::filesystem::path&) {}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

TEST(LockFileTest, NameFollowsTheDatabaseName) {
  EXPECT_EQ(LockFileName("/srv/kasse/Numbers.mdb"), "Numbers.ldb");
  EXPECT_EQ(LockFileName("Kasse.MDB"), "Kasse.ldb");
  EXPECT_EQ(LockFileName("daten"), "daten.ldb");
}

TEST(LockFileTest, FoundUnderAnyLetterCaseAndOnlyUnderItsOwnName) {
  const struct {
    const char* present;
    bool found;
  } cases[] = {
      {"Numbers.ldb", true},   {"NUMBERS.LDB", true},      {"numbers.ldb", true},
      {"nUmBeRs.LdB", true},   {"Numbers.mdb.ldb", false}, {"Numbers.ldb.alt", false},
      {"Numbers2.ldb", false}, {"Numbers.laccdb", false},  {"Numbers", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const auto database = dir.WriteFile("Numbers.mdb", kOld);
    dir.WriteFile(c.present, "");
    const auto lock = FindLockFile(database);
    EXPECT_EQ(lock.has_value(), c.found) << c.present;
    if (lock) {
      EXPECT_EQ(lock->filename(), c.present);
    }
  }
}

TEST(DatabaseFileTest, OpenRefusesAFileInUseAndNamesItsLockFile) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  dir.WriteFile("NUMBERS.LDB", "");
  const std::string error = ErrorOf([&] { DatabaseFile::Open(database); });
  EXPECT_NE(error.find("NUMBERS.LDB"), std::string::npos) << error;
  EXPECT_NE(error.find("Abrechnungsprogramm schließen"), std::string::npos) << error;
}

TEST(DatabaseFileTest, OpenRefusesASymbolicLink) {
  TempDir dir;
  const auto target = dir.WriteFile("real.mdb", kOld);
  std::filesystem::create_symlink(target, dir.path() / "Numbers.mdb");
  EXPECT_NE(ErrorOf([&] { DatabaseFile::Open(dir.path() / "Numbers.mdb"); }), "");
}

TEST(DatabaseFileTest, ReplaceWritesTheImageKeepsTheOldAsBackupAndLeavesNothingElse) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  const DatabaseFile file = DatabaseFile::Open(database);
  EXPECT_EQ(file.bytes(), kOld);
  std::string checked;
  file.Replace(kNew, [&](const std::filesystem::path& copy) {
    // The check sees the flushed copy beside the original, not the original.
    EXPECT_EQ(copy.parent_path(), dir.path());
    checked = ReadFileBytes(copy);
    EXPECT_EQ(ReadFileBytes(database), kOld);
  });
  EXPECT_EQ(checked, kNew);
  EXPECT_EQ(ReadFileBytes(database), kNew);
  EXPECT_EQ(ReadFileBytes(file.BackupPath()), kOld);
  EXPECT_EQ(FolderNames(dir.path()),
            (std::set<std::string>{"Numbers.mdb", "Numbers.mdb.bak"}));
}

TEST(DatabaseFileTest, CommitRemovesCopiesLeftByAKilledRunAndNothingElse) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  for (const char* name : {"Numbers.mdb.tmp-a1B2c3", "Numbers.mdb.tmp-Zz9yX8.bak"})
    dir.WriteFile(name, "left by a kill");
  const std::set<std::string> kept = {"Numbers.mdb.tmp-abc", "Numbers.mdb.tmp-a1B2c3x",
                                      "Other.mdb.tmp-a1B2c3",
                                      "Numbers.mdb.tmp-a1B2c3.old"};
  for (const std::string& name : kept) dir.WriteFile(name, "not ours");
  DatabaseFile::Open(database).Replace(kNew, AcceptCopy);
  std::set<std::string> expected = kept;
  expected.insert({"Numbers.mdb", "Numbers.mdb.bak"});
  EXPECT_EQ(FolderNames(dir.path()), expected);
}

TEST(DatabaseFileTest, EachRunReplacesTheOneBackup) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  dir.WriteFile("Numbers.mdb.bak", "backup of an earlier run");
  DatabaseFile::Open(database).Replace("first", AcceptCopy);
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), kOld);
  DatabaseFile::Open(database).Replace("second", AcceptCopy);
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), "first");
  EXPECT_EQ(ReadFileBytes(database), "second");
  EXPECT_EQ(FolderNames(dir.path()),
            (std::set<std::string>{"Numbers.mdb", "Numbers.mdb.bak"}));
}

// A run stopped between backup and replacement leaves the backup as a second
// name of the original; the next run must still end with exactly two files.
TEST(DatabaseFileTest, BackupThatIsAlreadyALinkToTheOriginal) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  ASSERT_EQ(link(database.c_str(), (dir.path() / "Numbers.mdb.bak").c_str()), 0);
  DatabaseFile::Open(database).Replace(kNew, AcceptCopy);
  EXPECT_EQ(ReadFileBytes(database), kNew);
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), kOld);
  EXPECT_EQ(FolderNames(dir.path()),
            (std::set<std::string>{"Numbers.mdb", "Numbers.mdb.bak"}));
}

TEST(DatabaseFileTest, NewFileKeepsOwnerGroupAndMode) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  // Another owner and group only where this user may give them away.
  if (geteuid() == 0) {
    ASSERT_EQ(chown(database.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(chmod(database.c_str(), 0664), 0);
  struct stat before;
  ASSERT_EQ(stat(database.c_str(), &before), 0);
  DatabaseFile::Open(database).Replace(kNew, AcceptCopy);
  struct stat after;
  ASSERT_EQ(stat(database.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_mode & 07777, 0664u);
}

// Every refusal at commit leaves the original exactly as it is and the folder
// without any file of the run (no copy, no backup).
struct Refusal {
  const char* name;
  std::function<void(const std::filesystem::path& database)> meanwhile;
  const char* expected;
  bool check_fails = false;
};

class RefusedCommitTest : public testing::TestWithParam<Refusal> {};

TEST_P(RefusedCommitTest, LeavesTheOriginalAndNoTemporaryFile) {
  const Refusal& refusal = GetParam();
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  const DatabaseFile file = DatabaseFile::Open(database);
  refusal.meanwhile(database);
  const std::string expected_bytes = ReadFileBytes(database);
  const std::set<std::string> expected_names = FolderNames(dir.path());
  const std::string error = ErrorOf([&] {
    file.Replace(kNew, [&](const std::filesystem::path&) {
      if (refusal.check_fails) throw Error("Seite 7 ist keine Datenseite");
    });
  });
  EXPECT_NE(error.find(refusal.expected), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(database), expected_bytes);
  EXPECT_EQ(FolderNames(dir.path()), expected_names);
}

void AppendByte(const std::filesystem::path& file) {
  std::ofstream(file, std::ios::app) << 'x';
}

// Rewrites one byte and puts the modification time back, so that only the
// content tells the change.
void ChangeContentKeepingSizeAndTime(const std::filesystem::path& file) {
  struct stat info;
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  std::string bytes = ReadFileBytes(file);
  bytes[5] = 'X';
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

void MoveTime(const std::filesystem::path& file) {
  std::filesystem::last_write_time(
      file, std::filesystem::last_write_time(file) - std::chrono::seconds(3600));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommitTest,
    testing::Values(
        Refusal{"LockFileAppeared",
                [](const auto& db) { std::ofstream(db.parent_path() / "numbers.LDB"); },
                "numbers.LDB ist erschienen"},
        Refusal{"SizeChanged", AppendByte, "von einem anderen Programm verändert"},
        Refusal{"TimeChanged", MoveTime, "von einem anderen Programm verändert"},
        Refusal{"ContentChanged", ChangeContentKeepingSizeAndTime,
                "von einem anderen Programm verändert"},
        Refusal{"FileReplacedByAnotherProgram",
                [](const auto& db) {
                  std::filesystem::remove(db);
                  std::ofstream(db, std::ios::binary) << kOld;
                },
                "von einem anderen Programm verändert"},
        Refusal{"CheckOfTheCopyFails", [](const auto&) {}, "Seite 7 ist keine Datenseite",
                true}),
    [](const auto& info) { return std::string(info.param.name); });

// A user who cannot give the new file the original's owner gets a refusal
// with the reason. Only root can create a file of another owner, so the
// test makes one and lets a child process without privileges commit.
TEST(DatabaseFileTest, RefusesWhenTheOwnerCannotBeKept) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a file of another owner";
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  ASSERT_EQ(chmod(database.c_str(), 0666), 0);
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipe_fds[0]);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const std::string error =
        ErrorOf([&] { DatabaseFile::Open(database).Replace(kNew, AcceptCopy); });
    const ssize_t ignored = write(pipe_fds[1], error.data(), error.size());
    (void)ignored;
    _exit(0);
  }
  close(pipe_fds[1]);
  std::string error;
  char buffer[512];
  for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
    error.append(buffer, n);
  close(pipe_fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(
      error.find("kann Besitzer, Gruppe und Rechte von Numbers.mdb nicht übernehmen"),
      std::string::npos)
      << error;
  EXPECT_EQ(ReadFileBytes(database), kOld);
  EXPECT_EQ(FolderNames(dir.path()), (std::set<std::string>{"Numbers.mdb"}));
}

}  // namespace
}  // namespace db::engine::mdb
