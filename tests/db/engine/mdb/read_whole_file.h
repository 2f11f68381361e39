#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_READ_WHOLE_FILE_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_READ_WHOLE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mdb_test {

// Reads everything the reader can read from a file's bytes: header,
// catalog, and for each user table its definition, properties,
// relationships and rows. Returns the number of rows; throws core::Error
// when the file is refused. The damage tests read their damaged files so.
size_t ReadWholeFile(std::vector<uint8_t> bytes);

}  // namespace mdb_test

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_READ_WHOLE_FILE_H_
