#include "import/import_price_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "db/engine/testing/connection_internals.h"
#include "db/open_database.h"
#include "import/import_price_source.h"
#include "tests/import/memory_source.h"
#include "tests/support/recording_view.h"
#include "tests/support/test_files.h"

namespace price_import {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;
using Floats = std::vector<float>;

// A price database with an open transaction, as the run driver hands it over.
class ImportPriceFileTest : public testing::Test {
 protected:
  ImportPriceFileTest() {
    database_ = dir_.path() / "Numbers.mdb";
    testing_support::RunSqlite(database_, "CREATE TABLE Numbers (Number VARCHAR(255));");
    connection_.set_connection_string(
        db::BuildConnectionString(database_.string(), db::kDatabasePassword));
    connection_.Open();
    connection_.BeginTrans();
  }

  bool Import(const std::string& bytes) {
    return ImportPriceFile(connection_, dir_.WriteFile("preise.csv", bytes).string(),
                           view_);
  }

  // Vorwahl, Ziel, PreisEk of every Import2 row in file order; NULL as "NULL".
  Rows Import2() {
    Rows rows;
    auto set = connection_.OpenRecordset("Import2");
    for (; !set->IsEof(); set->MoveNext()) {
      std::vector<std::string> row;
      for (const char* column : {"Vorwahl", "Ziel", "PreisEk"}) {
        const core::Value value = set->Field(column);
        row.push_back(value.is_null() ? "NULL" : value.ToText());
      }
      EXPECT_EQ(set->Field("PreisEk").type(), core::Value::Type::kCurrency);
      rows.push_back(row);
    }
    return rows;
  }

