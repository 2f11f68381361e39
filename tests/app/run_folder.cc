#include "tests/app/run_folder.h"

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

}  // namespace testing_support
