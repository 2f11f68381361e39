#ifndef PREISLISTE_TESTS_APP_WIN32_PROGRAM_H_
#define PREISLISTE_TESTS_APP_WIN32_PROGRAM_H_

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// The built update-preisliste.exe, with its full path (tests change the
// current folder, and under Wine a path without a drive means the current
// folder's drive).
std::filesystem::path ProgramUnderTest();

// A program started with CreateProcessW in `folder`, its standard output and
// error written to out.txt and err.txt there, `settings` named by
// UPDATE_PREISLISTE_SETTINGS. The arguments are UTF-8 and quoted for
// CommandLineToArgvW. The process is ended when the object is.
class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::filesystem::path& folder,
               const std::filesystem::path& settings);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Whether it has ended within `timeout`.
  bool WaitFor(std::chrono::milliseconds timeout);
  // Kills it as the task manager does (no clean-up runs) and waits for the end.
  void Terminate();
  // The exit status, once it has ended.
  DWORD ExitStatus() const;

 private:
  PROCESS_INFORMATION process_{};
};

struct ProgramResult {
  DWORD exit_status = 0;
  std::string out, err;
};

// Writes the settings for a run on the Numbers.mdb in `folder` (margin 60,
// minimum rate 0.1, VAT 19) to `file` as UTF-16 with byte order mark, the
// form in which Windows' INI functions keep a folder named in any script.
// The check of a shrinking list is off (MaxWegfall=100): the runs replace
// the Jet file's list with price files of their own.
void WriteUtf16Settings(const std::filesystem::path& file,
                        const std::filesystem::path& folder);

// Runs the program to its end (at most a minute) and reads its output.
ProgramResult RunProgram(const std::vector<std::string>& args,
                         const std::filesystem::path& folder,
                         const std::filesystem::path& settings);

}  // namespace testing_support

#endif  // PREISLISTE_TESTS_APP_WIN32_PROGRAM_H_
