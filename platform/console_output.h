#ifndef PREISLISTE_PLATFORM_CONSOLE_OUTPUT_H_
#define PREISLISTE_PLATFORM_CONSOLE_OUTPUT_H_

#include <cstdio>
#include <string_view>

namespace platform {

// Writes the UTF-8 text to `stream` (stdout or stderr). On Windows, when the
// stream is a console, the text goes in as UTF-16 (WriteConsoleW), so that it
// shows right whatever code page the console has (850, 1252, 65001); when it
// is redirected to a file or a pipe, the UTF-8 bytes go out unchanged. POSIX
// terminals take the locale's encoding, UTF-8: the bytes go out there too.
void WriteText(std::FILE* stream, std::string_view utf8);

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_CONSOLE_OUTPUT_H_
