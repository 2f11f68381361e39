// Table definitions, column properties and relationships, checked against
// what the test files are known to hold (their descriptions, and for
// indexes what Access's own files show).

#include "db/engine/mdb/catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "tests/db/engine/mdb/jet_files.h"

namespace mdb_test {
namespace {

namespace mdb = db::engine::mdb;
using mdb::ColumnType;

struct OpenTable {
  explicit OpenTable(const std::string& file, const std::string& table)
      : image(mdb::FileImage::ReadFile(JetFile(file))),
        catalog(mdb::Catalog::Read(image)),
        definition(
            mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table))) {}

  const mdb::LogicalIndex* Index(const std::string& name) const {
    for (const auto& index : definition.logical_indexes())
      if (index.name == name) return &index;
    return nullptr;
  }
  std::vector<std::string> IndexColumns(const mdb::RealIndex& index) const {
    std::vector<std::string> names;
    for (const mdb::IndexColumn& column : index.columns)
      names.push_back(definition.FindColumn(column.column_number)->name +
                      (column.ascending ? "" : " desc"));
    return names;
  }

  mdb::FileImage image;
  mdb::Catalog catalog;
  mdb::TableDefinition definition;
};

TEST(TableDefinitionTest, NumbersColumnsHaveTheirJetTypes) {
  const OpenTable numbers("numbers/numbers-plain.mdb", "Numbers");
  const struct {
    const char* name;
    ColumnType type;
    uint16_t length;
  } expected[] = {
      {"Number", ColumnType::kText, 60},       {"Name", ColumnType::kText, 200},
      {"Price_EUR", ColumnType::kCurrency, 8}, {"Rate_EK", ColumnType::kCurrency, 8},
      {"GraceTime", ColumnType::kLong, 4},     {"Profile", ColumnType::kText, 100}};
  ASSERT_EQ(numbers.definition.columns().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const mdb::ColumnDefinition& column = numbers.definition.columns()[i];
    EXPECT_EQ(column.name, expected[i].name);
    EXPECT_EQ(column.column_type(), expected[i].type) << column.name;
    EXPECT_EQ(column.length, expected[i].length) << column.name;
    EXPECT_FALSE(column.is_autonumber()) << column.name;
    if (column.column_type() == ColumnType::kText) {
      EXPECT_EQ(column.sort_order, mdb::kGeneralSortOrder) << column.name;
    }
  }
  EXPECT_TRUE(numbers.definition.real_indexes().empty());
  EXPECT_TRUE(numbers.definition.logical_indexes().empty());
  EXPECT_EQ(numbers.definition.row_count(), 300u);
}

// The AutoNumber counter holds the last number given: the highest ID.
TEST(TableDefinitionTest, AutoNumberCounterIsTheHighestId) {
  const OpenTable numbers("numbers/numbers-autoid.mdb", "Numbers");
  const mdb::ColumnDefinition& id = numbers.definition.columns()[0];
  EXPECT_EQ(id.name, "ID");
  EXPECT_TRUE(id.is_autonumber());
  EXPECT_EQ(numbers.definition.FindColumn("GraceTime")->column_type(),
            ColumnType::kInteger);
  int64_t highest = 0;
  for (const auto& row : mdb::TableReader(numbers.image, numbers.definition).ReadAll())
    highest = std::max(highest, row.values[0].integer());
  EXPECT_EQ(highest, 300);
  EXPECT_EQ(numbers.definition.autonumber(), 300u);
}

