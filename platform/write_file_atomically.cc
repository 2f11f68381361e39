#include "platform/write_file_atomically.h"

#include <cstdint>
#include <span>

#include "platform/file.h"
#include "platform/file_error.h"
#include "platform/file_system.h"

namespace platform {

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary;
  try {
    File file = File::CreateTemporaryBeside(path);
    temporary = file.path();
    file.UseDefaultAccess();
    file.WriteAt(0,
                 std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    file.Flush();
    file.Close();
    RenameOver(temporary, path);
  } catch (const FileError& error) {
    // Said of the file the caller named: the temporary name means nothing
    // to the operator.
    if (!temporary.empty()) RemoveFile(temporary);
    throw FileError(path, path.string(), error.reason(), error.kind());
  }
  FlushFolderOf(path);
}

}  // namespace platform
