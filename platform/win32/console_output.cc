#include "platform/console_output.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "core/utf8.h"

namespace platform {
namespace {

// The console behind `stream`, if it is one: GetConsoleMode fails for files
// and pipes.
std::optional<HANDLE> ConsoleOf(std::FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return std::nullopt;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
    return std::nullopt;
  return handle;
}

}  // namespace

void WriteText(std::FILE* stream, std::string_view utf8) {
  const std::optional<HANDLE> console = ConsoleOf(stream);
  const std::optional<std::u16string> units = core::Utf8ToUtf16(utf8);
  if (!console || !units) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    return;
  }
  std::fflush(stream);  // what went in through the C library comes first
  // The console takes a limited amount per call.
  constexpr size_t kChunk = 8192;
  for (size_t at = 0; at < units->size();) {
    size_t count = std::min(kChunk, units->size() - at);
    // A character of two units stays whole.
    if (count == kChunk && (*units)[at + count - 1] >= 0xD800 &&
        (*units)[at + count - 1] < 0xDC00)
      --count;
    DWORD written = 0;
    WriteConsoleW(*console, reinterpret_cast<const wchar_t*>(units->data() + at),
                  static_cast<DWORD>(count), &written, nullptr);
    at += count;
  }
}

}  // namespace platform
