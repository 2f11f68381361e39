#ifndef PREISLISTE_TESTS_DB_ENGINE_MDB_JET_FILES_H_
#define PREISLISTE_TESTS_DB_ENGINE_MDB_JET_FILES_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mdb_test {

// The shared folder of Jet test files. Missing, it fails the test (it is
// part of every checkout's surroundings), so the tests never skip silently.
std::filesystem::path SharedJet();

// Every .mdb file under numbers/ and access-made/, sorted.
std::vector<std::filesystem::path> AllJetFiles();

// A file of the shared folder, e.g. JetFile("numbers/numbers-pk.mdb").
std::filesystem::path JetFile(const std::string& relative);

// Copies a file of the shared folder to `destination`, writable by its owner
// (the shared folder is read-only; tests work on copies).
void CopyJetFile(const std::string& relative, const std::filesystem::path& destination);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file);

}  // namespace mdb_test

#endif  // PREISLISTE_TESTS_DB_ENGINE_MDB_JET_FILES_H_
