// The Windows calls behind FileOperations.
#include "platform/file_operations.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>

#include "core/error.h"
#include "platform/win32/system_error.h"

namespace platform {
namespace {

using win32::SystemError;

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

// The database and its copies are shared for reading and for renaming (so
// that the commit can rename the copy over the file it holds open), never
// for writing: while the run holds the file, no other program writes it.
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_DELETE;

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

// Reads and writes go in pieces a DWORD can count.
constexpr size_t kMaxPiece = 1u << 30;

// 100-ns ticks since 1601 as nanoseconds.
std::int64_t Nanoseconds(LARGE_INTEGER time) {
  return static_cast<std::int64_t>(time.QuadPart) * 100;
}

FileIdentity IdentityOfHandle(HANDLE handle, const std::filesystem::path& file,
                              BY_HANDLE_FILE_INFORMATION& info) {
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandle(handle, &info) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
    throw SystemError("kann nicht abgefragt werden", file);
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
          (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
          Nanoseconds(basic.LastWriteTime), Nanoseconds(basic.ChangeTime)};
}

// Codes with which CreateHardLinkW says the volume allows no hard links
// (FAT, exFAT, many network shares).
bool LinkNotPossible(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_NOT_SAME_DEVICE || error == ERROR_TOO_MANY_LINKS ||
         error == ERROR_INVALID_PARAMETER;
}

// Reparse tags of symbolic links and junctions; other reparse points are
// files (see IsSymbolicLink).
bool IsLinkTag(DWORD tag) {
  return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// A handle for asking the name's attributes, which no other program's
// sharing refuses; INVALID_HANDLE_VALUE with GetLastError() on failure.
HANDLE OpenAttributes(const std::filesystem::path& path, DWORD flags) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, flags, nullptr);
}

struct HandleCloser {
  HANDLE handle;
  ~HandleCloser() { CloseHandle(handle); }
};

// 100-ns ticks since 1601 as seconds since 1970.
std::time_t CalendarTime(FILETIME time) {
  constexpr std::uint64_t kTicksTo1970 = 116444736000000000u;
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return ticks < kTicksTo1970
             ? 0
             : static_cast<std::time_t>((ticks - kTicksTo1970) / 10000000);
}

DWORD AttributesOf(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw SystemError("kann nicht abgefragt werden", path);
  return attributes;
}

}  // namespace

class NativeFileOperations final : public FileOperations {
 public:
  static HANDLE Native(const File& file) {
    return reinterpret_cast<HANDLE>(file.handle_);
  }

  File Open(const std::filesystem::path& path, OpenMode mode) override {
    const DWORD access =
        mode == OpenMode::kRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = mode == OpenMode::kCreateNew ? CREATE_NEW : OPEN_EXISTING;
    const HANDLE handle = CreateFileW(path.c_str(), access, kShare, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
      throw SystemError(mode == OpenMode::kCreateNew ? "kann nicht angelegt werden"
                                                     : "kann nicht geöffnet werden",
                        path);
    return File(path, reinterpret_cast<std::intptr_t>(handle));
  }

  File CreateTemporaryBeside(const std::filesystem::path& beside) override {
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
        throw SystemError("kann nicht angelegt werden", path, error);
    }
  }

  void Close(File& file) override {
    const BOOL closed = CloseHandle(Native(file));
    file.handle_ = File::kNoHandle;
    if (!closed) throw SystemError("kann nicht geschlossen werden", file.path());
  }

