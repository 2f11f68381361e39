// The whole price update on Numbers loaded from a Jet file gives exactly the
// result of the same update on an SQLite file holding the same rows.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/currency.h"
#include "db/engine/connection.h"
#include "db/open_database.h"
#include "pricing/update_prices.h"
#include "run/tables.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace pricing {
namespace {

namespace fs = std::filesystem;
using core::Currency;
using core::Value;
using db::engine::Connection;

constexpr const char* kColumns[] = {"Number",  "Name",      "Price_EUR",
                                    "Rate_EK", "GraceTime", "Profile"};

std::unique_ptr<Connection> Connect(const fs::path& file) {
  auto connection = std::make_unique<Connection>();
  connection->set_connection_string(
      db::BuildConnectionString(file.string(), db::kDatabasePassword));
  connection->set_jet_file_table(std::string(run::kNumbers));
  connection->Open();
  return connection;
}

// Every row of Numbers sorted by Number; NULL apart from every text.
std::vector<std::vector<std::string>> NumbersRows(Connection& connection) {
  std::vector<std::vector<std::string>> rows;
  auto set = connection.ExecuteQuery("SELECT * FROM Numbers ORDER BY Number, Name");
  for (; !set->IsEof(); set->MoveNext()) {
    rows.emplace_back();
    for (const char* column : kColumns) {
      const Value value = set->Field(column);
      rows.back().push_back(value.is_null() ? "<NULL>" : value.ToText());
    }
  }
  return rows;
}

// An SQLite Numbers.mdb with the Jet file's declared types and rows.
void CopyIntoSqlite(Connection& jet, const fs::path& file) {
  testing_support::RunSqlite(
      file,
      "CREATE TABLE Numbers (Number VARCHAR(30), Name VARCHAR(100), Price_EUR "
      "CURRENCY, Rate_EK CURRENCY, GraceTime INTEGER, Profile VARCHAR(50));");
  const auto sqlite = Connect(file);
  sqlite->BeginTrans();
  auto from = jet.ExecuteQuery("SELECT * FROM Numbers");
  auto to = sqlite->OpenRecordset("Numbers");
  for (; !from->IsEof(); from->MoveNext()) {
    to->AddNew();
    for (const char* column : kColumns) to->SetField(column, from->Field(column));
    to->Update();
  }
  to->Close();
  sqlite->CommitTrans();
}

struct PriceLine {
  Value vorwahl, ziel, preis_ek;
};

// A supplier file made from the current list as suppliers write it
// (international prefixes as they are, national ones after 0049, no local
// ones): every third prefix cheaper, every fifth dearer, and a few new ones.
std::vector<PriceLine> SupplierFile(Connection& source) {
  std::vector<PriceLine> lines;
  auto from = source.ExecuteQuery("SELECT Number, Name, Rate_EK FROM Numbers");
  for (int line = 0; !from->IsEof(); from->MoveNext(), ++line) {
    const Value number = from->Field("Number");
    if (number.is_null() || number.text().rfind('0', 0) != 0) continue;
    const std::string prefix = number.text().rfind("00", 0) == 0
                                   ? number.text()
                                   : "0049" + number.text().substr(1);
    const Value rate = from->Field("Rate_EK");
    const Currency base = rate.is_null() ? Currency::FromTicks(500) : rate.ToCurrency();
    const int64_t change = line % 3 == 0 ? -100 : line % 5 == 0 ? 300 : 0;
    lines.push_back({Value::Text(prefix), from->Field("Name"),
                     Value::Money(Currency::FromTicks(base.ticks() + change))});
  }
  for (const char* prefix : {"0061", "00612", "00493012"})
    lines.push_back({Value::Text(prefix), Value::Text("Neues Ziel"),
                     Value::Money(Currency::FromTicks(300))});
  return lines;
}

void FillImport2(Connection& connection, const std::vector<PriceLine>& lines) {
  connection.Execute(std::string(run::kCreateImport2Head) +
                     std::string(run::kCreateImport2Columns));
  auto to = connection.OpenRecordset("Import2");
  for (const PriceLine& line : lines) {
    to->AddNew();
    to->SetField("Vorwahl", line.vorwahl);
    to->SetField("Ziel", line.ziel);
    to->SetField("PreisEk", line.preis_ek);
    to->Update();
  }
  to->Close();
}

TEST(JetFileRunTest, UpdatePricesOnAJetFileEqualsTheSameRunOnAnSqliteFile) {
  for (const char* name : {"numbers-pk.mdb", "numbers-plain.mdb"}) {
    SCOPED_TRACE(name);
    const fs::path source = fs::path(PREISLISTE_TEST_JET) / "numbers" / name;
    ASSERT_TRUE(fs::exists(source)) << "test file missing: " << source;
    const testing_support::TempDir jet_dir;
    const testing_support::TempDir sqlite_dir;
    const fs::path jet_file = jet_dir.path() / "Numbers.mdb";
    fs::copy_file(source, jet_file);
    fs::permissions(jet_file, fs::perms::owner_read | fs::perms::owner_write);
    const auto jet = Connect(jet_file);
    CopyIntoSqlite(*jet, sqlite_dir.path() / "Numbers.mdb");
    const auto sqlite = Connect(sqlite_dir.path() / "Numbers.mdb");
    const std::vector<std::vector<std::string>> before = NumbersRows(*jet);
    ASSERT_EQ(NumbersRows(*sqlite), before);

    const std::vector<PriceLine> lines = SupplierFile(*jet);
    run::RunSettings settings;
    settings.vat_fraction = 0.19;
    for (Connection* connection : {jet.get(), sqlite.get()}) {
      connection->BeginTrans();
      FillImport2(*connection, lines);
      testing_support::RecordingView view;
      ASSERT_TRUE(UpdatePrices(*connection, settings, view))
          << (view.Messages().empty() ? "" : view.Messages().back());
    }
    const std::vector<std::vector<std::string>> after = NumbersRows(*jet);
    EXPECT_EQ(after, NumbersRows(*sqlite));
    EXPECT_NE(after, before);  // the run changed prices
    // What the commit writes into the Jet file is what the run left.
    jet->CommitTrans();
    jet->Close();
    EXPECT_EQ(NumbersRows(*Connect(jet_file)), NumbersRows(*sqlite));
    sqlite->RollbackTrans();
  }
}

}  // namespace
}  // namespace pricing
