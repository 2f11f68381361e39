#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "core/utf8.h"

namespace testing_support {

// A new folder of a random name: create_directory() says whether it made
// it, so two tests never share one.
TempDir::TempDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("preisliste-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) {
      // Private to this user, as tests that use it as XDG_RUNTIME_DIR need.
      std::filesystem::permissions(path, std::filesystem::perms::owner_all, error);
      path_ = path;
      return;
    }
  }
  ADD_FAILURE() << "no temporary folder could be made";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::WriteFile(const std::string& name,
                                         const std::string& bytes) const {
  const std::filesystem::path file = path_ / name;
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  return file;
}

namespace {

sqlite3* OpenOrFail(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open(core::PathToUtf8(file).c_str(), &db) != SQLITE_OK)
    ADD_FAILURE() << "cannot open " << file << ": " << sqlite3_errmsg(db);
  return db;
}

}  // namespace

void RunSqlite(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = OpenOrFail(file);
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    ADD_FAILURE() << "SQL failed: " << (error ? error : "?") << "\n" << sql;
    sqlite3_free(error);
  }
  sqlite3_close(db);
}

std::vector<std::vector<std::string>> QuerySqlite(const std::filesystem::path& file,
                                                  const std::string& sql) {
  std::vector<std::vector<std::string>> rows;
  sqlite3* db = OpenOrFail(file);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "query failed: " << sqlite3_errmsg(db) << "\n" << sql;
  } else {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* text = sqlite3_column_text(stmt, i);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
      rows.push_back(std::move(row));
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return rows;
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::set<std::string> FolderNames(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

}  // namespace testing_support
