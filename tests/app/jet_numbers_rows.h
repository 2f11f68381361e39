#ifndef PREISLISTE_TESTS_APP_JET_NUMBERS_ROWS_H_
#define PREISLISTE_TESTS_APP_JET_NUMBERS_ROWS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "db/engine/mdb/table_definition.h"
#include "db/engine/mdb/table_reader.h"

namespace testing_support {

// The rows of a table, as our reader, mdb-export, mdb-reader or SQLite read
// them, in one spelling, so that they compare whole: each row its values in
// column order, NULL as "NULL", a text after a quote ("'Polen"), a whole
// number in decimal, money as a decimal with four places, a double with 15
// significant digits (each reader prints doubles its own way). Rows sorted.
// A column type the Numbers files do not use fails the test.
using SpelledRows = std::vector<std::vector<std::string>>;

SpelledRows RowsOf(const db::engine::mdb::TableDefinition& table,
                   const std::vector<db::engine::mdb::StoredRow>& rows);
SpelledRows MdbExportRows(const std::filesystem::path& file,
                          const db::engine::mdb::TableDefinition& table);
SpelledRows MdbReaderRows(const std::filesystem::path& file,
                          const db::engine::mdb::TableDefinition& table);
// Table `name` of an SQLite file, read with the columns of `table`.
SpelledRows SqliteRows(const std::filesystem::path& file, const std::string& name,
                       const db::engine::mdb::TableDefinition& table);

// "" when the two lists are equal; otherwise the first few rows that only
// one of them holds, each list named, for a failure message that shows
// what differs rather than two whole tables.
std::string RowDifference(const SpelledRows& ours, const std::string& our_name,
                          const SpelledRows& theirs, const std::string& their_name);

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_JET_NUMBERS_ROWS_H_
