#ifndef PREISLISTE_RUN_RUN_SETTINGS_H_
#define PREISLISTE_RUN_RUN_SETTINGS_H_

#include <string>

#include "core/currency.h"

namespace run {

// The four settings of a run, read once before the database is opened and
// only read afterwards. The run driver fills it; the database layer and the
// pipeline read it.
struct RunSettings {
  double margin_percent = 60;                                     // RatingDefaultMargin
  core::Currency minimum_rate = core::Currency::FromTicks(1000);  // MinimumRatePerMinute
  double vat_fraction = 0;                                        // MwSt / 100
  std::string database_folder;  // DB Path, ending in the path separator
};

}  // namespace run

#endif  // PREISLISTE_RUN_RUN_SETTINGS_H_
