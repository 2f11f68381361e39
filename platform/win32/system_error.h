#ifndef PREISLISTE_PLATFORM_WIN32_SYSTEM_ERROR_H_
#define PREISLISTE_PLATFORM_WIN32_SYSTEM_ERROR_H_

#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/file_error.h"

namespace platform::win32 {

// The system's own text for `error` (in the language of the Windows it runs
// on), as UTF-8 without the trailing line break.
std::string SystemMessage(DWORD error);

// The FileError of a failed call; `what` continues the file name ("kann
// nicht gelesen werden").
inline FileError SystemError(const std::string& what, const std::filesystem::path& file,
                             DWORD error = GetLastError()) {
  return SystemFailure(what, file, error);
}

}  // namespace platform::win32

#endif  // PREISLISTE_PLATFORM_WIN32_SYSTEM_ERROR_H_
