#ifndef PREISLISTE_IMPORT_IMPORT_PRICE_SOURCE_H_
#define PREISLISTE_IMPORT_IMPORT_PRICE_SOURCE_H_

#include <functional>
#include <memory>

#include "db/engine/connection.h"
#include "import/byte_source.h"
#include "import/price_file_lines.h"
#include "run/run_view.h"

namespace price_import {

// Opens the price file's bytes; throws with a description when it cannot.
using ByteSourceOpener = std::function<std::unique_ptr<ByteSource>()>;

// ImportPriceFile on whatever `open` delivers, so that the import can be run
// on data that no file on disk can imitate (a read that fails part-way).
// `lines`, when given, counts the data lines stored.
bool ImportPriceSource(db::engine::Connection& connection, const ByteSourceOpener& open,
                       run::RunView& view, PriceFileLines* lines = nullptr);

}  // namespace price_import

#endif  // PREISLISTE_IMPORT_IMPORT_PRICE_SOURCE_H_
