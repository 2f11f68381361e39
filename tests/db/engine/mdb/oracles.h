#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_ORACLES_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_ORACLES_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mdb_test {

// The independent Jet readers the reader is checked against: mdbtools'
// mdb-export / mdb-tables and the npm package mdb-reader (through
// oracle/dump-table.mjs). A tool that is missing or fails fails the test.

// A value as dump-table.mjs prints it: its tag ('N' NULL, 'S' text, 'B'
// Yes/No, 'M' currency, 'D' number, 'T' date in ms since 1970) and text.
struct TaggedValue {
  char tag = 'N';
  std::string text;
};

std::vector<std::vector<TaggedValue>> MdbReaderRows(const std::filesystem::path& file,
                                                    const std::string& table);
std::vector<std::string> MdbReaderTables(const std::filesystem::path& file);
// Empty optional: mdb-reader finds no password.
std::optional<std::string> MdbReaderPassword(const std::filesystem::path& file);

// A field of mdb-export's CSV: texts and dates come quoted, numbers bare,
// NULL as a bare empty field.
struct CsvField {
  bool quoted = false;
  std::string text;
};

struct CsvTable {
  std::vector<std::string> header;
  std::vector<std::vector<CsvField>> rows;
};

// mdb-export with dates as "%Y-%m-%d %H:%M:%S".
CsvTable MdbExport(const std::filesystem::path& file, const std::string& table);
std::vector<std::string> MdbTables(const std::filesystem::path& file);

// A decimal text as the oracles print money ("-0.023", "12") in 1/10000
// units; none if it has more than four decimals or is no number.
std::optional<int64_t> DecimalTicks(const std::string& text);

}  // namespace mdb_test

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_ORACLES_H_
