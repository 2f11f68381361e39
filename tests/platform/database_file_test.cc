#include "platform/database_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/error.h"
#include "platform/backup_files.h"
#include "platform/lock_file.h"
#include "tests/support/test_files.h"

namespace platform {

using core::Error;
namespace {

using testing_support::FolderNames;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

const std::string kOld = "old database image\n" + std::string(10000, 'o');
const std::string kNew = "new database image\n" + std::string(20000, 'n');

void AcceptCopy(const std::filesystem::path&) {}

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Replaces the file by `image` as a whole: one change over all its bytes.
void ReplaceWith(DatabaseFile&& file, std::string_view image,
                 const DatabaseFile::CopyCheck& check = AcceptCopy,
                 const DatabaseFile::StepHook& hook = {}) {
  file.Replace(image.size(), {{0, Bytes(image)}}, check, hook);
}

std::string Read(DatabaseFile& file, uint64_t offset, size_t length) {
  std::string bytes(length, '\0');
  file.Read(offset, {reinterpret_cast<uint8_t*>(bytes.data()), length});
  return bytes;
}

// The folder's names, with every dated backup of Numbers.mdb as "<dated>".
std::multiset<std::string> NamesWithDatedAsOne(const std::filesystem::path& folder) {
  std::multiset<std::string> names;
  for (const std::string& name : FolderNames(folder))
    names.insert(ParseBackupName(name, "Numbers.mdb") ? "<dated>" : name);
  return names;
}

// The bytes of the dated backups of `database`, oldest first.
std::vector<std::string> DatedBackups(const std::filesystem::path& database) {
  std::vector<std::string> contents;
  for (const Backup& backup : ListBackups(database))
    contents.push_back(ReadFileBytes(backup.path));
  return contents;
}

bool IsCopyName(const std::string& name) { return name.starts_with("Numbers.mdb.tmp-"); }

// Waits until the copy StartCopy() began holds all `size` bytes, so that
// what the test does next happens after the copy was made.
void AwaitCopy(const std::filesystem::path& folder, uint64_t size) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::error_code gone;
      if (IsCopyName(entry.path().filename().string()) &&
          std::filesystem::file_size(entry.path(), gone) == size)
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ADD_FAILURE() << "the copy did not appear";
}

// The one temporary copy of Numbers.mdb in `folder`.
std::filesystem::path TheCopy(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> copies;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (IsCopyName(entry.path().filename().string())) copies.push_back(entry.path());
  EXPECT_EQ(copies.size(), 1u);
  return copies.empty() ? std::filesystem::path() : copies.front();
}

// Overwrites bytes of a file in place (same inode).
void Overwrite(const std::filesystem::path& file, uint64_t offset,
               std::string_view bytes) {
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(offset));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good());
}

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
  DatabaseFile file = DatabaseFile::Open(database);
  EXPECT_EQ(file.size(), kOld.size());
  EXPECT_EQ(Read(file, 0, 100), kOld.substr(0, 100));
  std::string checked;
  ReplaceWith(std::move(file), kNew, [&](const std::filesystem::path& copy) {
    // The check sees the flushed copy beside the original, not the original.
    EXPECT_EQ(copy.parent_path(), dir.path());
    checked = ReadFileBytes(copy);
    EXPECT_EQ(ReadFileBytes(database), kOld);
  });
  EXPECT_EQ(checked, kNew);
  EXPECT_EQ(ReadFileBytes(database), kNew);
  EXPECT_EQ(DatedBackups(database), std::vector<std::string>{kOld});
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), kOld);
  EXPECT_EQ(NamesWithDatedAsOne(dir.path()),
            (std::multiset<std::string>{"Numbers.mdb", "<dated>", "Numbers.mdb.bak"}));
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
  ReplaceWith(DatabaseFile::Open(database), kNew);
  std::multiset<std::string> expected(kept.begin(), kept.end());
  expected.insert({"Numbers.mdb", "<dated>", "Numbers.mdb.bak"});
  EXPECT_EQ(NamesWithDatedAsOne(dir.path()), expected);
}

