// update-preisliste.exe in a console, started as cmd starts it: the
// arguments as UTF-16, the output UTF-8 with Windows line ends, the exit
// statuses of the Linux program.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/utf8.h"
#include "tests/app/run_folder.h"
#include "tests/app/win32_program.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::ProgramResult;
using testing_support::ReadFileBytes;
using testing_support::RunProgram;
using testing_support::TempDir;

// "Kasse Müller Ω": a letter of the ANSI code page and one outside it.
constexpr char kFolderName[] = "Kasse M\u00fcller \u03a9";

class ExecutableWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.path() / core::PathFromUtf8(kFolderName);
    ASSERT_TRUE(fs::create_directory(folder_));
    testing_support::RunSqlite(
        folder_ / "Numbers.mdb",
        std::string(testing_support::kNumbersSchema) + testing_support::kNumbersRows);
    std::ofstream(folder_ / "preise.csv", std::ios::binary)
        << testing_support::kPriceFile;
    testing_support::WriteUtf16Settings(settings(), folder_);
  }

  // Named by UPDATE_PREISLISTE_SETTINGS: that path has the folder's letters too.
  fs::path settings() const { return folder_ / "update-preisliste.ini"; }
  ProgramResult Run(const std::vector<std::string>& args) {
    return RunProgram(args, folder_, settings());
  }

  TempDir dir_;
  fs::path folder_;
};

TEST_F(ExecutableWin32Test, ACommittedRunWritesTheChangeListUnderAUtf16NameAndExitsZero) {
  const std::string report = core::PathToUtf8(folder_ / "\u00c4nderungen \u03a9.csv");
  const ProgramResult result = Run({"--report", report});
  EXPECT_EQ(result.exit_status, 0u) << result.err;
  EXPECT_EQ(result.err, "");
  // The Linux console's lines, UTF-8, each ended by CR LF.
  EXPECT_TRUE(result.out.starts_with("Fertig!\r\nPreisdatei: ")) << result.out;
  EXPECT_NE(result.out.find(" unver\xC3\xA4ndert, "), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("\n"), result.out.find("\r\n") + 1);
  EXPECT_TRUE(ReadFileBytes(core::PathFromUtf8(report)).starts_with("Number;Name;"));
  EXPECT_EQ(testing_support::QuerySqlite(
                folder_ / "Numbers.mdb",
                "SELECT printf('%.4f', Price_EUR) FROM Numbers WHERE Number = '004366'"),
            (std::vector<std::vector<std::string>>{{"0.3900"}}));
}

TEST_F(ExecutableWin32Test, AStoppedRunPrintsTheMessageOnStderrAndExitsOne) {
  fs::remove(folder_ / "Numbers.mdb");
  const ProgramResult result = Run({});
  EXPECT_EQ(result.exit_status, 1u);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(
      result.err.starts_with("Datenbank Numbers.mdb konnte nicht ge\xC3\xB6"
                             "ffnet werden!\r\n  Grund: "))
      << result.err;
  // The reason names the folder as the operator wrote it.
  EXPECT_NE(result.err.find(kFolderName), std::string::npos) << result.err;
}

TEST_F(ExecutableWin32Test, AWrongCommandLineExitsTwoAndHelpZero) {
  const ProgramResult wrong = Run({"--bogus"});
  EXPECT_EQ(wrong.exit_status, 2u);
  EXPECT_EQ(wrong.out, "");
  EXPECT_NE(wrong.err.find("--bogus"), std::string::npos) << wrong.err;
  const ProgramResult help = Run({"--help"});
  EXPECT_EQ(help.exit_status, 0u);
  EXPECT_NE(help.out.find("--dry-run"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace app
