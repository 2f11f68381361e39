// The price database shared with others: the billing product reading while
// a run works, another program holding the write lock, and a file or folder
// the program may not write.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/run_update.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/reliability/database_dump.h"
#include "tests/reliability/program_run.h"
#include "tests/support/recording_view.h"

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
using testing_support::RunFolder;

MapSettingsStore SettingsFor(const RunFolder& folder) {
  return MapSettingsStore({{"MwSt", "19"}, {"DB Path", folder.path().string()}});
}

// Reads Numbers through its own connection, as the billing product would,
// whenever the run reports progress or shows a message.
class ReadingView : public RecordingView {
 public:
  explicit ReadingView(fs::path database) : database_(std::move(database)) {}

  void SetOverallProgress(float value) override {
    RecordingView::SetOverallProgress(value);
    Read();
  }
  using RecordingView::ShowMessage;
  void ShowMessage(const std::string& text, Icon icon,
                   const std::string& detail) override {
    RecordingView::ShowMessage(text, icon, detail);
    Read();
  }

  // What the reader saw at each moment, or "busy: <reason>" when it could
  // not read.
  std::vector<std::string> seen;

 private:
  void Read() {
    sqlite3* db = nullptr;
    sqlite3_open_v2(database_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::string rows;
    int result = sqlite3_prepare_v2(
        db, "SELECT Number, Name, Price_EUR, Rate_EK FROM Numbers ORDER BY Number", -1,
        &statement, nullptr);
    if (result == SQLITE_OK) {
      while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < 4; ++i) {
          const unsigned char* text = sqlite3_column_text(statement, i);
          rows += text ? reinterpret_cast<const char*>(text) : "NULL";
          rows += i < 3 ? "|" : "\n";
        }
      }
    }
    seen.push_back(result == SQLITE_DONE ? rows
                                         : std::string("busy: ") + sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_close(db);
  }

  fs::path database_;
};

TEST(OtherUsersTest, AReaderSeesTheOldListUntilTheCommitAndTheNewOneAfter) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const std::string old_rows = [&] {
    ReadingView reader(folder.database());
    reader.SetOverallProgress(0);
    return reader.seen.at(0);
  }();

  ASSERT_EQ(old_rows.find("busy"), std::string::npos) << old_rows;

  ReadingView view(folder.database());
  {
    const MapSettingsStore store = SettingsFor(folder);
    const CurrentFolder here(folder.path());
    ASSERT_EQ(RunUpdate(store, NumberFormat{}, view), RunOutcome::kCommitted);
  }
  ASSERT_EQ(view.Messages(), std::vector<std::string>{kFinishedMessage});
  ASSERT_GE(view.seen.size(), 20u);
  // Every read during the run saw the old list and none was locked out. The
  // last two reads come after the commit: the driver's overall 100 and
  // "Fertig!"; they see the new list.
  const size_t last = view.seen.size() - 1;
  for (size_t i = 0; i + 1 < last; ++i) EXPECT_EQ(view.seen[i], old_rows) << i;
  EXPECT_EQ(view.Overall().back(), 100);
  EXPECT_NE(view.seen[last], old_rows);
  EXPECT_EQ(view.seen[last - 1], view.seen[last]);
  EXPECT_EQ(view.seen[last].find("busy"), std::string::npos) << view.seen[last];
  EXPECT_EQ(folder.Numbers(), testing_support::kNumbersAfterRun);
}

// Another program that holds a lock on the file until the object goes away.
class LockHolder {
 public:
  LockHolder(const fs::path& database, const char* begin) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) ADD_FAILURE() << "pipe";
    child_ = fork();
    if (child_ == 0) {
      close(ready[0]);
      close(release[1]);
      sqlite3* db = nullptr;
      const bool locked = sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
                          sqlite3_exec(db, begin, nullptr, nullptr, nullptr) == SQLITE_OK;
      const char answer = locked ? 'y' : 'n';
      if (write(ready[1], &answer, 1) != 1) _exit(2);
      char ignored;
      while (read(release[0], &ignored, 1) > 0) {
      }
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char answer = 'n';
    if (read(ready[0], &answer, 1) != 1 || answer != 'y')
      ADD_FAILURE() << "no lock: " << begin;
    close(ready[0]);
  }
  ~LockHolder() {
    close(release_);
    int status = 0;
    waitpid(child_, &status, 0);
  }

 private:
  pid_t child_ = -1;
  int release_ = -1;
};

