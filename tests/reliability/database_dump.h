#ifndef PREISLISTE_TESTS_RELIABILITY_DATABASE_DUMP_H_
#define PREISLISTE_TESTS_RELIABILITY_DATABASE_DUMP_H_

#include <filesystem>
#include <string>
#include <vector>

namespace reliability {

// Everything a user of the database file can see, as text: every entry of
// sqlite_master (type, name, table, SQL), then every row of every table in
// rowid order with each value tagged by its storage class, so that 1, 1.0,
// '1' and NULL all differ. Two files with equal dumps hold the same data.
//
// Opens the file read-write through the named VFS (the default one when
// empty), so that a hot journal left by a killed writer is rolled back first,
// exactly as the next user of the file would see it. Throws
// std::runtime_error when the file cannot be opened or read.
std::string DumpDatabase(const std::filesystem::path& file, const std::string& vfs = "");

// The names of the tables in the file (after any hot journal was rolled back).
std::vector<std::string> TableNames(const std::filesystem::path& file,
                                    const std::string& vfs = "");

}  // namespace reliability

#endif  // PREISLISTE_TESTS_RELIABILITY_DATABASE_DUMP_H_
