#ifndef PREISLISTE_PLATFORM_PROGRAM_FOLDER_H_
#define PREISLISTE_PLATFORM_PROGRAM_FOLDER_H_

#include <filesystem>

namespace platform {

// The folder of the running program's file (/proc/self/exe on Linux, the
// .exe's module name on Windows); an empty path when the system cannot tell.
// Operators keep the program, its settings and the price file together.
std::filesystem::path ProgramFolder();

}  // namespace platform

#endif  // PREISLISTE_PLATFORM_PROGRAM_FOLDER_H_
