#include "platform/backup_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace platform {
namespace {

using testing_support::TempDir;

constexpr uint64_t kMiB = 1 << 20;

std::vector<Backup> Backups(const std::vector<uint64_t>& sizes) {
  std::vector<Backup> backups;
  for (size_t i = 0; i < sizes.size(); ++i) {
    std::string name = "b";
    name += std::to_string(i);
    backups.push_back({name, "", 1, sizes[i], {}});
  }
  return backups;
}

std::vector<std::string> Names(const std::vector<std::filesystem::path>& paths) {
  std::vector<std::string> names;
  for (const auto& path : paths) names.push_back(path.string());
  return names;
}

TEST(BackupsToRemoveTest, OldestGoFirstWhileAnyBoundIsExceededButNeverTheNewest) {
  struct Case {
    const char* name;
    std::vector<uint64_t> sizes;  // oldest first
    size_t keep;
    uint64_t database_size;
    std::optional<VolumeSpace> space;
    std::vector<std::string> removed;
  };
  const VolumeSpace roomy{1000 * kMiB, 900 * kMiB};
  const std::vector<Case> cases = {
      {"within every bound", {kMiB, kMiB, kMiB}, 3, kMiB, roomy, {}},
      {"count", {kMiB, kMiB, kMiB, kMiB}, 2, kMiB, roomy, {"b0", "b1"}},
      {"count without space", {kMiB, kMiB, kMiB}, 1, kMiB, std::nullopt, {"b0", "b1"}},
      // A fifth of 1000 MiB: 200 MiB of backups at most.
      {"total", {90 * kMiB, 90 * kMiB, 90 * kMiB}, 10, 90 * kMiB, roomy, {"b0"}},
      // A tenth of the volume must stay free: 60 + 30 + 30 MiB short.
      {"free tenth",
       {30 * kMiB, 30 * kMiB, 30 * kMiB, 30 * kMiB},
       10,
       kMiB,
       VolumeSpace{1000 * kMiB, 60 * kMiB},
       {"b0", "b1"}},
      // Twice the database must stay free for the next run's copy.
      {"twice the database",
       {100 * kMiB, 100 * kMiB, 100 * kMiB},
       10,
       400 * kMiB,
       VolumeSpace{5000 * kMiB, 700 * kMiB},
       {"b0"}},
      {"the newest stays however large",
       {900 * kMiB},
       10,
       kMiB,
       VolumeSpace{1000 * kMiB, 0},
       {}},
      {"a full disk keeps the newest only",
       {kMiB, kMiB, kMiB},
       10,
       kMiB,
       VolumeSpace{1000 * kMiB, 0},
       {"b0", "b1"}},
      {"no backups", {}, 10, kMiB, roomy, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Names(BackupsToRemove(Backups(c.sizes), c.keep, c.database_size, c.space)),
              c.removed)
        << c.name;
}

TEST(BackupNameTest, OnlyTheDatedNamesOfThisDatabaseAreBackups) {
  struct Case {
    const char* name;
    bool backup;
    const char* stamp;
    int sequence;
  };
  const Case cases[] = {
      {"Numbers.mdb.2026-12-10_14-03-22.bak", true, "2026-12-10_14-03-22", 1},
      {"Numbers.mdb.2026-12-10_14-03-22_2.bak", true, "2026-12-10_14-03-22", 2},
      {"Numbers.mdb.2026-12-10_14-03-22_12.bak", true, "2026-12-10_14-03-22", 12},
      {"Numbers.mdb.bak", false, "", 0},
      {"Numbers.mdb.2026-12-10_14-03-22_1.bak", false, "", 0},
      {"Numbers.mdb.2026-12-10_14-03-22_02.bak", false, "", 0},
      {"Numbers.mdb.2026-12-10_14-03-22_x.bak", false, "", 0},
      {"Numbers.mdb.2026-12-10 14-03-22.bak", false, "", 0},
      {"Numbers.mdb.2026-12-10_14-03-22.bak.tmp", false, "", 0},
      {"Other.mdb.2026-12-10_14-03-22.bak", false, "", 0},
      {"Numbers.mdb.tmp-a1B2c3.bak", false, "", 0},
  };
  for (const Case& c : cases) {
    const std::optional<Backup> backup = ParseBackupName(c.name, "Numbers.mdb");
    ASSERT_EQ(backup.has_value(), c.backup) << c.name;
    if (!backup) continue;
    EXPECT_EQ(backup->stamp, c.stamp) << c.name;
    EXPECT_EQ(backup->sequence, c.sequence) << c.name;
  }
  EXPECT_EQ(ShownStamp("2026-12-10_14-03-22"), "10.12.2026 14:03:22");
}

TEST(BackupNameTest, StampSortsByTimeAndIsLocalTime) {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 10;
  moment.tm_hour = 14;
  moment.tm_min = 3;
  moment.tm_sec = 22;
  moment.tm_isdst = -1;
  const std::time_t time = std::mktime(&moment);
  EXPECT_EQ(BackupStamp(time), "2026-12-10_14-03-22");
  EXPECT_LT(BackupStamp(time), BackupStamp(time + 1));
  EXPECT_LT(BackupStamp(time), BackupStamp(time + 24 * 3600));
}

TEST(ListBackupsTest, FreeNamesCountOnWithinASecondAndTheListIsOldestFirst) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", "now");
  const std::string stamp = "2026-12-10_14-03-22";
  std::vector<std::string> made;
  for (int i = 0; i < 11; ++i) {
    const auto path = FreeBackupPath(database, stamp);
    dir.WriteFile(path.filename().string(), std::to_string(i));
    made.push_back(path.filename().string());
  }
  EXPECT_EQ(made[0], "Numbers.mdb.2026-12-10_14-03-22.bak");
  EXPECT_EQ(made[1], "Numbers.mdb.2026-12-10_14-03-22_2.bak");
  EXPECT_EQ(made[10], "Numbers.mdb.2026-12-10_14-03-22_11.bak");
  dir.WriteFile("Numbers.mdb.2026-12-09_23-59-59.bak", "older");
  dir.WriteFile("Numbers.mdb.bak", "not a dated one");
  const std::vector<Backup> listed = ListBackups(database);
  ASSERT_EQ(listed.size(), 12u);
  EXPECT_EQ(listed[0].path.filename(), "Numbers.mdb.2026-12-09_23-59-59.bak");
  EXPECT_EQ(listed[0].size, 5u);
  for (size_t i = 0; i < made.size(); ++i)
    EXPECT_EQ(listed[i + 1].path.filename(), made[i]) << i;
}

TEST(ListBackupsTest, ANewNameSortsAfterEveryBackupEvenWhenTheClockWentBack) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", "now");
  dir.WriteFile("Numbers.mdb.2026-12-10_14-03-22_3.bak", "newest");
  EXPECT_EQ(FreeBackupPath(database, "2026-12-10_14-03-22").filename(),
            "Numbers.mdb.2026-12-10_14-03-22_4.bak");
  EXPECT_EQ(FreeBackupPath(database, "2026-10-25_02-30-00").filename(),
            "Numbers.mdb.2026-12-10_14-03-22_4.bak");
  EXPECT_EQ(FreeBackupPath(database, "2026-12-10_14-03-23").filename(),
            "Numbers.mdb.2026-12-10_14-03-23.bak");
}

TEST(PruneBackupsTest, KeepsTheNewestOfTheCountAndNothingElseIsTouched) {
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", "now");
  for (const char* stamp : {"2026-12-01_10-00-00", "2026-12-02_10-00-00",
                            "2026-12-03_10-00-00", "2026-12-03_10-00-00_2"})
    dir.WriteFile(std::string("Numbers.mdb.") + stamp + ".bak", stamp);
  dir.WriteFile("Numbers.mdb.bak", "kept");
  dir.WriteFile("Other.mdb.2026-11-01_10-00-00.bak", "kept");
  PruneBackups(database, 2);
  EXPECT_EQ(
      testing_support::FolderNames(dir.path()),
      (std::set<std::string>{
          "Numbers.mdb", "Numbers.mdb.bak", "Numbers.mdb.2026-12-03_10-00-00.bak",
          "Numbers.mdb.2026-12-03_10-00-00_2.bak", "Other.mdb.2026-11-01_10-00-00.bak"}));
}

}  // namespace
}  // namespace platform