// Every run keeps its own dated backup, so that the file from before the
// first run survives the second and the third; "Numbers.mdb.bak" is the
// newest one. A "Numbers.mdb.bak" of an earlier version of the program
// becomes a dated backup of its own first.
TEST(DatabaseFileTest, EachRunKeepsADatedBackupAndTheEarlierSingleBackup) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  const auto earlier = dir.WriteFile("Numbers.mdb.bak", "backup of an earlier version");
  const auto yesterday =
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  std::filesystem::last_write_time(earlier, yesterday);
  ReplaceWith(DatabaseFile::Open(database), "first");
  ReplaceWith(DatabaseFile::Open(database), "second");
  ReplaceWith(DatabaseFile::Open(database), "third");
  EXPECT_EQ(ReadFileBytes(database), "third");
  EXPECT_EQ(DatedBackups(database),
            (std::vector<std::string>{"backup of an earlier version", kOld, "first",
                                      "second"}));
  // The earlier backup is dated by its last write.
  EXPECT_EQ(ListBackups(database).front().stamp,
            BackupStamp(std::chrono::system_clock::to_time_t(
                std::filesystem::file_time_type::clock::to_sys(yesterday))));
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), "second");
  EXPECT_TRUE(std::filesystem::equivalent(dir.path() / "Numbers.mdb.bak",
                                          ListBackups(database).back().path));
  EXPECT_EQ(NamesWithDatedAsOne(dir.path()).count("<dated>"), 4u);
  EXPECT_EQ(FolderNames(dir.path()).size(), 6u);
}

// A run stopped between backup and replacement leaves "Numbers.mdb.bak" as
// a second name of the original (and of its dated backup); the next run
// makes no second dated backup of the same file from it.
TEST(DatabaseFileTest, BackupThatIsAlreadyALinkToTheOriginal) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  ASSERT_EQ(link(database.c_str(), (dir.path() / "Numbers.mdb.bak").c_str()), 0);
  ReplaceWith(DatabaseFile::Open(database), kNew);
  EXPECT_EQ(ReadFileBytes(database), kNew);
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), kOld);
  EXPECT_EQ(DatedBackups(database), std::vector<std::string>{kOld});
  EXPECT_EQ(NamesWithDatedAsOne(dir.path()),
            (std::multiset<std::string>{"Numbers.mdb", "<dated>", "Numbers.mdb.bak"}));
}

// A restore puts a copy of the backup in place, with the original's access,
// and keeps the file it replaced as the newest backup, so that the restore
// can be undone; the backup itself stays.
TEST(DatabaseFileTest, ReplaceWithCopyOfPutsTheBackupInPlaceAndKeepsTheReplacedFile) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kNew);
  ASSERT_EQ(chmod(database.c_str(), 0640), 0);
  const auto backup = dir.WriteFile("Numbers.mdb.2026-12-01_10-00-00.bak", kOld);
  std::string checked;
  const auto kept = DatabaseFile::Open(database).ReplaceWithCopyOf(
      backup, [&](const std::filesystem::path& copy) { checked = ReadFileBytes(copy); });
  EXPECT_EQ(checked, kOld);
  EXPECT_EQ(ReadFileBytes(database), kOld);
  EXPECT_EQ(ReadFileBytes(kept), kNew);
  EXPECT_EQ(ListBackups(database).back().path, kept);
  EXPECT_EQ(ReadFileBytes(backup), kOld);
  EXPECT_FALSE(std::filesystem::equivalent(database, backup));
  struct stat after;
  ASSERT_EQ(stat(database.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(NamesWithDatedAsOne(dir.path()),
            (std::multiset<std::string>{"Numbers.mdb", "<dated>", "<dated>",
                                        "Numbers.mdb.bak"}));
}

TEST(DatabaseFileTest, ReplaceWithCopyOfLeavesEverythingWhenTheCheckFails) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kNew);
  const auto damaged = dir.WriteFile("damaged.bak", kOld);
  EXPECT_EQ(ErrorOf([&] {
              DatabaseFile::Open(database).ReplaceWithCopyOf(
                  damaged, [](const std::filesystem::path&) {
                    throw Error("beschädigt", Error::Kind::kDamaged);
                  });
            }),
            "beschädigt");
  EXPECT_EQ(ReadFileBytes(database), kNew);
  EXPECT_EQ(FolderNames(dir.path()),
            (std::set<std::string>{"Numbers.mdb", "damaged.bak"}));
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
  ReplaceWith(DatabaseFile::Open(database), kNew);
  struct stat after;
  ASSERT_EQ(stat(database.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_mode & 07777, 0664u);
}

