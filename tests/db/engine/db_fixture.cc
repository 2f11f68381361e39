#include "tests/db/engine/db_fixture.h"

#include "db/open_database.h"

namespace db_test {

PriceDatabase::PriceDatabase() : file_(dir_.path() / "Numbers.mdb") {
  Run(std::string(kCreateNumbers) +
      "INSERT INTO Numbers VALUES ('0044', 'London', 0.19, 0.05, 5, NULL);"
      "INSERT INTO Numbers VALUES ('030', 'Berlin', 2, 1, 5, NULL);"
      "INSERT INTO Numbers VALUES ('118', 'Auskunft', NULL, 0.5, 5, NULL);"
      "INSERT INTO Numbers VALUES ('0049301', 'Berlin Mobil', 0, 0, 5, NULL);");
}

void PriceDatabase::Run(const std::string& sql) const {
  testing_support::RunSqlite(file_, sql);
}

std::unique_ptr<db::engine::Connection> PriceDatabase::Connect(
    std::chrono::milliseconds busy_timeout,
    std::vector<std::string> working_tables) const {
  auto connection = std::make_unique<db::engine::Connection>();
  connection->set_busy_timeout(busy_timeout);
  connection->set_working_tables(std::move(working_tables));
  connection->set_connection_string(db::BuildConnectionString(file_.string(), "Falter"));
  connection->Open();
  return connection;
}

}  // namespace db_test
