// The padded benchmark file: another table that every reader reads, with
// Numbers and the rest untouched; and a run on it that reads none of the
// padding and leaves it byte for byte as it was.

#include "bench/jet_padding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "db/engine/jetfile/jet_file_session.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/image_check.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/usage_map.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/oracles.h"
#include "tests/support/test_files.h"

namespace bench {
namespace {

namespace mdb = db::engine::mdb;
using testing_support::TempDir;

std::vector<std::string> Texts(const mdb_test::CsvTable& table) {
  std::vector<std::string> rows;
  for (const auto& row : table.rows) {
    std::string text;
    for (const mdb_test::CsvField& field : row) text += field.text + ";";
    rows.push_back(text);
  }
  return rows;
}

// Pages that differ between two files, over the pages of the shorter.
std::set<uint32_t> DifferingPages(const mdb::FileImage& a, const mdb::FileImage& b) {
  std::set<uint32_t> pages;
  for (uint32_t page = 0; page < std::min(a.page_count(), b.page_count()); ++page)
    if (!std::ranges::equal(a.Page(page).bytes(), b.Page(page).bytes()))
      pages.insert(page);
  return pages;
}

// Every page a table's definition, usage maps and indexes name.
std::set<uint32_t> TablePages(const mdb::FileImage& image, uint32_t definition_page) {
  const mdb::TableDefinition table = mdb::TableDefinition::Read(image, definition_page);
  std::set<uint32_t> pages(table.pages().begin(), table.pages().end());
  std::vector<mdb::RowPointer> maps = {table.owned_pages(), table.free_space_pages()};
  for (const mdb::RealIndex& index : table.real_indexes())
    maps.push_back(index.usage_map);
  for (const mdb::RowPointer map : maps) {
    pages.insert(map.page);
    for (const uint32_t page : mdb::DecodeUsageMap(image, map)) pages.insert(page);
    const mdb::ByteView row = mdb::FindRow(image, map);
    if (row.U8(0) == 1)  // a reference map: its map pages too
      for (size_t at = 1; at + 4 <= row.size(); at += 4)
        if (row.U32(at) != 0) pages.insert(row.U32(at));
  }
  return pages;
}

TEST(JetPaddingTest, ThePaddedFileIsReadByEveryReaderAndKeepsTheRest) {
  const TempDir dir;
  const auto input = dir.path() / "input.mdb";
  const auto padded = dir.path() / "padded.mdb";
  mdb_test::CopyJetFile("numbers/numbers-pk.mdb", input);
  const uint64_t rows = WritePaddedJetFile(
      input, mdb_test::JetFile("numbers/numbers-plain.mdb"), padded, 3 << 20);
  EXPECT_GE(std::filesystem::file_size(padded), 3u << 20);
  ASSERT_GT(rows, 10000u);

  const auto tables = mdb_test::MdbTables(padded);
  EXPECT_NE(std::ranges::find(tables, "Padding"), tables.end());
  EXPECT_EQ(mdb_test::MdbExport(padded, "Padding").rows.size(), rows);
  EXPECT_EQ(mdb_test::MdbReaderRows(padded, "Padding").size(), rows);  // strict
  EXPECT_EQ(Texts(mdb_test::MdbExport(padded, "Numbers")),
            Texts(mdb_test::MdbExport(input, "Numbers")));

  // Our own checks of the new table and of Numbers; the catalog's indexes,
  // rebuilt, hold one entry for each of its rows, the new one too.
  const mdb::FileImage before = mdb::FileImage::ReadFile(input.string());
  const mdb::FileImage after = mdb::FileImage::ReadFile(padded.string());
  const mdb::Catalog catalog = mdb::Catalog::Read(after);
  EXPECT_EQ(catalog.entries().size(), mdb::Catalog::Read(before).entries().size() + 1);
  mdb::CheckTableImage(after, catalog.TableDefinitionPage("Padding"), true);
  mdb::CheckTableImage(after, catalog.TableDefinitionPage("Numbers"), false);
  const mdb::TableDefinition objects = mdb::TableDefinition::Read(after, 2);
  std::set<mdb::RowPointer> catalog_rows;
  mdb::TableReader(after, objects)
      .ForEachRawRow(
          [&](mdb::RowPointer row, const mdb::ByteView&) { catalog_rows.insert(row); });
  EXPECT_EQ(catalog_rows.size(), objects.row_count());
  ASSERT_FALSE(objects.real_indexes().empty());
  for (const mdb::RealIndex& index : objects.real_indexes()) {
    std::set<mdb::RowPointer> indexed;
    for (const mdb::IndexEntry& entry :
         mdb::ReadIndex(after, index.first_page, 2).entries)
      indexed.insert(entry.row);
    EXPECT_EQ(indexed, catalog_rows);
  }

  // Of the input's pages only the catalog's and the page map changed.
  std::set<uint32_t> allowed = TablePages(before, 2);
  allowed.insert(1);
  for (const uint32_t page : DifferingPages(before, after))
    EXPECT_TRUE(allowed.contains(page)) << "page " << page;
}

// The same change of Numbers committed on the file and on its padded twin:
// the run reads as much of both (none of the padding), leaves the same
// Numbers, and every page of the padding as it was.
TEST(JetPaddingTest, ARunReadsNoneOfThePaddingAndLeavesItAsItWas) {
  const TempDir dir;
  const auto plain = dir.path() / "plain" / "Numbers.mdb";
  const auto padded = dir.path() / "padded" / "Numbers.mdb";
  std::filesystem::create_directories(plain.parent_path());
  std::filesystem::create_directories(padded.parent_path());
  mdb_test::CopyJetFile("numbers/numbers-pk.mdb", plain);
  WritePaddedJetFile(plain, mdb_test::JetFile("numbers/numbers-plain.mdb"), padded,
                     8 << 20);
  const mdb::FileImage padded_before = mdb::FileImage::ReadFile(padded.string());

  uint64_t read[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const auto session = db::engine::JetFileSession::Open((i ? padded : plain).string(),
                                                          "Falter", "Numbers", true);
    session->session().Run("BEGIN");
    session->session().Run(
        "UPDATE Numbers SET Name = Name || ' neu' WHERE rowid % 3 = 0");
    session->session().Run(
        "INSERT INTO Numbers (Number, Name) SELECT 'N' || Number, Name FROM Numbers");
    session->WriteTable();
    session->session().Run("COMMIT");
    read[i] = session->BytesRead();
  }
  EXPECT_LE(read[1], read[0] + 2 * mdb::kPageSize);
  EXPECT_LT(read[1], std::filesystem::file_size(padded) / 10);
  EXPECT_EQ(Texts(mdb_test::MdbExport(padded, "Numbers")),
            Texts(mdb_test::MdbExport(plain, "Numbers")));

  const mdb::FileImage padded_after = mdb::FileImage::ReadFile(padded.string());
  EXPECT_GT(padded_after.page_count(), padded_before.page_count());  // Numbers grew
  const mdb::Catalog catalog = mdb::Catalog::Read(padded_after);
  std::set<uint32_t> allowed =
      TablePages(padded_after, catalog.TableDefinitionPage("Numbers"));
  allowed.insert(1);
  for (const uint32_t page : DifferingPages(padded_before, padded_after))
    EXPECT_TRUE(allowed.contains(page)) << "page " << page;
  mdb::CheckTableImage(padded_after, catalog.TableDefinitionPage("Padding"), true);
}

}  // namespace
}  // namespace bench