// The new file is the original's bytes, cut or extended with zeros to the
// new size, with the changes written over them.
TEST(DatabaseFileTest, ReplaceCopiesTheOriginalAndWritesTheChangesOverIt) {
  constexpr size_t kPage = 4096;
  std::string original;
  for (size_t i = 0; i < 3 * kPage + 100; ++i)
    original += static_cast<char>('a' + i % 23);
  const std::string page(kPage, 'P');
  const std::string small = "changed";
  const struct {
    const char* name;
    uint64_t new_size;
    std::vector<std::pair<uint64_t, std::string>> changes;
  } cases[] = {
      {"no change", original.size(), {}},
      {"one page in place", original.size(), {{kPage, page}}},
      {"a few bytes and the last byte",
       original.size(),
       {{5, small}, {original.size() - 1, "Z"}}},
      {"grown by new pages, a gap of zeros",
       6 * kPage,
       {{1 * kPage, page}, {5 * kPage, page}}},
      {"grown, no change", 4 * kPage, {}},
      {"cut", kPage + 10, {{0, small}}},
      {"overlapping changes, the later wins",
       original.size(),
       {{100, page}, {200, small}}},
  };
  for (const auto& c : cases) {
    for (const bool early : {false, true}) {
      TempDir dir;
      const auto database = dir.WriteFile("Numbers.mdb", original);
      std::string expected = original;
      expected.resize(c.new_size, '\0');
      std::vector<DatabaseFile::Change> changes;
      for (const auto& [offset, bytes] : c.changes) {
        expected.replace(offset, bytes.size(), bytes);
        changes.push_back({offset, Bytes(bytes)});
      }
      DatabaseFile file = DatabaseFile::Open(database);
      if (early) file.StartCopy();
      file.Replace(c.new_size, changes, AcceptCopy);
      EXPECT_EQ(ReadFileBytes(database), expected) << c.name << " early " << early;
      EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), original) << c.name;
      EXPECT_EQ(DatedBackups(database), std::vector<std::string>{original}) << c.name;
    }
  }
}

// A run that stops after its copy began, whether the copy is still under
// way or done, and whether the object moved meanwhile, leaves the original
// as it was and no file of its own.
TEST(DatabaseFileTest, RunStoppedAfterTheCopyBeganLeavesNothingBehind) {
  const std::string large(8 << 20, 'L');
  for (const bool await_copy : {false, true}) {
    TempDir dir;
    const auto database = dir.WriteFile("Numbers.mdb", large);
    {
      DatabaseFile file = DatabaseFile::Open(database);
      file.StartCopy();
      if (await_copy) AwaitCopy(dir.path(), large.size());
      DatabaseFile moved(std::move(file));
      EXPECT_EQ(Read(moved, 4096, 4), "LLLL");
    }
    EXPECT_EQ(FolderNames(dir.path()), (std::set<std::string>{"Numbers.mdb"}))
        << "await " << await_copy;
    EXPECT_EQ(ReadFileBytes(database), large);
  }
}

TEST(DatabaseFileTest, ReadGivesTheBytesAndRefusesBytesPastTheEnd) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  DatabaseFile file = DatabaseFile::Open(database);
  EXPECT_EQ(Read(file, 3, 20), kOld.substr(3, 20));
  EXPECT_EQ(Read(file, kOld.size() - 5, 5), kOld.substr(kOld.size() - 5));
  EXPECT_NE(ErrorOf([&] { Read(file, kOld.size() - 5, 6); }).find("endet vor Byte"),
            std::string::npos);
  const std::string error = ErrorOf([&] {
    file.Replace(kOld.size(), {{kOld.size() - 2, Bytes("xyz")}}, AcceptCopy);
  });
  EXPECT_NE(error.find("Interner Fehler"), std::string::npos) << error;
}