// Index definitions: kind, flags, columns and order, from files with a
// primary key, plain, unique, ignore-nulls, two-column, descending and
// foreign-key indexes.
TEST(TableDefinitionTest, IndexesHaveTheirColumnsAndFlags) {
  const struct {
    const char* file;
    const char* table;
    const char* index;
    bool primary, foreign, unique, ignore_nulls, required;
    std::vector<std::string> columns;
  } cases[] = {
      {"numbers/numbers-pk.mdb",
       "Numbers",
       "PrimaryKey",
       true,
       false,
       true,
       false,
       true,
       {"Number"}},
      {"numbers/numbers-big.mdb",
       "Numbers",
       "PrimaryKey",
       true,
       false,
       true,
       false,
       true,
       {"Number"}},
      {"numbers/numbers-autoid.mdb",
       "Numbers",
       "PrimaryKey",
       true,
       false,
       true,
       false,
       true,
       {"ID"}},
      {"numbers/numbers-autoid.mdb",
       "Numbers",
       "Number",
       false,
       false,
       false,
       false,
       false,
       {"Number"}},
      {"numbers/numbers-autoid.mdb",
       "Numbers",
       "Name",
       false,
       false,
       false,
       false,
       false,
       {"Name"}},
      {"access-made/testIndexPropertiesV2000.mdb",
       "TableIgnoreNulls1",
       "DataIndex",
       false,
       false,
       false,
       true,
       false,
       {"data"}},
      {"access-made/testIndexPropertiesV2000.mdb",
       "TableIgnoreNulls2",
       "DataIndex",
       false,
       false,
       false,
       true,
       false,
       {"data1", "data2"}},
      {"access-made/testIndexPropertiesV2000.mdb",
       "TableUnique1_temp",
       "DataIndex",
       false,
       false,
       true,
       false,
       false,
       {"data"}},
      {"access-made/testIndexPropertiesV2000.mdb",
       "TableUnique1_temp",
       "PrimaryKey",
       true,
       false,
       true,
       false,
       true,
       {"row"}},
      {"access-made/compIndexTestV2000.mdb",
       "Table1",
       "CD_AGENTE",
       false,
       false,
       false,
       false,
       false,
       {"CD_AGENTE desc"}},
      {"access-made/indexTestV2000.mdb",
       "Table1",
       "Table2Table1",
       false,
       true,
       false,
       false,
       false,
       {"otherfk1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.table + " " + c.index);
    const OpenTable open(c.file, c.table);
    const mdb::LogicalIndex* index = open.Index(c.index);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->is_primary_key(), c.primary);
    EXPECT_EQ(index->is_foreign_key(), c.foreign);
    const mdb::RealIndex& tree = open.definition.real_indexes()[index->real_index];
    EXPECT_EQ(tree.unique(), c.unique);
    EXPECT_EQ(tree.ignore_nulls(), c.ignore_nulls);
    EXPECT_EQ(tree.required(), c.required);
    EXPECT_EQ(open.IndexColumns(tree), c.columns);
    EXPECT_LT(tree.first_page, open.image.page_count());
    EXPECT_GT(tree.first_page, 0u);
  }
}

// Where a writer finds the fields it updates: the bytes at each located
// offset hold what the reader read there.
TEST(TableDefinitionTest, LocatedFieldsHoldTheValuesRead) {
  for (const char* file : {"numbers/numbers-autoid.mdb", "numbers/numbers-big.mdb"}) {
    SCOPED_TRACE(file);
    const OpenTable numbers(file, "Numbers");
    auto stored = [&](size_t definition_offset) {
      const mdb::FileOffset at = numbers.definition.Locate(definition_offset);
      return numbers.image.Page(at.page).U32(at.offset);
    };
    EXPECT_EQ(stored(mdb::TableDefinition::kRowCountOffset),
              numbers.definition.row_count());
    EXPECT_EQ(stored(mdb::TableDefinition::kAutoNumberOffset),
              numbers.definition.autonumber());
    EXPECT_EQ(
        mdb::RowPointer::FromStored(stored(mdb::TableDefinition::kOwnedPagesOffset)),
        numbers.definition.owned_pages());
    for (const mdb::RealIndex& index : numbers.definition.real_indexes()) {
      EXPECT_EQ(stored(index.count_offset), index.key_count);
      EXPECT_EQ(stored(index.entry_offset + 38), index.first_page);
    }
  }
}

TEST(CatalogTest, ColumnPropertiesOfTheTestFiles) {
  const OpenTable numbers("numbers/numbers-autoid.mdb", "Numbers");
  const mdb::TableProperties properties = numbers.catalog.Properties("numbers");
  const mdb::PropertyBlock* remark = properties.Column("Remark");
  ASSERT_NE(remark, nullptr);
  const mdb::Property* fallback = remark->Find("DefaultValue");
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->value, core::Value::Text("\"neu\""));
  EXPECT_EQ(remark->Find("ValidationRule"), nullptr);

  const OpenTable nulls("access-made/testIndexPropertiesV2000.mdb", "TableIgnoreNulls2");
  const mdb::TableProperties more = nulls.catalog.Properties("TableIgnoreNulls2");
  const mdb::PropertyBlock* data2 = more.Column("data2");
  ASSERT_NE(data2, nullptr);
  EXPECT_EQ(data2->Find("DefaultValue")->value, core::Value::Text("0"));
  EXPECT_EQ(data2->Find("Required")->value, core::Value::Integer(0));
  EXPECT_EQ(more.Column("row")->Find("AllowZeroLength")->value, core::Value::Integer(-1));
}

TEST(CatalogTest, RelationshipsOnEitherSide) {
  const OpenTable open("access-made/indexTestV2000.mdb", "Table1");
  const std::vector<mdb::Relationship> relationships =
      open.catalog.Relationships("table1");
  ASSERT_EQ(relationships.size(), 2u);
  EXPECT_EQ(relationships[0].name, "Table2Table1");
  EXPECT_EQ(relationships[0].table, "Table1");
  EXPECT_EQ(relationships[0].referenced_table, "Table2");
  ASSERT_EQ(relationships[0].columns.size(), 1u);
  EXPECT_EQ(relationships[0].columns[0].column, "otherfk1");
  EXPECT_EQ(relationships[0].columns[0].referenced_column, "id");
  ASSERT_EQ(open.catalog.Relationships("Table3").size(), 1u);
  EXPECT_EQ(open.catalog.Relationships("Table3")[0].name, "Table3Table1");

  for (const char* file : {"numbers/numbers-pk.mdb", "numbers/numbers-autoid.mdb"})
    EXPECT_TRUE(OpenTable(file, "Numbers").catalog.Relationships("Numbers").empty())
        << file;
}

TEST(CatalogTest, TableNamesIgnoreLetterCaseAndUnknownOnesAreNamed) {
  const OpenTable numbers("numbers/numbers-pk.mdb", "NUMBERS");
  EXPECT_EQ(numbers.definition.row_count(), 300u);
  try {
    numbers.catalog.TableDefinitionPage("Import2");
    ADD_FAILURE() << "found a table that does not exist";
  } catch (const core::Error& error) {
    EXPECT_STREQ(error.what(), "Die Datenbank enthält keine Tabelle Import2");
  }
  // System tables are not user tables.
  EXPECT_EQ(numbers.catalog.UserTables(), std::vector<std::string>{"Numbers"});
}

}  // namespace
}  // namespace mdb_test
