#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/index_pages.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/test_indexes.h"

namespace db::engine::mdb {
namespace {

FileImage TestFile(const std::string& name) {
  return FileImage(mdb_test::ReadBytes(mdb_test::JetFile(name)));
}

// An index built on the page numbers `free` hands out, and a file image with
// its pages at those numbers (all other pages empty).
struct BuiltPages {
  BuiltPages(std::span<const IndexEntry> entries, uint32_t table,
             std::vector<uint32_t> free)
      : free_pages(std::move(free)) {
    size_t next = 0;
    built = BuildIndex(entries, table, [&] { return free_pages.at(next++); });
    std::vector<uint8_t> bytes;
    for (const auto& [number, page] : built.pages) {
      pages[number] = page;
      bytes.resize(std::max(bytes.size(), (size_t{number} + 1) * kPageSize));
      std::copy(page.begin(), page.end(), bytes.begin() + size_t{number} * kPageSize);
    }
    file = FileImage(std::move(bytes));
  }
  std::vector<uint32_t> free_pages;
  BuiltIndex built;
  std::map<uint32_t, std::vector<uint8_t>> pages;
  FileImage file{{}};
};

size_t Used(std::span<const uint8_t> page) {
  return kPageSize - (page[2] | page[3] << 8);
}

// Whether our page holds what theirs holds, up to the end of the entries (after
// them Access leaves what a split left behind).
bool SameLayout(std::span<const uint8_t> theirs, std::span<const uint8_t> ours) {
  return Used(ours) == Used(theirs) &&
         std::equal(theirs.begin(), theirs.begin() + Used(theirs), ours.begin());
}

// The descending index of compIndexTestV2000.mdb (root 29, leaves 32 and 33, table
// page 15), rebuilt from its entries on the same page numbers: Access split its
// 512 entries at the same place and shared a prefix only on the full leaf, so
// every page comes out as Access wrote it.
TEST(BuildIndex, RebuildsAnAccessIndexAsAccessLaidItOut) {
  const FileImage file = TestFile("access-made/compIndexTestV2000.mdb");
  const IndexTree access = ReadIndex(file, 29, 15);
  const BuiltPages ours(access.entries, 15, {29, 32, 33});
  EXPECT_EQ(ours.built.root, 29u);
  EXPECT_EQ(ReadIndex(ours.file, 29, 15).entries, access.entries);
  for (uint32_t n : {29u, 32u, 33u}) {
    EXPECT_TRUE(SameLayout(file.Page(n).bytes(), ours.pages.at(n))) << "page " << n;
  }
  EXPECT_EQ(DecodeIndexPage(ours.pages.at(32), 32).prefix_length, 3u);
}

std::vector<uint32_t> Numbers(uint32_t first, size_t count) {
  std::vector<uint32_t> numbers(count);
  for (size_t i = 0; i < count; ++i) numbers[i] = first + static_cast<uint32_t>(i);
  return numbers;
}

TEST(BuildIndex, RebuildsThirtyThousandEntriesOnFullerPages) {
  const FileImage file = TestFile("numbers/numbers-big.mdb");
  const IndexTree original = ReadIndex(file, 26, 24);
  const BuiltPages ours(original.entries, 24, Numbers(5000, 1000));
  const IndexTree again = ReadIndex(ours.file, ours.built.root, 24);
  EXPECT_EQ(again.entries, original.entries);
  // Leaves are filled, not split in halves as pages filled by inserts are.
  EXPECT_LT(again.pages.size(), original.pages.size());
  std::cout << "numbers-big primary key: " << original.pages.size()
            << " pages as stored, " << again.pages.size() << " rebuilt\n";
  EXPECT_EQ(again.pages.front(), 5000u);
  for (const auto& [number, bytes] : ours.pages) {
    if (bytes[0] == 0x04 && number != again.pages.back()) {
      EXPECT_GT(Used(bytes), 3400u) << "leaf " << number;
    }
  }
}

// Keys of about 300 bytes put a dozen entries on a page, so 4000 of them need
// three levels: a root over intermediate pages over leaves.
TEST(BuildIndex, BuildsThreeLevelsWhenOneIntermediatePageIsNotEnough) {
  std::vector<IndexEntry> entries;
  for (uint32_t i = 0; i < 4000; ++i) {
    KeyBytes key{0x7f, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
    key.resize(300, static_cast<uint8_t>(i * 7));
    entries.push_back({key, {100 + i / 50, static_cast<uint8_t>(i % 50)}});
  }
  const BuiltPages ours(entries, 7, Numbers(10, 1000));
  const IndexTree tree = ReadIndex(ours.file, ours.built.root, 7);
  EXPECT_EQ(tree.entries, entries);
  const IndexPage root = DecodeIndexPage(ours.pages.at(ours.built.root), ours.built.root);
  ASSERT_FALSE(root.leaf);
  const uint32_t child = root.children.front();
  EXPECT_FALSE(DecodeIndexPage(ours.pages.at(child), child).leaf);
}

// Every index of the test files, rebuilt on the pages it has in the file, reads
// back the same. Where Access wrote the index, every page comes out as Access wrote
// it (up to the end of its entries): same split, same shared prefixes.
TEST(BuildIndex, RebuildsEveryIndexOfTheTestFiles) {
  for (const char* folder : {"access-made", "numbers"}) {
    size_t indexes = 0, same_layout = 0;
    ForEachStoredIndex(folder, [&](const StoredIndex& stored) {
      const uint32_t table = stored.definition.first_page();
      const IndexTree tree = ReadIndex(stored.image, stored.index().first_page, table);
      std::vector<uint32_t> numbers = tree.pages;
      for (uint32_t extra = 0; extra < 500; ++extra) {
        numbers.push_back(stored.image.page_count() + extra);
      }
      const BuiltPages ours(tree.entries, table, numbers);
      EXPECT_EQ(ours.built.root, stored.index().first_page);
      EXPECT_EQ(ReadIndex(ours.file, ours.built.root, table).entries, tree.entries);
      ++indexes;
      if (ours.pages.size() != tree.pages.size()) return;
      bool same = true;
      for (uint32_t n : tree.pages) {
        same = same && SameLayout(stored.image.Page(n).bytes(), ours.pages.at(n));
      }
      same_layout += same;
      if (std::string(folder) == "access-made") {
        EXPECT_TRUE(same);
      }
    });
    std::cout << folder << ": " << indexes << " indexes rebuilt, " << same_layout
              << " with the file's own layout\n";
  }
}

TEST(BuildIndex, BuildsSmallAndEmptyIndexesOnOneLeaf) {
  const BuiltPages empty({}, 3, {40});
  EXPECT_EQ(empty.built.root, 40u);
  EXPECT_TRUE(ReadIndex(empty.file, 40, 3).entries.empty());

  const std::vector<IndexEntry> one{{{0x7f, 0x80, 0, 0, 1}, {9, 0}}};
  const BuiltPages single(one, 3, {41});
  EXPECT_EQ(ReadIndex(single.file, 41, 3).entries, one);
  EXPECT_EQ(single.pages.size(), 1u);
}

TEST(BuildIndex, RefusesEntriesOutOfOrder) {
  const std::vector<IndexEntry> cases[] = {
      {{{0x7f, 2}, {1, 0}}, {{0x7f, 1}, {1, 1}}},  // keys descending
      {{{0x7f, 1}, {1, 1}}, {{0x7f, 1}, {1, 0}}},  // equal keys, rows descending
      {{{0x7f, 1}, {1, 1}}, {{0x7f, 1}, {1, 1}}},  // the same entry twice
  };
  for (const auto& entries : cases) {
    EXPECT_THROW(BuildIndex(entries, 3, [] { return 50u; }), Error);
  }
}

}  // namespace
}  // namespace db::engine::mdb
