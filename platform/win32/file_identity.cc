#include "platform/file_identity.h"

#include <windows.h>

namespace platform {

// Compared with the file's times, which count 100-ns ticks since 1601.
bool ChangedInThisTick(const FileIdentity& identity) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::int64_t present =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime) *
      100;
  return identity.modified_ns >= present || identity.changed_ns >= present;
}

}  // namespace platform
