#include "db/engine/mdb/row_encoder.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_row.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace db::engine::mdb {
namespace {

const std::string kJet = PREISLISTE_TEST_JET;

std::string Hex(std::span<const uint8_t> bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (const uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
  return text;
}

// The stored row without what carries no meaning: the fixed bytes of NULL
// and of deleted columns, which keep whatever was there before (Access
// leaves a deleted column's bytes, Jackcess the old value of a column set
// to NULL), are set to zero, and slack after the variable data is cut.
std::vector<uint8_t> Meaningful(const TableDefinition& table, const ByteView& row) {
  const size_t mask_size = (size_t{row.U16(0)} + 7) / 8;
  // The fixed part ends where the first variable column starts.
  const size_t fixed_end = table.variable_column_count() > 0
                               ? row.U16(row.size() - mask_size - 4)
                               : row.size() - mask_size;
  std::vector<bool> meaningful(fixed_end, false);
  const auto fields = SplitRow(table, row);
  for (size_t i = 0; i < fields.size(); ++i) {
    const ColumnDefinition& column = table.columns()[i];
    if (!column.is_fixed() || !fields[i]) continue;
    for (size_t b = 0; b < fields[i]->size(); ++b)
      meaningful[2 + column.fixed_offset + b] = true;
  }
  std::vector<uint8_t> bytes(row.bytes().begin(), row.bytes().end());
  for (size_t b = 2; b < fixed_end; ++b)
    if (!meaningful[b]) bytes[b] = 0;
  // Slack between the end of the variable data and the offset table, left
  // when an edit in Access made a value shorter.
  if (table.variable_column_count() > 0) {
    const size_t count = row.U16(row.size() - mask_size - 2);
    const size_t table_start = row.size() - mask_size - 2 - 2 * (count + 1);
    const size_t data_end = row.U16(table_start);
    bytes.erase(bytes.begin() + data_end, bytes.begin() + table_start);
  }
  return bytes;
}

// Every row of the user tables, decoded and encoded again, is byte for byte
// the row the file holds: Access's layout of fixed and variable columns,
// null mask and Yes/No bits, compressed and plain text.
TEST(RowEncoderTest, ReEncodedRowsEqualTheStoredRows) {
  const char* const files[] = {"access-made/testUnicodeCompV2003.mdb",
                               "access-made/fixedTextTestV2000.mdb",
                               "access-made/testIndexPropertiesV2000.mdb",
                               "access-made/indexTestV2000.mdb",
                               "numbers/numbers-pk.mdb",
                               "numbers/numbers-autoid.mdb",
                               "numbers/numbers-plain.mdb"};
  for (const char* name : files) {
    SCOPED_TRACE(name);
    const FileImage image = FileImage::ReadFile(kJet + "/" + name);
    const Catalog catalog = Catalog::Read(image);
    size_t rows = 0;
    for (const std::string& table_name : catalog.UserTables()) {
      const TableDefinition table =
          TableDefinition::Read(image, catalog.TableDefinitionPage(table_name));
      LongValueRows taken;
      TableReader(image, table)
          .ForEachRawRow([&](RowPointer pointer, const ByteView& row) {
            std::vector<Value> values;
            try {
              values = DecodeRow(image, table, row, taken);
            } catch (const Error&) {
              return;  // a column type the writer does not write (OLE, GUID …)
            }
            ++rows;
            const std::vector<uint8_t> encoded = EncodeRow(table, values);
            EXPECT_EQ(Hex(encoded), Hex(Meaningful(table, row)))
                << table_name << " row " << int(pointer.row) << " of page "
                << pointer.page;
          });
    }
    EXPECT_GT(rows, 0u);
  }
}

class RowEncoderCasesTest : public testing::Test {
 protected:
  RowEncoderCasesTest()
      : image_(FileImage::ReadFile(kJet + "/numbers/numbers-autoid.mdb")),
        table_(TableDefinition::Read(
            image_, Catalog::Read(image_).TableDefinitionPage("Numbers"))) {}

  // ID, Number, Name, Price_EUR, Rate_EK, GraceTime, Profile, Remark
  std::vector<Value> Row(Value grace_time, Value name) const {
    return {Value::Integer(7),   Value::Text("0049"), std::move(name),
            Value::Double(0.25), Value::Null(),       std::move(grace_time),
            Value::Text(""),     Value::Null()};
  }

  FileImage image_;
  TableDefinition table_;
};

TEST_F(RowEncoderCasesTest, DecodesBackToTheSameValues) {
  const std::vector<Value> values =
      Row(Value::Integer(-32768), Value::Text("Côte d'Ivoire ∑"));
  const std::vector<uint8_t> row = EncodeRow(table_, values);
  LongValueRows taken;
  EXPECT_EQ(DecodeRow(image_, table_, ByteView(row, "row"), taken), values);
}

TEST_F(RowEncoderCasesTest, RefusesValuesThatDoNotFitTheirColumn) {
  EXPECT_THROW(EncodeRow(table_, Row(Value::Integer(32768), Value::Null())), Error);
  EXPECT_THROW(EncodeRow(table_, Row(Value::Double(1.5), Value::Null())), Error);
  EXPECT_THROW(EncodeRow(table_, Row(Value::Null(), Value::Text(std::string(101, 'x')))),
               Error);
  EXPECT_NO_THROW(
      EncodeRow(table_, Row(Value::Null(), Value::Text(std::string(100, 'x')))));
  EXPECT_THROW(EncodeRow(table_, Row(Value::Null(), Value::Text("\xff\xfe"))), Error);
}

// Compressed only where the column allows it and every character has one
// byte; otherwise plain UTF-16LE.
TEST(EncodeTextTest, CompressesWhereAccessDoes) {
  ColumnDefinition column;
  column.type = static_cast<uint8_t>(ColumnType::kText);
  column.length = 20;
  column.extra_flags = ColumnDefinition::kCompressedUnicode;
  EXPECT_EQ(EncodeText(column, "Aä"), (std::vector<uint8_t>{0xFF, 0xFE, 'A', 0xE4}));
  EXPECT_EQ(EncodeText(column, "A€"), (std::vector<uint8_t>{'A', 0, 0xAC, 0x20}));
  EXPECT_EQ(EncodeText(column, ""), std::vector<uint8_t>{});
  column.extra_flags = 0;
  EXPECT_EQ(EncodeText(column, "Aä"), (std::vector<uint8_t>{'A', 0, 0xE4, 0}));
}

}  // namespace
}  // namespace db::engine::mdb
