// A global page map kept as a reference map (a list of usage-map pages), as
// Access may store it: read as the inline map it replaces, kept by the
// writer, and grown by a map page when the file grows into the next block
// of pages. What it says about each page only our own reader and check
// (CheckTableImage) verify; mdb-export and mdb-reader read the table of the
// written files.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/image_check.h"
#include "db/engine/mdb/index_writer.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/table_writer.h"
#include "db/engine/mdb/usage_map.h"
#include "db/engine/mdb/writable_image.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/jet_variants.h"
#include "tests/db/engine/mdb/oracles.h"
#include "tests/support/test_files.h"

namespace db::engine::mdb {
namespace {

// The file `head` followed by zero pages up to `page_count` pages, read on
// demand: a large file without holding it.
FileImage Padded(const std::vector<uint8_t>& head, uint32_t page_count) {
  return FileImage(uint64_t{page_count} * kPageSize,
                   [&head](uint64_t offset, std::span<uint8_t> into) {
                     for (size_t i = 0; i < into.size(); ++i)
                       into[i] = offset + i < head.size() ? head[offset + i] : 0;
                   });
}

// Writes `image` (the original `head`, padded, with the writer's pages) as
// a sparse file: the pages in between stay a hole.
std::filesystem::path WriteSparse(const std::filesystem::path& file,
                                  const std::vector<uint8_t>& head,
                                  const FileImage& image) {
  {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
  }
  std::filesystem::resize_file(file, image.size());
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  for (const uint32_t page : image.ChangedPages()) {
    out.seekp(static_cast<std::streamoff>(uint64_t{page} * kPageSize));
    const auto bytes = image.Page(page).bytes();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  return file;
}

struct Numbers {
  uint32_t definition_page;
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
};

Numbers ReadNumbers(const FileImage& image) {
  const uint32_t page = Catalog::Read(image).TableDefinitionPage("Numbers");
  const TableDefinition table = TableDefinition::Read(image, page);
  Numbers numbers{page, {}, {}};
  for (const ColumnDefinition& column : table.columns())
    numbers.columns.push_back(column.name);
  for (const StoredRow& row : TableReader(image, table).ReadAll())
    numbers.rows.push_back(row.values);
  return numbers;
}

// The rows `times` over, more than the table's pages hold, each copy with
// keys of its own for the unique indexes: its prefixes begin with another 9
// (the stored ones begin with 0 or 1), its AutoNumbers are 100000 higher.
std::vector<std::vector<Value>> Repeated(const Numbers& numbers, int times) {
  std::vector<std::vector<Value>> repeated;
  for (int i = 0; i < times; ++i) {
    for (std::vector<Value> row : numbers.rows) {
      for (size_t c = 0; c < row.size(); ++c) {
        if (numbers.columns[c] == "Number")
          row[c] = Value::Text(std::string(static_cast<size_t>(i), '9') + row[c].text());
        if (numbers.columns[c] == "ID")
          row[c] = Value::Integer(row[c].integer() + 100000 * i);
      }
      repeated.push_back(std::move(row));
    }
  }
  return repeated;
}

TEST(ReferencePageMapTest, SaysWhatTheInlineMapSaid) {
  for (const auto& file : mdb_test::AllJetFiles()) {
    SCOPED_TRACE(file.filename().string());
    const std::vector<uint8_t> bytes = mdb_test::ReadBytes(file);
    const FileImage original(bytes);
    const FileImage converted(mdb_test::WithReferencePageMap(bytes));
    const GlobalPageMap inline_map = GlobalPageMap::Read(original);
    const GlobalPageMap map = GlobalPageMap::Read(converted);
    ASSERT_FALSE(inline_map.is_reference());
    ASSERT_TRUE(map.is_reference());
    for (uint32_t page = 0; page < original.page_count(); ++page)
      ASSERT_EQ(map.InUse(page), inline_map.InUse(page)) << page;
    EXPECT_TRUE(map.InUse(original.page_count()));  // the map page
    EXPECT_FALSE(map.InUse(converted.page_count()));
  }
}

// The writer keeps the map's kind and pages: the pages the file grows by
// are in use, every other page as it was, and page 1 and the map page are
// the only pages besides the table's that change.
TEST(ReferencePageMapTest, WriterKeepsItAndMarksTheNewPages) {
  for (const char* name : {"numbers/numbers-plain.mdb", "numbers/numbers-pk.mdb",
                           "numbers/numbers-autoid.mdb"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> head =
        mdb_test::WithReferencePageMap(mdb_test::ReadBytes(mdb_test::JetFile(name)));
    const FileImage original(head);
    const Numbers numbers = ReadNumbers(original);
    WritableImage writable(original);
    const std::vector<std::vector<Value>> rows = Repeated(numbers, 2);
    ReplaceTableRows(writable, numbers.definition_page, rows, RebuildIndexes);
    const FileImage written = std::move(writable).Finish();
    ASSERT_GT(written.page_count(), original.page_count());
    CheckTableImage(written, numbers.definition_page, /*exact_key_counts=*/true, nullptr);

    const GlobalPageMap before = GlobalPageMap::Read(original);
    const GlobalPageMap after = GlobalPageMap::Read(written);
    ASSERT_TRUE(after.is_reference());
    for (uint32_t page = 0; page < written.page_count(); ++page)
      ASSERT_EQ(after.InUse(page), page >= original.page_count() || before.InUse(page))
          << page;
    EXPECT_FALSE(after.InUse(written.page_count()));
    EXPECT_EQ(FindRow(written, GlobalPageMap::kLocation).U32(1),
              original.page_count() - 1)
        << "the map keeps its page";

    testing_support::TempDir dir;
    const auto file = WriteSparse(dir.path() / "written.mdb", head, written);
    EXPECT_EQ(mdb_test::MdbExport(file, "Numbers").rows.size(), rows.size());
    EXPECT_EQ(mdb_test::MdbReaderRows(file, "Numbers").size(), rows.size());
  }
}

// A file that grows past the pages its first map page covers gets a second
// map page for the next block, listed in the row: the new pages in use, the
// pages past the end free.
TEST(ReferencePageMapTest, GrowsByAMapPageForTheNextBlock) {
  const std::vector<uint8_t> head = mdb_test::WithReferencePageMap(
      mdb_test::ReadBytes(mdb_test::JetFile("numbers/numbers-plain.mdb")));
  const uint32_t block = static_cast<uint32_t>(kPagesPerUsageMapPage);
  const uint32_t padded = block - 3;
  const FileImage original = Padded(head, padded);
  const Numbers numbers = ReadNumbers(original);
  WritableImage writable(original);
  const std::vector<std::vector<Value>> rows = Repeated(numbers, 4);
  ReplaceTableRows(writable, numbers.definition_page, rows, RebuildIndexes);
  const FileImage written = std::move(writable).Finish();
  ASSERT_GT(written.page_count(), block + 1);
  // Searching the pages written for strays, as the commit does: the check
  // of every page would hold the whole padded file.
  const std::vector<uint32_t> changed = written.ChangedPages();
  CheckTableImage(written, numbers.definition_page, /*exact_key_counts=*/true, &changed);

  const GlobalPageMap map = GlobalPageMap::Read(written);
  ASSERT_TRUE(map.is_reference());
  const ByteView row = FindRow(written, GlobalPageMap::kLocation);
  EXPECT_EQ(row.U32(1), head.size() / kPageSize - 1);
  const uint32_t second = row.U32(5);
  ASSERT_GE(second, block);
  ASSERT_LT(second, written.page_count());
  EXPECT_EQ(written.Page(second).U8(0), static_cast<uint8_t>(PageType::kUsageMap));
  EXPECT_EQ(row.U32(9), 0u);
  for (uint32_t page = padded; page < written.page_count(); ++page)
    EXPECT_TRUE(map.InUse(page)) << page;
  EXPECT_FALSE(map.InUse(padded - 1));  // a zero page of the padding
  for (uint32_t page = written.page_count(); page < 2 * block; ++page)
    ASSERT_FALSE(map.InUse(page)) << page;

  testing_support::TempDir dir;
  const auto file = WriteSparse(dir.path() / "grown.mdb", head, written);
  EXPECT_EQ(mdb_test::MdbExport(file, "Numbers").rows.size(), rows.size());
  EXPECT_EQ(mdb_test::MdbReaderRows(file, "Numbers").size(), rows.size());
  // Read back from the disk, as the next run reads it.
  const GlobalPageMap reread = GlobalPageMap::Read(
      FileImage(written.size(), [&file](uint64_t offset, std::span<uint8_t> into) {
        std::ifstream in(file, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(reinterpret_cast<char*>(into.data()),
                static_cast<std::streamsize>(into.size()));
      }));
  for (uint32_t page = padded - 1; page < 2 * block; ++page)
    ASSERT_EQ(reread.InUse(page), map.InUse(page)) << page;
}

}  // namespace
}  // namespace db::engine::mdb
