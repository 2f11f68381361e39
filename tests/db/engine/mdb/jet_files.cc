#include "tests/db/engine/mdb/jet_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mdb_test {

std::filesystem::path TestJetFolder() {
  const std::filesystem::path dir = PREISLISTE_TEST_JET;
  if (!std::filesystem::is_directory(dir / "numbers"))
    ADD_FAILURE() << "The Jet test files are missing: " << dir;
  return dir;
}

std::vector<std::filesystem::path> AllJetFiles() {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"numbers", "access-made"}) {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(TestJetFolder() / folder, error))
      if (entry.path().extension() == ".mdb") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  if (files.size() < 14)
    ADD_FAILURE() << "Only " << files.size() << " Jet test files found";
  return files;
}

std::filesystem::path JetFile(const std::string& relative) {
  const std::filesystem::path file = TestJetFolder() / relative;
  if (!std::filesystem::is_regular_file(file))
    throw std::runtime_error("Jet test file missing: " + file.string());
  return file;
}

void CopyJetFile(const std::string& relative, const std::filesystem::path& destination) {
  namespace fs = std::filesystem;
  fs::copy_file(JetFile(relative), destination);
  fs::permissions(destination, fs::perms::owner_read | fs::perms::owner_write);
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace mdb_test
