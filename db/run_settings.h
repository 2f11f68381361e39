#ifndef PREISLISTE_APP_RUN_SETTINGS_H_
#define PREISLISTE_APP_RUN_SETTINGS_H_

#include <string>

#include "db/currency.h"

// The four settings of a run, read once before the database is opened and
// only read afterwards.
struct RunSettings {
  double margin_percent = 60;                                 // RatingDefaultMargin
  db::Currency minimum_rate = db::Currency::FromTicks(1000);  // MinimumRatePerMinute
  double vat_fraction = 0;                                    // MwSt / 100
  std::string database_folder;  // DB Path, ending in the path separator
};

#endif  // PREISLISTE_APP_RUN_SETTINGS_H_
