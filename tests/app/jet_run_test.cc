// The whole price update, as the program runs it (settings, preise.csv, the
// connection string, import, pipeline, commit), on copies of the billing
// product's Jet files. Each result is held against the same runs on an
// SQLite file holding the same Numbers, read back by mdb-export and
// mdb-reader, walked index by index, and compared page by page with the
// original: the run may change only the pages of Numbers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/run_update.h"
#include "core/error.h"
#include "db/engine/jetfile/jet_table_layout.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/global_page_map.h"
#include "db/engine/mdb/image_check.h"
#include "db/engine/mdb/index_key.h"
#include "db/engine/mdb/index_pages.h"
#include "db/engine/sqlite/sqlite_session.h"
#include "tests/app/jet_numbers_rows.h"
#include "tests/app/map_settings_store.h"
#include "tests/app/run_folder.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/db/engine/mdb/table_pages.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

namespace fs = std::filesystem;
namespace mdb = db::engine::mdb;
using core::Value;
using testing_support::RecordingView;
using testing_support::TempDir;

// A Jet file as our reader reads it: its image and its table Numbers.
struct JetNumbers {
  mdb::FileImage image;
  uint32_t table_page;
  mdb::TableDefinition table;
  std::vector<mdb::StoredRow> rows;

  size_t Column(const std::string& name) const {
    for (size_t i = 0; i < table.columns().size(); ++i)
      if (table.columns()[i].name == name) return i;
    throw core::Error("Numbers has no column " + name, core::Error::Kind::kNotFound);
  }
};

JetNumbers ReadNumbers(const fs::path& file) {
  mdb::FileImage image = mdb::FileImage::ReadFile(file.string());
  const uint32_t page = mdb::Catalog::Read(image).TableDefinitionPage("Numbers");
  mdb::TableDefinition table = mdb::TableDefinition::Read(image, page);
  std::vector<mdb::StoredRow> rows = mdb::TableReader(image, table).ReadAll();
  return {std::move(image), page, std::move(table), std::move(rows)};
}

// ---- The supplier's price file ---------------------------------------------

int64_t Ticks(const Value& value) {
  if (value.is_null()) return 500;
  if (value.type() == Value::Type::kCurrency) return value.currency().ticks();
  return std::llround(value.ToDouble() * 10000);
}

std::string PriceText(int64_t ticks) {
  std::string decimals = std::to_string(ticks % 10000);
  return std::to_string(ticks / 10000) + "," + std::string(4 - decimals.size(), '0') +
         decimals;
}

// Windows-1252, as suppliers write: a name whose characters all lie below
// U+0100 is written in one byte each; any other stays UTF-8.
std::string Windows1252(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += utf8[i];
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      out += static_cast<char>((c & 0x1F) << 6 | (utf8[++i] & 0x3F));
    } else {
      return utf8;
    }
  }
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A price file made from the current Numbers as a supplier writes it;
// `variant` moves which rows each rule picks, for a second, different file.
//   - international prefixes: every seventh left out (the run drops it),
//     every third at a new purchase price, the rest unchanged; every
//     eleventh name in capitals (it must still match the stored name);
//   - national prefixes (030) after 0049 (004930): every fourth at a new
//     price; the others, and the local ones (11833), are missing and kept;
//   - new prefixes: a destination and names that extend it at one purchase
//     price, one at another, and a known destination under a new prefix.
std::string PriceFile(const JetNumbers& numbers, int variant) {
  const size_t number = numbers.Column("Number"), name = numbers.Column("Name"),
               rate = numbers.Column("Rate_EK");
  std::set<std::string> known;
  std::string file = "#Vorwahl;Ziel;Preis\r\n";
  std::string known_name;
  for (size_t i = 0; i < numbers.rows.size(); ++i) {
    const std::vector<Value>& row = numbers.rows[i].values;
    if (row[number].is_null() || row[name].is_null()) continue;
    const std::string prefix = row[number].text();
    known.insert(prefix);
    const size_t pick = i + static_cast<size_t>(variant);
    int64_t ticks = Ticks(row[rate]);
    std::string line_prefix = prefix;
    std::string destination = row[name].text();
    if (prefix.rfind("0049", 0) == 0) {
      continue;  // a German prefix: the file gives it once, in the national rule
    } else if (prefix.rfind("00", 0) == 0) {
      if (pick % 7 == 0) continue;
      if (pick % 3 == 0) ticks = ticks * 11 / 10 + 100;
      if (pick % 11 == 0) destination = Upper(destination);
      if (known_name.empty()) known_name = destination;
    } else if (prefix.rfind('0', 0) == 0 && pick % 4 == 0) {
      line_prefix = "0049" + prefix.substr(1);
      ticks = ticks * 9 / 10 + 10;
    } else {
      continue;
    }
    file +=
        Windows1252(line_prefix + ";" + destination + ";" + PriceText(ticks)) + "\r\n";
  }
  const std::vector<std::pair<std::string, int64_t>> new_destinations = {
      {"Neuland", 800},      {"Neuland Mobil", 800}, {"Neuland Mobil Plus", 800},
      {"Neuland Sat", 4200}, {known_name, 2000},     {"Neuland Festnetz", 650},
  };
  int next = 0;
  for (size_t i = 0; i < new_destinations.size(); ++i) {
    std::string prefix;
    do prefix = "00998" + std::to_string(100 + next++);
    while (known.contains(prefix));
    if ((i + static_cast<size_t>(variant)) % 5 == 4) continue;
    file += Windows1252(prefix + ";" + new_destinations[i].first + ";" +
                        PriceText(new_destinations[i].second)) +
            "\r\n";
  }
  return file;
}

