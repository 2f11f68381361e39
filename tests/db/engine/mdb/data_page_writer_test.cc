#include "db/engine/mdb/data_page_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/data_row.h"
#include "db/engine/mdb/row_encoder.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/usage_map.h"

namespace db::engine::mdb {
namespace {

const std::string kJet = PREISLISTE_TEST_JET;

// The 14-byte header and the offset table of a page: where its rows lie.
std::vector<uint8_t> Layout(std::span<const uint8_t> page) {
  const size_t rows = page[12] | page[13] << 8;
  return {page.begin(), page.begin() + 14 + 2 * rows};
}

// The rows of a table written as Jackcess wrote them in one go, laid out
// again: the same pages with the same headers (free space, owner, row
// count) and row offsets, and the rows read back as the file holds them.
TEST(DataPageWriterTest, LaysRowsOutAsTheFileDoes) {
  for (const char* name : {"numbers/numbers-pk.mdb", "numbers/numbers-autoid.mdb"}) {
    SCOPED_TRACE(name);
    const FileImage image = FileImage::ReadFile(kJet + "/" + name);
    const uint32_t definition_page = Catalog::Read(image).TableDefinitionPage("Numbers");
    const TableDefinition table = TableDefinition::Read(image, definition_page);
    std::vector<std::vector<uint8_t>> rows;
    std::vector<StoredRow> stored = TableReader(image, table).ReadAll();
    for (const StoredRow& row : stored) rows.push_back(EncodeRow(table, row.values));

    const std::vector<PageBytes> pages = LayOutDataPages(definition_page, rows);
    const std::vector<uint32_t> owned = DecodeUsageMap(image, table.owned_pages());
    ASSERT_EQ(pages.size(), owned.size());
    size_t next = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
      EXPECT_EQ(Layout(pages[p]), Layout(image.Page(owned[p]).bytes())) << "page " << p;
      // The page alone, behind an empty header page.
      std::vector<uint8_t> bytes(kPageSize, 0);
      bytes.insert(bytes.end(), pages[p].begin(), pages[p].end());
      const FileImage written(std::move(bytes));
      const DataPage page(written, 1);
      LongValueRows taken;
      for (uint16_t r = 0; r < page.row_count(); ++r, ++next)
        EXPECT_EQ(DecodeRow(written, table, page.Row(r), taken), stored[next].values);
    }
    EXPECT_EQ(next, stored.size());
  }
}

TEST(DataPageWriterTest, StartsANewPageAfter255RowsAndRefusesARowTooBigForAPage) {
  const std::vector<std::vector<uint8_t>> small(256, std::vector<uint8_t>(4, 1));
  const std::vector<PageBytes> pages = LayOutDataPages(9, small);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0][12], 255);
  EXPECT_EQ(pages[1][12], 1);
  EXPECT_EQ(pages[0][4], 9);
  EXPECT_THROW(LayOutDataPages(9, {std::vector<uint8_t>(4096 - 14 - 1, 0)}), Error);
  EXPECT_EQ(LayOutDataPages(9, {std::vector<uint8_t>(4096 - 14 - 2, 0)}).size(), 1u);
}

}  // namespace
}  // namespace db::engine::mdb
