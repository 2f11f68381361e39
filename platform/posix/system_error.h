#ifndef PREISLISTE_PLATFORM_POSIX_SYSTEM_ERROR_H_
#define PREISLISTE_PLATFORM_POSIX_SYSTEM_ERROR_H_

#include <filesystem>
#include <string>

#include "platform/file_error.h"

namespace platform::posix {

// The FileError of a failed call that set errno; `what` continues the file
// name ("kann nicht gelesen werden").
// The kind of failure an errno value stands for.
core::Error::Kind KindOfSystemError(int error);

FileError SystemError(const std::string& what, const std::filesystem::path& file,
                      int error);

}  // namespace platform::posix

#endif  // PREISLISTE_PLATFORM_POSIX_SYSTEM_ERROR_H_