  testing_support::TempDir dir_;
  std::filesystem::path database_;
  db::engine::Connection connection_;
  testing_support::RecordingView view_;
};

TEST_F(ImportPriceFileTest, StoresOneRowPerLineAfterTheHeader) {
  const std::string nul(1, '\0');
  ASSERT_TRUE(
      Import("\r\n\r\n#Vorwahl;Ziel;Preis\r\n"
             "0049;Berlin;0,0123\r\n"
             "\r\n"
             "\"0043\"; \"Wien, Mobil\" ;\"0,15\"\n"
             "0044;London;0,05;x;0,04\r"
             "0045;Kopenhagen;1.234,5\r\n"
             "   \r\n" +
             nul +
             "\r\n"
             "#Vorwahl;Ziel;Preis\r\n"
             "0046;Schweden;12 ct\r\n"
             "0047;Norwegen;\r\n"
             "0048;Polen;0,07"));
  EXPECT_EQ(Import2(), (Rows{{"0049", "Berlin", "0.0123"},
                             {"0043", "Wien. Mobil", "0.15"},
                             {"0044", "London", "0.04"},
                             {"0045", "Kopenhagen", "1.234"},
                             {"NULL", "NULL", "0"},
                             {"NULL", "NULL", "0"},
                             {"#Vorwahl", "Ziel", "0"},
                             {"0046", "Schweden", "12"},
                             {"0047", "Norwegen", "0"},
                             {"0048", "Polen", "0.07"}}));
  EXPECT_EQ(view_.Messages(), Strings{});
  EXPECT_EQ(view_.Overall(), (Floats{0, 14}));
}

// A rejected file gets the fixed messages; the first carries the reason.
TEST_F(ImportPriceFileTest, HeaderTest) {
  const std::string must_begin = "; sie muss mit „#Vorwahl“ beginnen.";
  const std::string begins = "Die erste Zeile beginnt mit „";
  const struct {
    std::string bytes;
    bool passes;
    std::string reason;
  } cases[] = {
      {"#VORWAHL\n", true, ""},
      {"#vorwahlXYZ;anything\n", true, ""},
      {" #Vorwahl\n", false, begins + " #Vorwahl“" + must_begin},
      {"#Vorwahx;Ziel\n", false, begins + "#Vorwahx;Ziel“" + must_begin},
      {"#Vorwah\n", false, begins + "#Vorwah“" + must_begin},
      {"Vorwahl;Ziel;Preis\n#Vorwahl\n", false,
       begins + "Vorwahl;Ziel;Preis“" + must_begin},
      // Decoded like the data lines, control characters shown, cut.
      {"Pr\xE4\x66ix\t" + std::string(40, 'x') + "\n", false,
       begins + "Präfix?" + std::string(23, 'x') + "…“" + must_begin},
      {"\xEF\xBB\xBF#Vorwahl\n", false,
       "Die Datei beginnt mit einer UTF-8-Bytereihenfolge-Markierung (BOM) vor "
       "„#Vorwahl“, wie sie beim Speichern als „CSV UTF-8“ entsteht. Bitte die Datei "
       "als CSV ohne BOM speichern."},
      {"\xEF\xBB\xBFVorwahl\n", false,
       "Die Datei beginnt mit einer UTF-8-Bytereihenfolge-Markierung (BOM), wie sie "
       "beim Speichern als „CSV UTF-8“ entsteht. Bitte die Datei als CSV ohne BOM "
       "speichern."},
      {"", false, "Die Datei enthält keine Zeile" + must_begin},
      {"\r\n\n\r", false, "Die Datei enthält keine Zeile" + must_begin},
  };
  for (const auto& c : cases) {
    view_.events.clear();
    EXPECT_EQ(Import(c.bytes), c.passes) << c.bytes;
    const Strings rejected = {"Falsche Datei", "Fehler:"};
    EXPECT_EQ(view_.Messages(), c.passes ? Strings{} : rejected) << c.bytes;
    EXPECT_EQ(view_.Details(), c.passes ? Strings{} : (Strings{c.reason, ""})) << c.bytes;
  }
}

TEST_F(ImportPriceFileTest, RejectedFileLeavesImport2Alone) {
  connection_.Execute(
      "CREATE TABLE Import2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255), "
      "PreisEk CURRENCY);");
  connection_.Execute(
      "INSERT INTO Import2 (Vorwahl, Ziel, PreisEk) VALUES ('1', 'old', 2);");
  EXPECT_FALSE(Import("0049;Berlin;0,01\n"));
  EXPECT_EQ(Import2(), (Rows{{"1", "old", "2"}}));
  for (const auto& event : view_.events) {
    if (event.kind == testing_support::RecordingView::Event::Kind::kMessage) {
      EXPECT_EQ(event.icon, run::RunView::Icon::kError);
    }
  }
  EXPECT_EQ(view_.Overall(), Floats{0});
}

TEST_F(ImportPriceFileTest, ReplacesAnEarlierImport2) {
  connection_.Execute("CREATE TABLE Import2 (Vorwahl VARCHAR(255), Other INTEGER);");
  connection_.Execute("INSERT INTO Import2 (Vorwahl, Other) VALUES ('1', 2);");
  ASSERT_TRUE(Import("#Vorwahl\n0049;Berlin;0,01\n"));
  EXPECT_EQ(Import2(), (Rows{{"0049", "Berlin", "0.01"}}));
}

TEST_F(ImportPriceFileTest, HeaderOnlyGivesAnEmptyImport2) {
  ASSERT_TRUE(Import("#Vorwahl;Ziel;Preis\r\n"));
  EXPECT_EQ(Import2(), Rows{});
  EXPECT_EQ(view_.Overall(), (Floats{0, 14}));
  EXPECT_EQ(view_.Action(), Floats{0});  // the pass that reads the end marker
}

TEST_F(ImportPriceFileTest, ActionBarFollowsTheReadPosition) {
  // 128 + 256 + 128 bytes: the data lines end at 384 and 512 of 512 bytes.
  const std::string header = "#Vorwahl" + std::string(127 - 8, ';') + "\n";
  const std::string first = "1;" + std::string(249, 'a') + ";0,1\n";
  const std::string second = "2;" + std::string(121, 'b') + ";0,2\n";
  ASSERT_TRUE(Import(header + first + second));
  EXPECT_EQ(view_.Action(), (Floats{75, 100, 100}));
  // The overall bar starts before and ends after every action value.
  ASSERT_EQ(view_.events.size(), 5u);
  EXPECT_EQ(view_.events.front().value, 0);
  EXPECT_EQ(view_.events.back().value, 14);
}

TEST_F(ImportPriceFileTest, ReadsWindows1252AndUtf8) {
  ASSERT_TRUE(Import("#Vorwahl\n0043;\xD6sterreich;0,1\n0043;\xC3\x96sterreich;0,1\n"));
  EXPECT_EQ(Import2(), (Rows{{"0043", "\xC3\x96sterreich", "0.1"},
                             {"0043", "\xC3\x96sterreich", "0.1"}}));
}

TEST_F(ImportPriceFileTest, MissingFileIsDescribed) {
  EXPECT_FALSE(
      ImportPriceFile(connection_, (dir_.path() / "preise.csv").string(), view_));
  const Strings messages = view_.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Falsche Datei");
  EXPECT_EQ(view_.Details()[0], "Die Preisdatei konnte nicht gelesen werden.");
  EXPECT_EQ(messages[1].rfind("Fehler:", 0), 0u);
  EXPECT_NE(messages[1].find("preise.csv"), std::string::npos) << messages[1];
}

TEST_F(ImportPriceFileTest, UnreadableFileIsDescribed) {
  std::filesystem::create_directory(dir_.path() / "folder");
  EXPECT_FALSE(ImportPriceFile(connection_, (dir_.path() / "folder").string(), view_));
  const Strings messages = view_.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Falsche Datei");
  EXPECT_GT(messages[1].size(), std::string("Fehler:").size()) << messages[1];
}

TEST_F(ImportPriceFileTest, FindsTheFileInAnotherLetterCase) {
  dir_.WriteFile("Preise.csv", "#Vorwahl\n0049;Berlin;0,01\n");
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  const bool imported = ImportPriceFile(connection_, "preise.csv", view_);
  std::filesystem::current_path(saved);
  ASSERT_TRUE(imported);
  EXPECT_EQ(Import2(), (Rows{{"0049", "Berlin", "0.01"}}));
}

TEST_F(ImportPriceFileTest, ReadErrorPartWayFailsTheImport) {
  const std::string bytes = "#Vorwahl\n0049;Berlin;0,01\n0043;Wien;0,02\n";
  const ByteSourceOpener open = [&] {
    return std::make_unique<testing_support::MemorySource>(bytes, 1, bytes.size() - 5);
  };
  EXPECT_FALSE(ImportPriceSource(connection_, open, view_));
  EXPECT_EQ(view_.Messages(),
            Strings{"Fehler: Cannot read test data: Input/output error"});
  EXPECT_EQ(view_.Overall(), Floats{0});
}

TEST_F(ImportPriceFileTest, RowThatCannotBeStoredFailsTheImport) {
  const struct {
    std::string line;
    std::string reason;
  } cases[] = {
      {"0049;Berlin;1e300", "der Einkaufspreis 1e300 ist zu groß"},
      {"0049;" + std::string(256, 'x') + ";0,01",
       "Ziel: Text länger als 255 Zeichen: " + std::string(60, 'x') + "…"},
  };
  for (const auto& c : cases) {
    view_.events.clear();
    EXPECT_FALSE(Import("#Vorwahl\n0044;London;0,05\n\n" + c.line + "\n"));
    const Strings messages = view_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string start =
        "Fehler: Zeile 4 der Preisdatei kann nicht gespeichert werden: " + c.reason;
    EXPECT_EQ(messages[0], start);
  }
}

// Without Import2 no line can be stored; the run stops instead of going on
// with an empty price list.
TEST_F(ImportPriceFileTest, AnImport2ThatCannotBeCreatedFailsTheImport) {
  ASSERT_EQ(sqlite3_exec(db::engine::ConnectionInternals::NativeHandle(connection_),
                         "CREATE VIEW Import2 AS SELECT 1 AS Vorwahl", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  EXPECT_FALSE(Import("#Vorwahl\n0044;London;0,05\n"));
  const Strings messages = view_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Fehler: ", 0), 0u) << messages[0];
  EXPECT_EQ(view_.Overall(), Floats{0});
}

}  // namespace
}  // namespace price_import
