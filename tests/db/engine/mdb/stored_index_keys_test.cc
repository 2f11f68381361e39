// Every index of every test file, re-encoded from the table's rows, must equal
// the entries the file holds, byte for byte and in the same order. The keys of
// access-made/ were written by Microsoft Access, those of numbers/ by Jackcess.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "db/engine/mdb/index_entries.h"
#include "db/engine/mdb/index_key.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/mdb/key_coverage.h"
#include "db/engine/mdb/text_key.h"
#include "tests/db/engine/mdb/test_indexes.h"

namespace db::engine::mdb {
namespace {

// What the comparison has seen: entries per column type, and the characters of
// indexed texts, each with the number of keys it took part in.
struct Seen {
  std::map<ColumnType, size_t> types;
  std::map<char16_t, size_t> characters;
  size_t indexes = 0;
};

// Tallies the key columns' types and the characters of their texts.
void Tally(const std::vector<StoredRow>& rows, const std::vector<KeyColumn>& columns,
           size_t entries, Seen& seen) {
  for (const KeyColumn& column : columns) {
    seen.types[column.type] += entries;
    for (const StoredRow& row : rows) {
      const Value& value = row.values.at(column.position);
      if (value.type() != Value::Type::kText) continue;
      for (char16_t c : TextKeySource(value.text())) ++seen.characters[c];
    }
  }
}

void CheckIndex(const StoredIndex& stored, Seen& seen) {
  const std::vector<IndexEntry> expected =
      IndexEntriesOf(stored.definition, stored.index(), stored.rows);
  Tally(stored.rows, KeyColumnsOf(stored.definition, stored.index()), expected.size(),
        seen);
  const IndexTree tree =
      ReadIndex(stored.image, stored.index().first_page, stored.definition.first_page());
  ASSERT_EQ(tree.entries.size(), expected.size());
  for (size_t e = 0; e < expected.size(); ++e) {
    ASSERT_EQ(tree.entries[e], expected[e]) << "entry " << e;
  }
  ++seen.indexes;
}

std::string CodePoint(char16_t c) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(c));
  return text;
}

Seen CheckFolder(const char* folder) {
  Seen seen;
  ForEachStoredIndex(folder,
                     [&](const StoredIndex& stored) { CheckIndex(stored, seen); });
  std::cout << folder << ": " << seen.indexes << " indexes;";
  for (const auto& [type, count] : seen.types) {
    std::cout << " " << ColumnTypeName(static_cast<uint8_t>(type)) << " " << count;
  }
  std::cout << "\n  characters:";
  for (const auto& [c, count] : seen.characters) std::cout << " " << CodePoint(c);
  std::cout << "\n";
  return seen;
}

TEST(StoredIndexKeys, EqualTheKeysOfTheRowsInEveryTestFile) {
  const Seen access = CheckFolder("access-made");
  const Seen jackcess = CheckFolder("numbers");
  EXPECT_EQ(access.indexes, 31u);
  EXPECT_EQ(jackcess.indexes, 7u);

  // The writer's list of covered keys claims nothing Access's keys did not show.
  for (ColumnType type : CoveredColumnTypes()) {
    EXPECT_TRUE(access.types.count(type)) << ColumnTypeName(static_cast<uint8_t>(type));
  }
  for (const CharacterRange& range : CoveredCharacters()) {
    for (char32_t c = range.first; c <= range.last; ++c) {
      EXPECT_TRUE(access.characters.count(static_cast<char16_t>(c)))
          << "U+" << CodePoint(static_cast<char16_t>(c));
    }
  }
  // And the Numbers tables' own texts fall inside it.
  for (const auto& [c, count] : jackcess.characters) {
    EXPECT_TRUE(access.characters.count(c)) << "U+" << CodePoint(c);
  }
}

}  // namespace
}  // namespace db::engine::mdb
