// The database file on Windows: what the share modes, the attributes and
// UTF-16 names let the program tell and keep. Runs under Wine.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/utf8.h"
#include "platform/backup_files.h"
#include "platform/database_file.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "tests/support/test_files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using core::Error;
using testing_support::FolderNames;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

const std::string kOld = "old database image\n" + std::string(10000, 'o');
const std::string kNew = "new database image\n" + std::string(20000, 'n');

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  File out = File::CreateNew(file);
  out.WriteAt(0, Bytes(bytes));
}

void ReplaceWith(DatabaseFile&& file, std::string_view image) {
  file.Replace(image.size(), {{0, Bytes(image)}}, [](const fs::path&) {});
}

// A handle another program keeps open on `file` while the object lives.
class OtherProgramHandle {
 public:
  OtherProgramHandle(const fs::path& file, DWORD access, DWORD share)
      : handle_(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << GetLastError();
  }
  ~OtherProgramHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

 private:
  HANDLE handle_;
};

// The way Jet holds its lock file: open for reading and writing, shared.
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct Refused {
  std::string message;
  core::Error::Kind kind = core::Error::Kind::kIo;
};

Refused RefusalOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return {error.what(), error.kind()};
  }
  return {};
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST(DatabaseFileWin32Test, ALiveLockFileRefusesTheOpenAStaleOneDoesNot) {
  for (const char* lock_name : {"Numbers.ldb", "NUMBERS.LDB"}) {
    SCOPED_TRACE(lock_name);
    TempDir dir;
    const fs::path database = dir.path() / "Numbers.mdb";
    WriteBytes(database, kOld);
    WriteBytes(dir.path() / lock_name, "");
    {
      const OtherProgramHandle jet(dir.path() / lock_name, kReadWrite, kShareAll);
      const Refused refused = RefusalOf([&] { DatabaseFile::Open(database); });
      EXPECT_EQ(refused.kind, Error::Kind::kInUse) << refused.message;
      EXPECT_TRUE(Contains(refused.message, lock_name)) << refused.message;
    }
    // Left by a crash: no program holds it any more.
    DatabaseFile file = DatabaseFile::Open(database);
    ReplaceWith(std::move(file), kNew);
    EXPECT_EQ(ReadFileBytes(database), kNew);
  }
}

TEST(DatabaseFileWin32Test, ALockFileTakenDuringTheRunRefusesTheCommit) {
  TempDir dir;
  const fs::path database = dir.path() / "Numbers.mdb";
  WriteBytes(database, kOld);
  WriteBytes(dir.path() / "Numbers.ldb", "");  // stale at the open
  DatabaseFile file = DatabaseFile::Open(database);
  file.StartCopy();  // the refusal removes the copy made early, too
  const OtherProgramHandle jet(dir.path() / "Numbers.ldb", kReadWrite, kShareAll);
  const Refused refused = RefusalOf([&] { ReplaceWith(std::move(file), kNew); });
  EXPECT_EQ(refused.kind, Error::Kind::kInUse) << refused.message;
  EXPECT_EQ(ReadFileBytes(database), kOld);
  EXPECT_EQ(FolderNames(dir.path()),
            (std::set<std::string>{"Numbers.mdb", "Numbers.ldb"}));
}

