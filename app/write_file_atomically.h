#ifndef PREISLISTE_APP_WRITE_FILE_ATOMICALLY_H_
#define PREISLISTE_APP_WRITE_FILE_ATOMICALLY_H_

#include <string>

namespace app {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it to `path`: readers see the old file or the whole new one, never
// a part. Throws core::Error with the file name and the reason; the
// temporary file is removed then.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace app

#endif  // PREISLISTE_APP_WRITE_FILE_ATOMICALLY_H_