struct LockCase {
  const char* begin;
  const char* message;
  const char* detail_end;  // the reason shown beside it, if any
};

class LockedDatabaseTest : public testing::TestWithParam<LockCase> {};

// A writer blocks the run's transaction; an exclusive lock blocks even the
// opening read. Either way the run waits a few seconds, then gives up.
TEST_P(LockedDatabaseTest, TheRunGivesUpAfterABoundedWaitAndChangesNothing) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const std::string before = DumpDatabase(folder.database());
  RecordingView view;
  RunOutcome outcome;
  std::chrono::steady_clock::duration waited;
  {
    const LockHolder other(folder.database(), GetParam().begin);
    const MapSettingsStore store = SettingsFor(folder);
    const CurrentFolder here(folder.path());
    const auto start = std::chrono::steady_clock::now();
    outcome = RunUpdate(store, NumberFormat{}, view);
    waited = std::chrono::steady_clock::now() - start;
  }
  EXPECT_EQ(outcome, RunOutcome::kStopped);
  ASSERT_EQ(view.Messages().size(), 1u);
  EXPECT_TRUE(view.Messages()[0].starts_with(GetParam().message)) << view.Messages()[0];
  EXPECT_TRUE(view.Details()[0].ends_with(GetParam().detail_end)) << view.Details()[0];
  EXPECT_GE(waited, std::chrono::seconds(2));
  EXPECT_LE(waited, std::chrono::seconds(20));
  EXPECT_EQ(DumpDatabase(folder.database()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Locks, LockedDatabaseTest,
    testing::Values(LockCase{"BEGIN IMMEDIATE",
                             "Fehler: database is locked (ein anderes Programm", ""},
                    LockCase{"BEGIN EXCLUSIVE",
                             "Datenbank Numbers.mdb konnte nicht geöffnet werden!",
                             "/Numbers.mdb ist von einem anderen Programm gesperrt "
                             "(database is locked)"}));

// The program's file permissions only bind a user who is not root: as root
// the test runs the program as "nobody".
std::optional<unsigned> UnprivilegedUser() {
  if (geteuid() != 0) return std::nullopt;
  return 65534u;
}

struct ReadOnlyCase {
  const char* name;
  fs::perms folder;
  fs::perms database;
  const char* message;
  const char* reason;
};

class ReadOnlyTest : public testing::TestWithParam<ReadOnlyCase> {};

TEST_P(ReadOnlyTest, TheRunStopsWithAMessageAndChangesNothing) {
  RunFolder folder;
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const fs::path settings = WriteSettings(folder.path() / "settings.ini", folder.path());
  const std::string before = testing_support::ReadFileBytes(folder.database());
  fs::permissions(folder.database(), GetParam().database);
  fs::permissions(folder.path(), GetParam().folder);

  const ProgramResult result = RunProgram(folder.path(), settings, {},
                                          std::chrono::seconds(60), UnprivilegedUser());
  fs::permissions(folder.path(), fs::perms::owner_all);
  if (result.exit_status == 125) GTEST_SKIP() << "cannot switch to the user nobody";
  EXPECT_EQ(result.exit_status, 1) << result.output;
  EXPECT_NE(result.output.find(GetParam().message), std::string::npos) << result.output;
  EXPECT_NE(result.output.find(GetParam().reason), std::string::npos) << result.output;
  EXPECT_EQ(testing_support::ReadFileBytes(folder.database()), before);
  EXPECT_FALSE(fs::exists(folder.path() / "Numbers.mdb-journal"));
}

constexpr fs::perms kReadOnly =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kReadOnlyFolder =
    kReadOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
constexpr fs::perms kWritable = fs::perms::all;

INSTANTIATE_TEST_SUITE_P(
    Permissions, ReadOnlyTest,
    testing::Values(ReadOnlyCase{"file", kWritable, kReadOnly,
                                 "Datenbank Numbers.mdb konnte nicht geöffnet werden!",
                                 "\n  Grund: Keine Berechtigung, "},
                    // The journal could not be created beside the file: refused
                    // before any work.
                    ReadOnlyCase{"folder", kReadOnlyFolder, kWritable,
                                 "Datenbank Numbers.mdb konnte nicht geöffnet werden!",
                                 "\n  Grund: Keine Berechtigung, im Ordner "}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reliability
