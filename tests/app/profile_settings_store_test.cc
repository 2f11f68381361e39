#include "app/profile_settings_store.h"

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace app {
namespace {

using testing_support::TempDir;

// The same file the Linux reader's test reads, as Windows' INI functions
// read it.
TEST(ProfileSettingsStoreTest, ReadsValuesAsWrittenAndIgnoresLetterCaseOfNames) {
  TempDir dir;
  const auto file = dir.WriteFile("settings.ini",
                                  "; Einstellungen\r\n"
                                  "[Options]\r\n"
                                  "MinimumRatePerMinute=0,1\r\n"
                                  "  mwst = 19\r\n"
                                  "DB Path = C:\\Billing Daten\r\n"
                                  "RatingDefaultMargin=60\r\n"
                                  "RatingDefaultMargin=70\r\n"
                                  "Leer=\r\n"
                                  "[Other]\r\n"
                                  "Extra=1\r\n");
  const ProfileSettingsStore store(file);
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Options", "MinimumRatePerMinute", "0,1"},
      {"Options", "MwSt", "19"},
      {"options", "DB PATH", "C:\\Billing Daten"},
      {"Options", "RatingDefaultMargin", "60"},  // the first counts
      {"Options", "Leer", ""},                   // stored, and empty
      {"Options", "Extra", "#"},                 // another section's key
      {"Other", "Extra", "1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(store.Get(c.section, c.key, "#"), c.expected) << c.section << "/" << c.key;
}

TEST(ProfileSettingsStoreTest, MissingFileStoresNoKey) {
  TempDir dir;
  const ProfileSettingsStore store(dir.path() / "absent.ini");
  EXPECT_EQ(store.Get("Options", "DB Path", "#"), "#");
}

TEST(ProfileSettingsStoreTest, Utf16FileGivesUtf8Values) {
  TempDir dir;
  // "[Options]\r\nDB Path=C:\Ümlaut\r\n" in UTF-16LE with its byte order mark.
  const std::u16string text = u"[Options]\r\nDB Path=C:\\\u00DCmlaut\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  const ProfileSettingsStore store(dir.WriteFile("settings.ini", bytes));
  EXPECT_EQ(store.Get("Options", "DB Path", "#"), "C:\\\xC3\x9Cmlaut");
}

}  // namespace
}  // namespace app
