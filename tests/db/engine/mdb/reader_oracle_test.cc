// Every table of every test file reads exactly as mdbtools' mdb-export and
// the npm package mdb-reader read it: the same tables, columns, rows in the
// same order, and values. Each tool spells values its own way, so each
// value is compared in the tool's spelling, derived from the column type.

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/oracles.h"

namespace mdb_test {
namespace {

namespace mdb = db::engine::mdb;
using core::Value;
using mdb::ColumnType;

double ParseDouble(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return end && *end == '\0' && !text.empty() ? value : std::nan("");
}

std::string Printf(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Days since 1899-12-30 as "YYYY-MM-DD hh:mm:ss", seconds rounded.
std::string DateText(double days) {
  using namespace std::chrono;
  const double whole = std::floor(days);
  const long seconds = std::lround((days - whole) * 86400);
  const sys_days day = sys_days(1899y / December / 30) + std::chrono::days(long(whole));
  const year_month_day date(day);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld:%02ld", int(date.year()),
                unsigned(date.month()), unsigned(date.day()), seconds / 3600,
                seconds / 60 % 60, seconds % 60);
  return text;
}

// How mdb-reader shows our value: true when they agree.
bool SameAsMdbReader(const Value& value, const mdb::ColumnDefinition& column,
                     const TaggedValue& theirs) {
  if (column.column_type() == ColumnType::kBoolean)
    return theirs.tag == 'B' && (theirs.text == "1") == (value.integer() != 0);
  if (value.is_null()) return theirs.tag == 'N';
  switch (value.type()) {
    case Value::Type::kText:
      return theirs.tag == 'S' && theirs.text == value.text();
    case Value::Type::kInteger:
      return theirs.tag == 'D' && ParseDouble(theirs.text) == double(value.integer());
    case Value::Type::kCurrency:
      return theirs.tag == 'M' && DecimalTicks(theirs.text) == value.currency().ticks();
    case Value::Type::kDouble:
      if (column.column_type() == ColumnType::kDateTime)
        return theirs.tag == 'T' &&
               ParseDouble(theirs.text) ==
                   std::floor((value.real() - 25569) * 86400000 + 0.5);
      return theirs.tag == 'D' && ParseDouble(theirs.text) == value.real();
    default:
      return false;
  }
}

// How mdb-export shows our value: true when they agree.
bool SameAsMdbExport(const Value& value, const mdb::ColumnDefinition& column,
                     const CsvField& theirs) {
  if (column.column_type() == ColumnType::kBoolean)
    return !theirs.quoted && theirs.text == (value.integer() ? "1" : "0");
  if (value.is_null()) return !theirs.quoted && theirs.text.empty();
  switch (column.column_type()) {
    case ColumnType::kText:
    case ColumnType::kMemo:
      return theirs.quoted && theirs.text == value.text();
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong:
      return theirs.text == std::to_string(value.integer());
    case ColumnType::kCurrency:
      return DecimalTicks(theirs.text) == value.currency().ticks();
    case ColumnType::kDouble:
      return theirs.text == Printf("%.16g", value.real());
    case ColumnType::kSingle:
      return theirs.text == Printf("%.8g", value.real());
    case ColumnType::kDateTime:
      return theirs.text == DateText(value.real());
    default:
      return false;
  }
}

std::string Show(const Value& value) { return value.is_null() ? "NULL" : value.ToText(); }

class ReaderOracleTest : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(ReaderOracleTest, TablesListedAsBothOraclesList) {
  const mdb::FileImage image = mdb::FileImage::ReadFile(GetParam());
  const std::vector<std::string> ours = mdb::Catalog::Read(image).UserTables();
  EXPECT_FALSE(ours.empty());
  EXPECT_EQ(ours, MdbReaderTables(GetParam()));
  EXPECT_EQ(ours, MdbTables(GetParam()));
}

TEST_P(ReaderOracleTest, EveryTableReadsAsBothOraclesReadIt) {
  const mdb::FileImage image = mdb::FileImage::ReadFile(GetParam());
  const mdb::Catalog catalog = mdb::Catalog::Read(image);
  for (const std::string& table : catalog.UserTables()) {
    SCOPED_TRACE(table);
    const auto definition =
        mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
    const std::vector<mdb::StoredRow> rows =
        mdb::TableReader(image, definition).ReadAll();
    EXPECT_EQ(rows.size(), definition.row_count()) << "rows found vs. the stored count";

    const CsvTable exported = MdbExport(GetParam(), table);
    std::vector<std::string> names;
    for (const mdb::ColumnDefinition& column : definition.columns())
      names.push_back(column.name);
    EXPECT_EQ(names, exported.header);

    const auto theirs = MdbReaderRows(GetParam(), table);
    ASSERT_EQ(rows.size(), theirs.size()) << "mdb-reader";
    ASSERT_EQ(rows.size(), exported.rows.size()) << "mdb-export";
    int mismatches = 0;
    for (size_t r = 0; r < rows.size() && mismatches < 10; ++r) {
      ASSERT_EQ(theirs[r].size(), names.size()) << "mdb-reader row " << r;
      ASSERT_EQ(exported.rows[r].size(), names.size()) << "mdb-export row " << r;
      for (size_t c = 0; c < names.size(); ++c) {
        const Value& value = rows[r].values[c];
        const mdb::ColumnDefinition& column = definition.columns()[c];
        if (!SameAsMdbReader(value, column, theirs[r][c])) {
          ++mismatches;
          ADD_FAILURE() << "row " << r << ", " << names[c] << ": ours " << Show(value)
                        << ", mdb-reader " << theirs[r][c].tag << theirs[r][c].text;
        }
        if (!SameAsMdbExport(value, column, exported.rows[r][c])) {
          ++mismatches;
          ADD_FAILURE() << "row " << r << ", " << names[c] << ": ours " << Show(value)
                        << ", mdb-export " << exported.rows[r][c].text;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFiles, ReaderOracleTest, testing::ValuesIn(AllJetFiles()),
                         [](const auto& info) {
                           std::string name = info.param.stem().string();
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// The row pointers the index test relies on: distinct, and each one either
// the row itself or the forward pointer of a row that moved.
TEST(TableReaderTest, RowPointersAreDistinctAndOnTheTablesPages) {
  for (const auto& file : AllJetFiles()) {
    SCOPED_TRACE(file.filename().string());
    const mdb::FileImage image = mdb::FileImage::ReadFile(file);
    const mdb::Catalog catalog = mdb::Catalog::Read(image);
    for (const std::string& table : catalog.UserTables()) {
      const auto definition =
          mdb::TableDefinition::Read(image, catalog.TableDefinitionPage(table));
      std::set<mdb::RowPointer> seen;
      for (const mdb::StoredRow& row : mdb::TableReader(image, definition).ReadAll()) {
        EXPECT_TRUE(seen.insert(row.pointer).second);
        EXPECT_EQ(mdb::DataPage(image, row.pointer.page).owner(),
                  definition.first_page());
      }
    }
  }
}

// A moved row is read where its data is and known by the address of its
// forward pointer. Only a system table of the test files has moved rows.
TEST(TableReaderTest, MovedRowIsReadFromItsNewPlaceUnderItsOldAddress) {
  const mdb::FileImage image =
      mdb::FileImage::ReadFile(JetFile("access-made/testUnicodeCompV2003.mdb"));
  const auto definition = mdb::TableDefinition::Read(
      image, mdb::Catalog::Read(image).TableDefinitionPage("MSysAccessStorage"));
  int moved = 0;
  mdb::TableReader(image, definition)
      .ForEachRawRow([&](mdb::RowPointer pointer, const mdb::ByteView& row) {
        const mdb::DataPage page(image, pointer.page);
        ASSERT_NE(page.Kind(pointer.row), mdb::DataPage::RowKind::kMoved);
        if (page.Kind(pointer.row) != mdb::DataPage::RowKind::kForward) return;
        ++moved;
        const auto target = mdb::RowPointer::FromStored(page.Row(pointer.row).U32(0));
        EXPECT_EQ(mdb::DataPage(image, target.page).Kind(target.row),
                  mdb::DataPage::RowKind::kMoved);
        EXPECT_EQ(row.bytes().data(), mdb::FindRow(image, target).bytes().data());
      });
  EXPECT_EQ(moved, 5);
}

}  // namespace
}  // namespace mdb_test
