#include "platform/program_arguments.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "core/utf8.h"

namespace platform {

ProgramArguments::ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    texts_.assign(argv, argv + argc);  // out of memory: the ANSI ones will do
  } else {
    for (int i = 0; i < count; ++i) {
      const std::wstring_view argument(wide[i]);
      texts_.push_back(
          core::Utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(wide);
  }
  for (std::string& text : texts_) pointers_.push_back(text.data());
  pointers_.push_back(nullptr);
}

}  // namespace platform
