// Replacing the rows of a table in a copy of a file, checked by our own
// reader and by the independent readers mdb-export and mdb-reader (whose
// page walk refuses any mapped page that is not a data page of the table).

#include "db/engine/mdb/table_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/usage_map.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/oracles.h"
#include "tests/db/engine/mdb/table_pages.h"
#include "tests/support/test_files.h"

namespace db::engine::mdb {
namespace {

using mdb_test::CsvField;
using mdb_test::JetFile;
using mdb_test::TaggedValue;

// The oracles' rows as texts, to compare them whole.
std::vector<std::string> Texts(const std::vector<std::vector<CsvField>>& rows) {
  std::vector<std::string> texts;
  for (const auto& row : rows) {
    std::string text;
    for (const CsvField& field : row)
      text += (field.quoted ? "\"" : "") + field.text + "|";
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> Texts(const std::vector<std::vector<TaggedValue>>& rows) {
  std::vector<std::string> texts;
  for (const auto& row : rows) {
    std::string text;
    for (const TaggedValue& value : row)
      text += std::string(1, value.tag) + value.text + "|";
    texts.push_back(text);
  }
  return texts;
}

// Picks rows of `all` by index: how each test builds its new rows, so that
// the oracles' view of the original file gives the expected view of the
// written one.
template <typename Row>
std::vector<Row> Pick(const std::vector<Row>& all, const std::vector<size_t>& picks) {
  std::vector<Row> rows;
  for (const size_t i : picks) rows.push_back(all[i]);
  return rows;
}

// Every row four times, the last first: more rows than the table's pages hold.
std::vector<size_t> GrowPicks(size_t count) {
  std::vector<size_t> picks;
  for (int round = 0; round < 4; ++round)
    for (size_t i = count; i-- > 0;) picks.push_back(i);
  return picks;
}

std::vector<size_t> FirstPicks(size_t count) {
  std::vector<size_t> picks(count);
  for (size_t i = 0; i < count; ++i) picks[i] = i;
  return picks;
}

class TableWriterTest : public testing::Test {
 protected:
  void Load(const std::string& relative) {
    source_ = JetFile(relative);
    original_ = FileImage::ReadFile(source_.string());
    definition_page_ = Catalog::Read(*original_).TableDefinitionPage("Numbers");
    const TableDefinition table = TableDefinition::Read(*original_, definition_page_);
    for (const StoredRow& row : TableReader(*original_, table).ReadAll())
      values_.push_back(row.values);
  }

  // Writes the picked rows into a copy of `image`; returns the file written.
  std::filesystem::path Write(const FileImage& image, const std::vector<size_t>& picks,
                              const std::string& name) {
    WritableImage writable(image);
    ReplaceTableRows(writable, definition_page_, Pick(values_, picks), {});
    const std::vector<uint8_t> written = std::move(writable).Finish().ToBytes();
    const std::filesystem::path file = dir_.path() / name;
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(written.data()),
               static_cast<std::streamsize>(written.size()));
    return file;
  }

  // What our reader, mdb-export and mdb-reader read from `file` is the
  // picked rows of the original, in order.
  void ExpectRows(const std::filesystem::path& file, const std::vector<size_t>& picks) {
    const FileImage image = FileImage::ReadFile(file.string());
    const TableDefinition table = TableDefinition::Read(image, definition_page_);
    std::vector<std::vector<Value>> read;
    for (const StoredRow& row : TableReader(image, table).ReadAll())
      read.push_back(row.values);
    EXPECT_EQ(read, Pick(values_, picks));
    EXPECT_EQ(table.row_count(), picks.size());
    const std::vector<std::string> exported =
        Texts(mdb_test::MdbExport(file, "Numbers").rows);
    EXPECT_EQ(exported, Pick(Texts(mdb_test::MdbExport(source_, "Numbers").rows), picks));
    EXPECT_EQ(exported.size(), picks.size());
    EXPECT_EQ(Texts(mdb_test::MdbReaderRows(file, "Numbers")),
              Pick(Texts(mdb_test::MdbReaderRows(source_, "Numbers")), picks));
  }

  testing_support::TempDir dir_;
  std::filesystem::path source_;
  std::optional<FileImage> original_;
  uint32_t definition_page_ = 0;
  std::vector<std::vector<Value>> values_;
};

TEST_F(TableWriterTest, MoreRowsGrowTheFileAndTouchNothingElse) {
  Load("numbers/numbers-plain.mdb");
  const std::vector<size_t> picks = GrowPicks(values_.size());
  const std::filesystem::path file = Write(*original_, picks, "grown.mdb");
  ExpectRows(file, picks);

  const FileImage written = FileImage::ReadFile(file.string());
  ASSERT_GT(written.page_count(), original_->page_count());
  const GlobalPageMap map = GlobalPageMap::Read(written);
  for (uint32_t page = original_->page_count(); page < written.page_count(); ++page)
    EXPECT_TRUE(map.InUse(page)) << page;
  EXPECT_FALSE(map.InUse(written.page_count()));

  // Only the table's own pages and page 1 may differ.
  std::set<uint32_t> own = mdb_test::TablePages(
      *original_, TableDefinition::Read(*original_, definition_page_));
  own.insert(1);
  for (uint32_t page = 0; page < original_->page_count(); ++page) {
    if (own.count(page)) continue;
    const auto before = original_->Page(page).bytes();
    const auto after = written.Page(page).bytes();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()))
        << "page " << page;
  }
}

TEST_F(TableWriterTest, FewerRowsLeaveOwnedPagesEmptyThatTheStrictReaderAccepts) {
  Load("numbers/numbers-plain.mdb");
  const std::vector<size_t> picks = FirstPicks(50);
  const std::filesystem::path file = Write(*original_, picks, "shrunk.mdb");
  ExpectRows(file, picks);
  const FileImage written = FileImage::ReadFile(file.string());
  EXPECT_EQ(written.page_count(), original_->page_count());
  const TableDefinition table = TableDefinition::Read(written, definition_page_);
  EXPECT_EQ(DecodeUsageMap(written, table.owned_pages()),
            DecodeUsageMap(*original_, table.owned_pages()));
}

// Run after run with the same rows, the file keeps the size of the first run.
TEST_F(TableWriterTest, RepeatedRunsDoNotGrowTheFile) {
  Load("numbers/numbers-plain.mdb");
  const std::vector<size_t> picks = GrowPicks(values_.size());
  std::filesystem::path file = Write(*original_, picks, "run0.mdb");
  const auto first_size = std::filesystem::file_size(file);
  for (int run = 1; run < 4; ++run) {
    file = Write(FileImage::ReadFile(file.string()), picks,
                 "run" + std::to_string(run) + ".mdb");
    EXPECT_EQ(std::filesystem::file_size(file), first_size) << "run " << run;
  }
  ExpectRows(file, picks);
}

TEST_F(TableWriterTest, ATableWithIndexesNeedsTheIndexRebuild) {
  Load("numbers/numbers-pk.mdb");
  WritableImage writable(*original_);
  EXPECT_THROW(ReplaceTableRows(writable, definition_page_, values_, {}), Error);
  EXPECT_EQ(writable.image().ToBytes(), original_->bytes());
}

TEST_F(TableWriterTest, AutoNumberCounterKeepsTheHighestNumberGiven) {
  Load("numbers/numbers-autoid.mdb");
  std::vector<std::vector<Value>> rows = {values_[0], values_[1]};
  rows[1][0] = Value::Integer(1000);
  WritableImage writable(*original_);
  const auto keep = [](WritableImage&, const TableDefinition&,
                       const std::vector<StoredRow>&) {};
  ReplaceTableRows(writable, definition_page_, rows, keep);
  EXPECT_EQ(TableDefinition::Read(writable.image(), definition_page_).autonumber(),
            1000u);
  rows[1][0] = Value::Integer(5);
  ReplaceTableRows(writable, definition_page_, rows, keep);
  EXPECT_EQ(TableDefinition::Read(writable.image(), definition_page_).autonumber(),
            1000u);
}

}  // namespace
}  // namespace db::engine::mdb
