#include "tests/app/jet_numbers_file.h"

#include <gtest/gtest.h>

#include "tests/db/engine/mdb/jet_files.h"

namespace testing_support {

void CopyJetNumbersFile(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  const fs::path source = mdb_test::JetFile("numbers/numbers-pk.mdb");
  fs::copy_file(source, folder / "Numbers.mdb");
  fs::permissions(folder / "Numbers.mdb", fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace testing_support
