// The built program, in console mode, on a Jet Numbers.mdb that it must not
// replace: a file in use (its lock file at the open or appearing during the
// run), a file another program changed during the run, another password, a
// truncated, zero-filled or bit-flipped file. Each run ends by itself within
// its time limit with the expected status and message, and what it leaves is
// safe: the file byte for byte as it was and no copy or backup beside it, or,
// where damage lies in bytes no check covers, a committed file that passes
// our structural check.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/engine/mdb/catalog.h"
#include "db/engine/mdb/file_image.h"
#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/usage_map.h"
#include "platform/backup_files.h"
#include "tests/db/engine/mdb/jet_files.h"
#include "tests/reliability/jet_deck.h"
#include "tests/reliability/program_run.h"
#include "tests/support/test_files.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
namespace mdb = db::engine::mdb;
using testing_support::FolderNames;
using testing_support::TempDir;

constexpr char kOpenMessage[] = "Datenbank Numbers.mdb konnte nicht geöffnet werden!\n";
constexpr char kInUse[] =
    "Numbers.mdb: Die Datenbank Numbers.mdb ist in Benutzung: neben ihr liegt {}. Bitte "
    "das Abrechnungsprogramm schließen; bleibt {} danach liegen (nach einem Absturz), "
    "sie löschen, aber nur wenn das Abrechnungsprogramm geschlossen ist";
constexpr char kChanged[] =
    "Fehler: Die Datenbank Numbers.mdb wurde während des Laufs von einem anderen "
    "Programm verändert; sie wurde nicht ersetzt\n";

// `pattern` with each "{}" replaced by `name`.
std::string Naming(std::string pattern, const std::string& name) {
  for (size_t at; (at = pattern.find("{}")) != std::string::npos;)
    pattern.replace(at, 2, name);
  return pattern;
}

// The open message with its reason line; `reason_end` ends the line, or
// nothing where the reason goes on with file-dependent detail.
std::string OpenRefusal(const std::string& reason, const char* reason_end = "\n") {
  return std::string(kOpenMessage) + "  Grund: " + reason + reason_end;
}

constexpr char kDamaged[] = "Numbers.mdb: Die Datenbankdatei ist beschädigt: ";

// ---- Damage ----------------------------------------------------------------

using Bytes = std::string;

void Truncate(Bytes& bytes, size_t size) { bytes.resize(size); }

// Flips one bit at each of three offsets below `used` of `page` drawn with
// `seed`, none of them in [skip_from, skip_to).
void FlipBits(Bytes& bytes, uint32_t page, size_t used, unsigned seed, size_t skip_from,
              size_t skip_to) {
  std::mt19937 random(seed);
  for (int flips = 0; flips < 3;) {
    const size_t offset = random() % used;
    if (offset >= skip_from && offset < skip_to) continue;
    bytes[size_t{page} * mdb::kPageSize + offset] ^= static_cast<char>(1 << random() % 8);
    ++flips;
  }
}

// A page the flips aim at, and how much of it is in use: a table
// definition fills only the start of its page, so flips go there.
struct Target {
  uint32_t page = 0;
  size_t used = mdb::kPageSize;
};

Target DefinitionTarget(const mdb::FileImage& image, uint32_t page) {
  const size_t length = image.Page(page).U32(8);
  return {page, std::min(mdb::kPageSize, 8 + length)};
}

// The pages the flips aim at, from the intact file.
struct Layout {
  Target catalog_definition, catalog_data, numbers_definition, numbers_data,
      numbers_index;
};

Layout PagesOf(const fs::path& file) {
  const mdb::FileImage image = mdb::FileImage::ReadFile(file.string());
  const auto first_data_page = [&](const mdb::TableDefinition& table) {
    return Target{mdb::DecodeUsageMap(image, table.owned_pages()).front()};
  };
  const mdb::TableDefinition catalog = mdb::TableDefinition::Read(image, 2);
  const mdb::TableDefinition numbers = mdb::TableDefinition::Read(
      image, mdb::Catalog::Read(image).TableDefinitionPage("Numbers"));
  return {DefinitionTarget(image, catalog.first_page()), first_data_page(catalog),
          DefinitionTarget(image, numbers.first_page()), first_data_page(numbers),
          Target{numbers.real_indexes().at(0).first_page}};
}

