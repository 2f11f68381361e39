#include "platform/file_operations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/database_file.h"
#include "platform/file_error.h"
#include "tests/support/test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace platform {
namespace {

using testing_support::TempDir;

// Reports a chosen amount of free space and passes on everything else.
class FreeSpaceOf : public FileOperationsWrapper {
 public:
  explicit FreeSpaceOf(uint64_t free)
      : FileOperationsWrapper(SystemFileOperations()), free_(free), installed_(*this) {}
  VolumeSpace Space(const std::filesystem::path&) override { return {free_, free_}; }

 private:
  uint64_t free_;
  InstalledFileOperations installed_;
};

// The copy needs the file's size plus a tenth plus 1 MiB; the refusal names
// the megabytes needed (rounded up) and free (rounded down).
TEST(FileOperationsTest, ACommitRefusesAtTheOpenWhenTheVolumeCannotHoldTheCopy) {
  constexpr uint64_t kMiB = 1 << 20;
  TempDir dir;
  const auto database = dir.WriteFile("Numbers.mdb", std::string(10 * kMiB, 'x'));
  const struct {
    uint64_t free;
    const char* refusal;  // empty: enough room
  } cases[] = {
      {12 * kMiB, ""},
      {12 * kMiB - 1,
       "Auf dem Datenträger von Numbers.mdb ist zu wenig Platz für die neue Fassung: "
       "nötig sind 12 MB, frei sind 11 MB. Bitte Platz schaffen; Numbers.mdb wurde "
       "nicht verändert"},
      {0, "nötig sind 12 MB, frei sind 0 MB."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.free);
    const DatabaseFile file = DatabaseFile::Open(database);
    const FreeSpaceOf free(c.free);
    std::string refusal;
    try {
      file.CheckRoomForCopy();
    } catch (const core::Error& error) {
      refusal = error.what();
    }
    if (*c.refusal == '\0') {
      EXPECT_EQ(refusal, "");
    } else {
      EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
    }
  }
}

// What the system says of a name: the name itself (a link is no regular
// file, and not the file it points to), second names of one file alike, its
// last write in calendar time, and nothing for a missing name.
TEST(FileOperationsTest, TheStatusOfANameDescribesTheNameItself) {
  TempDir dir;
  const auto file = dir.WriteFile("Numbers.mdb", "12345");
  const auto written =
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(30);
  std::filesystem::last_write_time(file, written);
  FileOperations& system = SystemFileOperations();
  const std::optional<NameStatus> status = system.StatusOfName(file);
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(status->regular);
  EXPECT_EQ(status->identity.size, 5u);
  const std::time_t expected = std::chrono::system_clock::to_time_t(
      std::filesystem::file_time_type::clock::to_sys(written));
  EXPECT_LE(std::abs(static_cast<long long>(status->modified - expected)), 1);

  ASSERT_TRUE(system.TryHardLink(file, dir.path() / "second"));
  const std::optional<NameStatus> second = system.StatusOfName(dir.path() / "second");
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->identity.volume, status->identity.volume);
  EXPECT_EQ(second->identity.file, status->identity.file);

  std::filesystem::create_directory(dir.path() / "folder");
  EXPECT_FALSE(system.StatusOfName(dir.path() / "folder")->regular);
  EXPECT_FALSE(system.StatusOfName(dir.path() / "missing").has_value());
  EXPECT_FALSE(system.StatusOfName(dir.path() / "missing" / "file").has_value());

  std::error_code no_links;  // Windows lets only some users make links
  std::filesystem::create_symlink(file, dir.path() / "link", no_links);
  if (!no_links) {
    const std::optional<NameStatus> link = system.StatusOfName(dir.path() / "link");
    ASSERT_TRUE(link.has_value());
    EXPECT_FALSE(link->regular);
    EXPECT_NE(link->identity.file, status->identity.file);
  }

  const VolumeSpace space = system.Space(dir.path());
  EXPECT_GT(space.capacity, 0u);
  EXPECT_LE(space.available, space.capacity);
}

// The names the operator reads for the temporary names beside a file.
TEST(FileOperationsTest, TemporaryNamesAreSaidAsTheFileTheyStandFor) {
  const std::filesystem::path folder = std::filesystem::path("Kasse");
  const struct {
    const char* name;
    std::string said;
  } cases[] = {
      {"Numbers.mdb.tmp-Ab3xY9",
       "Die neue Fassung von " + (folder / "Numbers.mdb").string()},
      {"Numbers.mdb.tmp-Ab3xY9.bak",
       "Die Sicherung " + (folder / "Numbers.mdb.bak").string()},
      {"Numbers.mdb", (folder / "Numbers.mdb").string()},
      {"Numbers.mdb.tmp-Ab3x", (folder / "Numbers.mdb.tmp-Ab3x").string()},
      {"Numbers.mdb.tmp-Ab3xY9.old", (folder / "Numbers.mdb.tmp-Ab3xY9.old").string()},
  };
  for (const auto& c : cases) EXPECT_EQ(OperatorName(folder / c.name), c.said) << c.name;
  EXPECT_TRUE(IsTemporaryNameOf("Numbers.mdb.tmp-Ab3xY9.bak", "Numbers.mdb"));
  EXPECT_FALSE(IsTemporaryNameOf("Other.mdb.tmp-Ab3xY9", "Numbers.mdb"));
}

// Real refusals of the system, said in German with the file; a code not
// foreseen keeps the system's text after the German words.
TEST(FileOperationsTest, TheSystemsReasonsAreSaidInGerman) {
  TempDir dir;
  const auto missing = dir.path() / "fehlt.csv";
  try {
    File::OpenForReading(missing);
    ADD_FAILURE() << "opened a missing file";
  } catch (const FileError& error) {
    EXPECT_EQ(std::string(error.what()),
              missing.string() +
                  " kann nicht geöffnet werden: Datei oder Ordner nicht "
                  "gefunden");
    EXPECT_EQ(error.kind(), core::Error::Kind::kNotFound);
  }
#ifdef _WIN32
  const SystemErrorCode full = ERROR_DISK_FULL, unforeseen = ERROR_INVALID_DATA;
#else
  const SystemErrorCode full = ENOSPC, unforeseen = EDOM;
#endif
  EXPECT_EQ(SystemReason(full), "Auf dem Datenträger ist kein Platz mehr");
  const std::string other = SystemReason(unforeseen);
  EXPECT_EQ(other.rfind("Unerwarteter Systemfehler (", 0), 0u) << other;
  EXPECT_GT(other.size(), std::string("Unerwarteter Systemfehler ()").size()) << other;
}

}  // namespace
}  // namespace platform
