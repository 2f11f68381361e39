#include "tests/app/run_folder.h"

#include <gtest/gtest.h>

namespace testing_support {

RunFolder::RunFolder(const std::string& numbers_sql) {
  RunSqlite(database(), numbers_sql);
}

std::vector<std::vector<std::string>> RunFolder::Numbers() const {
  return QuerySqlite(database(),
                     "SELECT * FROM (SELECT Number, Name, "
                     "printf('%.4f', Price_EUR), printf('%.4f', Rate_EK), "
                     "GraceTime, Profile, Aktiv FROM Numbers) ORDER BY 1");
}

std::vector<std::string> RunFolder::Tables() const {
  std::vector<std::string> names;
  for (const auto& row :
       QuerySqlite(database(),
                   "SELECT name FROM sqlite_master WHERE type = 'table' "
                   "ORDER BY name"))
    names.push_back(row.at(0));
  return names;
}

void CopyJetNumbersFile(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  const fs::path source = fs::path(PREISLISTE_SHARED_JET) / "numbers" / "numbers-pk.mdb";
  ASSERT_TRUE(fs::exists(source)) << "test file missing: " << source;
  fs::copy_file(source, folder / "Numbers.mdb");
  fs::permissions(folder / "Numbers.mdb", fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace testing_support
