#ifndef PREISLISTE_TESTS_APP_RUN_FOLDER_H_
#define PREISLISTE_TESTS_APP_RUN_FOLDER_H_

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace testing_support {

// A small price database and a price file that prices every row by a
// different rule, with the Numbers the run must leave behind.
//
// Numbers has the billing product's columns plus "Aktiv" with a default.
inline constexpr char kNumbersSchema[] =
    "CREATE TABLE Numbers (Number VARCHAR(30), Name VARCHAR(100), Price_EUR CURRENCY, "
    "Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(50), Aktiv INTEGER DEFAULT 1);";
inline constexpr char kNumbersRows[] =
    "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK, GraceTime, Profile, Aktiv) "
    "VALUES "
    "('0044', 'Großbritannien', 0.12, 0.05, 3, 'Standard', 0), "
    "('0043', 'Österreich', 0.15, 0.06, 3, 'Standard', 1), "
    "('030', 'Deutschland Festnetz', 0.05, 0.01, 0, NULL, 1), "
    "('089', 'Deutschland Festnetz', 0.05, 0.01, 0, NULL, 1), "
    "('11833', 'Auskunft', 1.99, 0.9, 0, NULL, 1);";
// Windows-1252: 0xDF is ß, 0xD6 is Ö.
inline constexpr char kPriceFile[] =
    "#Vorwahl;Ziel;Preis\r\n"
    "0044;Gro\xDF"
    "britannien;0,04\r\n"  // same name: highest current price
    "004420;Gro\xDF"
    "britannien;0,05\r\n"                   // same name
    "0043;\xD6sterreich;0,07\r\n"           // same name
    "004366;\xD6sterreich Mobil;0,2\r\n"    // computed: 0.2 x 1.904 -> 0.39
    "004989;Deutschland Festnetz;0,01\r\n"  // same name; back as 089
    "0061;Australien;0,01\r\n";             // computed 0.02, raised to 0.1
// Number, Name, Price_EUR, Rate_EK, GraceTime, Profile, Aktiv after a
// committed run with margin 60, VAT 19 and minimum rate 0.1. 030 and 11833
// are domestic prefixes the file lacks and stay.
inline const std::vector<std::vector<std::string>> kNumbersAfterRun = {
    {"0043", "Österreich", "0.1500", "0.0700", "0", "NULL", "1"},
    {"004366", "Österreich Mobil", "0.3900", "0.2000", "0", "NULL", "1"},
    {"0044", "Großbritannien", "0.1200", "0.0400", "0", "NULL", "1"},
    {"004420", "Großbritannien", "0.1200", "0.0500", "0", "NULL", "1"},
    {"0061", "Australien", "0.1000", "0.0100", "0", "NULL", "1"},
    {"030", "Deutschland Festnetz", "0.0500", "0.0100", "0", "NULL", "1"},
    {"089", "Deutschland Festnetz", "0.0500", "0.0100", "0", "NULL", "1"},
    {"11833", "Auskunft", "1.9900", "0.9000", "0", "NULL", "1"},
};

// A temporary folder with Numbers.mdb made from kNumbersSchema and
// kNumbersRows (or the given SQL).
class RunFolder {
 public:
  explicit RunFolder(const std::string& numbers_sql = std::string(kNumbersSchema) +
                                                      kNumbersRows);

  const std::filesystem::path& path() const { return dir_.path(); }
  std::filesystem::path database() const { return dir_.path() / "Numbers.mdb"; }
  void WriteFile(const std::string& name, const std::string& bytes) const {
    dir_.WriteFile(name, bytes);
  }
  // Every row of Numbers, sorted by Number, money with four decimals.
  std::vector<std::vector<std::string>> Numbers() const;
  // The tables of the database file, sorted.
  std::vector<std::string> Tables() const;

 private:
  TempDir dir_;
};

// Settings for a run on the Numbers.mdb in `folder`: margin 60, minimum
// rate 0,1 (German notation), VAT 19.
inline std::map<std::string, std::string> SettingsFor(
    const std::filesystem::path& folder) {
  return {{"RatingDefaultMargin", "60"},
          {"MinimumRatePerMinute", "0,1"},
          {"MwSt", "19"},
          {"DB Path", folder.string()}};  // without the trailing "/"
}

// Makes a folder the current folder for the life of the object.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_RUN_FOLDER_H_
