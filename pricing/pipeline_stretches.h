#ifndef PREISLISTE_PRICING_PIPELINE_STRETCHES_H_
#define PREISLISTE_PRICING_PIPELINE_STRETCHES_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "db/engine/connection.h"
#include "db/tolerated_statement.h"
#include "run/run_settings.h"
#include "run/run_view.h"

namespace pricing {

// The SQL stretches of the price update, each a fixed series of statements
// with the overall and action progress shown between them. UpdatePrices runs
// them in the order of this file, with the two record loops between
// MatchKnownPrices and WriteBack. Every stretch throws (core::Error or another
// std::exception with a description) at the first failing step.

// What every step needs: the connection, the settings, the two bars and the
// caller's look at the new list before the working tables go.
class PipelineSteps {
 public:
  PipelineSteps(db::engine::Connection& connection, const run::RunSettings& settings,
                run::RunView& view, std::function<void()> new_list_written = {})
      : connection_(connection),
        settings_(settings),
        view_(view),
        new_list_written_(std::move(new_list_written)) {}

  void Overall(float value) { view_.SetOverallProgress(value); }
  void Action(float value) { view_.SetActionProgress(value); }
  void Execute(std::string_view sql) { connection_.Execute(sql); }
  // Ignores a failure unless it has ended the transaction.
  void ExecuteToleratingFailure(std::string_view sql) {
    db::ExecuteToleratingFailure(connection_, sql);
  }
  std::unique_ptr<db::engine::Recordset> Query(std::string_view sql) {
    return connection_.ExecuteQuery(sql);
  }
  void NewListWritten() {
    if (new_list_written_) new_list_written_();
  }

  // The minimum rate as statement text, e.g. " .1".
  std::string MinimumRate() const;
  // The cent-rounded computed price of a purchase price column, with the
  // factor computed afresh for this statement.
  std::string ComputedPrice(std::string_view purchase_price_column) const;

 private:
  db::engine::Connection& connection_;
  const run::RunSettings& settings_;
  run::RunView& view_;
  std::function<void()> new_list_written_;
};

// Drops NumbersPrevious and tmpMaxPreis left behind by a run that did not
// reach its end. Normally they do not exist: failures are ignored, unless
// one has ended the transaction.
void DropLeftoverTables(PipelineSteps& steps);

// Overall 5 to 32. Corrects the prices of Numbers in place, copies it into
// NumbersPrevious with prefixes in the working form, removes unusable rows
// from Import2 and builds tmpMaxPreis.
void PrepareCurrentList(PipelineSteps& steps);

// Overall 35 to 45. Prices the imported rows whose destination name (state 1)
// or prefix (state 2) the current list knows; matched rows without a known
// price get a computed one, at least the minimum rate.
void MatchKnownPrices(PipelineSteps& steps);

// Overall 82 to 100. Computes prices for the rows still undecided (state 5),
// keeps the domestic prefixes of the current list that the file lacks
// (state 6), restores the stored prefix form, replaces the rows of Numbers
// with those of Import2, lets the caller look at the result
// (NewListWritten) and drops the working tables. A name too long for
// Numbers stops it with a description that names the prefix of its row.
void WriteBack(PipelineSteps& steps);

}  // namespace pricing

#endif  // PREISLISTE_PRICING_PIPELINE_STRETCHES_H_
