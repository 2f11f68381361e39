#include "app/ini_settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "app/settings_file.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

using testing_support::TempDir;

TEST(IniSettingsStoreTest, ReadsValuesVerbatimAndIgnoresLetterCaseOfNames) {
  TempDir dir;
  const auto file = dir.WriteFile("settings.ini",
                                  "; Einstellungen\r\n"
                                  "[Options]\r\n"
                                  "MinimumRatePerMinute=0,1\r\n"
                                  "  mwst = 19    ; percent\r\n"
                                  "DB Path = /srv/Billing Daten\r\n"
                                  "RatingDefaultMargin=60\n"
                                  "RatingDefaultMargin=70\n"
                                  "[Other]\n"
                                  "Extra=1\n");
  const IniSettingsStore store(file);
  EXPECT_EQ(store.Get("Options", "MinimumRatePerMinute", "x"), "0,1");
  EXPECT_EQ(store.Get("Options", "MwSt", "x"), "19");
  EXPECT_EQ(store.Get("options", "DB PATH", "x"), "/srv/Billing Daten");
  EXPECT_EQ(store.Get("Options", "RatingDefaultMargin", "x"), "60");  // the first counts
  EXPECT_EQ(store.Get("Options", "Extra", "default"), "default");
  EXPECT_EQ(store.Get("Other", "Extra", "default"), "1");
}

TEST(IniSettingsStoreTest, MissingFileStoresNoKey) {
  TempDir dir;
  const IniSettingsStore store(dir.path() / "absent.ini");
  EXPECT_EQ(store.Get("Options", "DB Path", "#"), "#");
}

TEST(IniSettingsStoreTest, MalformedLineIsAnErrorNamingFileAndLine) {
  TempDir dir;
  const auto file = dir.WriteFile("settings.ini", "[Options]\nMwSt 19\n");
  const IniSettingsStore store(file);
  try {
    store.Get("Options", "MwSt", "");
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("Zeile 2"), std::string::npos)
        << error.what();
    EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos);
  }
}

TEST(IniSettingsStoreTest, LongestLineIsReadWholeAndALongerOneRefused) {
  TempDir dir;
  // "DB Path=" and a folder: exactly the longest line the parser reads whole.
  const std::string folder = "/srv/" + std::string(198 - 13, 'x');
  const IniSettingsStore fits(
      dir.WriteFile("fits.ini", "[Options]\n  DB Path=" + folder + "\r\n"));
  EXPECT_EQ(fits.Get("Options", "DB Path", "#"), folder);

  const IniSettingsStore too_long(
      dir.WriteFile("long.ini", "[Options]\nDB Path=" + folder + "y\n"));
  try {
    too_long.Get("Options", "DB Path", "#");
    FAIL() << "a cut value was taken";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("in Zeile 2 mehr als 198 Zeichen"),
              std::string::npos)
        << error.what();
  }
}

TEST(DefaultSettingsFileTest, EnvironmentThenXdgThenHome) {
  const char* home = std::getenv("HOME");
  const std::string old_home = home != nullptr ? home : "";
  setenv("UPDATE_PREISLISTE_SETTINGS", "/tmp/a.ini", 1);
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  setenv("HOME", "/home/kasse", 1);
  EXPECT_EQ(DefaultSettingsFile(), "/tmp/a.ini");
  unsetenv("UPDATE_PREISLISTE_SETTINGS");
  EXPECT_EQ(DefaultSettingsFile(), "/xdg/update-preisliste/update-preisliste.ini");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(DefaultSettingsFile(),
            "/home/kasse/.config/update-preisliste/update-preisliste.ini");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", old_home.c_str(), 1);
}

}  // namespace
}  // namespace app
