#include "db/engine/mdb/usage_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/table_definition.h"

namespace db::engine::mdb {
namespace {

const std::string kJet = PREISLISTE_TEST_JET;

std::vector<uint8_t> RowBytes(const FileImage& image, RowPointer map) {
  const auto bytes = FindRow(image, map).bytes();
  return {bytes.begin(), bytes.end()};
}

// Every usage map of every table, written back with the pages it lists,
// comes out byte for byte as Access (or Jackcess) wrote it.
TEST(UsageMapWriteTest, RewritingTheSamePagesReproducesTheFile) {
  const char* const files[] = {"access-made/compIndexTestV2003.mdb",
                               "access-made/indexTestV2000.mdb",
                               "access-made/testUnicodeCompV2003.mdb",
                               "numbers/numbers-pk.mdb",
                               "numbers/numbers-big.mdb",
                               "numbers/numbers-autoid.mdb"};
  for (const char* name : files) {
    SCOPED_TRACE(name);
    const FileImage original = FileImage::ReadFile(kJet + "/" + name);
    const Catalog catalog = Catalog::Read(original);
    int maps = 0;
    for (const Catalog::Entry& entry : catalog.entries()) {
      if (entry.type != 1) continue;
      const TableDefinition table =
          TableDefinition::Read(original, catalog.TableDefinitionPage(entry.name));
      std::vector<RowPointer> pointers{table.owned_pages(), table.free_space_pages()};
      for (const RealIndex& index : table.real_indexes())
        pointers.push_back(index.usage_map);
      for (const RowPointer map : pointers) {
        WritableImage image(original);
        WriteUsageMap(image, map, DecodeUsageMap(original, map));
        EXPECT_EQ(image.page_count(), original.page_count());
        EXPECT_EQ(image.image().ToBytes(), original.bytes())
            << entry.name << " map on page " << map.page << " row " << int(map.row);
        ++maps;
      }
    }
    EXPECT_GT(maps, 10);
  }
}

class UsageMapChangeTest : public testing::Test {
 protected:
  UsageMapChangeTest()
      : original_(FileImage::ReadFile(kJet + "/numbers/numbers-pk.mdb")),
        catalog_(Catalog::Read(original_)) {}

  // An inline map of the file (MSysObjects' own pages).
  RowPointer InlineMap() const {
    const RowPointer map =
        TableDefinition::Read(original_, catalog_.TableDefinitionPage("MSysObjects"))
            .owned_pages();
    EXPECT_EQ(FindRow(original_, map).U8(0), 0);
    return map;
  }
  // The reference map of table Numbers.
  RowPointer ReferenceMap() const {
    const RowPointer map =
        TableDefinition::Read(original_, catalog_.TableDefinitionPage("Numbers"))
            .owned_pages();
    EXPECT_EQ(FindRow(original_, map).U8(0), 1);
    return map;
  }

  FileImage original_;
  Catalog catalog_;
};

TEST_F(UsageMapChangeTest, InlineMapMovesItsWindowToPagesPastIt) {
  WritableImage image(original_);
  while (image.page_count() < 800) image.AppendPage();
  const std::vector<uint32_t> pages{600, 601, 700, 799};
  WriteUsageMap(image, InlineMap(), pages);
  EXPECT_EQ(DecodeUsageMap(image.image(), InlineMap()), pages);
  EXPECT_EQ(FindRow(image.image(), InlineMap()).U8(0), 0);
  EXPECT_EQ(FindRow(image.image(), InlineMap()).U32(1), 512u);
}

TEST_F(UsageMapChangeTest, InlineMapBecomesAReferenceMapWithANewMapPage) {
  WritableImage image(original_);
  while (image.page_count() < 1200) image.AppendPage();
  const std::vector<uint32_t> pages{2, 3, 700, 1199};
  WriteUsageMap(image, InlineMap(), pages);
  EXPECT_EQ(image.page_count(), 1201u);  // the new map page
  const ByteView row = FindRow(image.image(), InlineMap());
  EXPECT_EQ(row.U8(0), 1);
  EXPECT_EQ(row.U32(1), 1200u);
  EXPECT_EQ(DecodeUsageMap(image.image(), InlineMap()), pages);
  const FileImage finished = std::move(image).Finish();
  EXPECT_TRUE(GlobalPageMap::Read(finished).InUse(1200));
  EXPECT_EQ(finished.Page(1200).U8(0), 0x05);
}

TEST_F(UsageMapChangeTest, ReferenceMapKeepsItsPageAndForgetsPagesLeftOut) {
  WritableImage image(original_);
  const std::vector<uint8_t> before = RowBytes(original_, ReferenceMap());
  const std::vector<uint32_t> owned = DecodeUsageMap(original_, ReferenceMap());
  ASSERT_GT(owned.size(), 2u);
  const std::vector<uint32_t> fewer(owned.begin(), owned.begin() + 2);
  WriteUsageMap(image, ReferenceMap(), fewer);
  EXPECT_EQ(image.page_count(), original_.page_count());
  EXPECT_EQ(RowBytes(image.image(), ReferenceMap()), before);  // same map page
  EXPECT_EQ(DecodeUsageMap(image.image(), ReferenceMap()), fewer);
}

TEST_F(UsageMapChangeTest, RefusesUnsortedPagesAndPagesPastTheFile) {
  WritableImage image(original_);
  const std::vector<uint8_t> before = image.image().ToBytes();
  EXPECT_THROW(WriteUsageMap(image, ReferenceMap(), {5, 3}), Error);
  EXPECT_THROW(WriteUsageMap(image, ReferenceMap(), {4, 4}), Error);
  EXPECT_THROW(WriteUsageMap(image, ReferenceMap(), {3, image.page_count()}), Error);
  EXPECT_EQ(image.image().ToBytes(), before);
}

}  // namespace
}  // namespace db::engine::mdb
