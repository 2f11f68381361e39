#include "tests/app/jet_numbers_file.h"

#include <gtest/gtest.h>

#include "tests/db/engine/mdb/jet_files.h"

namespace testing_support {

void CopyJetNumbersFile(const std::filesystem::path& folder) {
  mdb_test::CopyJetFile("numbers/numbers-pk.mdb", folder / "Numbers.mdb");
}

}  // namespace testing_support