// ---- The SQLite twin -------------------------------------------------------

std::string DeclaredType(const mdb::ColumnDefinition& column) {
  switch (column.column_type()) {
    case mdb::ColumnType::kText:
      return "VARCHAR(" + std::to_string(column.length / 2) + ")";
    case mdb::ColumnType::kCurrency:
      return "CURRENCY";
    case mdb::ColumnType::kLong:
      return column.is_autonumber() ? "INTEGER PRIMARY KEY AUTOINCREMENT" : "INTEGER";
    case mdb::ColumnType::kInteger:
      return "SMALLINT";
    case mdb::ColumnType::kDouble:
      return "DOUBLE";
    default:
      ADD_FAILURE() << "column " << column.name << ": no SQLite type for "
                    << mdb::ColumnTypeName(column.type);
      return "";
  }
}

// An SQLite Numbers.mdb with the columns of the Jet file's Numbers (types,
// AutoNumber key, literal defaults) and the rows our reader reads from it,
// its AutoNumber counting on from the Jet file's counter.
void WriteSqliteTwin(const fs::path& file, const JetNumbers& numbers) {
  const mdb::TableProperties properties =
      mdb::Catalog::Read(numbers.image).Properties("Numbers");
  std::string create = "CREATE TABLE Numbers (";
  std::string insert = "INSERT INTO Numbers VALUES (";
  bool autonumber = false;
  for (const mdb::ColumnDefinition& column : numbers.table.columns()) {
    const bool first = &column == &numbers.table.columns().front();
    create += (first ? "\"" : ", \"") + column.name + "\" " + DeclaredType(column);
    insert += first ? "?" : ", ?";
    autonumber = autonumber || column.is_autonumber();
    const mdb::PropertyBlock* block = properties.Column(column.name);
    const mdb::Property* default_value = block ? block->Find("DefaultValue") : nullptr;
    if (default_value != nullptr && !default_value->value.is_null())
      create += " DEFAULT " +
                db::engine::DefaultLiteral(default_value->value.ToText()).value_or("?");
  }
  testing_support::RunSqlite(file, create + ");");
  const auto session =
      db::engine::SqliteSession::Open(file.string(), std::chrono::seconds(5));
  session->Run("BEGIN");
  for (const mdb::StoredRow& row : numbers.rows) session->Run(insert + ")", row.values);
  if (autonumber) {
    session->Run("DELETE FROM sqlite_sequence WHERE name = 'Numbers'");
    session->Run("INSERT INTO sqlite_sequence (name, seq) VALUES ('Numbers', ?)",
                 {Value::Integer(numbers.table.autonumber())});
  }
  session->Run("COMMIT");
}

// ---- Runs ------------------------------------------------------------------

struct ProgramRun {
  RunOutcome outcome = RunOutcome::kStopped;
  RecordingView view;
};

// One run of the program in `folder`, on its Numbers.mdb, with `price_file`
// as preise.csv beside it; the folder is the current folder, as when the
// operator starts the program there.
ProgramRun RunIn(const fs::path& folder, const std::string& price_file) {
  std::ofstream(folder / kPriceFileName, std::ios::binary) << price_file;
  const testing_support::CurrentFolder current(folder);
  ProgramRun run;
  run.outcome =
      RunUpdate(testing_support::MapSettingsStore({{"RatingDefaultMargin", "60"},
                                                   {"MinimumRatePerMinute", "0,1"},
                                                   {"MwSt", "19"},
                                                   {"DB Path", folder.string()}}),
                NumberFormat{","}, run.view);
  return run;
}

