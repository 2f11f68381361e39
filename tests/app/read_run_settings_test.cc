#include "app/read_run_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "tests/app/german_numeric_locale.h"
#include "tests/app/map_settings_store.h"

namespace app {
namespace {

using testing_support::MapSettingsStore;

std::map<std::string, std::string> Complete() {
  return {{"RatingDefaultMargin", "60"},
          {"MinimumRatePerMinute", "0.1"},
          {"MwSt", "19"},
          {"DB Path", "/srv/billing"}};
}

run::RunSettings ReadOrFail(const std::map<std::string, std::string>& options,
                            const NumberFormat& numbers = {}) {
  const RunSettingsOrMessage read = ReadRunSettings(MapSettingsStore(options), numbers);
  EXPECT_TRUE(read.settings) << read.message;
  return read.settings.value_or(run::RunSettings{});
}

TEST(ReadRunSettingsTest, ReadsTheFourSettings) {
  const run::RunSettings settings = ReadOrFail(Complete());
  EXPECT_EQ(settings.margin_percent, 60);
  EXPECT_EQ(settings.minimum_rate, core::Currency::FromTicks(1000));
  EXPECT_DOUBLE_EQ(settings.vat_fraction, 0.19);
#ifdef _WIN32
  EXPECT_EQ(settings.database_folder, "/srv/billing\\");
#else
  EXPECT_EQ(settings.database_folder, "/srv/billing/");
#endif
}

TEST(ReadRunSettingsTest, VatPercentBecomesAFraction) {
  for (const auto& [stored, fraction] :
       std::map<std::string, double>{{"19", 0.19}, {"0", 0}, {"7,5", 0.075}}) {
    auto options = Complete();
    options["MwSt"] = stored;
    EXPECT_DOUBLE_EQ(ReadOrFail(options, NumberFormat{","}).vat_fraction, fraction)
        << stored;
  }
}

TEST(ReadRunSettingsTest, DefaultsForMarginAndMinimumRateInEitherNotation) {
  auto options = Complete();
  options.erase("RatingDefaultMargin");
  options.erase("MinimumRatePerMinute");
  for (const char* separator : {".", ","}) {
    const run::RunSettings settings = ReadOrFail(options, NumberFormat{separator});
    EXPECT_EQ(settings.margin_percent, 60);
    EXPECT_EQ(settings.minimum_rate, core::Currency::FromTicks(1000)) << separator;
  }
}

TEST(ReadRunSettingsTest, MinimumRateDefaultUnderGermanLocale) {
  testing_support::GermanNumericLocale german;
  if (!german.active()) GTEST_SKIP() << "no German locale can be set on this system";
  auto options = Complete();
  options.erase("MinimumRatePerMinute");
  EXPECT_EQ(ReadOrFail(options, NumberFormatOfCurrentLocale()).minimum_rate,
            core::Currency::FromTicks(1000));
  options["MinimumRatePerMinute"] = "0,15";
  EXPECT_EQ(ReadOrFail(options, NumberFormatOfCurrentLocale()).minimum_rate,
            core::Currency::FromTicks(1500));
}

TEST(ReadRunSettingsTest, DatabasePathGetsOneTrailingSeparator) {
#ifdef _WIN32
  const std::map<std::string, std::string> folders = {
      {"C:\\Daten", "C:\\Daten\\"},
      {"C:\\Daten\\", "C:\\Daten\\"},
      {"C:/Daten/", "C:/Daten/"},  // "/" separates on Windows too
      {"", "\\"},
      {"relative\\dir", "relative\\dir\\"},
  };
#else
  const std::map<std::string, std::string> folders = {
      {"/srv/billing", "/srv/billing/"}, {"/srv/billing/", "/srv/billing/"}, {"", "/"},
      {"C:\\Daten", "C:\\Daten/"},  // a Windows path is just a name here
      {"relative/dir", "relative/dir/"},
  };
#endif
  for (const auto& [db_path, folder] : folders) {
    auto options = Complete();
    options["DB Path"] = db_path;
    EXPECT_EQ(ReadOrFail(options).database_folder, folder) << db_path;
  }
}

struct Unusable {
  const char* key;
  const char* value;  // nullptr: not stored
  const char* expected_message;
};

TEST(ReadRunSettingsTest, UnusableSettingsStopWithAMessageNamingTheKey) {
  const Unusable cases[] = {
      {"RatingDefaultMargin", "sechzig",
       "Die Einstellung \"RatingDefaultMargin\" im Abschnitt [Options] ist keine Zahl: "
       "\"sechzig\""},
      {"MinimumRatePerMinute", "0,1 EUR",
       "Die Einstellung \"MinimumRatePerMinute\" im Abschnitt [Options] ist keine Zahl: "
       "\"0,1 EUR\""},
      {"MinimumRatePerMinute", "1e300",  // beyond the currency range
       "Die Einstellung \"MinimumRatePerMinute\" im Abschnitt [Options] ist keine Zahl: "
       "\"1e300\""},
      {"MwSt", "19%",
       "Die Einstellung \"MwSt\" im Abschnitt [Options] ist keine Zahl: \"19%\""},
      {"MwSt", nullptr,
       "Die Einstellung \"MwSt\" im Abschnitt [Options] fehlt. Bitte den "
       "Mehrwertsteuersatz in Prozent eintragen, z. B. MwSt=19."},
      {"MwSt", "",
       "Die Einstellung \"MwSt\" im Abschnitt [Options] fehlt. Bitte den "
       "Mehrwertsteuersatz in Prozent eintragen, z. B. MwSt=19."},
      {"DB Path", nullptr, "Es konnte kein Datenbankpfad gefunden werden!"},
      {"DB Path", "#", "Es konnte kein Datenbankpfad gefunden werden!"},
  };
  for (const Unusable& c : cases) {
    auto options = Complete();
    if (c.value == nullptr)
      options.erase(c.key);
    else
      options[c.key] = c.value;
    const RunSettingsOrMessage read = ReadRunSettings(MapSettingsStore(options), {});
    EXPECT_FALSE(read.settings) << c.key;
    EXPECT_EQ(read.message, c.expected_message);
  }
}

TEST(ReadRunSettingsTest, UnreadableStoreStopsWithItsDescription) {
  class BrokenStore : public SettingsStore {
    std::string Get(std::string_view, std::string_view, std::string_view) const override {
      throw std::runtime_error("Die Einstellungsdatei \"x\" ist in Zeile 3 fehlerhaft.");
    }
  };
  const RunSettingsOrMessage read = ReadRunSettings(BrokenStore(), {});
  EXPECT_FALSE(read.settings);
  EXPECT_EQ(read.message, "Die Einstellungsdatei \"x\" ist in Zeile 3 fehlerhaft.");
}

}  // namespace
}  // namespace app
