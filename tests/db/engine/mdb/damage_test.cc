// A damaged file is refused with a description, never read past its end,
// never looped on forever. (The ASan build runs these too, so a read out of
// bounds fails the test even when it would go unnoticed.)

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "core/error.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_row.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/usage_map.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/read_whole_file.h"

namespace mdb_test {
namespace {

namespace mdb = db::engine::mdb;
using Bytes = std::vector<uint8_t>;

// The pages the damage cases aim at, from the intact file.
struct Layout {
  uint32_t definition_page = 0;
  uint32_t map_page = 0;
  uint32_t data_page = 0;
};

Layout NumbersLayout(const Bytes& bytes) {
  const mdb::FileImage image{Bytes(bytes)};
  const auto definition = mdb::TableDefinition::Read(
      image, mdb::Catalog::Read(image).TableDefinitionPage("Numbers"));
  Layout layout;
  layout.definition_page = definition.first_page();
  layout.map_page = definition.owned_pages().page;
  layout.data_page = mdb::DecodeUsageMap(image, definition.owned_pages()).front();
  return layout;
}

void ZeroPage(Bytes& bytes, uint32_t page) {
  std::memset(&bytes[size_t{page} * mdb::kPageSize], 0, mdb::kPageSize);
}

void PutU32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(DamageTest, DamagedFilesAreRefusedWithAReason) {
  const Bytes original = ReadBytes(JetFile("numbers/numbers-autoid.mdb"));
  ASSERT_EQ(ReadWholeFile(original), 300u);
  const Layout at = NumbersLayout(original);
  const size_t definition = size_t{at.definition_page} * mdb::kPageSize;
  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
  } cases[] = {
      {"cut to nothing", [](Bytes& b) { b.clear(); }},
      {"cut inside page 0", [](Bytes& b) { b.resize(100); }},
      {"only page 0", [](Bytes& b) { b.resize(mdb::kPageSize); }},
      {"cut in half",
       [](Bytes& b) { b.resize(b.size() / 2 / mdb::kPageSize * mdb::kPageSize); }},
      {"cut by one byte", [](Bytes& b) { b.pop_back(); }},
      {"all zeros", [](Bytes& b) { std::fill(b.begin(), b.end(), 0); }},
      {"catalog zeroed", [](Bytes& b) { ZeroPage(b, 2); }},
      {"table definition zeroed", [&](Bytes& b) { ZeroPage(b, at.definition_page); }},
      {"usage map page zeroed", [&](Bytes& b) { ZeroPage(b, at.map_page); }},
      {"data page zeroed", [&](Bytes& b) { ZeroPage(b, at.data_page); }},
      {"definition chained to itself",
       [&](Bytes& b) { PutU32(b, definition + 4, at.definition_page); }},
      {"definition chained past the end",
       [&](Bytes& b) { PutU32(b, definition + 4, 1u << 30); }},
      {"column count huge",
       [&](Bytes& b) { b[definition + 45] = b[definition + 46] = 0xFF; }},
      {"index count huge", [&](Bytes& b) { PutU32(b, definition + 51, 0x7FFFFFFF); }},
      {"usage map past the end",
       [&](Bytes& b) { PutU32(b, definition + 55, 0xFFFFFF00); }},
  };
  for (const auto& c : cases) {
    Bytes bytes = original;
    c.damage(bytes);
    try {
      ReadWholeFile(std::move(bytes));
      ADD_FAILURE() << c.what << ": read without complaint";
    } catch (const core::Error& error) {
      // The operator reads it under the open message: it must say, in German,
      // that the file is damaged (or is no Access file at all).
      const std::string reason = error.what();
      EXPECT_TRUE(reason.starts_with("Die Datenbankdatei ist beschädigt: ") ||
                  reason.starts_with("Die Datei ist keine Access-Datenbank"))
          << c.what << ": " << reason;
    }
  }
}

// The catalog's property blobs that lie on long-value rows of their own (not
// inline in the catalog row): where each 12-byte reference sits in the file.
std::vector<size_t> LongPropertyReferences(const Bytes& bytes) {
  const mdb::FileImage image{Bytes(bytes)};
  const auto catalog = mdb::TableDefinition::Read(image, 2);
  const size_t column =
      catalog.FindColumn(std::string_view("LvProp")) - &catalog.columns()[0];
  std::vector<size_t> references;
  mdb::TableReader(image, catalog).ForEachRawRow([&](mdb::RowPointer, const auto& row) {
    const auto field = mdb::SplitRow(catalog, row)[column];
    if (field && field->size() == 12 && !(field->U32(0) & 0x80000000))
      references.push_back(
          static_cast<size_t>(field->bytes().data() - image.bytes().data()));
  });
  return references;
}

// Each long-value row belongs to one value. A row that several values point
// at is refused: else a small file whose rows all point at one long chain
// would make the reader copy that chain once for every row.
TEST(DamageTest, LongValueRowsSharedByTwoValuesAreRefused) {
  Bytes bytes = ReadBytes(JetFile("numbers/numbers-pk.mdb"));
  const std::vector<size_t> references = LongPropertyReferences(bytes);
  ASSERT_GE(references.size(), 2u);
  std::memcpy(&bytes[references[1]], &bytes[references[0]], 12);

  // The catalog's property blobs, read by the catalog itself ...
  EXPECT_THROW(mdb::Catalog::Read(mdb::FileImage(Bytes(bytes))), core::Error);
  // ... and the same references decoded as the Memo values of one table.
  const mdb::FileImage image{Bytes(bytes)};
  mdb::ColumnDefinition memo;
  memo.name = "Memo";
  memo.type = static_cast<uint8_t>(mdb::ColumnType::kMemo);
  mdb::LongValueRows taken;
  const auto reference = [&](size_t at) {
    return mdb::ByteView(std::span(image.bytes()).subspan(at, 12), "row");
  };
  const core::Value first =
      mdb::DecodeValue(image, memo, reference(references[0]), taken);
  EXPECT_FALSE(first.is_null());
  EXPECT_THROW(mdb::DecodeValue(image, memo, reference(references[1]), taken),
               core::Error);
}

// Random damage: each outcome is a full read or a core::Error; anything else
// (a crash, another exception, a hang caught by the test timeout) is a bug.
TEST(DamageTest, RandomlyDamagedFilesReadOrFailCleanly) {
  for (const char* file :
       {"numbers/numbers-autoid.mdb", "access-made/compIndexTestV2000.mdb",
        "access-made/testUnicodeCompV2003.mdb"}) {
    const Bytes original = ReadBytes(JetFile(file));
    std::mt19937 random(20261208);
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
      Bytes bytes = original;
      // A few flipped bits, or a run of bytes overwritten with 00 or FF.
      if (round % 2 == 0) {
        for (int flips = 1 + round % 7; flips > 0; --flips)
          bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << random() % 8);
      } else {
        const size_t start = random() % bytes.size();
        const size_t length = std::min<size_t>(1 + random() % 64, bytes.size() - start);
        std::memset(&bytes[start], round % 4 == 1 ? 0x00 : 0xFF, length);
      }
      try {
        ReadWholeFile(std::move(bytes));
      } catch (const core::Error&) {
        ++refused;
      }
    }
    // Most bytes of a file are slack; but damage must be noticed sometimes,
    // or the checks are not doing their job.
    EXPECT_GT(refused, 0) << file;
  }
}

}  // namespace
}  // namespace mdb_test
