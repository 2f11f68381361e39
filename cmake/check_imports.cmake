cmake_policy(SET CMP0057 NEW)  # if(... IN_LIST ...)
# cmake -DOBJDUMP=... -DEXE=... -P check_imports.cmake
# Fails when EXE imports a DLL outside the list of Windows system DLLs, such
# as libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(system kernel32.dll msvcrt.dll user32.dll advapi32.dll shell32.dll
           gdi32.dll comctl32.dll ole32.dll oleaut32.dll ws2_32.dll
           shlwapi.dll version.dll comdlg32.dll uuid.dll bcrypt.dll
           ntdll.dll)
set(foreign "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  message(STATUS "imports ${dll}")
  if(NOT lower IN_LIST system AND NOT lower MATCHES "^api-ms-win-")
    list(APPEND foreign ${dll})
  endif()
endforeach()
if(NOT lines)
  message(FATAL_ERROR "${EXE}: no import table found")
endif()
if(foreign)
  message(FATAL_ERROR "${EXE} imports DLLs that Windows does not provide: ${foreign}")
endif()
