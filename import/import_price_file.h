#ifndef PREISLISTE_IMPORT_IMPORT_PRICE_FILE_H_
#define PREISLISTE_IMPORT_IMPORT_PRICE_FILE_H_

#include <string>

#include "db/engine/connection.h"
#include "import/price_file_lines.h"
#include "run/run_view.h"

namespace price_import {

// Loads the supplier's price file into a fresh Import2 table, one row per data
// line, inside the caller's transaction. Returns false after showing its own
// messages when the file is not a price file or cannot be read; the caller
// then rolls back. `seen`, when given, gets the path the file was looked up
// under (LocatePriceFile) and the count of its data lines.
bool ImportPriceFile(db::engine::Connection& connection, const std::string& file_name,
                     run::RunView& view, PriceFileSeen* seen = nullptr);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_IMPORT_PRICE_FILE_H_