// Rewrites the file with `change` applied to its bytes.
void Damage(const fs::path& file, const std::function<void(Bytes&)>& change) {
  Bytes bytes = testing_support::ReadFileBytes(file);
  change(bytes);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Rewrites one byte near the end of the file in place and, when `keep_time`,
// puts the modification time back, so that only the content tells.
void RewriteByte(const fs::path& file, bool keep_time) {
  struct stat before;
  ASSERT_EQ(stat(file.c_str(), &before), 0);
  {
    std::fstream io(file, std::ios::binary | std::ios::in | std::ios::out);
    io.seekg(-100, std::ios::end);
    const char old = static_cast<char>(io.get());
    io.seekp(-100, std::ios::end);
    io.put(static_cast<char>(old ^ 0x01));
  }
  if (keep_time) {
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  }
}

// ---- The cases -------------------------------------------------------------

// What a case may end in. A run that is refused leaves the file and the
// folder as they were; one that commits must leave a sound file.
enum class Outcome { kOpenRefused, kCommitRefused, kCommitted };

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kOpenRefused:
      return "refused at the open";
    case Outcome::kCommitRefused:
      return "refused at the commit";
    case Outcome::kCommitted:
      return "committed";
  }
  return "";
}

struct RefusalCase {
  std::string name;
  // Changes the folder (its Numbers.mdb, a lock file) before the run.
  std::function<void(const fs::path& folder, const Layout&)> before;
  // Done once, as soon as the progress shows that the pipeline has started.
  std::function<void(const fs::path& folder)> during;
  // The outcomes the case allows. With one, `text` is the exact message (the
  // open message with its reason, or the "Fehler: " line); with several, the
  // damage may lie where no check looks, and only safety is asked.
  std::set<Outcome> allowed;
  std::string text;
};

