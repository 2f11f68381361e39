#include "platform/console_output.h"

#include <windows.h>

namespace platform {

// Without a console (output to a file or a pipe, or a window program)
// GetConsoleOutputCP() is 0 and the bytes go out unchanged anyway.
Utf8ConsoleOutput::Utf8ConsoleOutput() {
  const UINT current = GetConsoleOutputCP();
  if (current == 0 || current == CP_UTF8) return;
  if (SetConsoleOutputCP(CP_UTF8)) previous_code_page_ = current;
}

Utf8ConsoleOutput::~Utf8ConsoleOutput() {
  if (previous_code_page_ != 0) SetConsoleOutputCP(previous_code_page_);
}

}  // namespace platform
