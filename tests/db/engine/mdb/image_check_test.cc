// The structural check that the commit runs on the copy it wrote: it passes
// on every table of every test file, and names each kind of damage that a
// faulty writer could leave behind.

#include "db/engine/mdb/image_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "db/engine/core_types.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/data_page.h"
#include "db/engine/mdb/index_writer.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"
#include "db/engine/mdb/usage_map.h"
#include "db/engine/mdb/writable_image.h"
#include "tests/db/engine/mdb/jet_files.h"

namespace db::engine::mdb {
namespace {

// The check's complaint, or "" when it passes.
std::string Complaint(const FileImage& image, uint32_t table_page, bool exact) {
  try {
    CheckTableImage(image, table_page, exact);
    return "";
  } catch (const Error& error) {
    return error.what();
  }
}

TEST(ImageCheckTest, PassesOnEveryTableOfEveryTestFile) {
  for (const auto& file : mdb_test::AllJetFiles()) {
    // Access counts keys ever entered; the numbers/ files were written
    // with exact counts.
    const bool exact = file.parent_path().filename() == "numbers";
    const FileImage image = FileImage::ReadFile(file.string());
    const Catalog catalog = Catalog::Read(image);
    EXPECT_FALSE(catalog.UserTables().empty()) << file;
    for (const std::string& table : catalog.UserTables()) {
      SCOPED_TRACE(file.filename().string() + ": " + table);
      EXPECT_EQ(Complaint(image, catalog.TableDefinitionPage(table), exact), "");
    }
  }
}

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetU16(const Bytes& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void PutU32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// What a damage case works on: the intact file and its table Numbers.
struct Intact {
  const FileImage& image;
  const TableDefinition& table;
  const std::vector<StoredRow>& rows;

  std::vector<uint32_t> DataPages() const {
    return DecodeUsageMap(image, table.owned_pages());
  }
  // The first data page with at least two rows.
  uint32_t FullPage() const {
    for (const uint32_t page : DataPages())
      if (DataPage(image, page).row_count() >= 2) return page;
    ADD_FAILURE() << "no data page with two rows";
    return 0;
  }
  // Where a field of the definition lies in the file.
  size_t FileOffsetOf(size_t definition_offset) const {
    const FileOffset at = table.Locate(definition_offset);
    return size_t{at.page} * kPageSize + at.offset;
  }
  // The file with the table's indexes rebuilt from `new_rows`.
  FileImage WithIndexesOf(const std::vector<StoredRow>& new_rows) const {
    WritableImage writable(image);
    RebuildIndexes(writable, table, new_rows);
    return std::move(writable).Finish();
  }
  FileImage WithUsageMap(const std::vector<uint32_t>& pages) const {
    WritableImage writable(image);
    WriteUsageMap(writable, table.owned_pages(), pages);
    return std::move(writable).Finish();
  }
};

// The offset table entry of `row` on `page`.
size_t RowOffsetAt(uint32_t page, uint16_t row) {
  return size_t{page} * kPageSize + 14 + 2 * size_t{row};
}

// Marks `page` free or in use in the global page map (row 0 of page 1, an
// inline map whose set bits are free pages).
void MarkPage(Bytes& bytes, uint32_t page, bool free) {
  const size_t row = kPageSize + (GetU16(bytes, kPageSize + 14) & 0x1FFF);
  ASSERT_EQ(bytes[row], 0) << "the global page map is no inline map";
  const uint32_t start = bytes[row + 1] | bytes[row + 2] << 8 | bytes[row + 3] << 16 |
                         static_cast<uint32_t>(bytes[row + 4]) << 24;
  ASSERT_GE(page, start);
  uint8_t& bits = bytes.at(row + 5 + (page - start) / 8);
  const auto bit = static_cast<uint8_t>(1 << ((page - start) % 8));
  bits = free ? bits | bit : bits & ~bit;
}

struct DamageCase {
  const char* what;
  const char* file;
  std::function<FileImage(const Intact&)> damage;
  const char* complaint;  // part of the check's message
};

FileImage Edited(const Intact& intact, const std::function<void(Bytes&)>& edit) {
  Bytes bytes = intact.image.bytes();
  edit(bytes);
  return FileImage(std::move(bytes));
}

const DamageCase kDamages[] = {
    {"a data page left out of the usage map", "numbers-plain.mdb",
     [](const Intact& intact) {
       std::vector<uint32_t> pages = intact.DataPages();
       pages.erase(std::find(pages.begin(), pages.end(), intact.FullPage()));
       return intact.WithUsageMap(pages);
     },
     "fehlt aber in ihrer Seitenliste"},
    {"a page of another table in the usage map", "numbers-plain.mdb",
     [](const Intact& intact) {
       // A data page of MSysObjects, whose definition is page 2.
       const TableDefinition catalog = TableDefinition::Read(intact.image, 2);
       std::vector<uint32_t> pages = intact.DataPages();
       pages.push_back(DecodeUsageMap(intact.image, catalog.owned_pages()).front());
       std::sort(pages.begin(), pages.end());
       return intact.WithUsageMap(pages);
     },
     "ist aber keine Datenseite der Tabelle"},
    {"a used data page marked free in the global page map", "numbers-plain.mdb",
     [](const Intact& intact) {
       return Edited(intact,
                     [&](Bytes& bytes) { MarkPage(bytes, intact.FullPage(), true); });
     },
     "als frei verzeichnet"},
    {"a used index page marked free in the global page map", "numbers-pk.mdb",
     [](const Intact& intact) {
       return Edited(intact, [&](Bytes& bytes) {
         MarkPage(bytes, intact.table.real_indexes().at(0).first_page, true);
       });
     },
     "als frei verzeichnet"},
    {"a row offset beyond the end of its page", "numbers-plain.mdb",
     [](const Intact& intact) {
       return Edited(intact, [&](Bytes& bytes) {
         const size_t at = RowOffsetAt(intact.FullPage(), 0);
         PutU16(bytes, at, (GetU16(bytes, at) & 0xE000) | 0x1FF0);
       });
     },
     "liegt außerhalb ihres Platzes"},
    {"a row overlapping the row before it", "numbers-plain.mdb",
     [](const Intact& intact) {
       return Edited(intact, [&](Bytes& bytes) {
         const uint32_t page = intact.FullPage();
         const uint16_t first = GetU16(bytes, RowOffsetAt(page, 0)) & 0x1FFF;
         PutU16(bytes, RowOffsetAt(page, 1), static_cast<uint16_t>(first + 1));
       });
     },
     "liegt außerhalb ihres Platzes"},
    {"a row reaching into the offset table", "numbers-plain.mdb",
     [](const Intact& intact) {
       return Edited(intact, [&](Bytes& bytes) {
         const uint32_t page = intact.FullPage();
         const uint16_t last = DataPage(intact.image, page).row_count() - 1;
         PutU16(bytes, RowOffsetAt(page, last), 14);
       });
     },
     "liegt außerhalb ihres Platzes"},
    {"a row count one too high", "numbers-plain.mdb",
     [](const Intact& intact) {
       return Edited(intact, [&](Bytes& bytes) {
         PutU32(bytes, intact.FileOffsetOf(TableDefinition::kRowCountOffset),
                intact.table.row_count() + 1);
       });
     },
     "Zeilen, die Tabelle hat aber"},
    {"an index without the entry of one row", "numbers-pk.mdb",
     [](const Intact& intact) {
       std::vector<StoredRow> rows = intact.rows;
       rows.erase(rows.begin() + 17);
       return intact.WithIndexesOf(rows);
     },
     "Einträge statt"},
    {"index entries of a row deleted without them", "numbers-autoid.mdb",
     [](const Intact& intact) {
       const RowPointer row = intact.rows.at(40).pointer;
       return Edited(intact, [&](Bytes& bytes) {
         const size_t at = RowOffsetAt(row.page, row.row);
         PutU16(bytes, at, GetU16(bytes, at) | 0xC000);
         PutU32(bytes, intact.FileOffsetOf(TableDefinition::kRowCountOffset),
                intact.table.row_count() - 1);
       });
     },
     "Einträge statt"},
    {"an index entry pointing at a deleted row", "numbers-pk.mdb",
     [](const Intact& intact) {
       // Row 5 is deleted; the entry of row 6 points at it instead.
       const RowPointer deleted = intact.rows.at(5).pointer;
       std::vector<StoredRow> rows = intact.rows;
       rows[6].pointer = deleted;
       rows.erase(rows.begin() + 5);
       const FileImage indexed = intact.WithIndexesOf(rows);
       Bytes bytes = indexed.ToBytes();
       const size_t at = RowOffsetAt(deleted.page, deleted.row);
       PutU16(bytes, at, GetU16(bytes, at) | 0xC000);
       PutU32(bytes, intact.FileOffsetOf(TableDefinition::kRowCountOffset),
              intact.table.row_count() - 1);
       return FileImage(std::move(bytes));
     },
     "passt nicht zu den Zeilen der Tabelle"},
    {"an index entry with the key of another value", "numbers-pk.mdb",
     [](const Intact& intact) {
       std::vector<StoredRow> rows = intact.rows;
       rows[9].values[0] = Value::Text("0099999999");  // Number, unique still
       return intact.WithIndexesOf(rows);
     },
     "passt nicht zu den Zeilen der Tabelle"},
};

TEST(ImageCheckTest, NamesEachDamage) {
  for (const DamageCase& damage : kDamages) {
    SCOPED_TRACE(damage.what);
    const FileImage image =
        FileImage::ReadFile(mdb_test::JetFile(std::string("numbers/") + damage.file));
    const uint32_t table_page = Catalog::Read(image).TableDefinitionPage("Numbers");
    const TableDefinition table = TableDefinition::Read(image, table_page);
    const std::vector<StoredRow> rows = TableReader(image, table).ReadAll();
    ASSERT_EQ(Complaint(image, table_page, true), "");

    const FileImage damaged = damage.damage(Intact{image, table, rows});
    ASSERT_NE(damaged.ToBytes(), image.bytes()) << "the damage changed nothing";
    const std::string complaint = Complaint(damaged, table_page, true);
    EXPECT_NE(complaint.find(damage.complaint), std::string::npos) << complaint;
  }
}

// Access's own files may count more keys than they hold, so the count is
// held against the file only when asked to.
TEST(ImageCheckTest, DistinctKeyCountIsCheckedOnlyInExactMode) {
  const FileImage image =
      FileImage::ReadFile(mdb_test::JetFile("numbers/numbers-pk.mdb"));
  const uint32_t table_page = Catalog::Read(image).TableDefinitionPage("Numbers");
  const TableDefinition table = TableDefinition::Read(image, table_page);
  const RealIndex& index = table.real_indexes().at(0);
  Bytes bytes = image.bytes();
  const FileOffset at = table.Locate(index.count_offset);
  PutU32(bytes, size_t{at.page} * kPageSize + at.offset, index.key_count + 5);
  const FileImage counted_high(std::move(bytes));
  EXPECT_EQ(Complaint(counted_high, table_page, false), "");
  EXPECT_NE(Complaint(counted_high, table_page, true).find("verschiedene Schlüssel"),
            std::string::npos);
}

// Access gives pages back to the file (free in the global page map) without
// clearing them; such a page still names its old table as owner. The
// system table MSysAccessStorage of testUnicodeCompV2003.mdb has one.
TEST(ImageCheckTest, APageGivenBackIsNoPageOfItsOldTable) {
  const FileImage image =
      FileImage::ReadFile(mdb_test::JetFile("numbers/numbers-plain.mdb"));
  const uint32_t table_page = Catalog::Read(image).TableDefinitionPage("Numbers");
  const TableDefinition table = TableDefinition::Read(image, table_page);
  // An empty data page of Numbers after the end of the file, where the
  // global page map counts every page as free.
  Bytes bytes = image.bytes();
  const uint32_t page = image.page_count();
  bytes.resize(bytes.size() + kPageSize);
  const size_t at = size_t{page} * kPageSize;
  bytes[at] = static_cast<uint8_t>(PageType::kData);
  bytes[at + 1] = 1;
  PutU16(bytes, at + 2, kPageSize - 14);  // free space
  PutU32(bytes, at + 4, table_page);      // owner
  EXPECT_EQ(Complaint(FileImage(Bytes(bytes)), table_page, true), "");

  // In use, the same page is a data page missing from the table's map.
  MarkPage(bytes, page, false);
  EXPECT_NE(Complaint(FileImage(std::move(bytes)), table_page, true)
                .find("fehlt aber in ihrer Seitenliste"),
            std::string::npos);
}

}  // namespace
}  // namespace db::engine::mdb