// Every refusal at commit leaves the original as it is (as another program
// may have left it) and the folder without any file of the run (no copy, no
// backup). The run has read bytes 0..99 of the file, and changes bytes
// 2000..2099; `meanwhile` acts between the open and the commit, `during` at
// a step of the commit.
struct Refusal {
  const char* name;
  std::function<void(const std::filesystem::path& database)> meanwhile;
  const char* expected;
  bool check_fails = false;
  std::optional<DatabaseFile::Step> during_step = std::nullopt;
  std::function<void(const std::filesystem::path& database,
                     const std::filesystem::path& copy)>
      during = nullptr;
};

class RefusedCommitTest : public testing::TestWithParam<Refusal> {};

// The folder's names but the run's copy.
std::set<std::string> NamesButTheCopy(const std::filesystem::path& folder) {
  std::set<std::string> names = FolderNames(folder);
  std::erase_if(names, IsCopyName);
  return names;
}

// Each refusal holds whether the copy is made at the commit or, with
// `early`, completed before anything happens to the original.
void ExpectRefused(const Refusal& refusal, bool early) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", kOld);
  DatabaseFile file = DatabaseFile::Open(database);
  EXPECT_EQ(Read(file, 0, 100), kOld.substr(0, 100));
  if (early) {
    file.StartCopy();
    AwaitCopy(dir.path(), kOld.size());
  }
  refusal.meanwhile(database);
  std::string expected_bytes = ReadFileBytes(database);
  std::set<std::string> expected_names = NamesButTheCopy(dir.path());
  const std::string change(100, 'c');
  const std::string error = ErrorOf([&] {
    file.Replace(
        kOld.size(), {{2000, Bytes(change)}},
        [&](const std::filesystem::path&) {
          if (refusal.check_fails)
            throw Error("Seite 7 ist keine Datenseite", Error::Kind::kDamaged);
        },
        [&](DatabaseFile::Step step) {
          if (step != refusal.during_step) return;
          const std::filesystem::path copy = TheCopy(dir.path());
          refusal.during(database, copy);
          expected_bytes = ReadFileBytes(database);
          expected_names = FolderNames(dir.path());
          expected_names.erase(copy.filename().string());
        });
  });
  EXPECT_NE(error.find(refusal.expected), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(database), expected_bytes);
  EXPECT_EQ(FolderNames(dir.path()), expected_names);
}

TEST_P(RefusedCommitTest, LeavesTheOriginalAndNoTemporaryFile) {
  for (const bool early : {false, true}) {
    SCOPED_TRACE(early ? "copied early" : "copied at the commit");
    ExpectRefused(GetParam(), early);
  }
}

void AppendByte(const std::filesystem::path& file) {
  std::ofstream(file, std::ios::app) << 'x';
}

