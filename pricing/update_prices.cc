#include "pricing/update_prices.h"

#include <exception>
#include <string>

#include "pricing/pipeline_stretches.h"
#include "pricing/record_loops.h"
#include "run/tables.h"

namespace pricing {

bool UpdatePrices(db::engine::Connection& connection, const run::RunSettings& settings,
                  run::RunView& view, const std::function<void()>& new_list_written) {
  PipelineSteps steps(connection, settings, view, new_list_written);
  // The first failure that is not tolerated ends the pipeline: no further
  // statement, loop step or progress value.
  try {
    DropLeftoverTables(steps);
    PrepareCurrentList(steps);  // overall 5 .. 32
    MatchKnownPrices(steps);    // overall 35 .. 45
    // Without an index every lookup of the loops would scan the whole table.
    connection.Execute(run::kCreateImport2Index);
    ResolveMostCommonPrices(connection, view);
    view.SetOverallProgress(70);
    ResolveLeadingNamePrices(connection, view);
    view.SetOverallProgress(80);
    WriteBack(steps);  // overall 82 .. 100
  } catch (const std::exception& failure) {
    view.ShowMessage("Fehler: " + std::string(failure.what()),
                     run::RunView::Icon::kError);
    return false;
  }
  return true;
}

}  // namespace pricing
