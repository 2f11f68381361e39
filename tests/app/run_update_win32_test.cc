// Whole runs on Windows in folders named in any script: the folder comes
// from a UTF-16 settings file, goes through the connection string to SQLite
// or the Jet file, and names the copy, the backup and the change list.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/ini_settings_store.h"
#include "app/run_update.h"
#include "core/utf8.h"
#include "tests/app/jet_numbers_file.h"
#include "tests/app/run_folder.h"
#include "tests/app/win32_program.h"
#include "tests/support/recording_view.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::CurrentFolder;
using testing_support::ReadFileBytes;
using testing_support::RecordingView;
using testing_support::TempDir;

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  ASSERT_TRUE(out.good()) << core::PathToUtf8(file);
}

enum class FileKind { kSqlite, kJet };

struct Case {
  const char* folder;
  FileKind kind;
};

class NonAsciiFolderTest : public testing::TestWithParam<Case> {};

TEST_P(NonAsciiFolderTest, RunCommitsKeepsABackupAndWritesTheChangeList) {
  TempDir dir;
  const fs::path folder = dir.path() / core::PathFromUtf8(GetParam().folder);
  ASSERT_TRUE(fs::create_directory(folder));
  if (GetParam().kind == FileKind::kJet) {
    testing_support::CopyJetNumbersFile(folder);
  } else {
    testing_support::RunSqlite(
        folder / "Numbers.mdb",
        std::string(testing_support::kNumbersSchema) + testing_support::kNumbersRows);
  }
  WriteBytes(folder / "preise.csv", testing_support::kPriceFile);
  testing_support::WriteUtf16Settings(dir.path() / "update-preisliste.ini", folder);
  const std::string before = ReadFileBytes(folder / "Numbers.mdb");
  const std::string report = core::PathToUtf8(folder / "\u00c4nderungen.csv");

  RecordingView view;
  RunResult result;
  {
    const CurrentFolder current(folder);
    result = RunUpdate(IniSettingsStore(dir.path() / "update-preisliste.ini"),
                       NumberFormat{","}, view, RunOptions{false, report});
  }
  EXPECT_EQ(result.outcome, RunOutcome::kCommitted)
      << testing::PrintToString(view.Messages());
  EXPECT_EQ(ExitStatus(result), 0);
  EXPECT_NE(ReadFileBytes(folder / "Numbers.mdb"), before);
  EXPECT_TRUE(ReadFileBytes(core::PathFromUtf8(report))
                  .starts_with("Number;Name;OldPrice;NewPrice;PurchasePrice;Change"));
  if (GetParam().kind == FileKind::kJet) {
    EXPECT_EQ(ReadFileBytes(folder / "Numbers.mdb.bak"), before);
  } else {
    EXPECT_EQ(testing_support::QuerySqlite(folder / "Numbers.mdb",
                                           "SELECT COUNT(*) FROM Numbers")[0][0],
              std::to_string(testing_support::kNumbersAfterRun.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, NonAsciiFolderTest,
    testing::Values(Case{"Kasse M\u00fcller \u00df", FileKind::kSqlite},
                    Case{"Kasse M\u00fcller \u00df", FileKind::kJet},
                    Case{"\u041a\u0430\u0441\u0441\u0430 \u03a9", FileKind::kSqlite},
                    Case{"\u041a\u0430\u0441\u0441\u0430 \u03a9", FileKind::kJet}),
    [](const testing::TestParamInfo<Case>& info) {
      return std::string(info.index < 2 ? "Latin1" : "CyrillicGreek") +
             (info.param.kind == FileKind::kJet ? "Jet" : "Sqlite");
    });

}  // namespace
}  // namespace app
