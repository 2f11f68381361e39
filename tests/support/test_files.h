#ifndef PREISLISTE_TESTS_SUPPORT_TEST_FILES_H_
#define PREISLISTE_TESTS_SUPPORT_TEST_FILES_H_

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes bytes to a file in the folder and returns its full path.
  std::filesystem::path WriteFile(const std::string& name,
                                  const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// Runs plain SQLite SQL (several statements allowed) on a database file,
// creating the file when it does not exist. Fails the test on an error.
void RunSqlite(const std::filesystem::path& file, const std::string& sql);

// The rows of a plain SQLite query, every value as text; NULL is "NULL".
std::vector<std::vector<std::string>> QuerySqlite(const std::filesystem::path& file,
                                                  const std::string& sql);

// The whole file as bytes.
std::string ReadFileBytes(const std::filesystem::path& file);

// The names of the entries of a folder.
std::set<std::string> FolderNames(const std::filesystem::path& folder);

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_SUPPORT_TEST_FILES_H_
