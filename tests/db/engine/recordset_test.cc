#include "db/engine/recordset.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/connection.h"
#include "db/engine/text_too_long.h"
#include "run/tables.h"
#include "tests/db/engine/db_fixture.h"
#include "tests/support/test_files.h"

namespace {

using core::Currency;
using core::Value;
using testing_support::QuerySqlite;

Value Money(int64_t ticks) { return Value::Money(Currency::FromTicks(ticks)); }

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_ = database_.Connect();
    connection_->Execute(std::string(run::kCreateImport2Head) +
                         std::string(run::kCreateImport2Columns));
  }

  // The rows of Import2 as plain SQLite sees them.
  std::vector<std::vector<std::string>> Import2Rows() const {
    return QuerySqlite(database_.file(),
                       "SELECT Vorwahl, Ziel, PreisEk, ImportState, OldName, VkPreis, "
                       "typeof(PreisEk) FROM Import2 ORDER BY rowid");
  }

  db_test::PriceDatabase database_;
  std::unique_ptr<db::engine::Connection> connection_;
};

TEST_F(RecordsetTest, SnapshotKeepsItsRowsWhileTheTableChanges) {
  auto set = connection_->ExecuteQuery("SELECT * FROM Numbers ORDER BY Number");
  connection_->Execute("DELETE FROM Numbers");
  std::vector<std::string> numbers;
  for (; !set->IsEof(); set->MoveNext()) numbers.push_back(set->Field("Number").text());
  EXPECT_EQ(numbers, (std::vector<std::string>{"0044", "0049301", "030", "118"}));
  EXPECT_EQ(set->RecordCount(), 4);
}

TEST_F(RecordsetTest, EmptySetIsAtEndAtOnce) {
  auto set = connection_->OpenRecordset(
      "SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL ORDER BY "
      "Ziel");
  EXPECT_TRUE(set->IsEof());
  EXPECT_EQ(set->RecordCount(), 0);
  EXPECT_THROW(set->Field("Ziel"), core::Error);
  EXPECT_THROW(set->SetField("Ziel", Value::Text("x")), core::Error);
  EXPECT_THROW(set->MoveNext(), core::Error);
}

TEST_F(RecordsetTest, PositionsAndCountAreExact) {
  auto set = connection_->OpenRecordset("SELECT * FROM Numbers ORDER BY Number");
  set->MoveLast();
  EXPECT_EQ(set->Field("Number"), Value::Text("118"));
  EXPECT_EQ(set->AbsolutePosition(), 4);
  set->MoveFirst();
  EXPECT_EQ(set->RecordCount(), 4);
  std::vector<int64_t> positions;
  for (; !set->IsEof(); set->MoveNext()) positions.push_back(set->AbsolutePosition());
  EXPECT_EQ(positions, (std::vector<int64_t>{1, 2, 3, 4}));
  EXPECT_EQ(set->AbsolutePosition(), db::engine::Recordset::kPositionEof);
  EXPECT_THROW(set->Field("Number"), core::Error);
  EXPECT_THROW(set->MoveNext(), core::Error);
}

TEST_F(RecordsetTest, FieldsAreTypedByTheirColumnsAndNamedInAnyCase) {
  database_.Run(
      "INSERT INTO Numbers VALUES (44, '', 0.00025, NULL, 7, NULL);"
      "UPDATE Numbers SET Name = NULL WHERE Number = '118';");
  auto set = connection_->ExecuteQuery(
      "SELECT Number, Name, Price_EUR, Rate_EK, GraceTime, Profile FROM Numbers ORDER BY "
      "Number");
  struct Expected {
    Value number, name, price, rate;
  };
  const std::vector<Expected> expected = {
      {Value::Text("0044"), Value::Text("London"), Money(1900), Money(500)},
      {Value::Text("0049301"), Value::Text("Berlin Mobil"), Money(0), Money(0)},
      {Value::Text("030"), Value::Text("Berlin"), Money(20000),
       Money(10000)},  // stored 2, 1
      {Value::Text("118"), Value::Null(), Value::Null(), Money(5000)},
      {Value::Text("44"), Value::Text(""), Money(2),
       Value::Null()},  // .00015 to even: .0002
  };
  // ORDER BY text: 44 after 118.
  for (const Expected& row : expected) {
    ASSERT_FALSE(set->IsEof());
    SCOPED_TRACE(row.number.text());
    EXPECT_EQ(set->Field("NUMBER"), row.number);
    EXPECT_EQ(set->Field("name"), row.name);
    EXPECT_EQ(set->Field("Price_eur"), row.price);
    EXPECT_EQ(set->Field("Rate_EK"), row.rate);
    EXPECT_EQ(set->Field("GraceTime").type(), Value::Type::kInteger);
    EXPECT_TRUE(set->Field("Profile").is_null());
    set->MoveNext();
  }
  EXPECT_TRUE(set->IsEof());
}

