// The run tolerates the failure of a few statements (dropping working tables
// that normally do not exist). A fault that makes SQLite end the whole
// transaction during one of them must stop the run, or every later
// statement would change Numbers for good; a fault that undoes only the
// statement lets the run go on.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "db/open_database.h"
#include "import/import_price_file.h"
#include "pricing/update_prices.h"
#include "tests/app/run_folder.h"
#include "tests/reliability/fault_vfs.h"
#include "tests/support/recording_view.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;
using testing_support::CurrentFolder;
using testing_support::ReadFileBytes;
using testing_support::RecordingView;
using testing_support::RunFolder;

// Numbers with a row whose price the preparation computes, and the working
// tables of a run that was interrupted, with enough rows that dropping them
// reads pages no earlier statement of the run has read.
std::string LeftoverDatabase() {
  std::string sql = std::string(testing_support::kNumbersSchema) +
                    testing_support::kNumbersRows +
                    "INSERT INTO Numbers (Number, Name, Price_EUR, Rate_EK) "
                    "VALUES ('0039', 'Italien', NULL, 0.05);"
                    "CREATE TABLE NumbersPrevious AS SELECT * FROM Numbers;"
                    "CREATE TABLE tmpMaxPreis (Name VARCHAR(100), Price_EUR CURRENCY);"
                    "CREATE TABLE Import2 (Vorwahl VARCHAR(255), Ziel VARCHAR(255));";
  for (const char* table :
       {"NumbersPrevious (Number, Name)", "Import2 (Vorwahl, Ziel)"}) {
    sql +=
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
        "2000) INSERT INTO " +
        std::string(table) + " SELECT printf('00%d', i), printf('Ziel %d', i) FROM n;";
  }
  return sql;
}

// The first `operation` after the overall bar reaches `arm_at` fails with
// `error`, once.
struct Fault {
  IoOperation operation;
  int error;
  float arm_at;
};

// Arms the fault when the overall bar reaches the fault's value: at 0 it
// strikes the import's first statement (dropping the leftover Import2), at 14
// (the import has finished) the pipeline's first one (dropping the leftover
// NumbersPrevious). Notes at the next event whether the transaction is still
// open.
class ArmingView : public RecordingView {
 public:
  ArmingView(const db::engine::Connection& connection, const Fault& fault)
      : connection_(connection), fault_(fault) {}

  void SetOverallProgress(float value) override {
    Observe();
    RecordingView::SetOverallProgress(value);
    if (value == fault_.arm_at && !armed_) {
      armed_ = true;
      FaultVfs::Arm(fault_.operation, 1, fault_.error, false);
    }
  }
  using RecordingView::ShowMessage;
  void ShowMessage(const std::string& text, Icon icon,
                   const std::string& detail) override {
    Observe();
    RecordingView::ShowMessage(text, icon, detail);
  }

  // Whether the transaction was still open right after the fault struck;
  // empty when it never struck.
  std::optional<bool> open_after_fault;

 private:
  void Observe() {
    if (!armed_ || open_after_fault || FaultVfs::Failures() == 0) return;
    open_after_fault = connection_.InTransaction();
  }

  const db::engine::Connection& connection_;
  const Fault fault_;
  bool armed_ = false;
};

struct Outcome {
  bool committed = false;
  std::vector<std::string> messages;
  std::vector<float> overall;
  std::optional<bool> open_after_fault;
};

// A run as the driver makes it: begin, import, pipeline, commit or roll back.
Outcome RunWithFault(const RunFolder& folder, const Fault& fault) {
  RecordingView quiet;
  std::unique_ptr<db::engine::Connection> connection =
      db::OpenDatabase(folder.path().string() + "/", "Numbers.mdb", quiet, true);
  if (!connection) return {false, quiet.Messages(), {}, {}};
  ArmingView view(*connection, fault);
  const CurrentFolder here(folder.path());
  const run::RunSettings settings{60, core::Currency::FromTicks(1000), 0.19,
                                  folder.path().string() + "/"};
  connection->BeginTrans();
  const bool done = price_import::ImportPriceFile(*connection, "preise.csv", view) &&
                    pricing::UpdatePrices(*connection, settings, view);
  FaultVfs::Reset();
  if (done) {
    connection->CommitTrans();
  } else {
    try {
      connection->RollbackTrans();
    } catch (const core::Error&) {
      // SQLite may have ended the transaction itself.
    }
  }
  connection.reset();
  return {done, view.Messages(), view.Overall(), view.open_after_fault};
}

class ToleratedFailureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { FaultVfs::Install(); }
  void TearDown() override { FaultVfs::Reset(); }
};

TEST_F(ToleratedFailureTest, AFaultThatEndsTheTransactionStopsTheRunAtOnce) {
  const struct {
    float arm_at;  // the overall progress after which the fault strikes
    const char* statement;
    std::vector<float> overall;
  } kCases[] = {
      {0, "DROP TABLE Import2", {0}},
      {14, "DROP TABLE NumbersPrevious", {0, 14}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.statement);
    RunFolder folder(LeftoverDatabase());
    folder.WriteFile("preise.csv", testing_support::kPriceFile);
    const auto numbers_before = folder.Numbers();
    const std::string before = ReadFileBytes(folder.database());
    const Outcome run =
        RunWithFault(folder, {IoOperation::kRead, SQLITE_IOERR_READ, c.arm_at});

    ASSERT_EQ(run.open_after_fault, std::optional<bool>(false))
        << "SQLite did not end the transaction";
    EXPECT_FALSE(run.committed);
    EXPECT_EQ(run.messages,
              std::vector<std::string>{
                  "Fehler: Die Datenbank hat die Transaktion abgebrochen, "
                  "als \"" +
                  std::string(c.statement) +
                  "\" scheiterte: Numbers.mdb: Der Datenträger meldet einen Lese- oder "
                  "Schreibfehler"});
    EXPECT_EQ(run.overall, c.overall);  // nothing ran after the drop
    EXPECT_EQ(folder.Numbers(), numbers_before);
    EXPECT_TRUE(ReadFileBytes(folder.database()) == before) << "the file changed";
  }
}

TEST_F(ToleratedFailureTest, AFaultThatUndoesOnlyTheStatementLetsTheRunGoOn) {
  RunFolder folder(LeftoverDatabase());
  folder.WriteFile("preise.csv", testing_support::kPriceFile);
  const std::string before = ReadFileBytes(folder.database());
  const Outcome run = RunWithFault(folder, {IoOperation::kRead, SQLITE_NOMEM, 14});

  ASSERT_EQ(run.open_after_fault, std::optional<bool>(true))
      << "SQLite ended the transaction";
  // As for a table that cannot be dropped for any other reason: the run goes
  // on until the statement that creates it again.
  EXPECT_FALSE(run.committed);
  EXPECT_EQ(run.messages,
            std::vector<std::string>{"Fehler: table `NumbersPrevious` already exists"});
  EXPECT_EQ(run.overall.back(), 15);
  EXPECT_TRUE(ReadFileBytes(folder.database()) == before) << "the file changed";
}

}  // namespace
}  // namespace reliability