testing::AssertionResult Committed(const fs::path& folder,
                                   const std::string& price_file) {
  const ProgramRun run = RunIn(folder, price_file);
  if (run.outcome == RunOutcome::kCommitted &&
      run.view.Messages() == std::vector<std::string>{kFinishedMessage})
    return testing::AssertionSuccess();
  testing::AssertionResult failure = testing::AssertionFailure();
  failure << "the run in " << folder << " did not commit:";
  for (size_t i = 0; i < run.view.Messages().size(); ++i)
    failure << " [" << run.view.Messages()[i] << " / " << run.view.Details()[i] << "]";
  return failure;
}

// ---- What a written file must satisfy --------------------------------------

// Every index of Numbers reads in order and holds each row under its key;
// an index over prefixes or AutoNumbers lists the rows in their order.
void ExpectIndexesFindEveryRow(const JetNumbers& numbers) {
  for (const mdb::RealIndex& index : numbers.table.real_indexes()) {
    SCOPED_TRACE("index on page " + std::to_string(index.first_page));
    mdb::IndexTree tree;
    try {
      tree = mdb::ReadIndex(numbers.image, index.first_page, numbers.table_page);
    } catch (const core::Error& error) {
      ADD_FAILURE() << error.what();
      continue;
    }
    const std::vector<mdb::KeyColumn> columns = mdb::KeyColumnsOf(numbers.table, index);
    std::map<mdb::RowPointer, const mdb::StoredRow*> by_address;
    size_t entries = 0;
    for (const mdb::StoredRow& row : numbers.rows) {
      by_address[row.pointer] = &row;
      std::vector<Value> key;
      for (const mdb::KeyColumn& column : columns)
        key.push_back(row.values[column.position]);
      if (index.ignore_nulls() &&
          std::all_of(key.begin(), key.end(), [](const Value& v) { return v.is_null(); }))
        continue;
      ++entries;
      const mdb::IndexEntry entry{mdb::IndexKey(columns, key), row.pointer};
      EXPECT_TRUE(std::binary_search(tree.entries.begin(), tree.entries.end(), entry))
          << "no entry for the row at page " << row.pointer.page << ", row "
          << int{row.pointer.row};
    }
    EXPECT_EQ(tree.entries.size(), entries);

    if (columns.size() != 1 || !columns[0].ascending) continue;
    std::vector<Value> walked;
    for (const mdb::IndexEntry& entry : tree.entries) {
      const auto row = by_address.find(entry.row);
      ASSERT_NE(row, by_address.end()) << "an entry points at no row";
      walked.push_back(row->second->values[columns[0].position]);
    }
    const bool digits_or_numbers = std::all_of(walked.begin(), walked.end(), [](auto& v) {
      return v.type() == Value::Type::kInteger ||
             (v.type() == Value::Type::kText &&
              v.text().find_first_not_of("0123456789") == std::string::npos);
    });
    if (!digits_or_numbers) continue;  // the order of names is the key encoding's test
    std::vector<Value> sorted = walked;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Value& a, const Value& b) {
      return a.type() == Value::Type::kInteger ? a.integer() < b.integer()
                                               : a.text() < b.text();
    });
    EXPECT_TRUE(walked == sorted) << "the index does not list the rows in order";
  }
}

// Page 0 and every page of the original that Numbers does not own are as
// they were; the pages the file grew by, and no others, join Numbers; the
// global page map keeps the state of every other page.
void ExpectOnlyNumbersPagesChanged(const JetNumbers& original,
                                   const JetNumbers& written) {
  const uint32_t original_pages = original.image.page_count();
  ASSERT_GE(written.image.page_count(), original_pages);
  const std::set<uint32_t> before = mdb_test::TablePages(original.image, original.table);
  for (const uint32_t page : mdb_test::TablePages(written.image, written.table))
    EXPECT_TRUE(page >= original_pages || before.contains(page))
        << "Numbers took page " << page << " of the original";
  const mdb::GlobalPageMap map_before = mdb::GlobalPageMap::Read(original.image);
  const mdb::GlobalPageMap map_after = mdb::GlobalPageMap::Read(written.image);
  int changed = 0;
  for (uint32_t page = 0; page < original_pages && changed < 5; ++page) {
    if (before.contains(page)) continue;
    EXPECT_EQ(map_after.InUse(page), map_before.InUse(page)) << "page " << page;
    if (page == 1) continue;  // the global page map itself
    const auto old_bytes = original.image.Page(page).bytes();
    const auto new_bytes = written.image.Page(page).bytes();
    if (!std::equal(old_bytes.begin(), old_bytes.end(), new_bytes.begin())) {
      ++changed;
      ADD_FAILURE() << "page " << page << " changed";
    }
  }
}

