#include "db/engine/mdb/index_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/test_indexes.h"
#include "tests/support/test_files.h"

namespace db::engine::mdb {
namespace {

// A test file's bytes, to be damaged at will.
struct Image {
  explicit Image(const std::string& name) {
    data = mdb_test::ReadBytes(mdb_test::JetFile(name));
  }
  FileImage File() const { return FileImage(data); }
  uint8_t& At(uint32_t page, size_t offset) { return data[page * kPageSize + offset]; }
  std::vector<uint8_t> data;
};

// The descending index of compIndexTestV2000.mdb, written by Access: table
// definition on page 15, an intermediate root (page 29) over two leaves, the
// first prefix-compressed, the second the root's tail.
constexpr uint32_t kCompRoot = 29;
constexpr uint32_t kCompTable = 15;

TEST(ReadIndex, ReadsAnAccessMadeTwoLevelIndex) {
  const Image image("access-made/compIndexTestV2000.mdb");
  const IndexTree tree = ReadIndex(image.File(), kCompRoot, kCompTable);
  EXPECT_EQ(tree.pages, (std::vector<uint32_t>{29, 32, 33}));
  ASSERT_EQ(tree.entries.size(), 512u);
  EXPECT_EQ(tree.entries.front(),
            (IndexEntry{{0x80, 0x7f, 0xff, 0xed, 0x32}, {0x14, 0x38}}));
  // The prefix-compressed leaf ends where the root's entry says.
  EXPECT_EQ(tree.entries[509],
            (IndexEntry{{0x80, 0x7f, 0xff, 0xff, 0xec}, {0x11, 0x00}}));
  // NULLs sort last in a descending index.
  EXPECT_EQ(tree.entries[510], (IndexEntry{{0xff}, {0x14, 0x39}}));
  EXPECT_EQ(tree.entries[511], (IndexEntry{{0xff}, {0x14, 0x3a}}));
}

TEST(ReadIndex, ReadsAMultiPageIndexOfThirtyThousandRows) {
  // numbers-big.mdb: the primary key of Numbers, table definition page 24.
  const Image image("numbers/numbers-big.mdb");
  const IndexTree tree = ReadIndex(image.File(), 26, 24);
  EXPECT_EQ(tree.entries.size(), 30000u);
  EXPECT_GT(tree.pages.size(), 100u);
}

TEST(ReadIndex, ReadsAnEmptyIndex) {
  const Image image("access-made/compIndexTestV2000.mdb");
  const IndexTree tree = ReadIndex(image.File(), 10, 4);
  EXPECT_TRUE(tree.entries.empty());
  EXPECT_EQ(tree.pages, std::vector<uint32_t>{10});
}

TEST(ReadIndex, RefusesDamagedPages) {
  struct Case {
    const char* what;
    uint32_t page;
    size_t offset;
    uint8_t value;
  };
  const Case cases[] = {
      {"root is a data page", 29, 0, 0x01},
      {"leaf of another table", 32, 4, 16},
      {"tail points back to the root", 29, 20, 29},
      {"leaf links broken", 33, 12, 0},
      {"leaf next points to itself", 32, 16, 32},
      {"entry mask past the page", 32, 27 + 452, 0x80},
      {"entry mask bit 0", 33, 27, 0x01},
      {"shared prefix longer than the first entry", 32, 24, 200},
      {"free space disagrees", 33, 2, 0},
      {"equal keys with rows out of order", 33, 480 + 9, 0x38},
      {"root entry differs from its child's last entry", 29, 480 + 4, 0xed},
      {"child page beyond the file", 29, 480 + 9, 0x7f},
  };
  for (const Case& c : cases) {
    Image image("access-made/compIndexTestV2000.mdb");
    image.At(c.page, c.offset) = c.value;
    EXPECT_THROW(ReadIndex(image.File(), kCompRoot, kCompTable), Error) << c.what;
  }
}

// Every index page Access wrote, decoded and encoded again, gives back Access's
// bytes: header, mask, shared prefix and entries. Only the space after the entries
// differs, where Access leaves what a split left behind and we write zeros.
TEST(IndexPage, EncodesAccessPagesAsAccessWroteThem) {
  int pages = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(mdb_test::TestJetFolder() / "access-made")) {
    const FileImage file =
        Image("access-made/" + entry.path().filename().string()).File();
    for (uint32_t n = 1; n < file.page_count(); ++n) {
      const std::span<const uint8_t> bytes = file.Page(n).bytes();
      if (bytes[0] != 0x03 && bytes[0] != 0x04) continue;
      ++pages;
      const std::vector<uint8_t> again = EncodeIndexPage(DecodeIndexPage(bytes, n));
      const size_t used = kPageSize - (bytes[2] | bytes[3] << 8);
      EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + used, again.begin()))
          << entry.path().filename() << " page " << n;
      EXPECT_TRUE(
          std::all_of(again.begin() + used, again.end(), [](uint8_t b) { return !b; }));
    }
  }
  EXPECT_GT(pages, 80);
}

TEST(IndexPage, RefusesEntriesThatDoNotFitItsLayout) {
  IndexPage page;
  page.entries.push_back({KeyBytes(kMaxEntryBytes, 0x7f), {1, 0}});
  EXPECT_THROW(EncodeIndexPage(page), Error);  // too big for one page
  page.entries = {{{0x7f, 0x01}, {1, 0}}, {{0x7f, 0x02}, {1, 1}}};
  page.prefix_length = 2;
  EXPECT_THROW(EncodeIndexPage(page), Error);  // second entry lacks the prefix
  page.prefix_length = 1;
  EXPECT_EQ(DecodeIndexPage(EncodeIndexPage(page), 5).entries, page.entries);
  page.leaf = false;
  EXPECT_THROW(EncodeIndexPage(page), Error);  // intermediate page without children
}

}  // namespace
}  // namespace db::engine::mdb
