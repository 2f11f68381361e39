#ifndef PREISLISTE_APP_WIN32_WIDE_TEXT_H_
#define PREISLISTE_APP_WIN32_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace app::win32 {

// The program's texts are UTF-8; the window functions take UTF-16. A text that
// is not valid UTF-8 keeps its bytes as Windows-1252 would show them, so that
// a message is never lost.
std::wstring Wide(std::string_view utf8);

// The reverse, for the command line the system hands over in UTF-16.
std::string Utf8(std::wstring_view wide);

}  // namespace app::win32

#endif  // PREISLISTE_APP_WIN32_WIDE_TEXT_H_