// Rewrites one byte and puts the modification time back, so that only the
// content (and the change time, which no program can set) tells the change.
void ChangeByteKeepingSizeAndTime(const std::filesystem::path& file, size_t at) {
  struct stat info;
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  std::string bytes = ReadFileBytes(file);
  bytes[at] = 'X';
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

void MoveTime(const std::filesystem::path& file) {
  std::filesystem::last_write_time(
      file, std::filesystem::last_write_time(file) - std::chrono::seconds(3600));
}

void Nothing(const std::filesystem::path&) {}

constexpr char kChanged[] =
    "von einem anderen Programm verändert; sie wurde nicht ersetzt";
constexpr char kReadChanged[] = "die gelesenen Bytes ab Byte 0 sind nicht mehr dieselben";

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommitTest,
    testing::Values(
        Refusal{"LockFileAppeared",
                [](const auto& db) { std::ofstream(db.parent_path() / "numbers.LDB"); },
                "numbers.LDB ist erschienen"},
        Refusal{"SizeChanged", AppendByte, kChanged},
        Refusal{"Shrunk", [](const auto& db) { std::filesystem::resize_file(db, 1000); },
                "verändert (sie ist kürzer geworden)"},
        Refusal{"TimeChanged", MoveTime, kChanged},
        Refusal{"ReadBytesChangedKeepingSizeAndTime",
                [](const auto& db) { ChangeByteKeepingSizeAndTime(db, 5); },
                kReadChanged},
        Refusal{"UnreadBytesChangedKeepingSizeAndTime",
                [](const auto& db) { ChangeByteKeepingSizeAndTime(db, 5000); }, kChanged},
        Refusal{"FileReplacedByAnotherProgram",
                [](const auto& db) {
                  std::filesystem::remove(db);
                  std::ofstream(db, std::ios::binary) << kOld;
                },
                kChanged},
        Refusal{"CheckOfTheCopyFails", Nothing, "Seite 7 ist keine Datenseite", true},
        Refusal{"CopyLosesBytesTheRunRead", Nothing,
                "enthält ab Byte 0 nicht, was Numbers.mdb dort enthielt", false,
                DatabaseFile::Step::kCopyWritten,
                [](const auto&, const auto& copy) { Overwrite(copy, 50, "?"); }},
        Refusal{"ReadBytesChangeWhileTheCopyIsChecked", Nothing, kReadChanged, false,
                DatabaseFile::Step::kCopyChecked,
                [](const auto& db, const auto&) { Overwrite(db, 99, "?"); }},
        Refusal{"UnreadBytesChangeWhileTheCopyIsChecked", Nothing, kChanged, false,
                DatabaseFile::Step::kCopyChecked,
                [](const auto& db, const auto&) { Overwrite(db, 7000, "?"); }},
        Refusal{"LockFileAppearsWhileTheCopyIsWritten", Nothing,
                "numbers.ldb ist erschienen", false, DatabaseFile::Step::kCopyWritten,
                [](const auto& db, const auto&) {
                  std::ofstream(db.parent_path() / "numbers.ldb");
                }}),
    [](const auto& info) { return std::string(info.param.name); });

// The description of the error `action` throws in a child process without
// privileges (root passes every permission check); empty when none.
std::string ErrorOfUnprivileged(const std::function<void()>& action) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    close(pipe_fds[0]);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    const std::string error = ErrorOf(action);
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
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  return error;
}

// A copy that cannot be made is refused at the commit with the reason, the
// same whether the copy was started early or at the commit. Only root can
// create a file of another owner, so the test makes the files and lets a
// child process without privileges commit.
TEST(DatabaseFileTest, CopyThatCannotBeMadeIsRefusedAtTheCommit) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a file of another owner";
  const struct {
    const char* name;
    mode_t folder_mode;
    mode_t file_mode;
    const char* expected;
  } cases[] = {
      {"owner cannot be kept", 0777, 0666,
       "kann Besitzer, Gruppe und Rechte von Numbers.mdb nicht übernehmen"},
      {"folder not writable", 0755, 0644,
       "Numbers.mdb kann nicht angelegt werden: Keine Berechtigung"},
  };
  for (const auto& c : cases) {
    std::string errors[2];
    for (const bool early : {false, true}) {
      TempDir dir;
      ASSERT_EQ(chmod(dir.path().c_str(), c.folder_mode), 0);
      const auto database = dir.WriteFile("Numbers.mdb", kOld);
      ASSERT_EQ(chmod(database.c_str(), c.file_mode), 0);
      errors[early] = ErrorOfUnprivileged([&] {
        DatabaseFile file = DatabaseFile::Open(database);
        if (early) file.StartCopy();
        ReplaceWith(std::move(file), kNew);
      });
      EXPECT_NE(errors[early].find(c.expected), std::string::npos)
          << c.name << ": " << errors[early];
      EXPECT_EQ(errors[early].find(".tmp-"), std::string::npos)
          << c.name << ": the operator does not know the temporary name";
      // The folders and the temporary names differ; the rest must not.
      if (const size_t at = errors[early].find(dir.path().string());
          at != std::string::npos)
        errors[early].erase(at, dir.path().string().size());
      errors[early] =
          std::regex_replace(errors[early], std::regex("\\.tmp-\\w{6}"), ".tmp-");
      EXPECT_EQ(ReadFileBytes(database), kOld) << c.name;
      EXPECT_EQ(FolderNames(dir.path()), (std::set<std::string>{"Numbers.mdb"}))
          << c.name;
    }
    EXPECT_EQ(errors[1], errors[0]) << c.name;
  }
}

}  // namespace
}  // namespace platform
