// Every index of every test file, re-encoded from the table's rows, must equal
// the entries the file holds, byte for byte and in the same order. The keys of
// access-made/ were written by Microsoft Access, those of numbers/ by Jackcess.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/index_key.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/mdb/key_coverage.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/text_key.h"

namespace db::engine::mdb {
namespace {

const std::filesystem::path kJet = PREISLISTE_SHARED_JET;

// What the comparison has seen: entries per column type, and the characters of
// indexed texts, each with the number of keys it took part in.
struct Seen {
  std::map<ColumnType, size_t> types;
  std::map<char16_t, size_t> characters;
  size_t indexes = 0;
};

std::vector<IndexEntry> ExpectedEntries(const std::vector<StoredRow>& rows,
                                        const std::vector<KeyColumn>& columns,
                                        const RealIndex& index, Seen& seen) {
  std::vector<IndexEntry> entries;
  for (const StoredRow& row : rows) {
    std::vector<Value> values;
    for (const KeyColumn& column : columns)
      values.push_back(row.values.at(column.position));
    // An index that ignores NULLs has no entry for a row whose key is all NULL.
    if (index.ignore_nulls() && std::all_of(values.begin(), values.end(),
                                            [](const Value& v) { return v.is_null(); })) {
      continue;
    }
    entries.push_back({IndexKey(columns, values), row.pointer});
    for (size_t i = 0; i < columns.size(); ++i) {
      ++seen.types[columns[i].type];
      if (values[i].type() != Value::Type::kText) continue;
      for (char16_t c : TextKeySource(values[i].text())) ++seen.characters[c];
    }
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

void CheckFile(const std::filesystem::path& path, Seen& seen) {
  SCOPED_TRACE(path.filename().string());
  const FileImage image = FileImage::ReadFile(path.string());
  const Catalog catalog = Catalog::Read(image);
  for (const std::string& table : catalog.UserTables()) {
    const TableDefinition definition =
        TableDefinition::Read(image, catalog.TableDefinitionPage(table));
    const std::vector<StoredRow> rows = TableReader(image, definition).ReadAll();
    for (size_t i = 0; i < definition.real_indexes().size(); ++i) {
      SCOPED_TRACE(table + ", index " + std::to_string(i));
      const RealIndex& index = definition.real_indexes()[i];
      const std::vector<KeyColumn> columns = KeyColumnsOf(definition, index);
      const std::vector<IndexEntry> expected =
          ExpectedEntries(rows, columns, index, seen);
      const IndexTree stored =
          ReadIndex(image, index.first_page, definition.first_page());
      ASSERT_EQ(stored.entries.size(), expected.size());
      for (size_t e = 0; e < expected.size(); ++e) {
        ASSERT_EQ(stored.entries[e], expected[e]) << "entry " << e;
      }
      ++seen.indexes;
    }
  }
}

std::string CodePoint(char16_t c) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(c));
  return text;
}

Seen CheckFolder(const char* folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(kJet / folder)) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  EXPECT_FALSE(files.empty()) << folder;
  Seen seen;
  for (const auto& file : files) CheckFile(file, seen);
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