TEST_F(RecordsetTest, ExpressionsAreTypedByTheirValues) {
  auto set = connection_->ExecuteQuery(
      "SELECT Name, Count(Price_EUR) AS AnzahlvonVkPreis FROM Numbers GROUP BY Name "
      "ORDER BY "
      "Count(Price_EUR) DESC");
  ASSERT_FALSE(set->IsEof());
  EXPECT_EQ(set->Field("anzahlvonvkpreis"), Value::Integer(1));
}

TEST_F(RecordsetTest, UnknownFieldNamesFail) {
  auto set = connection_->OpenRecordset("Numbers");
  try {
    set->Field("Preis");
    ADD_FAILURE() << "read a field that does not exist";
  } catch (const core::Error& error) {
    EXPECT_NE(std::string(error.what()).find("Item cannot be found"), std::string::npos);
  }
  EXPECT_THROW(set->SetField("Preis", Value::Integer(1)), core::Error);
}

TEST_F(RecordsetTest, AddNewAndUpdateInsertRows) {
  auto set = connection_->OpenRecordset(run::kImport2);
  EXPECT_TRUE(set->IsEof());
  set->AddNew();
  set->SetField("Vorwahl", Value::Text("0044"));
  set->SetField("ziel", Value::Text("London"));
  set->SetField("PreisEk", Value::Double(0.05));
  set->Update();
  set->AddNew();
  set->SetField("PreisEk", Value::Integer(0));  // a line with fewer than three fields
  set->Update();
  EXPECT_EQ(set->RecordCount(), 0);
  EXPECT_TRUE(set->IsEof());
  EXPECT_EQ(Import2Rows(),
            (std::vector<std::vector<std::string>>{
                {"0044", "London", "0.05", "NULL", "NULL", "NULL", "real"},
                {"NULL", "NULL", "0", "NULL", "NULL", "NULL", "integer"}}));
}

TEST_F(RecordsetTest, AddNewStoresPendingWritesFirstAndReturnsToTheRow) {
  auto set = connection_->OpenRecordset("SELECT * FROM Numbers ORDER BY Number");
  set->MoveNext();
  set->SetField("Name", Value::Text("Deutschland Mobil"));
  set->AddNew();
  EXPECT_TRUE(set->Field("Name").is_null());
  set->SetField("Number", Value::Text("0049151"));
  EXPECT_EQ(set->Field("Number"), Value::Text("0049151"));
  set->Update();
  EXPECT_EQ(set->AbsolutePosition(), 2);
  EXPECT_EQ(set->Field("Name"), Value::Text("Deutschland Mobil"));
  EXPECT_EQ(
      QuerySqlite(database_.file(), "SELECT Number, Name FROM Numbers ORDER BY rowid"),
      (std::vector<std::vector<std::string>>{{"0044", "London"},
                                             {"030", "Berlin"},
                                             {"118", "Auskunft"},
                                             {"0049301", "Deutschland Mobil"},
                                             {"0049151", "NULL"}}));
}

