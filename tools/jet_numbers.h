#ifndef PREISLISTE_TOOLS_JET_NUMBERS_H_
#define PREISLISTE_TOOLS_JET_NUMBERS_H_

#include <cstddef>
#include <filesystem>

namespace tools {

// Writes `output`: a copy of the Jet 4 file `jet_template` whose table
// Numbers holds the rows of the table Numbers in the SQLite file
// `sqlite_file` (in row-id order; columns matched by the template's column
// names, the SQLite table's other columns left out), written by the
// product's own Jet table and index writers. The copy keeps the template's
// page 0, and with it its database password. The demo (scripts/run), the
// benchmarks and the crash tests make their Jet files with it, so that a
// Jet file and an SQLite file hold the same price list.
// Returns the number of rows written. Throws core::Error when a file cannot
// be read or written or a row does not fit the template's columns.
size_t WriteJetNumbers(const std::filesystem::path& sqlite_file,
                       const std::filesystem::path& jet_template,
                       const std::filesystem::path& output);

}  // namespace tools

#endif  // PREISLISTE_TOOLS_JET_NUMBERS_H_