std::vector<RefusalCase> Cases() {
  const auto lock_at_open = [](const std::string& name) {
    return RefusalCase{"lock file " + name + " at the open",
                       [name](const fs::path& folder, const Layout&) {
                         std::ofstream(folder / name) << "";
                       },
                       {},
                       {Outcome::kOpenRefused},
                       OpenRefusal(Naming(kInUse, name))};
  };
  const auto damaged = [](const std::string& name, std::function<void(Bytes&)> change,
                          const std::string& text) {
    return RefusalCase{name,
                       [change](const fs::path& folder, const Layout&) {
                         Damage(folder / "Numbers.mdb", change);
                       },
                       {},
                       {Outcome::kOpenRefused},
                       text};
  };
  const auto changed_during = [](const std::string& name,
                                 std::function<void(const fs::path&)> change) {
    return RefusalCase{name, {}, change, {Outcome::kCommitRefused}, kChanged};
  };
  const size_t page = mdb::kPageSize;

  std::vector<RefusalCase> cases = {
      lock_at_open("Numbers.ldb"),
      lock_at_open("NUMBERS.LDB"),
      {"lock file numbers.ldb appearing during the run",
       {},
       [](const fs::path& folder) { std::ofstream(folder / "numbers.ldb") << ""; },
       {Outcome::kCommitRefused},
       "Fehler: Das Abrechnungsprogramm hat die Datenbank Numbers.mdb während des Laufs "
       "geöffnet (numbers.ldb ist erschienen); Numbers.mdb wurde nicht ersetzt\n"},
      changed_during("a byte rewritten during the run",
                     [](const fs::path& folder) {
                       RewriteByte(folder / "Numbers.mdb", /*keep_time=*/false);
                     }),
      changed_during("a byte rewritten during the run, time put back",
                     [](const fs::path& folder) {
                       RewriteByte(folder / "Numbers.mdb", /*keep_time=*/true);
                     }),
      changed_during("modification time changed during the run",
                     [](const fs::path& folder) {
                       fs::last_write_time(folder / "Numbers.mdb",
                                           fs::last_write_time(folder / "Numbers.mdb") +
                                               std::chrono::seconds(1));
                     }),
      {"another password",
       [](const fs::path& folder, const Layout&) {
         fs::remove(folder / "Numbers.mdb");
         mdb_test::CopyJetFile("numbers/numbers-other-password.mdb",
                               folder / "Numbers.mdb");
       },
       {},
       {Outcome::kOpenRefused},
       OpenRefusal("Numbers.mdb: Das Datenbankkennwort stimmt nicht")},
      damaged(
          "truncated to one page", [page](Bytes& b) { Truncate(b, page); },
          OpenRefusal(std::string(kDamaged) +
                      "sie verweist auf Seite 2, hat aber nur 1 Seiten")),
      damaged(
          "truncated to a size that is no multiple of the page size",
          [page](Bytes& b) { Truncate(b, b.size() - page / 2); },
          OpenRefusal(std::string(kDamaged) + "ihre Größe von ", "")),
      damaged(
          "truncated to half its pages",
          [page](Bytes& b) { Truncate(b, b.size() / page / 2 * page); },
          OpenRefusal(kDamaged, "")),
      // Without the Jet header it is taken for an SQLite file, which it is
      // not either; the reason names the file by its full path.
      damaged(
          "zero-filled", [](Bytes& b) { std::fill(b.begin(), b.end(), '\0'); },
          "/Numbers.mdb ist keine Datenbank (file is not a database)\n"),
      damaged(
          "page 0: the version byte flipped", [](Bytes& b) { b[0x14] ^= 0x04; },
          OpenRefusal("Numbers.mdb: Die Datei ist eine Datenbank von Access 2007 "
                      "oder neuer; unterstützt werden nur Jet-4-Dateien (Access "
                      "2000/2003)")),
  };
  const struct {
    const char* where;
    Target Layout::*page;
  } targets[] = {
      {"page 0 outside the password", nullptr},
      {"the catalog's definition", &Layout::catalog_definition},
      {"a catalog data page", &Layout::catalog_data},
      {"Numbers' definition", &Layout::numbers_definition},
      {"a data page of Numbers", &Layout::numbers_data},
      {"the root page of Numbers' index", &Layout::numbers_index},
  };
  for (const auto& target : targets) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
      cases.push_back(
          {std::string("three bits flipped in ") + target.where + ", seed " +
               std::to_string(seed),
           [target, seed](const fs::path& folder, const Layout& layout) {
             Damage(folder / "Numbers.mdb", [&](Bytes& bytes) {
               if (target.page == nullptr) {
                 FlipBits(bytes, 0, mdb::kPageSize, seed, 0x42, 0x42 + 40);
               } else {
                 const Target& aim = layout.*target.page;
                 FlipBits(bytes, aim.page, aim.used, seed, 0, 0);
               }
             });
           },
           {},
           {Outcome::kOpenRefused, Outcome::kCommitRefused, Outcome::kCommitted},
           ""});
    }
  }
  return cases;
}

// ---- The test --------------------------------------------------------------

// The output as lines end in a file: without the terminal's carriage returns.
std::string Lines(std::string output) {
  std::erase(output, '\r');
  return output;
}

// The reason the run gives for stopping: its "Grund: " or "Fehler: " line.
std::string ReasonOf(const std::string& output) {
  for (const char* start : {"  Grund: ", "Fehler: "}) {
    const size_t at = output.find(start);
    if (at != std::string::npos) return output.substr(at, output.find('\n', at) - at);
  }
  return "";
}

