#include "import/price_file_location.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/error.h"
#include "core/utf8.h"
#include "tests/support/test_files.h"

namespace price_import {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

TEST(PriceFileLocationTest, ExactNameWinsOverOtherCase) {
  TempDir first, second;
  first.WriteFile("Preise.csv", "x");
  first.WriteFile("preise.csv", "x");
  EXPECT_EQ(LocatePriceFileIn("preise.csv", first.path(), second.path()),
            first.path() / "preise.csv");
}

// Whether `found` is the file `expected` names. Windows' file names ignore
// letter case, so there the name as asked for is the file.
void ExpectSameFile(const fs::path& found, const fs::path& expected) {
#ifdef _WIN32
  std::error_code error;
  EXPECT_TRUE(fs::equivalent(found, expected, error)) << found << " / " << expected;
#else
  EXPECT_EQ(found, expected);
#endif
}

TEST(PriceFileLocationTest, AcceptsAnotherLetterCase) {
  TempDir first, second;
  first.WriteFile("PREISE.CSV", "x");
  first.WriteFile("Preise.csv", "x");
  first.WriteFile("preise.csv.bak", "x");
  ExpectSameFile(LocatePriceFileIn("preise.csv", first.path(), second.path()).value(),
                 first.path() / "PREISE.CSV");
}

TEST(PriceFileLocationTest, FallsBackToTheSecondFolder) {
  TempDir first, second;
  fs::create_directory(first.path() / "preise.csv");  // a folder is no file
  second.WriteFile("Preise.csv", "x");
  ExpectSameFile(LocatePriceFileIn("preise.csv", first.path(), second.path()).value(),
                 second.path() / "Preise.csv");
}

TEST(PriceFileLocationTest, NotFoundInEitherFolderGivesNone) {
  TempDir first;
  EXPECT_EQ(LocatePriceFileIn("preise.csv", first.path(), first.path() / "missing"),
            std::nullopt);
}

TEST(PriceFileLocationTest, NotFoundNamesTheCurrentFolderAndTheProgramFolder) {
  TempDir dir;
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  try {
    LocatePriceFile("preise.csv");
    ADD_FAILURE() << "found a price file";
  } catch (const core::Error& error) {
    const std::string text = error.what();
    EXPECT_TRUE(text.starts_with(
        "Die Preisdatei \"preise.csv\" wurde nicht gefunden. "
        "Gesucht in: \"" +
        core::PathToUtf8(fs::current_path()) + "\" (aktueller Ordner) und \""))
        << text;
    EXPECT_TRUE(text.ends_with("\" (Ordner des Programms).")) << text;
    EXPECT_EQ(error.kind(), core::Error::Kind::kNotFound);
  }
  fs::current_path(saved);
}

TEST(PriceFileLocationTest, LooksInTheCurrentFolderFirst) {
  TempDir dir;
  dir.WriteFile("Preise.csv", "x");
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  const fs::path found = LocatePriceFile("preise.csv");
  ExpectSameFile(found, fs::path("Preise.csv"));
  fs::current_path(saved);
}

}  // namespace
}  // namespace price_import
