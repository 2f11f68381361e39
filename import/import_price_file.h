#ifndef PREISLISTE_IMPORT_IMPORT_PRICE_FILE_H_
#define PREISLISTE_IMPORT_IMPORT_PRICE_FILE_H_

#include <string>

#include "db/connection.h"
#include "db/run_view.h"

// Loads the supplier's price file into a fresh Import2 table, one row per data
// line, inside the caller's transaction. Returns false after showing its own
// messages when the file is not a price file or cannot be read; the caller
// then rolls back.
bool ImportPriceFile(db::Connection& connection, const std::string& file_name,
                     db::RunView& view);

#endif  // PREISLISTE_IMPORT_IMPORT_PRICE_FILE_H_
