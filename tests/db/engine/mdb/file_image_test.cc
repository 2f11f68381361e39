// The kinds of FileImage: pages read on demand must read as the bytes in
// memory do, each page once and only the pages asked for; a changed image
// keeps its changes to itself.

#include "db/engine/mdb/file_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "core/error.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/writable_image.h"
#include "tests/db/engine/mdb/jet_files.h"

namespace mdb_test {
namespace {

namespace mdb = db::engine::mdb;

// An image of `bytes` that reads its pages on demand and counts the reads
// of each page.
mdb::FileImage OnDemand(const std::vector<uint8_t>& bytes,
                        std::map<uint64_t, int>& reads_by_offset) {
  return mdb::FileImage(bytes.size(), [&](uint64_t offset, std::span<uint8_t> into) {
    ASSERT_LE(offset + into.size(), bytes.size());
    ++reads_by_offset[offset];
    std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(offset), into.size(),
                into.begin());
  });
}

std::vector<mdb::StoredRow> NumbersRows(const mdb::FileImage& image) {
  const mdb::TableDefinition table = mdb::TableDefinition::Read(
      image, mdb::Catalog::Read(image).TableDefinitionPage("Numbers"));
  return mdb::TableReader(image, table).ReadAll();
}

TEST(FileImageTest, PagesReadOnDemandAreTheFilesEachReadOnceAndOnlyWhenAsked) {
  for (const char* file : {"numbers/numbers-big.mdb", "numbers/numbers-autoid.mdb"}) {
    SCOPED_TRACE(file);
    const std::vector<uint8_t> bytes = ReadBytes(JetFile(file));
    const mdb::FileImage in_memory(bytes);
    std::map<uint64_t, int> reads;
    const mdb::FileImage on_demand = OnDemand(bytes, reads);
    EXPECT_EQ(on_demand.page_count(), in_memory.page_count());
    EXPECT_TRUE(reads.empty());

    // A view taken first stays valid while more pages are read.
    const mdb::ByteView first = on_demand.Page(2);
    EXPECT_EQ(NumbersRows(on_demand).size(), NumbersRows(in_memory).size());
    EXPECT_TRUE(std::ranges::equal(first.bytes(), in_memory.Page(2).bytes()));
    for (uint32_t page = 0; page < in_memory.page_count(); ++page) {
      if (!reads.contains(uint64_t{page} * mdb::kPageSize)) continue;
      EXPECT_TRUE(
          std::ranges::equal(on_demand.Page(page).bytes(), in_memory.Page(page).bytes()))
          << "page " << page;
    }

    for (const auto& [offset, count] : reads) {
      EXPECT_EQ(offset % mdb::kPageSize, 0u);
      EXPECT_EQ(count, 1) << "page " << offset / mdb::kPageSize << " read again";
    }
    // The rows need the catalog, the definition and the data pages, not the
    // index pages and not the other tables'.
    EXPECT_LT(reads.size(), on_demand.page_count());
    EXPECT_EQ(on_demand.ToBytes(), bytes);
  }
}

TEST(FileImageTest, PageBeyondTheEndIsRefusedWithoutReading) {
  const std::vector<uint8_t> bytes = ReadBytes(JetFile("numbers/numbers-pk.mdb"));
  std::map<uint64_t, int> reads;
  const mdb::FileImage image = OnDemand(bytes, reads);
  EXPECT_THROW(image.Page(image.page_count()), core::Error);
  EXPECT_TRUE(reads.empty());
}

// The writer's changes go into its own pages: the original reads as before,
// the changed image reads the changes, and lists exactly the pages it
// changed or added.
TEST(WritableImageTest, ChangesStayInTheChangedImageWhichListsThem) {
  const std::vector<uint8_t> bytes = ReadBytes(JetFile("numbers/numbers-pk.mdb"));
  std::map<uint64_t, int> reads;
  const mdb::FileImage original = OnDemand(bytes, reads);
  const uint32_t pages = original.page_count();

  mdb::WritableImage writable(original);
  const mdb::ByteView before = writable.image().Page(5);
  writable.Page(5)[100] ^= 0xFF;
  writable.Page(5)[101] ^= 0xFF;  // the same held page again
  EXPECT_EQ(writable.image().Page(5).U8(100), bytes[5 * mdb::kPageSize + 100] ^ 0xFF);
  EXPECT_EQ(writable.image().Page(5).U8(101), bytes[5 * mdb::kPageSize + 101] ^ 0xFF);
  EXPECT_EQ(before.U8(100), bytes[5 * mdb::kPageSize + 100]);  // the original's view
  EXPECT_EQ(original.Page(5).U8(100), bytes[5 * mdb::kPageSize + 100]);
  EXPECT_THROW(writable.Page(0), core::Error);
  EXPECT_THROW(writable.Page(pages), core::Error);

  for (int i = 0; i < 3; ++i) EXPECT_EQ(writable.AppendPage(), pages + i);
  EXPECT_EQ(writable.page_count(), pages + 3);
  EXPECT_TRUE(std::ranges::all_of(writable.image().Page(pages + 1).bytes(),
                                  [](uint8_t b) { return b == 0; }));

  const mdb::FileImage finished = std::move(writable).Finish();
  EXPECT_EQ(finished.size(), uint64_t{pages + 3} * mdb::kPageSize);
  EXPECT_EQ(finished.ChangedPages(),
            (std::vector<uint32_t>{1, 5, pages, pages + 1, pages + 2}));
  const mdb::GlobalPageMap map = mdb::GlobalPageMap::Read(finished);
  for (uint32_t page = pages; page < pages + 3; ++page) EXPECT_TRUE(map.InUse(page));
  EXPECT_EQ(original.ToBytes(), bytes);
  EXPECT_TRUE(original.ChangedPages().empty());
}

}  // namespace
}  // namespace mdb_test
