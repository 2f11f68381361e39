#include "platform/file_identity.h"

#include <windows.h>

#include "platform/file.h"
#include "platform/win32/system_error.h"

namespace platform {
namespace {

// 100-ns ticks since 1601 as nanoseconds.
std::int64_t Nanoseconds(LARGE_INTEGER time) {
  return static_cast<std::int64_t>(time.QuadPart) * 100;
}

FileIdentity IdentityOf(HANDLE handle, const std::filesystem::path& file) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandle(handle, &info) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
    throw win32::SystemError("kann nicht abgefragt werden", file);
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
          (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
          Nanoseconds(basic.LastWriteTime), Nanoseconds(basic.ChangeTime)};
}

}  // namespace

FileIdentity File::Identity() const {
  return IdentityOf(reinterpret_cast<HANDLE>(handle_), path_);
}

FileIdentity CurrentIdentity(const std::filesystem::path& file) {
  const HANDLE handle =
      CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    throw win32::SystemError("kann nicht abgefragt werden", file);
  try {
    const FileIdentity identity = IdentityOf(handle, file);
    CloseHandle(handle);
    return identity;
  } catch (...) {
    CloseHandle(handle);
    throw;
  }
}

bool ChangedInThisTick(const FileIdentity& identity) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = static_cast<LONG>(now.dwHighDateTime);
  const std::int64_t present = Nanoseconds(ticks);
  return identity.modified_ns >= present || identity.changed_ns >= present;
}

}  // namespace platform
