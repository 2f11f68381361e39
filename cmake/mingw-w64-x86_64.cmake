# Toolchain for the Windows x64 build, cross-built on Debian with MinGW-w64.
#
#   cmake -S . -B build-win -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DPREISLISTE_WIN_DEPS="$(scripts/windows-deps --prefix)"
#
# PREISLISTE_WIN_DEPS is the prefix that scripts/windows-deps builds (static
# SQLite, ICU and GoogleTest); without it the environment variable of the same
# name is taken. Libraries, headers, CMake packages and pkg-config files are
# looked up there and in the MinGW-w64 sysroot only, never on the build host.
#
# Executables are linked fully static (libgcc, libstdc++, winpthread), so an
# .exe imports only Windows system DLLs. Tests run under Wine through
# scripts/wine-run (CMAKE_CROSSCOMPILING_EMULATOR), which ctest and
# gtest_discover_tests use.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PREISLISTE_WIN_TRIPLE x86_64-w64-mingw32)

# The POSIX thread model: std::thread, std::mutex and friends need it.
set(CMAKE_C_COMPILER ${PREISLISTE_WIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PREISLISTE_WIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PREISLISTE_WIN_TRIPLE}-windres)

# The dependency prefix. The toolchain file is read again for every
# try_compile project, which gets the variable through the list below.
if(NOT PREISLISTE_WIN_DEPS AND DEFINED ENV{PREISLISTE_WIN_DEPS})
  set(PREISLISTE_WIN_DEPS "$ENV{PREISLISTE_WIN_DEPS}")
endif()
set(PREISLISTE_WIN_DEPS "${PREISLISTE_WIN_DEPS}" CACHE PATH
    "Prefix of the Windows dependencies (scripts/windows-deps --prefix)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PREISLISTE_WIN_DEPS)
if(PREISLISTE_WIN_DEPS AND NOT EXISTS "${PREISLISTE_WIN_DEPS}/lib")
  message(FATAL_ERROR "PREISLISTE_WIN_DEPS=${PREISLISTE_WIN_DEPS} holds no lib/: "
                      "run scripts/windows-deps first")
endif()

set(CMAKE_FIND_ROOT_PATH ${PREISLISTE_WIN_DEPS} /usr/${PREISLISTE_WIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg_check_modules reads only the prefix's .pc files: the host's would give
# Linux libraries. The host pkg-config is used (not the triple's wrapper,
# which searches the MinGW sysroot's own folder).
find_program(PKG_CONFIG_EXECUTABLE NAMES pkg-config pkgconf)
set(ENV{PKG_CONFIG_LIBDIR} "${PREISLISTE_WIN_DEPS}/lib/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})
unset(ENV{PKG_CONFIG_SYSROOT_DIR})

# No MinGW runtime DLL beside the .exe: libgcc, libstdc++ and winpthread are
# linked in. (-static takes the .a of every library that has one; the Windows
# system libraries are import libraries, so those stay DLL imports.)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests (ctest, gtest_discover_tests, add_custom_command with a target's
# .exe) run under Wine, headless, in a Wine prefix of their own.
get_filename_component(_preisliste_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_preisliste_root}/scripts/wine-run")