TEST(DatabaseFileWin32Test, AFileOpenForWritingElsewhereIsRefusedAndOursKeepsWritersOut) {
  TempDir dir;
  const fs::path database = dir.path() / "Numbers.mdb";
  WriteBytes(database, kOld);
  {
    const OtherProgramHandle billing(database, kReadWrite, kShareAll);
    const Refused refused = RefusalOf([&] { DatabaseFile::Open(database); });
    EXPECT_EQ(refused.kind, Error::Kind::kInUse) << refused.message;
    EXPECT_TRUE(Contains(refused.message, "Abrechnungsprogramm")) << refused.message;
  }
  DatabaseFile file = DatabaseFile::Open(database);
  // The copy reads through the run's handle, while writers stay out.
  file.StartCopy();
  // While the run holds it, others may read the file but not write it.
  const HANDLE writer = CreateFileW(database.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_EQ(ReadFileBytes(database), kOld);
  ReplaceWith(std::move(file), kNew);
  EXPECT_EQ(ReadFileBytes(database), kNew);
}

TEST(DatabaseFileWin32Test, AWriteProtectedFileIsRefusedWithTheReasonAndLeftAlone) {
  TempDir dir;
  const fs::path database = dir.path() / "Numbers.mdb";
  WriteBytes(database, kOld);
  ASSERT_TRUE(SetFileAttributesW(database.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(IsWriteProtected(database));
  EXPECT_FALSE(CanReadAndWrite(database));
  const Refused refused = RefusalOf([&] { DatabaseFile::Open(database); });
  EXPECT_EQ(refused.kind, Error::Kind::kPermission) << refused.message;
  EXPECT_TRUE(Contains(refused.message, "schreibgeschützt")) << refused.message;
  EXPECT_EQ(ReadFileBytes(database), kOld);
  EXPECT_EQ(FolderNames(dir.path()), std::set<std::string>{"Numbers.mdb"});
  SetFileAttributesW(database.c_str(), FILE_ATTRIBUTE_NORMAL);  // for the clean-up
}

TEST(DatabaseFileWin32Test, TheNewFileKeepsTheAttributesAndTheBackupIsTheOldFile) {
  TempDir dir;
  const fs::path database = dir.path() / "Numbers.mdb";
  WriteBytes(database, kOld);
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(database.c_str(), kKept));
  const FileIdentity old_file = CurrentIdentity(database);
  ReplaceWith(DatabaseFile::Open(database), kNew);
  // The volume allows hard links: the backup is the old file itself.
  EXPECT_EQ(CurrentIdentity(dir.path() / "Numbers.mdb.bak").file, old_file.file);
  EXPECT_EQ(GetFileAttributesW(database.c_str()) & (kKept | FILE_ATTRIBUTE_READONLY),
            kKept);
  EXPECT_EQ(ReadFileBytes(database), kNew);
  EXPECT_EQ(ReadFileBytes(dir.path() / "Numbers.mdb.bak"), kOld);
  const auto backups = ListBackups(database);
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(CurrentIdentity(backups.front().path).file, old_file.file);
  EXPECT_EQ(FolderNames(dir.path()),
            (std::set<std::string>{"Numbers.mdb", "Numbers.mdb.bak",
                                   backups.front().path.filename().string()}));
}

// Folder names as operators give them: Latin-1 letters, and letters outside
// the ANSI code page, which a path made from a narrow string would lose.
TEST(DatabaseFileWin32Test, WorksInFoldersNamedInAnyScript) {
  for (const char* folder_name : {"Kasse M\u00fcller \u00c4\u00d6\u00dc\u00df",
                                  "\u041a\u0430\u0441\u0441\u0430 \u03a9"}) {
    SCOPED_TRACE(folder_name);
    TempDir dir;
    const fs::path folder = dir.path() / core::PathFromUtf8(folder_name);
    ASSERT_TRUE(fs::create_directory(folder));
    const fs::path database = folder / "Numbers.mdb";
    WriteBytes(database, kOld);
    EXPECT_EQ(core::PathToUtf8(database.parent_path().filename()), folder_name);

    {
      const OtherProgramHandle jet(folder / "Numbers.ldb", kReadWrite, kShareAll);
      const Refused refused = RefusalOf([&] { DatabaseFile::Open(database); });
      EXPECT_EQ(refused.kind, Error::Kind::kInUse) << refused.message;
    }
    DeleteFileW((folder / "Numbers.ldb").c_str());
    ReplaceWith(DatabaseFile::Open(database), kNew);
    EXPECT_EQ(ReadFileBytes(database), kNew);
    EXPECT_EQ(ReadFileBytes(folder / "Numbers.mdb.bak"), kOld);
    const auto backups = ListBackups(database);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFileBytes(backups.front().path), kOld);
    EXPECT_EQ(FolderNames(folder),
              (std::set<std::string>{"Numbers.mdb", "Numbers.mdb.bak",
                                     backups.front().path.filename().string()}));
  }
}

TEST(DatabaseFileWin32Test, ASymbolicLinkIsRefusedAPlainFileIsNoLink) {
  TempDir dir;
  const fs::path target = dir.path() / "real.mdb";
  WriteBytes(target, kOld);
  EXPECT_FALSE(IsSymbolicLink(target));
  std::error_code error;
  fs::create_symlink(target, dir.path() / "Numbers.mdb", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  EXPECT_TRUE(IsSymbolicLink(dir.path() / "Numbers.mdb"));
  EXPECT_NE(RefusalOf([&] { DatabaseFile::Open(dir.path() / "Numbers.mdb"); }).message,
            "");
}

}  // namespace
}  // namespace platform
