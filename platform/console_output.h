#ifndef PREISLISTE_PLATFORM_CONSOLE_OUTPUT_H_
#define PREISLISTE_PLATFORM_CONSOLE_OUTPUT_H_

namespace platform {

// For its lifetime, the console the program writes to shows the program's
// UTF-8 output as UTF-8: Windows' console would otherwise read it in its OEM
// code page (850: "geÃ¶ffnet"). The console's code page is set back when the
// object ends, so that the cmd window the operator keeps using is as before.
// POSIX terminals take the locale's encoding; nothing is done there.
class Utf8ConsoleOutput {
 public:
  Utf8ConsoleOutput();
  ~Utf8ConsoleOutput();
  Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
  Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;

 private:
  unsigned previous_code_page_ = 0;  // 0: nothing to set back
};

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_CONSOLE_OUTPUT_H_
