#ifndef PREISLISTE_PLATFORM_FILE_IDENTITY_H_
#define PREISLISTE_PLATFORM_FILE_IDENTITY_H_

#include <cstdint>
#include <filesystem>

// What tells whether a file is still the one that was opened: the file
// itself (volume and file number: a file put in its place by another program
// is another file), its size, and its modification and change times. Every
// write sets the times to the present; a program that sets the modification
// time back moves the change time all the same, which no program can set.
// So a file written in between differs in at least one of them, on every
// file system that keeps these times.
namespace platform {

struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;

  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file the name now stands for.
FileIdentity CurrentIdentity(const std::filesystem::path& file);

// Whether a write right now could leave the identity's times as they are:
// file systems stamp writes from a clock that advances in ticks, and a write
// in the tick of the last change may not move the times.
bool ChangedInThisTick(const FileIdentity& identity);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_FILE_IDENTITY_H_
