#ifndef PREISLISTE_TESTS_DB_ENGINE_DB_FIXTURE_H_
#define PREISLISTE_TESTS_DB_ENGINE_DB_FIXTURE_H_

#include <chrono>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "db/engine/connection.h"
#include "db/engine/core_types.h"
#include "tests/support/test_files.h"

namespace db_test {

// The Numbers table as the billing product declares it.
inline constexpr char kCreateNumbers[] =
    "CREATE TABLE Numbers (Number VARCHAR(50), Name VARCHAR(255), Price_EUR CURRENCY, "
    "Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(50));";

// A folder holding Numbers.mdb with the Numbers table and four rows:
// 0044 London .19/.05, 030 Berlin 2/1 (stored as integers), 118 Auskunft
// NULL/.5 and 0049301 Berlin Mobil 0/0.
class PriceDatabase {
 public:
  PriceDatabase();
  const std::filesystem::path& folder() const { return dir_.path(); }
  const std::filesystem::path& file() const { return file_; }
  // Plain SQLite SQL on the file, through a connection of its own.
  void Run(const std::string& sql) const;
  // An open connection on the file.
  std::unique_ptr<db::engine::Connection> Connect(
      std::chrono::milliseconds busy_timeout = std::chrono::seconds(5),
      std::vector<std::string> working_tables = {}) const;

 private:
  testing_support::TempDir dir_;
  std::filesystem::path file_;
};

}  // namespace db_test

namespace db::engine {
// Readable values in test failures.
inline void PrintTo(const Value& value, std::ostream* out) {
  static constexpr const char* kTypes[] = {"Null", "Text", "Integer", "Double",
                                           "Currency"};
  *out << kTypes[static_cast<int>(value.type())];
  if (!value.is_null()) *out << "(" << value.ToText() << ")";
}
}  // namespace db::engine

#endif  // PREISLISTE_TESTS_DB_ENGINE_DB_FIXTURE_H_
