#include "tests/app/jet_numbers_file.h"

#include <gtest/gtest.h>

namespace testing_support {

void CopyJetNumbersFile(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  const fs::path source = fs::path(PREISLISTE_SHARED_JET) / "numbers" / "numbers-pk.mdb";
  ASSERT_TRUE(fs::exists(source)) << "test file missing: " << source;
  fs::copy_file(source, folder / "Numbers.mdb");
  fs::permissions(folder / "Numbers.mdb", fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace testing_support
