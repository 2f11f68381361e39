#ifndef PREISLISTE_TESTS_APP_JET_NUMBERS_FILE_H_
#define PREISLISTE_TESTS_APP_JET_NUMBERS_FILE_H_

#include <filesystem>

namespace testing_support {

// Puts a writable copy of the Jet 4 test file numbers-pk.mdb (300 rows,
// primary key on Number) into `folder` as Numbers.mdb. A missing test file
// fails the test.
void CopyJetNumbersFile(const std::filesystem::path& folder);

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_JET_NUMBERS_FILE_H_