  FileStatus Status(const File& file) override {
    BY_HANDLE_FILE_INFORMATION info;
    const FileIdentity identity = IdentityOfHandle(Native(file), file.path(), info);
    return {identity, GetFileType(Native(file)) == FILE_TYPE_DISK &&
                          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
  }

  size_t ReadAt(const File& file, uint64_t offset, std::span<uint8_t> into) override {
    size_t done = 0;
    while (done < into.size()) {
      OVERLAPPED at = At(offset + done);
      DWORD n = 0;
      const DWORD piece = static_cast<DWORD>(std::min(into.size() - done, kMaxPiece));
      if (!ReadFile(Native(file), into.data() + done, piece, &n, &at)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        throw SystemError("kann nicht gelesen werden", file.path(), error);
      }
      if (n == 0) break;
      done += n;
    }
    return done;
  }

  void WriteAt(File& file, uint64_t offset, std::span<const uint8_t> bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      OVERLAPPED at = At(offset + done);
      DWORD n = 0;
      const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kMaxPiece));
      if (!WriteFile(Native(file), bytes.data() + done, piece, &n, &at))
        throw SystemError("kann nicht geschrieben werden", file.path());
      done += n;
    }
  }

  void Resize(File& file, uint64_t size) override {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(Native(file), FileEndOfFileInfo, &end, sizeof end))
      throw SystemError("kann nicht auf die neue Größe gebracht werden", file.path());
  }

  void Flush(File& file) override {
    if (!FlushFileBuffers(Native(file)))
      throw SystemError("kann nicht auf die Platte geschrieben werden", file.path());
  }

  // Windows copies whole files (CopyFileExW), not into a file already open;
  // the copy goes through the buffer, which the system's cache makes cheap.
  uint64_t CopyRange(const File&, File&, uint64_t, uint64_t) override { return 0; }

  void StartWriteback(File&, uint64_t, uint64_t) noexcept override {}

  // The copy gets the original's attributes (archive, hidden, ...); its
  // permissions are the folder's inherited ones, as for any file made there.
  // A read-only original is refused: the operator (or the billing product)
  // protected it, and replacing it would drop that protection.
  void TakeAccessOf(File& file, const std::filesystem::path& original) override {
    const DWORD attributes = AttributesOf(original);
    if (attributes & FILE_ATTRIBUTE_READONLY)
      throw core::Error(
          "Die Datenbank " + Name(original) +
              " ist schreibgeschützt (Eigenschaften: Schreibgeschützt); sie "
              "wurde nicht ersetzt",
          core::Error::Kind::kPermission);
    FILE_BASIC_INFO basic{};
    basic.FileAttributes =
        (attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)) |
        FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(Native(file), FileBasicInfo, &basic, sizeof basic))
      throw SystemError(
          "kann die Eigenschaften von " + Name(original) + " nicht übernehmen",
          file.path());
  }

  void UseDefaultAccess(File&) override {}

  FileIdentity IdentityOf(const std::filesystem::path& path) override {
    const HANDLE handle = OpenAttributes(path, FILE_ATTRIBUTE_NORMAL);
    if (handle == INVALID_HANDLE_VALUE)
      throw SystemError("kann nicht abgefragt werden", path);
    const HandleCloser closer{handle};
    BY_HANDLE_FILE_INFORMATION info;
    return IdentityOfHandle(handle, path, info);
  }

  // The name itself, also where it is a link or a folder.
  std::optional<NameStatus> StatusOfName(const std::filesystem::path& path) override {
    const HANDLE handle =
        OpenAttributes(path, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return std::nullopt;
      throw SystemError("kann nicht abgefragt werden", path, error);
    }
    const HandleCloser closer{handle};
    BY_HANDLE_FILE_INFORMATION info;
    const FileIdentity identity = IdentityOfHandle(handle, path, info);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
      throw SystemError("kann nicht abgefragt werden", path);
    const bool regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                         GetFileType(handle) == FILE_TYPE_DISK &&
                         !IsLinkTag(tag.ReparseTag);
    return NameStatus{identity, regular, CalendarTime(info.ftLastWriteTime)};
  }

  // A reparse point is a link only by its tag: OneDrive placeholders and
  // deduplicated files are reparse points too, and they are ordinary files.
  bool IsSymbolicLink(const std::filesystem::path& path) override {
    if ((AttributesOf(path) & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
      throw SystemError("kann nicht abgefragt werden", path);
    FindClose(search);
    return IsLinkTag(found.dwReserved0);
  }

  bool IsWriteProtected(const std::filesystem::path& file) override {
    return (AttributesOf(file) & FILE_ATTRIBUTE_READONLY) != 0;
  }

  // The read-only attribute is what keeps a file from being written on
  // Windows; the folder's permissions show when the file is opened.
  bool CanReadAndWrite(const std::filesystem::path& file) override {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      errno = ENOENT;
      return false;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      errno = EACCES;
      return false;
    }
    return true;
  }

  // A folder's read-only attribute means nothing for the files in it
  // (Explorer uses it to mark customised folders); only whether it is a
  // folder counts.
  bool CanCreateFilesIn(const std::filesystem::path& folder) override {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool TryHardLink(const std::filesystem::path& existing,
                   const std::filesystem::path& link) override {
    if (CreateHardLinkW(link.c_str(), existing.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (LinkNotPossible(error)) return false;
    throw SystemError("kann nicht angelegt werden", link, error);
  }

  // MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
  void RenameOver(const std::filesystem::path& from,
                  const std::filesystem::path& to) override {
    if (!MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const DWORD error = GetLastError();
      throw FileError(
          to, OperatorName(from) + " kann nicht in " + Name(to) + " umbenannt werden",
          SystemReason(error), KindOfSystemError(error));
    }
  }

  void Remove(const std::filesystem::path& path) override {
    if (!DeleteFileW(path.c_str())) throw SystemError("kann nicht gelöscht werden", path);
  }

  std::vector<std::filesystem::path> ListFolder(
      const std::filesystem::path& folder) override {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
      throw FolderFailure("kann nicht gelesen werden", folder, GetLastError());
    std::vector<std::filesystem::path> entries;
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") entries.push_back(folder / name);
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
      throw FolderFailure("kann nicht gelesen werden", folder, error);
    return entries;
  }

  // Nothing left to do: RenameOver wrote the folder through already.
  void FlushFolder(const std::filesystem::path&) override {}

  // Jet holds its lock file open, shared for reading and writing, for as long
  // as any program has the database open; a file left by a crash has no
  // handle. Opening it without sharing fails exactly while a handle is open.
  bool IsHeldOpen(const std::filesystem::path& path) override {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
      return false;
    }
    // Gone meanwhile: nobody holds it. Any other refusal may be a holder.
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }

  VolumeSpace Space(const std::filesystem::path& folder) override {
    ULARGE_INTEGER available, capacity;
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &capacity, nullptr))
      throw FolderFailure("kann nicht abgefragt werden", folder, GetLastError());
    return {capacity.QuadPart, available.QuadPart};
  }
};

FileOperations& SystemFileOperations() {
  static NativeFileOperations operations;
  return operations;
}

}  // namespace platform
