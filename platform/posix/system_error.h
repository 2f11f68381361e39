#ifndef PREISLISTE_PLATFORM_POSIX_SYSTEM_ERROR_H_
#define PREISLISTE_PLATFORM_POSIX_SYSTEM_ERROR_H_

#include <filesystem>
#include <string>

#include "platform/file_error.h"

namespace platform::posix {

// The FileError of a failed call that set errno to `error`; `what` continues
// the file name ("kann nicht gelesen werden").
inline FileError SystemError(const std::string& what, const std::filesystem::path& file,
                             int error) {
  return SystemFailure(what, file, static_cast<SystemErrorCode>(error));
}

}  // namespace platform::posix

#endif  // PREISLISTE_PLATFORM_POSIX_SYSTEM_ERROR_H_