// The Jet file after a run, against the SQLite twin after the same runs.
void ExpectSameAsTwin(const fs::path& jet, const JetNumbers& original,
                      const fs::path& twin, bool with_oracles) {
  const JetNumbers written = ReadNumbers(jet);
  try {
    mdb::CheckTableImage(written.image, written.table_page, /*exact_key_counts=*/true);
  } catch (const core::Error& error) {
    ADD_FAILURE() << "structural check: " << error.what();
  }
  const testing_support::SpelledRows expected =
      testing_support::SqliteRows(twin, "Numbers", written.table);
  using testing_support::RowDifference;
  EXPECT_EQ(RowDifference(testing_support::RowsOf(written.table, written.rows),
                          "our reader", expected, "SQLite"),
            "");
  if (with_oracles) {
    EXPECT_EQ(RowDifference(testing_support::MdbExportRows(jet, written.table),
                            "mdb-export", expected, "SQLite"),
              "");
    EXPECT_EQ(RowDifference(testing_support::MdbReaderRows(jet, written.table),
                            "mdb-reader", expected, "SQLite"),
              "");
  }
  ExpectIndexesFindEveryRow(written);
  ExpectOnlyNumbersPagesChanged(original, written);
}

// ---- The tests -------------------------------------------------------------

class JetRunTest : public testing::TestWithParam<const char*> {};

TEST_P(JetRunTest, EachRunWritesWhatTheSqliteRunGivesAndNothingElse) {
  const TempDir jet_dir, twin_dir;
  const fs::path jet = jet_dir.path() / kDatabaseFileName;
  const fs::path twin = twin_dir.path() / kDatabaseFileName;
  mdb_test::CopyJetFile(std::string("numbers/") + GetParam(), jet);
  const JetNumbers original = ReadNumbers(jet);
  WriteSqliteTwin(twin, original);
  const testing_support::SpelledRows before =
      testing_support::RowsOf(original.table, original.rows);
  ASSERT_EQ(testing_support::RowDifference(
                testing_support::SqliteRows(twin, "Numbers", original.table), "SQLite",
                before, "our reader"),
            "");

  const std::string first_file = PriceFile(original, 0);
  ASSERT_TRUE(Committed(jet_dir.path(), first_file));
  ASSERT_TRUE(Committed(twin_dir.path(), first_file));
  EXPECT_NE(testing_support::SqliteRows(twin, "Numbers", original.table), before)
      << "the run changed nothing";
  {
    SCOPED_TRACE("first run");
    ExpectSameAsTwin(jet, original, twin, /*with_oracles=*/true);
  }

  const std::string second_file = PriceFile(original, 1);
  ASSERT_NE(second_file, first_file);
  ASSERT_TRUE(Committed(jet_dir.path(), second_file));
  ASSERT_TRUE(Committed(twin_dir.path(), second_file));
  {
    SCOPED_TRACE("second run, another price file");
    ExpectSameAsTwin(jet, original, twin, /*with_oracles=*/true);
  }
  const uintmax_t size_after_one = fs::file_size(jet);
  for (int run = 2; run <= 10; ++run) {
    ASSERT_TRUE(Committed(jet_dir.path(), second_file)) << "run " << run;
    ASSERT_TRUE(Committed(twin_dir.path(), second_file)) << "run " << run;
  }
  SCOPED_TRACE("ten runs with the second price file");
  EXPECT_LE(fs::file_size(jet), size_after_one);
  ExpectSameAsTwin(jet, original, twin, /*with_oracles=*/false);
}

// numbers-no-password opens with the program's password as with any.
// numbers-big is left out: its 30,000 rows make one run take about twenty
// seconds in the sanitizer build, and its B-tree of several levels is the
// index writer's test.
INSTANTIATE_TEST_SUITE_P(NumbersFiles, JetRunTest,
                         testing::Values("numbers-plain.mdb", "numbers-pk.mdb",
                                         "numbers-autoid.mdb", "numbers-no-password.mdb"),
                         [](const auto& info) {
                           std::string name = fs::path(info.param).stem().string();
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace app
