#ifndef PREISLISTE_BENCH_JET_NUMBERS_H_
#define PREISLISTE_BENCH_JET_NUMBERS_H_

#include <cstddef>
#include <filesystem>

namespace bench {

// Writes `output`: a copy of the Jet 4 file `jet_template` whose table
// Numbers holds the rows of the table Numbers in the SQLite file
// `sqlite_file` (in row-id order; columns matched by the template's column
// names), written by the product's own Jet table and index writers, so the
// two files hold the same price list for a Jet-against-SQLite comparison.
// Returns the number of rows written. Throws std::runtime_error or
// core::Error when a file cannot be read or written or a row does not
// fit the template's columns.
size_t WriteJetNumbers(const std::filesystem::path& sqlite_file,
                       const std::filesystem::path& jet_template,
                       const std::filesystem::path& output);

}  // namespace bench

#endif  // PREISLISTE_BENCH_JET_NUMBERS_H_
