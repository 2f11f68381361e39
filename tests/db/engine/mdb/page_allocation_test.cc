// What the global page map (page 1) and the tables' usage maps say about
// the pages of files that Access and Jackcess wrote: the facts the writer's
// page allocation rests on.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

const std::string kJet = PREISLISTE_TEST_JET;

const char* const kAccessMade[] = {
    "bigIndexTestV2000.mdb",        "compIndexTestV2000.mdb",
    "compIndexTestV2003.mdb",       "delTestV2000.mdb",
    "fixedTextTestV2000.mdb",       "indexTestV2000.mdb",
    "testIndexPropertiesV2000.mdb", "testUnicodeCompV2003.mdb",
};

// The raw bit of `page` in the map row of page 1, read without
// GlobalPageMap, so that the meaning of the bit is tested, not assumed.
int StoredBit(const FileImage& image, uint32_t page) {
  const ByteView row = FindRow(image, {1, 0});
  const uint32_t index = page - row.U32(1);
  return row.U8(5 + index / 8) >> (index % 8) & 1;
}

// Every page that the file's tables use: their definition pages, the pages
// their own and their indexes' usage maps list, and the pages holding those
// map rows.
std::set<uint32_t> PagesOfTables(const FileImage& image) {
  std::set<uint32_t> pages;
  const Catalog catalog = Catalog::Read(image);
  for (const Catalog::Entry& entry : catalog.entries()) {
    if (entry.type != 1) continue;  // a table
    const TableDefinition table =
        TableDefinition::Read(image, catalog.TableDefinitionPage(entry.name));
    pages.insert(table.pages().begin(), table.pages().end());
    std::vector<RowPointer> maps{table.owned_pages(), table.free_space_pages()};
    for (const RealIndex& index : table.real_indexes()) {
      maps.push_back(index.usage_map);
      pages.insert(index.first_page);
    }
    for (const RowPointer map : maps) {
      pages.insert(map.page);
      for (const uint32_t page : DecodeUsageMap(image, map)) pages.insert(page);
    }
  }
  return pages;
}

TEST(PageAllocationTest, ClearBitMeansInUseInFilesAccessMade) {
  for (const char* name : kAccessMade) {
    SCOPED_TRACE(name);
    const FileImage image = FileImage::ReadFile(kJet + "/access-made/" + name);
    const GlobalPageMap map = GlobalPageMap::Read(image);
    ASSERT_EQ(map.window_start(), 0u);  // these files are small: one window
    const std::set<uint32_t> used = PagesOfTables(image);
    EXPECT_GT(used.size(), 15u);
    for (const uint32_t page : used) {
      EXPECT_EQ(StoredBit(image, page), 0) << "page " << page;
      EXPECT_TRUE(map.InUse(page)) << "page " << page;
    }
    EXPECT_EQ(StoredBit(image, 1), 0);
    for (uint32_t page = image.page_count(); page < map.window_pages(); ++page) {
      EXPECT_EQ(StoredBit(image, page), 1) << "page " << page;
      EXPECT_FALSE(map.InUse(page)) << "page " << page;
    }
  }
}

// A table's usage maps mean what they say: a set bit is a page the table
// owns (a data page of this table), and its free-space pages are among them.
TEST(PageAllocationTest, TableMapsListOwnedDataPagesAndFreeSpaceAmongThem) {
  for (const char* name : kAccessMade) {
    SCOPED_TRACE(name);
    const FileImage image = FileImage::ReadFile(kJet + "/access-made/" + name);
    const Catalog catalog = Catalog::Read(image);
    for (const Catalog::Entry& entry : catalog.entries()) {
      if (entry.type != 1) continue;
      const uint32_t definition_page = catalog.TableDefinitionPage(entry.name);
      const TableDefinition table = TableDefinition::Read(image, definition_page);
      const std::vector<uint32_t> owned = DecodeUsageMap(image, table.owned_pages());
      for (const uint32_t page : owned)
        EXPECT_EQ(DataPage(image, page).owner(), definition_page) << entry.name;
      const std::set<uint32_t> owned_set(owned.begin(), owned.end());
      for (const uint32_t page : DecodeUsageMap(image, table.free_space_pages()))
        EXPECT_TRUE(owned_set.count(page)) << entry.name << " page " << page;
    }
  }
}

// A file larger than one window: Jackcess keeps the window over the end of
// the file; everything before it is in use.
TEST(PageAllocationTest, WindowOverTheEndOfALargeFile) {
  const FileImage image = FileImage::ReadFile(kJet + "/numbers/numbers-big.mdb");
  const GlobalPageMap map = GlobalPageMap::Read(image);
  EXPECT_EQ(map.window_start(), 512u);
  for (const uint32_t page : PagesOfTables(image)) EXPECT_TRUE(map.InUse(page)) << page;
  for (uint32_t page = map.window_start(); page < image.page_count(); ++page)
    EXPECT_TRUE(map.InUse(page)) << page;
  EXPECT_FALSE(map.InUse(image.page_count()));
}

// Marking pages when the file grows: written back and read again, the pages
// are in use, the rest of the map is as it was, and a page past the window
// moves it without freeing any page of the file.
TEST(PageAllocationTest, MarkInUseAndMoveTheWindow) {
  const FileImage original = FileImage::ReadFile(kJet + "/numbers/numbers-pk.mdb");
  const uint32_t pages = original.page_count();
  GlobalPageMap map = GlobalPageMap::Read(original);
  map.MarkInUse(pages, pages);
  map.MarkInUse(pages + 1, pages);
  std::vector<uint8_t> bytes = original.bytes();
  map.WriteTo([&](uint32_t page) {
    return std::span(bytes).subspan(page * kPageSize, kPageSize);
  });
  const GlobalPageMap reread = GlobalPageMap::Read(FileImage(bytes));
  for (uint32_t page = 0; page < pages + 2; ++page)
    EXPECT_TRUE(reread.InUse(page)) << page;
  EXPECT_FALSE(reread.InUse(pages + 2));

  const uint32_t far = 2 * map.window_pages() + 7;
  map.MarkInUse(far, far);  // the file has grown to `far` pages meanwhile
  EXPECT_EQ(map.window_start(), 2 * map.window_pages());
  for (uint32_t page = 0; page <= far; ++page) EXPECT_TRUE(map.InUse(page)) << page;
  EXPECT_FALSE(map.InUse(far + 1));
  EXPECT_FALSE(map.InUse(3 * map.window_pages() - 1));
}

}  // namespace
}  // namespace db::engine::mdb
