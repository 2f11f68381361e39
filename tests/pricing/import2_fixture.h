#ifndef PREISLISTE_TESTS_PRICING_IMPORT2_FIXTURE_H_
#define PREISLISTE_TESTS_PRICING_IMPORT2_FIXTURE_H_

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "db/engine/connection.h"
#include "tests/pricing/pipeline_fixture.h"
#include "tests/support/recording_view.h"

namespace pricing_testing {

// One row of Import2 as a record loop finds it; an empty optional is NULL.
struct Import2Row {
  std::string prefix;
  std::optional<std::string> name;
  std::optional<double> purchase;
  std::optional<int> state;
  std::optional<std::string> old_name;
  std::optional<double> price;
};

// A price database inside the run's transaction, with Import2 and the index
// on its names that the pipeline creates before the record loops. Counts the
// name lookups the loops send to the database.
class Import2Fixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Insert(const std::vector<Import2Row>& rows);

  // Every row as "prefix state old_name price", ordered by prefix, with "-"
  // for NULL: "0044 3 X 0.1".
  std::vector<std::string> Rows();

  // The name lookups run since Insert(): the SQLite text of every SELECT on
  // Import2 other than the loop's record set (the only one that names
  // ImportState), in lower case, with its values filled in.
  const std::vector<std::string>& lookups() const { return lookups_; }

  db::engine::Connection& connection() { return database_.connection(); }
  testing_support::RecordingView& view() { return database_.view; }

 private:
  testing_support::PriceDatabase database_{{}};
  std::vector<std::string> lookups_;
};

}  // namespace pricing_testing

#endif  // PREISLISTE_TESTS_PRICING_IMPORT2_FIXTURE_H_
