#include "import/price_file_location.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(PriceFileLocationTest, AcceptsAnotherLetterCase) {
  TempDir first, second;
  first.WriteFile("PREISE.CSV", "x");
  first.WriteFile("Preise.csv", "x");
  first.WriteFile("preise.csv.bak", "x");
  EXPECT_EQ(LocatePriceFileIn("preise.csv", first.path(), second.path()),
            first.path() / "PREISE.CSV");
}

TEST(PriceFileLocationTest, FallsBackToTheSecondFolder) {
  TempDir first, second;
  fs::create_directory(first.path() / "preise.csv");  // a folder is no file
  second.WriteFile("Preise.csv", "x");
  EXPECT_EQ(LocatePriceFileIn("preise.csv", first.path(), second.path()),
            second.path() / "Preise.csv");
}

TEST(PriceFileLocationTest, NotFoundGivesTheNameBack) {
  TempDir first;
  EXPECT_EQ(LocatePriceFileIn("preise.csv", first.path(), first.path() / "missing"),
            fs::path("preise.csv"));
}

TEST(PriceFileLocationTest, LooksInTheCurrentFolderFirst) {
  TempDir dir;
  dir.WriteFile("Preise.csv", "x");
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  const fs::path found = LocatePriceFile("preise.csv");
  fs::current_path(saved);
  EXPECT_EQ(found, fs::path("Preise.csv"));
}

}  // namespace
}  // namespace price_import
