#include "platform/file.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/win32/system_error.h"

namespace platform {
namespace {

using core::Error;
using win32::SystemError;

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

// The database and its copies are shared for reading and for renaming (so
// that the commit can rename the copy over the file it holds open), never
// for writing: while the run holds the file, no other program writes it.
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_DELETE;

std::intptr_t Open(const std::filesystem::path& path, DWORD access, DWORD disposition,
                   const char* what) {
  const HANDLE handle = CreateFileW(path.c_str(), access, kShare, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw SystemError(what, path);
  return reinterpret_cast<std::intptr_t>(handle);
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// Reads and writes go in pieces a DWORD can count.
constexpr size_t kMaxPiece = 1u << 30;
constexpr uint64_t kBufferSize = 1 << 20;

}  // namespace

File File::OpenForReading(const std::filesystem::path& path) {
  return File(path,
              Open(path, GENERIC_READ, OPEN_EXISTING, "kann nicht geöffnet werden"));
}

File File::OpenForWriting(const std::filesystem::path& path) {
  return File(path, Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING,
                         "kann nicht geöffnet werden"));
}

File File::CreateNew(const std::filesystem::path& path) {
  return File(path, Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW,
                         "kann nicht angelegt werden"));
}

File File::CreateTemporaryBeside(const std::filesystem::path& beside) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0;; ++attempt) {
    std::string suffix = ".tmp-";
    for (int i = 0; i < 6; ++i) suffix += kLetters[random() % (sizeof kLetters - 1)];
    // Appended to the path itself: a path made from string() would be read
    // back in the ANSI code page and lose a folder name such as "Müller".
    std::filesystem::path path = beside;
    path += suffix;
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
      return File(path, reinterpret_cast<std::intptr_t>(handle));
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == 100)
      throw SystemError("(temporäre Kopie) kann nicht angelegt werden", path, error);
  }
}

File::File(File&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_) {
  other.handle_ = kNoHandle;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != kNoHandle) CloseHandle(Native(handle_));
    path_ = std::move(other.path_);
    handle_ = other.handle_;
    other.handle_ = kNoHandle;
  }
  return *this;
}

File::~File() {
  if (handle_ != kNoHandle) CloseHandle(Native(handle_));
}

uint64_t File::Size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Native(handle_), &size))
    throw SystemError("kann nicht abgefragt werden", path_);
  return static_cast<uint64_t>(size.QuadPart);
}

bool File::IsRegularFile() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Native(handle_), &info))
    throw SystemError("kann nicht abgefragt werden", path_);
  return GetFileType(Native(handle_)) == FILE_TYPE_DISK &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void File::ReadExactly(uint64_t offset, std::span<uint8_t> into) const {
  if (ReadAt(offset, into) != into.size())
    throw Error(
        path_.string() + " endet vor Byte " + std::to_string(offset + into.size()),
        Error::Kind::kIo);
}

size_t File::ReadAt(uint64_t offset, std::span<uint8_t> into) const {
  size_t done = 0;
  while (done < into.size()) {
    OVERLAPPED at = At(offset + done);
    DWORD n = 0;
    const DWORD piece = static_cast<DWORD>(std::min(into.size() - done, kMaxPiece));
    if (!ReadFile(Native(handle_), into.data() + done, piece, &n, &at)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      throw SystemError("kann nicht gelesen werden", path_, error);
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

void File::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED at = At(offset + done);
    DWORD n = 0;
    const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece));
    if (!WriteFile(Native(handle_), bytes.data() + done, piece, &n, &at))
      throw SystemError("kann nicht geschrieben werden", path_);
    done += n;
  }
}

void File::Resize(uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(Native(handle_), FileEndOfFileInfo, &end, sizeof end))
    throw SystemError("kann nicht auf die neue Größe gebracht werden", path_);
}

void File::Flush() {
  if (!FlushFileBuffers(Native(handle_)))
    throw SystemError("kann nicht auf die Platte geschrieben werden", path_);
}

// The copy gets the original's attributes (archive, hidden, ...); its
// permissions are the folder's inherited ones, as for any file made there.
// A read-only original is refused: the operator (or the billing product)
// protected it, and replacing it would drop that protection.
void File::TakeAccessOf(const std::filesystem::path& original) {
  const DWORD attributes = GetFileAttributesW(original.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw SystemError("kann nicht abgefragt werden", original);
  if (attributes & FILE_ATTRIBUTE_READONLY)
    throw Error("Die Datenbank " + Name(original) +
                    " ist schreibgeschützt (Eigenschaften: Schreibgeschützt); sie wurde "
                    "nicht ersetzt",
                Error::Kind::kPermission);
  FILE_BASIC_INFO basic{};
  basic.FileAttributes =
      (attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)) |
      FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(Native(handle_), FileBasicInfo, &basic, sizeof basic))
    throw SystemError(
        "kann die Eigenschaften von " + Name(original) + " nicht übernehmen", path_);
}

void File::UseDefaultAccess() {}

void File::Close() {
  if (handle_ == kNoHandle) return;
  const BOOL closed = CloseHandle(Native(handle_));
  handle_ = kNoHandle;
  if (!closed) throw SystemError("kann nicht geschlossen werden", path_);
}

uint64_t CopyThroughBuffer(const File& from, File& to, uint64_t offset, uint64_t length) {
  std::vector<uint8_t> buffer(std::min(length, kBufferSize));
  uint64_t done = 0;
  while (done < length) {
    const auto chunk = std::span(buffer).first(std::min(length - done, kBufferSize));
    const size_t n = from.ReadAt(offset + done, chunk);
    to.WriteAt(offset + done, chunk.first(n));
    done += n;
    if (n < chunk.size()) break;
  }
  return done;
}

// Windows copies whole files (CopyFileExW), not into a file already open;
// the copy goes through the buffer, which the system's cache makes cheap.
uint64_t CopyFileStart(const File& from, File& to, uint64_t length) {
  return CopyThroughBuffer(from, to, 0, length);
}

}  // namespace platform