TEST_F(RecordsetTest, WritesAreStoredOnMoveNextAndSeenByLaterQueries) {
  connection_->Execute(
      "INSERT INTO Import2 (Vorwahl, Ziel, PreisEk) SELECT Number, Name, Rate_EK FROM "
      "Numbers");
  auto set = connection_->OpenRecordset(
      "SELECT * FROM Import2 WHERE ImportState IS NULL AND PreisEk IS NOT NULL ORDER BY "
      "Ziel");
  ASSERT_EQ(set->Field("Ziel"), Value::Text("Auskunft"));
  set->SetField("VkPreis", Value::Text("0.12345"));  // to even: .1234
  set->SetField("ImportState", Value::Integer(3));
  set->SetField("OldName", set->Field("Ziel"));
  EXPECT_EQ(set->Field("VkPreis"), Money(1234));  // the pending value
  EXPECT_EQ(QuerySqlite(database_.file(),
                        "SELECT count(*) FROM Import2 WHERE VkPreis IS NOT NULL")[0][0],
            "0");
  set->MoveNext();
  EXPECT_EQ(QuerySqlite(database_.file(),
                        "SELECT Vorwahl, VkPreis, ImportState, OldName FROM Import2 "
                        "WHERE VkPreis IS NOT NULL"),
            (std::vector<std::vector<std::string>>{{"118", "0.1234", "3", "Auskunft"}}));

  auto later = connection_->ExecuteQuery(
      "SELECT Import2.Ziel, Import2.VkPreis, Count(Import2.VkPreis) AS AnzahlvonVkPreis "
      "FROM "
      "Import2 WHERE Import2.ImportState IS NOT NULL GROUP BY Import2.Ziel, "
      "Import2.VkPreis");
  ASSERT_FALSE(later->IsEof());
  EXPECT_EQ(later->Field("VkPreis"), Money(1234));
  set->MoveFirst();
  EXPECT_EQ(set->Field("ImportState"), Value::Integer(3));
}

TEST_F(RecordsetTest, ValuesAreConvertedToTheColumnType) {
  auto set = connection_->OpenRecordset(run::kImport2);
  set->AddNew();
  try {
    set->SetField("Vorwahl", Value::Text(std::string(256, 'x')));
    ADD_FAILURE() << "a text of 256 characters was taken";
  } catch (const db::engine::TextTooLong& refused) {
    EXPECT_EQ(refused.column(), "Vorwahl");
    EXPECT_EQ(refused.limit(), 255u);
    EXPECT_EQ(refused.value(), std::string(256, 'x'));
  }
  set->SetField("Ziel",
                Value::Text(std::string(254, 'x') + "\xC3\xA4"));  // 255 characters
  EXPECT_THROW(set->SetField("ImportState", Value::Double(2.5)), core::Error);
  EXPECT_THROW(set->SetField("ImportState", Value::Integer(3000000000)), core::Error);
  EXPECT_THROW(set->SetField("PreisEk", Value::Text("abc")), core::Error);
  set->SetField("ImportState", Value::Money(Currency::FromTicks(20000)));
  set->SetField("PreisEk", Value::Double(0.00025));  // a tie: to even .0002
  set->SetField("VkPreis", Value::Double(0.00035));  // a tie: to even .0004
  set->SetField("Vorwahl", Value::Integer(49));
  set->Update();
  EXPECT_EQ(
      QuerySqlite(
          database_.file(),
          "SELECT Vorwahl, length(Ziel), ImportState, PreisEk, VkPreis FROM Import2"),
      (std::vector<std::vector<std::string>>{{"49", "255", "2", "0.0002", "0.0004"}}));
}

TEST_F(RecordsetTest, SetsThatAreNotOneTableCannotBeWritten) {
  auto query = connection_->ExecuteQuery("SELECT * FROM Numbers");
  EXPECT_THROW(query->SetField("Name", Value::Text("x")), core::Error);
  EXPECT_THROW(query->AddNew(), core::Error);
  auto grouped = connection_->OpenRecordset(
      "SELECT [Name] AS [Name], MAX([Price_EUR]) AS [Price_EUR] FROM Numbers GROUP BY "
      "[Name]");
  EXPECT_THROW(grouped->SetField("Price_EUR", Value::Integer(1)), core::Error);
}

TEST_F(RecordsetTest, ClosedSetRefusesEveryOperation) {
  auto set = connection_->OpenRecordset("Numbers");
  set->SetField("Price_EUR", Value::Integer(7));
  set->Close();
  EXPECT_THROW(set->IsEof(), core::Error);
  EXPECT_THROW(set->MoveNext(), core::Error);
  EXPECT_EQ(QuerySqlite(database_.file(),
                        "SELECT count(*) FROM Numbers WHERE Price_EUR = 7")[0][0],
            "0");
}

}  // namespace
