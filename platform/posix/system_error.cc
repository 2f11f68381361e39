#include "platform/posix/system_error.h"

#include <cerrno>
#include <cstring>

namespace platform::posix {
namespace {

core::Error::Kind KindOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return core::Error::Kind::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return core::Error::Kind::kPermission;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return core::Error::Kind::kInUse;
    default:
      return core::Error::Kind::kIo;
  }
}

}  // namespace

core::Error::Kind KindOfSystemError(int error) { return KindOf(error); }

FileError SystemError(const std::string& what, const std::filesystem::path& file,
                      int error) {
  return FileError(file, file.string() + " " + what, std::strerror(error), KindOf(error));
}

}  // namespace platform::posix