Outcome OutcomeOf(const ProgramResult& run) {
  const std::string output = Lines(run.output);
  if (run.exit_status == 0) return Outcome::kCommitted;
  if (output.find(kOpenMessage) != std::string::npos) return Outcome::kOpenRefused;
  return Outcome::kCommitRefused;
}

class JetRefusalTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    input_ = new TempDir;
    WriteJetDeck(input_->path(), bench::GenerateDeck(5000, 1));
  }
  static void TearDownTestSuite() { delete input_; }

  static TempDir* input_;
};

TempDir* JetRefusalTest::input_ = nullptr;

TEST_F(JetRefusalTest, EachCaseEndsWithItsMessageAndLeavesTheFileAsItWasOrSound) {
  const Layout layout = PagesOf(input_->path() / "Numbers.mdb");
  std::ostringstream table;
  int index = 0;
  for (const RefusalCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const TempDir work;
    const fs::path folder = work.path() / "run";
    fs::create_directory(folder);
    for (const char* name : {"Numbers.mdb", "preise.csv"})
      fs::copy_file(input_->path() / name, folder / name);
    if (c.before) c.before(folder, layout);
    const fs::path settings = WriteSettings(work.path() / "settings.ini", folder);

    // What the run must leave when it writes nothing: the folder as it is
    // before the run, or once the case has done its part during the run.
    std::string bytes = testing_support::ReadFileBytes(folder / "Numbers.mdb");
    std::set<std::string> names = FolderNames(folder);
    bool done = false;
    const ProgramResult run = RunProgram(
        folder, settings,
        [&](const ProgressState& state) {
          if (c.during && !done && state.pipeline_started) {
            c.during(folder);
            bytes = testing_support::ReadFileBytes(folder / "Numbers.mdb");
            // The run's own copy, made while it computes, must be gone
            // at its end as well.
            names = FolderNames(folder);
            std::erase_if(names, [](const std::string& name) {
              return name.starts_with("Numbers.mdb.tmp-");
            });
            done = true;
          }
          return false;
        },
        std::chrono::seconds(120));
    const std::string output = Lines(run.output);
    ASSERT_TRUE(run.exit_status == 0 || run.exit_status == 1)
        << run.exit_status << output;
    if (c.during) {
      EXPECT_TRUE(done) << "the pipeline never started:\n" << output;
    }
    const Outcome outcome = OutcomeOf(run);
    table << std::setw(2) << ++index << ". " << std::left << std::setw(64) << c.name
          << std::right << OutcomeName(outcome) << "\n    " << ReasonOf(output) << "\n";
    EXPECT_TRUE(c.allowed.contains(outcome)) << OutcomeName(outcome) << ":\n" << output;
    if (!c.text.empty()) {
      EXPECT_NE(output.find(c.text), std::string::npos) << output;
    }
    if (outcome == Outcome::kOpenRefused) {
      EXPECT_NE(output.find(std::string(kOpenMessage) + "  Grund: "), std::string::npos)
          << "no reason given:\n"
          << output;
    }
    if (outcome == Outcome::kCommitRefused) {
      EXPECT_NE(output.find("\nFehler: "), std::string::npos) << output;
    }
    if (outcome == Outcome::kCommitted) {
      try {
        SoundJetNumbers(folder / "Numbers.mdb");
      } catch (const core::Error& error) {
        ADD_FAILURE() << "the committed file is not sound: " << error.what();
      }
      EXPECT_EQ(testing_support::ReadFileBytes(folder / "Numbers.mdb.bak"), bytes);
      names.insert("Numbers.mdb.bak");
      const auto backups = platform::ListBackups(folder / "Numbers.mdb");
      ASSERT_EQ(backups.size(), 1u);
      names.insert(backups.front().path.filename().string());
      EXPECT_EQ(FolderNames(folder), names);
    } else {
      EXPECT_EQ(testing_support::ReadFileBytes(folder / "Numbers.mdb"), bytes);
      EXPECT_EQ(FolderNames(folder), names);
    }
  }
  std::cout << table.str();
}

}  // namespace
}  // namespace reliability
