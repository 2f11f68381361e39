#include "platform/file_identity.h"

#include <ctime>

namespace platform {

// File systems stamp writes from the kernel's coarse clock.
bool ChangedInThisTick(const FileIdentity& identity) {
  struct timespec now;
  if (clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0) return false;
  const std::int64_t present =
      static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  return identity.modified_ns >= present || identity.changed_ns >= present;
}

}  // namespace platform
