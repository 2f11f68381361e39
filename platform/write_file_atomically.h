#ifndef PREISLISTE_PLATFORM_WRITE_FILE_ATOMICALLY_H_
#define PREISLISTE_PLATFORM_WRITE_FILE_ATOMICALLY_H_

#include <filesystem>
#include <string_view>

namespace platform {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk
// and renames it to `path`, then flushes the folder: readers see the old file
// or the whole new one, never a part, and after a power cut it is one or the
// other too. The new file gets the permissions a new file of this user gets.
// Throws core::Error with the file name and the reason; the temporary file is
// removed then.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_WRITE_FILE_ATOMICALLY_H_
