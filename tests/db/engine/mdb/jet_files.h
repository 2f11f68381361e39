#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_JET_FILES_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_JET_FILES_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mdb_test {

// The build tree's folder of Jet test files, laid out from tests/data/jet at
// configure time. Missing, it fails the test, so the tests never skip
// silently.
std::filesystem::path TestJetFolder();

// Every .mdb file under numbers/ and access-made/, sorted.
std::vector<std::filesystem::path> AllJetFiles();

// A file of that folder, e.g. JetFile("numbers/numbers-pk.mdb"). Throws,
// naming the file, when it is missing: the test fails instead of reading
// nothing.
std::filesystem::path JetFile(const std::string& relative);

// Copies a test file to `destination`, writable by its owner (tests work on
// copies and never change a test file).
void CopyJetFile(const std::string& relative, const std::filesystem::path& destination);

// The bytes of a file; throws, naming the file, when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::filesystem::path& file);

}  // namespace mdb_test

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_JET_FILES_H_
