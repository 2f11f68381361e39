#ifndef PREISLISTE_PLATFORM_PROGRAM_ARGUMENTS_H_
#define PREISLISTE_PLATFORM_PROGRAM_ARGUMENTS_H_

#include <string>
#include <vector>

namespace platform {

// The program's command line as UTF-8 texts in argc/argv form, as the rest of
// the program reads them. POSIX systems pass main()'s own. Windows hands
// main() the arguments in the ANSI code page, which cannot hold every file
// name ("--report C:\Kasse\Müller\Änderungen.csv" on a Greek system, or a
// name in any other script); there they are taken from the UTF-16 command
// line (GetCommandLineW) instead.
class ProgramArguments {
 public:
  ProgramArguments(int argc, char** argv);
  ProgramArguments(const ProgramArguments&) = delete;
  ProgramArguments& operator=(const ProgramArguments&) = delete;

  int count() const { return static_cast<int>(texts_.size()); }
  // argv[0] .. argv[count() - 1], then a null pointer, as main() gets them;
  // the array may be reordered (getopt, Qt), the texts stay owned here.
  char** values() { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_PROGRAM_ARGUMENTS_H_
