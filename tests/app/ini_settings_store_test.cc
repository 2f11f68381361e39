#include "app/ini_settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "core/error.h"
#include "core/utf8.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

constexpr char kNotStored[] = "<fehlt>";

// The settings files of tests/data/settings; each "x.ini" has "x.expected",
// which holds either lines "Section / Key = Value" (Value "<fehlt>": the key
// is not stored) or one line "Fehler: <message>" ("<Datei>" for the file).
// Both builds read the same files against the same expectations.
std::vector<std::string> CorpusNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(PREISLISTE_TEST_SETTINGS, error))
    if (entry.path().extension() == ".ini") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ExpectedLines(const std::string& name) {
  const std::string text =
      ReadFileBytes(fs::path(PREISLISTE_TEST_SETTINGS) / (name + ".expected"));
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::string Replaced(std::string text, const std::string& what, const std::string& by) {
  if (const size_t at = text.find(what); at != std::string::npos)
    text.replace(at, what.size(), by);
  return text;
}

class SettingsCorpusTest : public testing::TestWithParam<std::string> {};

TEST_P(SettingsCorpusTest, GivesTheExpectedValuesOrMessage) {
  const fs::path file = fs::path(PREISLISTE_TEST_SETTINGS) / (GetParam() + ".ini");
  const IniSettingsStore store(file);
  const std::vector<std::string> expected = ExpectedLines(GetParam());
  ASSERT_FALSE(expected.empty());
  for (const std::string& line : expected) {
    if (line.starts_with("Fehler: ")) {
      try {
        store.Get("Options", "MwSt", kNotStored);
        ADD_FAILURE() << "read without an error";
      } catch (const core::Error& error) {
        EXPECT_EQ(error.what(),
                  Replaced(line.substr(8), "<Datei>", core::PathToUtf8(file)));
        EXPECT_EQ(error.kind(), core::Error::Kind::kBadInput);
      }
      continue;
    }
    const size_t slash = line.find(" / "), equals = line.find(" = ");
    ASSERT_TRUE(slash != std::string::npos && equals != std::string::npos) << line;
    EXPECT_EQ(store.Get(line.substr(0, slash), line.substr(slash + 3, equals - slash - 3),
                        kNotStored),
              line.substr(equals + 3))
        << line;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsCorpusTest, testing::ValuesIn(CorpusNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// A missing folder would instantiate nothing and pass.
TEST(SettingsCorpusTest, HasItsFiles) { EXPECT_GE(CorpusNames().size(), 25u); }

// The settings files the operator starts from read without a complaint.
TEST(IniSettingsStoreTest, TheShippedExamplesRead) {
  const fs::path source = fs::path(PREISLISTE_TEST_SETTINGS) / ".." / ".." / "..";
  for (const char* example :
       {"examples/update-preisliste.ini", "packaging/windows/update-preisliste.ini"}) {
    const IniSettingsStore store(source / example);
    EXPECT_EQ(store.Get("Options", "MwSt", kNotStored), "19") << example;
  }
}

TEST(IniSettingsStoreTest, MissingFileStoresNoKey) {
  TempDir dir;
  const IniSettingsStore store(dir.path() / "absent.ini");
  EXPECT_EQ(store.Get("Options", "DB Path", "#"), "#");
}

TEST(IniSettingsStoreTest, AFolderInItsPlaceIsNamedAndRefused) {
  TempDir dir;
  fs::create_directory(dir.path() / "update-preisliste.ini");
  const IniSettingsStore store(dir.path() / "update-preisliste.ini");
  try {
    store.Get("Options", "MwSt", "");
    FAIL() << "no error";
  } catch (const core::Error& error) {
    EXPECT_NE(std::string(error.what()).find("update-preisliste.ini"), std::string::npos)
        << error.what();
  }
}

#ifndef _WIN32
// Environment variables are set differently on Windows; the places there are
// the program's folder and %APPDATA%.
class SettingsPlacesTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* home = std::getenv("HOME");
    old_home_ = home != nullptr ? home : "";
  }
  void TearDown() override {
    unsetenv("UPDATE_PREISLISTE_SETTINGS");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", old_home_.c_str(), 1);
  }
  std::string old_home_;
};

TEST_F(SettingsPlacesTest, EnvironmentThenXdgThenHome) {
  setenv("UPDATE_PREISLISTE_SETTINGS", "/tmp/a.ini", 1);
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  setenv("HOME", "/home/kasse", 1);
  EXPECT_EQ(SettingsFilePlaces(), std::vector<fs::path>{"/tmp/a.ini"});
  unsetenv("UPDATE_PREISLISTE_SETTINGS");
  EXPECT_EQ(SettingsFilePlaces(),
            std::vector<fs::path>{"/xdg/update-preisliste/update-preisliste.ini"});
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(SettingsFilePlaces(),
            std::vector<fs::path>{"/home/kasse/.config/update-preisliste/"
                                  "update-preisliste.ini"});
}

TEST_F(SettingsPlacesTest, NoSettingsFileNamesWhereItLooked) {
  TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  const std::string place =
      (dir.path() / "update-preisliste/update-preisliste.ini").string();
  try {
    OpenSettingsFile()->Get("Options", "MwSt", "");
    FAIL() << "no error";
  } catch (const core::Error& error) {
    EXPECT_EQ(
        error.what(),
        "Es wurde keine Einstellungsdatei gefunden. Gesucht wurde: \"" + place + "\".");
    EXPECT_EQ(error.kind(), core::Error::Kind::kNotFound);
  }
  fs::create_directories(dir.path() / "update-preisliste");
  dir.WriteFile("update-preisliste/update-preisliste.ini", "[Options]\nMwSt=7\n");
  EXPECT_EQ(OpenSettingsFile()->Get("options", "mwst", ""), "7");
}
#endif

}  // namespace
}  // namespace app
